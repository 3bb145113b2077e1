#include "support/after_hook_controls.h"

#include <stdio.h>
#include <string.h>

#include <commctrl.h>

#include "hooks/hooks.h"
#include "support/engine_hooks.h"
#include "support/pixels.h"
#include "support/settings_file.h"

void loadCommonControls()
{
    typedef BOOL(WINAPI * InitProc)(const INITCOMMONCONTROLSEX *);
    static HMODULE comctl = LoadLibraryA("comctl32.dll");
    InitProc init = comctl ? (InitProc)GetProcAddress(comctl, "InitCommonControlsEx") : NULL;
    if (!init) return;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                                ICC_PAGESCROLLER_CLASS | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    init(&icc);
}

std::string AfterHookControlsTest::settingsText()
{
    return settingsFileFor({{"tileBackgrounds", 1}, {"folderBackground", 1}, {"mdiBackground", 1}});
}

void AfterHookControlsTest::SetUp()
{
    loadCommonControls();
    EngineTest::SetUp();
    quietOtherStages();
}

LRESULT AfterHookControlsTest::callAfterHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWPRETSTRUCT m = {};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return SpyCallWndProc(HC_ACTION, 0, (LPARAM)&m);
}

Canvas::Canvas(int w, int h, COLORREF colour) : w_(w), h_(h)
{
    HDC screen = GetDC(NULL);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    bitmap_ = createPixelSection(dc_, w, h, &bits_);
    previous_ = SelectObject(dc_, bitmap_);
    fill(colour);
}

Canvas::~Canvas()
{
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void Canvas::fill(COLORREF colour)
{
    GdiFlush();
    DWORD v = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; i < w_ * h_; i++) bits_[i] = v;
}

COLORREF Canvas::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
    GdiFlush();
    DWORD v = bits_[(size_t)y * w_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

static unsigned readLE(const unsigned char *p, int n)
{
    unsigned v = 0;
    for (int i = n - 1; i >= 0; i--) v = (v << 8) | p[i];
    return v;
}

BitmapFile readBitmapFile(const std::string &path)
{
    BitmapFile out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return out;
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return out;
    unsigned offset = readLE(&bytes[10], 4);
    int w = (int)readLE(&bytes[18], 4), h = (int)readLE(&bytes[22], 4);
    int bitCount = (int)readLE(&bytes[28], 2), compression = (int)readLE(&bytes[30], 4);
    out.bitCount = bitCount;
    if (bitCount != 24 || compression != 0 || w <= 0 || h <= 0) return out;
    size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
    if (offset + stride * h > bytes.size()) return out;
    out.width = w;
    out.height = h;
    out.pixels.resize((size_t)w * h);
    for (int y = 0; y < h; y++) {
        const unsigned char *row = &bytes[offset + stride * (h - 1 - y)];
        for (int x = 0; x < w; x++) out.pixels[(size_t)y * w + x] = RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    }
    return out;
}

