// The gradient caption: colour bands from the system caption colour towards
// the configured end colour, the title in one or two fonts, and the outline
// of the caption-button area. Runs on every mouse move over a caption: the
// title strip is composed off-screen, kept, and reaches the window in one
// copy; the next repaint with the same inputs is that copy alone.
#include <string.h>

#include "caption/caption_geometry.h"
#include "caption/caption_icon.h"
#include "caption/caption_painters.h"
#include "caption/strip_cache.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"

static const UINT titleFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

int mirroredWindowDC(HDC dc, DWORD exStyle)
{
    return (exStyle & WS_EX_LAYOUTRTL) && SharedResources.getLayout && (SharedResources.getLayout(dc) & LAYOUT_RTL);
}

// Each band is a fill of its own colour, as a rectangle with a null pen
// would paint it (the right column and bottom row of the rectangle left
// out). Where the system has SetDCBrushColor the DC's own brush takes each
// colour, so no brush is made per band; before Windows 2000 each band gets a
// brush of its own.
static int fillBand(const SharedResourcesRecord &r, HDC memory, int left, int top, int width, int height,
                    COLORREF colour)
{
    if (r.setDCBrushColor) {
        r.setDCBrushColor(memory, colour);
        PatBlt(memory, left, top, width, height, PATCOPY);
        return 1;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush) return 0;
    HGDIOBJ previous = SelectObject(memory, brush);
    PatBlt(memory, left, top, width, height, PATCOPY);
    SelectObject(memory, previous);
    DeleteObject(brush);
    return 1;
}

// Returns 0 when GDI could not make a band's brush: the strip is then not
// shown at all.
static int paintBands(const PaintView &v, HDC memory, int width, int height, int bands, BandColour *colour,
                      BandColour step, int fromRight)
{
    const float bandWidth = gradientBandWidth(width, bands);
    float position = 0.0f;
    HGDIOBJ previousBrush =
        v.resources->setDCBrushColor ? SelectObject(memory, GetStockObject(DC_BRUSH)) : NULL;
    int filled = 1;
    if (bands <= 0) {
        // No bands (a settings file without a band count): a flat caption in
        // the caption colour, rather than the fresh bitmap's black under
        // black title text.
        filled = fillBand(*v.resources, memory, 0, 0, width, height - 1, bandColourRef(*colour));
    }
    for (int band = 0; band < bands && filled; band++) {
        const BandSpan span = bandSpanAt(position, bandWidth);
        const int bandFill = span.end - span.start - 1;
        // From the right: the same columns, counted from the other end.
        const int left = fromRight ? width - span.start - bandFill : span.start;
        filled = fillBand(*v.resources, memory, left, 0, bandFill, height - 1, bandColourRef(*colour));
        *colour = colourAfterBand(*colour, step, band, bands, v.settings->mirroredGradient);
        position = nextBandPosition(position, bandWidth);
    }
    if (previousBrush) SelectObject(memory, previousBrush);
    return filled;
}

// The outline takes the colour the gradient ended with; a single band (or
// none) outlines in the inactive caption colour.
static COLORREF outlineColour(const SharedResourcesRecord &r, BandColour end, int bands)
{
    if (bands <= 1) return PALETTERGB(r.inactiveCaptionR, r.inactiveCaptionG, r.inactiveCaptionB);
    return PALETTERGB(colourByte(end.r), colourByte(end.g), colourByte(end.b));
}

// With split fonts the part before the first "-" is drawn in the caption
// font and the rest, from the "-" on, in the medium font right after it.
// fromRight: the title keeps its margin from the right end, beside a
// mirrored window's icon, and ends there. rtlReading: the window reads right
// to left (WS_EX_RTLREADING), and the system draws its title so.
static void drawTitle(const PaintView &v, HDC memory, const WindowText &title, int width, int height,
                      COLORREF textColour, int fromRight, int rtlReading, HFONT font, HFONT mediumFont)
{
    const SettingsRecord &s = *v.settings;
    SetTextAlign(memory, TA_LEFT | TA_TOP);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, textColour);
    const UINT format = titleFormat | (rtlReading ? DT_RTLREADING : 0);
    RECT text = {titleTextLeft, 0, width, height - 1};
    if (fromRight) SetRect(&text, 0, 0, width - titleTextLeft, height - 1);
    const int length = title.length;
    const int split = title.unicode ? titleSplitIndex(title.wide, length) : titleSplitIndex(title.ansi, length);

    HGDIOBJ previousFont = SelectObject(memory, font);
    if (split < length && s.splitTitleFonts == 1 && fromRight) {
        // The second part ends at the right margin, the first right before it.
        SelectObject(memory, mediumFont);
        const int second = windowTextExtent(memory, title, length).cx - windowTextExtent(memory, title, split).cx;
        drawWindowText(memory, title, split, length - split, &text, format | DT_RIGHT);
        SelectObject(memory, font);
        text.right -= second;
        if (split > 0 && text.right > 0) drawWindowText(memory, title, 0, split, &text, format | DT_RIGHT);
    } else if (split < length && s.splitTitleFonts == 1) {
        const SIZE first = windowTextExtent(memory, title, split);
        if (split > 0) drawWindowText(memory, title, 0, split, &text, format);
        if (first.cx < text.right) {
            SelectObject(memory, mediumFont);
            text.left = titleTextLeft + first.cx;
            drawWindowText(memory, title, split, length - split, &text, format);
        }
    } else {
        const UINT align = s.centerCaptionText == 1 ? DT_CENTER : fromRight ? DT_RIGHT : 0;
        drawWindowText(memory, title, 0, length, &text, format | align);
    }
    SelectObject(memory, previousFont);
}

// Drawn straight into the window DC, around the caption buttons, in the
// colour the gradient ended with. Where the system has SetDCPenColor the
// DC's own pen takes the colour; before Windows 2000 a pen is made for it.
static void drawButtonOutline(const SharedResourcesRecord &r, HDC dc, const CaptionArea &area, COLORREF colour)
{
    OutlineLine lines[outlineLineCount];
    gradientOutlineLines(area, r.captionButtonWidth, lines);
    HPEN pen = NULL;
    COLORREF previousColour = 0;
    HGDIOBJ previousPen;
    if (r.setDCPenColor) {
        previousPen = SelectObject(dc, GetStockObject(DC_PEN));
        previousColour = r.setDCPenColor(dc, colour);
    } else {
        pen = CreatePen(PS_SOLID, 0, colour);
        // Without a pen of its colour the outline would come out in the
        // DC's own: it is left out.
        if (!pen) return;
        previousPen = SelectObject(dc, pen);
    }
    for (const OutlineLine &line : lines) {
        MoveToEx(dc, line.x1, line.y1, NULL);
        LineTo(dc, line.x2, line.y2);
    }
    if (r.setDCPenColor) r.setDCPenColor(dc, previousColour);
    SelectObject(dc, previousPen);
    if (pen) DeleteObject(pen);
}

int paintGradientTitle(const PaintRecord &p, HDC dc, const CaptionLayout &l, RECT *copied)
{
    const PaintView &v = p.view;
    HWND owner = p.window;
    const DWORD style = p.style;
    const DWORD exStyle = p.exStyle;
    const int state = p.state;
    if (!captionIsDrawn(style, exStyle)) return 0;

    CaptionArea area = {l.left, l.top, l.right, l.bottom, l.buttonsRight};
    // Only a modal-frame dialog's correction asks whether the icon shows.
    const int showsIcon = (style & DS_MODALFRAME) ? p.showsIcon : 0;
    const DWORD corrected = gradientEdgeCorrection(style, exStyle, v.resources->edgeWidth, showsIcon, &area);
    if (corrected != exStyle) SetWindowLongA(owner, GWL_EXSTYLE, corrected);
    const GradientStrip strip = gradientStrip(area);

    const SharedResourcesRecord &r = *v.resources;
    const SettingsRecord &s = *v.settings;
    int bands = s.gradientSteps;
    BandColour colour, step;
    COLORREF textColour;
    // Only state 0 asks who has the foreground, a round trip to the server.
    if (captionIsActive(state, state == 0 && GetForegroundWindow() == owner)) {
        colour = {(float)r.activeCaptionR, (float)r.activeCaptionG, (float)r.activeCaptionB};
        step = {r.activeStepR, r.activeStepG, r.activeStepB};
        textColour = GetSysColor(COLOR_CAPTIONTEXT);
    } else {
        if (s.solidInactiveCaption == 1) bands = 1;
        colour = {(float)r.inactiveCaptionR, (float)r.inactiveCaptionG, (float)r.inactiveCaptionB};
        step = {r.inactiveStepR, r.inactiveStepG, r.inactiveStepB};
        textColour = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    }

    // After the system's frame painting around the strip: its boxes and the
    // caption colour around them are drawn again, the outline with them.
    // The strip stays as it is: where the outline's lines cross it (a tool
    // window's small boxes), the strip covers them when both are drawn.
    if (p.outlineOnly) {
        if (s.mirroredGradient != 0) return 0;
        const int saved = SaveDC(dc);
        if (strip.width > 0 && strip.height > 1)
            ExcludeClipRect(dc, area.left, area.top, area.left + strip.width, area.top + strip.height - 1);
        drawButtonOutline(r, dc, area,
                          outlineColour(r, colourAfterSteps(colour, step, bands, bands, s.mirroredGradient), bands));
        if (saved) RestoreDC(dc, saved);
        return 0;
    }

    // A window too narrow for a title strip gets no strip: a negative width
    // would turn the copy into a mirrored one over the icon and frame.
    const int composed = strip.width > 0 && strip.height > 1;
    // A mirrored window's title area, computed left to right, lands on the
    // icon's side, as the system's caption does; its strip is composed as
    // the screen shows it (first band and title at the right, beside the
    // icon) and copied keeping its orientation.
    const int mirroredDC = mirroredWindowDC(dc, exStyle);
    COLORREF outline;
    StripEntry *kept = NULL;
    if (composed) {
        WindowText title;
        readCaptionTitle(owner, &title);
        StripLook look;
        memset(&look, 0, sizeof look);
        look.width = strip.width;
        look.height = strip.height;
        look.bands = bands;
        look.mirrored = s.mirroredGradient;
        look.centred = s.centerCaptionText;
        look.split = s.splitTitleFonts;
        look.startR = colour.r, look.startG = colour.g, look.startB = colour.b;
        look.stepR = step.r, look.stepG = step.g, look.stepB = step.b;
        look.textColour = textColour;
        // A tool window's small caption takes the caption font at the small
        // caption font's height where the caption font is larger.
        const int toolFonts = (exStyle & WS_EX_TOOLWINDOW) && r.toolCaptionFont;
        look.font = toolFonts ? r.toolCaptionFont : r.captionFont;
        look.mediumFont = toolFonts ? (r.toolCaptionFontMedium ? r.toolCaptionFontMedium : r.toolCaptionFont)
                                    : r.captionFontMedium;
        look.fromRight = mirroredDC;
        look.rtlReading = (exStyle & WS_EX_RTLREADING) != 0;
        // This paint's own until it is given back on the one way out below,
        // after the copy; no lock is held meanwhile.
        kept = findStrip(owner, look, title);
        if (!kept) {
            // Where GDI has no handle left for the strip, the caption stays
            // as the system drew it: a memory DC without its bitmap, or with
            // bands missing, would be copied over the caption as a black bar.
            kept = claimStrip(owner, look, title);
            if (!kept || !paintBands(v, kept->memory, strip.width, strip.height, bands, &colour, step, look.fromRight)) {
                if (kept) dropStrip(kept);
                return 0;
            }
            drawTitle(v, kept->memory, title, strip.width, strip.height, textColour, look.fromRight, look.rtlReading,
                      look.font, look.mediumFont);
            kept->outline = outlineColour(r, colour, bands);
        }
        outline = kept->outline;
    } else {
        outline = outlineColour(r, colourAfterSteps(colour, step, bands, bands, s.mirroredGradient), bands);
    }

    if (s.mirroredGradient == 0) drawButtonOutline(r, dc, area, outline);

    if (composed) {
        // The strip's last row is not copied: it is the caption's bottom
        // edge, which stays as the system drew it.
        const DWORD copy = mirroredDC ? SRCCOPY | NOMIRRORBITMAP : SRCCOPY;
        const BOOL shown = BitBlt(dc, area.left, area.top, strip.width, strip.height - 1, kept->memory, 0, 0, copy);
        InterlockedIncrement(&stripCopies);
        giveBackStrip(kept);
        if (shown && copied) SetRect(copied, area.left, area.top, area.left + strip.width, area.top + strip.height - 1);
        return shown ? 1 : 0;
    }
    return 0;
}

int GradientCaptionPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight, int state,
                           RECT *copied)
{
    const CaptionLayout l = {left, top, right, bottom, buttonsRight, 0};
    return paintTitleOfDC(paintGradientTitle, window, dc, l, state, copied);
}
