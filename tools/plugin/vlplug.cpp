// The sample caption plug-in. It paints a caption of its own: a flat bar in
// the system's caption colour with a lighter line along its top and the title
// in the caption font. When the environment variable VARNEL_PLUGIN_LOG names
// a file, every call it receives is appended to that file, one line each, so
// the calling order and the exact values can be checked.
#include <windows.h>

// Windows 95 refuses to LoadLibrary a DLL that has a TLS directory (Microsoft
// KB118816). MinGW-w64's DLL start-up code links its TLS support, and with it
// the directory, only through its reference to this callback pointer; the
// plug-in keeps no thread-local data, so a definition that points nowhere
// leaves the directory out.
extern "C" const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = NULL;

// The size of NONCLIENTMETRICSA to ask for: the record without the
// iPaddedBorderWidth field that Vista added. SystemParametersInfoA refuses
// the larger size on XP and earlier, and every later system takes this one.
enum { nonClientMetricsSize = 340 };

static void appendToLog(const char *line)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VARNEL_PLUGIN_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, NULL);
    CloseHandle(file);
}

extern "C" void WINAPI VarnelPlugMain(int attached)
{
    char line[64];
    wsprintfA(line, "main %d\r\n", attached);
    appendToLog(line);
}

static COLORREF lighter(COLORREF c)
{
    return RGB((GetRValue(c) + 255) / 2, (GetGValue(c) + 255) / 2, (GetBValue(c) + 255) / 2);
}

// A handle in decimal, whole at either pointer size: wsprintf has no 64-bit
// conversion on the systems the 32-bit plug-in runs on.
static void formatHandle(char *out, ULONG_PTR value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    while (n) *out++ = digits[--n];
    *out = 0;
}

// The window and the DC arrive as handles of the process's own size (8 bytes
// in vlplug64.dll), the six numbers as 32-bit ints, in the same order in
// both builds.
extern "C" void WINAPI VarnelPlugTitle(HWND window, HDC dc, int left, int top, int right, int bottom,
                                       int buttonsRight, int state)
{
    char handle[24];
    formatHandle(handle, (ULONG_PTR)window);
    char line[160];
    wsprintfA(line, "title %s %d %d %d %d %d %d\r\n", handle, left, top, right, bottom, buttonsRight, state);
    appendToLog(line);

    bool active = state == 1 || (state == 0 && GetForegroundWindow() == window);
    COLORREF face = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    RECT bar = {left, top, right, bottom};
    if (bar.right <= bar.left || bar.bottom <= bar.top) return;
    HBRUSH faceBrush = CreateSolidBrush(face);
    FillRect(dc, &bar, faceBrush);
    DeleteObject(faceBrush);
    RECT accent = {left, top, right, top + 2};
    HBRUSH accentBrush = CreateSolidBrush(lighter(face));
    FillRect(dc, &accent, accentBrush);
    DeleteObject(accentBrush);

    char title[253];
    GetWindowTextA(window, title, sizeof title);
    NONCLIENTMETRICSA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    metrics.cbSize = nonClientMetricsSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, nonClientMetricsSize, &metrics, 0))
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof metrics.lfCaptionFont, &metrics.lfCaptionFont);
    HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
    HGDIOBJ oldFont = SelectObject(dc, font);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT text = {left + 4, top, right, bottom};
    DrawTextA(dc, title, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}
