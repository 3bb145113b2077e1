// The caption preview: the engine's painters in this process, fed with the
// settings being edited.
#include "tools/settings/caption_preview.h"

#include <string.h>

#include "caption/caption_painters.h"
#include "caption/caption_repaint.h"
#include "caption/strip_cache.h"
#include "engine/engine_files.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/skin_pixels.h"
#include "engine/system_look.h"
#include "tools/settings/settings_edit.h"

// Window extra bytes: 1 for the active caption, 0 for the inactive one.
// Whether the caption is the active one; the values it shows (NULL:
// SettingsEdit's).
enum { previewActiveIndex = 0, previewValuesIndex = sizeof(LONG), previewExtraBytes = sizeof(LONG) + sizeof(LONG_PTR) };
// The client area under the caption, in pixels.
enum { previewBodyHeight = 14 };

// The caption-box bitmaps of the striped look, from the engine folder.
static const struct {
    SkinBitmap SharedResourcesRecord::*bitmap;
    const char *suffix;
} boxBitmaps[] = {
    {&SharedResourcesRecord::macCloseBitmap, closeBoxBitmapSuffix},
    {&SharedResourcesRecord::macMaxBitmap, zoomBoxBitmapSuffix},
    {&SharedResourcesRecord::macMinBitmap, minimiseBoxBitmapSuffix},
    {&SharedResourcesRecord::macMaxDownBitmap, zoomBoxDisabledBitmapSuffix},
    {&SharedResourcesRecord::macMinDownBitmap, minimiseBoxDisabledBitmapSuffix},
};

static void preparePainters()
{
    SharedResourcesRecord &r = SharedResources;
    memset(&r, 0, sizeof r);
    readMetrics();
    r.nullBrush = (HBRUSH)GetStockObject(NULL_BRUSH);
    findNewerDCFunctions();
    createCaptionFonts();
    char windows[250], path[300];
    GetWindowsDirectoryA(windows, sizeof windows);
    for (const auto &box : boxBitmaps) {
        SkinBitmap &b = r.*box.bitmap;
        engineFilePath(path, sizeof path, windows, box.suffix);
        b.handle = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        if (b.handle) {
            GetObjectA(b.handle, sizeof b.info, &b.info);
            makeSkinPixels(&b, pixelsAsTheyAre);
        }
    }
}

static void deleteCaptionFonts() { freeCaptionFonts(); }

// A caption font or size changed in Display properties shows at the next
// paint (the sheet repaints the previews when the system tells it). The
// previews paint in this thread only, so the old fonts can go at once.
static void followNonClientMetrics()
{
    if (!nonClientMetricsChanged()) return;
    freeStripCache();
    deleteCaptionFonts();
    readMetrics();
    createCaptionFonts();
}

void usePreviewSettings(const int *values)
{
    resetSettings(&Settings);
    applySettingsValues(values ? values : SettingsEdit.values, &Settings);
    // The plug-in's look is the plug-in's own: the preview shows the
    // engine's painters, as a program without vlplug.ini gets them.
    Settings.usePlugin = 0;
    readCaptionColours();
}

CaptionLayout captionPreviewLayout(HWND preview)
{
    RECT r;
    GetClientRect(preview, &r);
    // The preview's caption is drawn with its icon (DrawCaption, DC_ICON).
    return captionLayout(previewedStyle, WS_EX_WINDOWEDGE, r.right - r.left, sharedCaptionMetrics(),
                         captionShowsIcon(previewedStyle, WS_EX_WINDOWEDGE, 1));
}

// What the system draws for such a window: frame, caption, its three
// buttons and the client area. With paintCaptions off this is all there is.
static void drawSystemWindow(HWND preview, HDC dc, const RECT &all, bool active)
{
    const SharedResourcesRecord &m = SharedResources;
    FillRect(dc, &all, GetSysColorBrush(active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER));
    RECT frame = all;
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT);
    RECT caption = {m.frameWidth, m.frameHeight, all.right - m.frameWidth, m.frameHeight + m.captionHeight - 1};
    DrawCaption(preview, dc, &caption, DC_ICON | DC_TEXT | (active ? DC_ACTIVE : 0));
    const int w = m.captionButtonWidth - 2, h = GetSystemMetrics(SM_CYSIZE) - 4, y = caption.top + 2;
    const int closeX = caption.right - 2 - w, maxX = closeX - 2 - w, minX = maxX - w;
    const struct {
        int x;
        UINT state;
    } buttons[] = {{closeX, DFCS_CAPTIONCLOSE}, {maxX, DFCS_CAPTIONMAX}, {minX, DFCS_CAPTIONMIN}};
    for (const auto &b : buttons) {
        RECT box = {b.x, y, b.x + w, y + h};
        DrawFrameControl(dc, &box, DFC_CAPTION, b.state);
    }
    RECT body = {m.frameWidth, caption.bottom + 1, all.right - m.frameWidth, all.bottom - m.frameHeight};
    FillRect(dc, &body, GetSysColorBrush(COLOR_WINDOW));
}

// The preview paints with a record of its own: its settings are those being
// edited, its shared objects this process's with the gradient steps worked
// out for those settings; the engine's own settings, if the engine runs in
// this process too, are left as they are.
static void paintPreview(HWND preview, HDC dc)
{
    followNonClientMetrics();
    const int *values = (const int *)GetWindowLongPtrA(preview, previewValuesIndex);
    SettingsRecord settings;
    resetSettings(&settings);
    applySettingsValues(values ? values : SettingsEdit.values, &settings);
    // The plug-in's look is the plug-in's own: the preview shows the
    // engine's painters, as a program without vlplug.ini gets them.
    settings.usePlugin = 0;
    SharedResourcesRecord resources = SharedResources;
    readCaptionColoursFor(settings, &resources);

    const bool active = GetWindowLongA(preview, previewActiveIndex) != 0;
    RECT all;
    GetClientRect(preview, &all);
    drawSystemWindow(preview, dc, all, active);
    if (settings.paintCaptions != 1) return;
    PaintRecord p;
    p.window = preview;
    p.style = GetWindowLongA(preview, GWL_STYLE);
    p.exStyle = GetWindowLongA(preview, GWL_EXSTYLE);
    p.state = active ? stateActive : stateInactive;
    p.showsIcon = captionShowsIcon(previewedStyle, WS_EX_WINDOWEDGE, 1);
    p.outlineOnly = 0;
    p.view.settings = &settings;
    p.view.resources = &resources;
    p.view.slot = -1;
    const CaptionLayout l = captionPreviewLayout(preview);
    if (settings.macButtons == 0)
        paintGradientTitle(p, dc, l, NULL);
    else
        paintStripedTitle(p, dc, l, NULL);
}

static LRESULT CALLBACK previewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCALCSIZE:
        // No non-client area: the border bits are there for the painters,
        // which draw only for windows that have one.
        return 0;
    case WM_NCPAINT: return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (dc) paintPreview(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY: forgetStrips(window); break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerCaptionPreview(HINSTANCE instance)
{
    preparePainters();
    WNDCLASSA c;
    memset(&c, 0, sizeof c);
    c.lpfnWndProc = previewProcedure;
    c.cbWndExtra = previewExtraBytes;
    c.hInstance = instance;
    c.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    // The icon the system's caption shows left of the title area.
    c.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    c.lpszClassName = captionPreviewClass;
    return RegisterClassA(&c) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void releaseCaptionPreview()
{
    SharedResourcesRecord &r = SharedResources;
    freeStripCache();
    deleteCaptionFonts();
    for (const auto &box : boxBitmaps) {
        SkinBitmap &b = r.*box.bitmap;
        if (b.handle) DeleteObject(b.handle);
        memset(&b, 0, sizeof b);
    }
}

HWND createCaptionPreview(HWND parent, int id, int x, int y, int width, bool active)
{
    const SharedResourcesRecord &m = SharedResources;
    const int height = 2 * m.frameHeight + m.captionHeight + previewBodyHeight;
    // Disabled: the box bits share their values with WS_TABSTOP and
    // WS_GROUP, and the dialog manager skips disabled windows when it tabs.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_BORDER | WS_THICKFRAME | WS_MINIMIZEBOX |
                        WS_MAXIMIZEBOX;
    HWND preview = CreateWindowExA(WS_EX_WINDOWEDGE, captionPreviewClass,
                                   active ? "Active window - preview" : "Inactive window - preview", style, x, y,
                                   width, height, parent, (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    if (preview) SetWindowLongA(preview, previewActiveIndex, active ? 1 : 0);
    return preview;
}

void setCaptionPreviewValues(HWND preview, const int *values)
{
    SetWindowLongPtrA(preview, previewValuesIndex, (LONG_PTR)values);
    InvalidateRect(preview, NULL, FALSE);
}
