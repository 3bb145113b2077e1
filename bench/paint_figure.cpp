// Figure 3: one gradient caption repaint against the system's own
// non-client paint of the same window, and where the repaint's time goes.
#include <stdio.h>

#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"
#include "caption/caption_icon.h"
#include "caption/caption_layout.h"
#include "caption/caption_repaint.h"
#include "caption/strip_cache.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"

struct PaintFigure {
    HWND window;
    LONG style;
    int count;
};

static double systemPaintBatch(void *context)
{
    PaintFigure *f = (PaintFigure *)context;
    double start = nowSeconds();
    for (int i = 0; i < f->count; i++) DefWindowProcA(f->window, WM_NCPAINT, 1, 0);
    GdiFlush();
    return (nowSeconds() - start) / f->count * 1e6;
}

static double engineRepaintBatch(void *context)
{
    PaintFigure *f = (PaintFigure *)context;
    double start = nowSeconds();
    for (int i = 0; i < f->count; i++) repaintCaption(f->window, f->style, stateByForeground);
    GdiFlush();
    return (nowSeconds() - start) / f->count * 1e6;
}

// Every repaint composes its strip afresh, as a repaint after a change does:
// the kept strips are given up before each.
static double engineComposingBatch(void *context)
{
    PaintFigure *f = (PaintFigure *)context;
    double start = nowSeconds();
    for (int i = 0; i < f->count; i++) {
        freeStripCache();
        repaintCaption(f->window, f->style, stateByForeground);
    }
    GdiFlush();
    return (nowSeconds() - start) / f->count * 1e6;
}

// Pixels along the middle row of the title area that the engine's repaint
// changes after the system's paint: a repaint that draws nothing would
// otherwise look very fast.
static int changedTitlePixels(PaintFigure *f, const CaptionLayout &l, int *sampled)
{
    const int samples = 64, y = (l.top + l.bottom) / 2;
    COLORREF before[samples];
    DefWindowProcA(f->window, WM_NCPAINT, 1, 0);
    GdiFlush();
    HDC dc = GetWindowDC(f->window);
    for (int i = 0; i < samples; i++) before[i] = GetPixel(dc, l.left + (l.right - l.left) * i / samples, y);
    repaintCaption(f->window, f->style, stateByForeground);
    GdiFlush();
    int changed = 0;
    for (int i = 0; i < samples; i++)
        if (GetPixel(dc, l.left + (l.right - l.left) * i / samples, y) != before[i]) changed++;
    ReleaseDC(f->window, dc);
    *sampled = samples;
    return changed;
}

// The painter's parts, timed one at a time with the same calls and sizes:
// what a repaint that composes a new strip does.
typedef void (*PaintPart)(PaintFigure *f, HDC dc, int width, int height);

static void partWindowDC(PaintFigure *f, HDC, int, int) { ReleaseDC(f->window, GetWindowDC(f->window)); }

static void partTitle(PaintFigure *f, HDC, int, int)
{
    char title[253];
    GetWindowTextA(f->window, title, sizeof title);
}

static void partForeground(PaintFigure *, HDC, int, int) { GetForegroundWindow(); }

static void partStripBitmap(PaintFigure *, HDC dc, int width, int height)
{
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = createStripBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

static HDC partMemory;

static void partBands(PaintFigure *, HDC, int width, int height)
{
    const int bands = Settings.gradientSteps;
    HGDIOBJ old = SelectObject(partMemory, GetStockObject(DC_BRUSH));
    for (int band = 0; band < bands; band++) {
        SetDCBrushColor(partMemory, RGB(band, 0, 0));
        const int left = width * band / bands;
        PatBlt(partMemory, left, 0, width * (band + 1) / bands + 1 - left, height, PATCOPY);
    }
    SelectObject(partMemory, old);
}

static void partText(PaintFigure *, HDC, int width, int height)
{
    RECT text = {4, 0, width, height - 1};
    SelectObject(partMemory, SharedResources.captionFont);
    SetBkMode(partMemory, TRANSPARENT);
    DrawTextA(partMemory, "Varnel benchmark", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

static void partCopy(PaintFigure *, HDC dc, int width, int height)
{
    BitBlt(dc, 30, 5, width, height - 1, partMemory, 0, 0, SRCCOPY);
}

static void partOutline(PaintFigure *, HDC dc, int width, int height)
{
    HGDIOBJ old = SelectObject(dc, GetStockObject(DC_PEN));
    const COLORREF previous = SetDCPenColor(dc, RGB(0, 0, 0));
    for (int line = 0; line < 4; line++) {
        MoveToEx(dc, width + 40 + line, 5, NULL);
        LineTo(dc, width + 40 + line, 5 + height);
    }
    SetDCPenColor(dc, previous);
    SelectObject(dc, old);
}

// Calls a repaint could make instead: the title without WM_GETTEXT, and the
// memory DC alone.
static void partTitleWithoutMessage(PaintFigure *f, HDC, int, int)
{
    WCHAR title[253];
    InternalGetWindowText(f->window, title, 253);
}

static void partCompatibleDC(PaintFigure *, HDC dc, int, int) { DeleteDC(CreateCompatibleDC(dc)); }

static double timePart(PaintFigure *f, PaintPart part, HDC dc, int width, int height)
{
    return timeCalls(f->count, [&] {
        part(f, dc, width, height);
        GdiFlush();
    });
}

static void profileRepaint(PaintFigure *f, const CaptionLayout &l)
{
    const int width = l.right - l.left, height = l.bottom - l.top;
    HDC dc = GetWindowDC(f->window);
    partMemory = CreateCompatibleDC(dc);
    HBITMAP bitmap = createStripBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(partMemory, bitmap);
    struct {
        const char *name;
        PaintPart part;
    } parts[] = {
        {"GetWindowDC + ReleaseDC", partWindowDC},
        {"GetWindowTextA (WM_GETTEXT through the hooks and StaticWindowProc)", partTitle},
        {"GetForegroundWindow", partForeground},
        {"memory DC and 32-bit DIB section, made and deleted", partStripBitmap},
        {"bands: DC brush and PatBlt", partBands},
        {"DrawTextA of the title", partText},
        {"BitBlt of the strip", partCopy},
        {"button outline: DC pen, 4 lines on the window DC", partOutline},
    };
    std::string text;
    for (auto &p : parts)
        text += formatted("%s%s %.1f us", text.empty() ? "" : "; ", p.name, timePart(f, p.part, dc, width, height));
    detail("- 3. the repaint's parts, timed alone for a %dx%d strip of %d bands: %s", width, height,
           Settings.gradientSteps, text.c_str());
    detail("- 3. other calls: the title by InternalGetWindowText (no WM_GETTEXT, so no hooks) %.1f us; the memory "
           "DC alone %.1f us",
           timePart(f, partTitleWithoutMessage, dc, width, height), timePart(f, partCompatibleDC, dc, width, height));
    SelectObject(partMemory, old);
    DeleteObject(bitmap);
    DeleteDC(partMemory);
    ReleaseDC(f->window, dc);
}

int runPaintFigure()
{
    installHooks(linkedEngineHooks());
    PaintFigure f;
    f.window = createTargetWindow("Varnel benchmark - caption repaint", 40, 40, 600, 400, true);
    f.style = GetWindowLongA(f.window, GWL_STYLE);
    f.count = 4;
    // State 0 leaves active or inactive to the foreground window, and an
    // inactive caption is one solid band: make the 32 bands the ones measured.
    SetForegroundWindow(f.window);
    pumpMessages();
    const bool active = GetForegroundWindow() == f.window;
    RECT r;
    GetWindowRect(f.window, &r);
    const LONG exStyle = GetWindowLongA(f.window, GWL_EXSTYLE);
    const CaptionLayout l = captionLayout(f.style, exStyle, r.right - r.left, sharedCaptionMetrics(),
                                          windowCaptionShowsIcon(f.window, f.style, exStyle));
    int sampled = 0;
    const int changed = changedTitlePixels(&f, l, &sampled);

    const bool valid = changed > 0 && active && Settings.gradientSteps == 32;
    PairResult kept = runInterleaved(systemPaintBatch, engineRepaintBatch, &f, benchRounds(21));
    printRow(formatted("3. gradient caption repaint, %d bands, 600x400 window, the strip kept from the last paint: "
                       "repaintCaption vs DefWindowProcA WM_NCPAINT",
                       Settings.gradientSteps)
                 .c_str(),
             formatted("%.1f us", kept.medianA), formatted("%.1f us", kept.medianB),
             formatted("%.3fx", kept.medianRatio), "<= 0.12x", verdict(kept.medianRatio <= 0.12 && valid));
    detailRounds("3. caption repaint from the kept strip, us per paint", kept);
    PairResult fresh = runInterleaved(systemPaintBatch, engineComposingBatch, &f, benchRounds(21));
    printRow(formatted("3b. the same repaint composing its strip afresh (%d bands)", Settings.gradientSteps).c_str(),
             formatted("%.1f us", fresh.medianA), formatted("%.1f us", fresh.medianB),
             formatted("%.3fx", fresh.medianRatio), "<= 0.35x", verdict(fresh.medianRatio <= 0.35 && valid));
    detailRounds("3b. caption repaint composing afresh, us per paint", fresh);
    detail("- 3. the kept strips hold %d bytes of bitmap in this process now (at most %d strips)",
           stripCacheBytes(), (int)stripCacheEntries);
    detail("- 3. the engine linked into bench.exe, its hooks installed on the thread (the window is subclassed); "
           "window active (foreground): %s; title area %d,%d-%d,%d; %d of %d sampled title pixels changed by the "
           "engine's repaint",
           active ? "yes" : "NO", l.left, l.top, l.right, l.bottom, changed, sampled);
    profileRepaint(&f, l);
    // Destroyed with the hooks in place, so the window leaves the table.
    DestroyWindow(f.window);
    removeHooks();
    return 0;
}
