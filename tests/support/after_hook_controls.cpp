#include "support/after_hook_controls.h"

#include <stdio.h>
#include <string.h>

#include <commctrl.h>

#include "hooks/hooks.h"
#include "support/engine_hooks.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

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
    // Flags that default off are switched on by any value but 1.
    return settingsFileText({{23, 0}, {25, 0}, {36, 0}});
}

void AfterHookControlsTest::prepareFolder(const TestFolder &folder) { (void)folder; }

void AfterHookControlsTest::SetUp()
{
    loadCommonControls();
    folder.reset(new TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    folder->write("\\varnels\\vl.ini", settingsText());
    prepareFolder(*folder);
    ASSERT_TRUE(attachEngine(*folder));
    quietOtherStages();
    clearMessageLog();
    afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, SpyCallWndProc, NULL, GetCurrentThreadId());
    ASSERT_TRUE(afterHook != NULL);
}

void AfterHookControlsTest::TearDown()
{
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        if (IsWindow(*w)) DestroyWindow(*w);
    windows.clear();
    if (afterHook) UnhookWindowsHookEx(afterHook);
    afterHook = NULL;
    removeRecordingHooks();
    pumpMessages();
    detachEngine();
    folder.reset();
}

HWND AfterHookControlsTest::track(HWND window)
{
    if (window) windows.push_back(window);
    return window;
}

HWND AfterHookControlsTest::createParent(const char *className, int w, int h)
{
    HWND parent = track(CreateWindowExA(0, className ? className : recordingClass(), "Parent",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, w, h, NULL, NULL,
                                        GetModuleHandleA(NULL), NULL));
    pumpMessages();
    return parent;
}

HWND AfterHookControlsTest::createChild(const char *className, DWORD style, HWND parent, int x, int y, int w,
                                        int h)
{
    return track(CreateWindowExA(0, className, "", style | WS_CHILD | WS_VISIBLE, x, y, w, h, parent, NULL,
                                 GetModuleHandleA(NULL), NULL));
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
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC screen = GetDC(NULL);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    bits_ = (DWORD *)bits;
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

