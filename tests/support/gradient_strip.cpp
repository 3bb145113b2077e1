// The gradient strip's place and last band, from the engine's geometry.
#include "support/gradient_strip.h"

#include "caption/caption_geometry.h"
#include "caption/caption_icon.h"
#include "caption/caption_layout.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"

RECT gradientStripRect(HWND window)
{
    RECT w;
    GetWindowRect(window, &w);
    const LONG style = GetWindowLongA(window, GWL_STYLE), exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    const int icon = windowCaptionShowsIcon(window, style, exStyle);
    const CaptionLayout l = captionLayout(style, exStyle, w.right - w.left, sharedCaptionMetrics(), icon);
    CaptionArea a = {l.left, l.top, l.right, l.bottom, l.buttonsRight};
    gradientEdgeCorrection(style, exStyle, SharedResources.edgeWidth, (style & DS_MODALFRAME) ? icon : 0, &a);
    const GradientStrip s = gradientStrip(a);
    RECT r = {a.left, a.top, a.left + s.width, a.top + s.height - 1};
    return r;
}

COLORREF lastBandColour(bool active)
{
    const SharedResourcesRecord &r = SharedResources;
    BandColour start, step;
    if (active) {
        start = {(float)r.activeCaptionR, (float)r.activeCaptionG, (float)r.activeCaptionB};
        step = {r.activeStepR, r.activeStepG, r.activeStepB};
    } else {
        start = {(float)r.inactiveCaptionR, (float)r.inactiveCaptionG, (float)r.inactiveCaptionB};
        step = {r.inactiveStepR, r.inactiveStepG, r.inactiveStepB};
    }
    const int bands = Settings.gradientSteps;
    return bandColourRef(colourAfterSteps(start, step, bands - 1, bands, Settings.mirroredGradient)) & 0xFFFFFF;
}

COLORREF stripPixel(HWND window, bool firstBand)
{
    const RECT s = gradientStripRect(window);
    HDC dc = GetWindowDC(window);
    const COLORREF c = firstBand ? GetPixel(dc, s.left + 1, s.top + 1) : GetPixel(dc, s.right - 2, (s.top + s.bottom) / 2);
    ReleaseDC(window, dc);
    return c & 0xFFFFFF;
}
