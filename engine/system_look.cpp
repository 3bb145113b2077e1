// The metrics, caption fonts, caption colours and gradient steps, and the
// newer DC functions.
#include "engine/system_look.h"

#include <string.h>

#include "engine/newer_functions.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"

// The size of NONCLIENTMETRICSA the engine asks for: the record without the
// iPaddedBorderWidth field that later systems added.
enum { nonClientMetricsSize = 340 };

void readMetrics()
{
    SharedResourcesRecord &r = SharedResources;
    memset(&r.nonClientMetrics, 0, sizeof r.nonClientMetrics);
    r.nonClientMetrics.cbSize = nonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, nonClientMetricsSize, &r.nonClientMetrics, 0);
    r.smallIconWidth = GetSystemMetrics(SM_CXSMICON);
    r.frameWidth = GetSystemMetrics(SM_CXFRAME);
    r.frameHeight = GetSystemMetrics(SM_CYFRAME);
    r.captionButtonWidth = GetSystemMetrics(SM_CXSIZE);
    r.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    r.edgeWidth = GetSystemMetrics(SM_CXEDGE);
    r.edgeHeight = GetSystemMetrics(SM_CYEDGE);
    r.smallCaptionHeight = GetSystemMetrics(SM_CYSMCAPTION);
    r.dialogFrameWidth = GetSystemMetrics(SM_CXDLGFRAME);
    r.dialogFrameHeight = GetSystemMetrics(SM_CYDLGFRAME);
    r.borderWidth = GetSystemMetrics(SM_CXBORDER);
    r.borderHeight = GetSystemMetrics(SM_CYBORDER);
    r.captionButtonHeight = GetSystemMetrics(SM_CYSIZE);
}

int nonClientMetricsChanged()
{
    const SharedResourcesRecord &r = SharedResources;
    NONCLIENTMETRICSA now;
    memset(&now, 0, sizeof now);
    now.cbSize = r.nonClientMetrics.cbSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, now.cbSize, &now, 0)) return 0;
    return memcmp(&now, &r.nonClientMetrics, now.cbSize) != 0;
}

LONG toolCaptionFontHeight(LONG captionHeight, LONG smallCaptionHeight)
{
    if (captionHeight == 0 || smallCaptionHeight == 0) return 0;
    if ((captionHeight < 0) != (smallCaptionHeight < 0)) return 0;
    const LONG size = captionHeight < 0 ? -captionHeight : captionHeight;
    const LONG smallSize = smallCaptionHeight < 0 ? -smallCaptionHeight : smallCaptionHeight;
    return size > smallSize ? smallCaptionHeight : 0;
}

void createCaptionFonts()
{
    SharedResourcesRecord &r = SharedResources;
    LOGFONTA font = r.nonClientMetrics.lfCaptionFont;
    r.captionFont = CreateFontIndirectA(&font);
    font.lfWeight = 500;
    r.captionFontMedium = CreateFontIndirectA(&font);
    const LONG toolHeight = toolCaptionFontHeight(r.nonClientMetrics.lfCaptionFont.lfHeight,
                                                  r.nonClientMetrics.lfSmCaptionFont.lfHeight);
    r.toolCaptionFont = r.toolCaptionFontMedium = NULL;
    if (toolHeight) {
        font = r.nonClientMetrics.lfCaptionFont;
        font.lfHeight = toolHeight;
        font.lfWidth = 0;
        r.toolCaptionFont = CreateFontIndirectA(&font);
        font.lfWeight = 500;
        r.toolCaptionFontMedium = CreateFontIndirectA(&font);
    }
}

void freeCaptionFonts()
{
    SharedResourcesRecord &r = SharedResources;
    const HFONT fonts[] = {r.captionFont, r.captionFontMedium, r.toolCaptionFont, r.toolCaptionFontMedium};
    for (HFONT font : fonts)
        if (font) DeleteObject(font);
    r.captionFont = r.captionFontMedium = r.toolCaptionFont = r.toolCaptionFontMedium = NULL;
}

void readCaptionColours() { readCaptionColoursFor(Settings, &SharedResources); }

void readCaptionColoursFor(const SettingsRecord &s, SharedResourcesRecord *into)
{
    SharedResourcesRecord &r = *into;
    COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION);
    r.activeCaptionR = GetRValue(active);
    r.activeCaptionG = GetGValue(active);
    r.activeCaptionB = GetBValue(active);
    r.inactiveCaptionR = GetRValue(inactive);
    r.inactiveCaptionG = GetGValue(inactive);
    r.inactiveCaptionB = GetBValue(inactive);
    r.activeStepR = gradientStep(r.activeCaptionR, s.activeGradientEndR, s.gradientSteps);
    r.activeStepG = gradientStep(r.activeCaptionG, s.activeGradientEndG, s.gradientSteps);
    r.activeStepB = gradientStep(r.activeCaptionB, s.activeGradientEndB, s.gradientSteps);
    r.inactiveStepR = gradientStep(r.inactiveCaptionR, s.inactiveGradientEndR, s.gradientSteps);
    r.inactiveStepG = gradientStep(r.inactiveCaptionG, s.inactiveGradientEndG, s.gradientSteps);
    r.inactiveStepB = gradientStep(r.inactiveCaptionB, s.inactiveGradientEndB, s.gradientSteps);
}

typedef COLORREF(WINAPI *SetDCColourFunction)(HDC dc, COLORREF colour);
typedef DWORD(WINAPI *GetLayoutFunction)(HDC dc);
typedef DWORD(WINAPI *SetLayoutFunction)(HDC dc, DWORD layout);

void findNewerDCFunctions()
{
    SharedResources.setDCBrushColor = (SetDCColourFunction)findNewerFunction("gdi32.dll", "SetDCBrushColor");
    SharedResources.setDCPenColor = (SetDCColourFunction)findNewerFunction("gdi32.dll", "SetDCPenColor");
    SharedResources.getLayout = (GetLayoutFunction)findNewerFunction("gdi32.dll", "GetLayout");
    SharedResources.setLayout = (SetLayoutFunction)findNewerFunction("gdi32.dll", "SetLayout");
}
