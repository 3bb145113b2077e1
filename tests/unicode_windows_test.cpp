// Unicode windows under varnel.dll's exported hooks, loaded as the system
// loads them: a window that was Unicode stays Unicode through creation,
// subclassing, its messages and the library's unload, and no character of
// its text is squeezed through the ANSI code page on the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pixels.h"
#include "support/prefix_engine_folder.h"
#include "support/settings_file.h"
#include "support/test_folder.h"
#include "support/test_windows.h"
#include "tools/gallery/dialog_template.h"

namespace {

// Japanese, Cyrillic and a check mark: none of them is in the Western ANSI
// code page of the test prefix, where each would become "?".
const wchar_t unicodeTitle[] = L"\u65E5\u672C\u8A9E \u0436 \u2713";
const wchar_t sunCharacter = 0x65E5;

// What the class procedure of the test's Unicode windows last received.
struct Received {
    WPARAM character;
    std::wstring text;
};
Received received;

LRESULT CALLBACK unicodeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR) received.character = wParam;
    if (message == WM_SETTEXT && lParam) received.text = (const wchar_t *)lParam;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK unicodeFrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND client = GetWindow(window, GW_CHILD);
    return DefFrameProcW(window, client, message, wParam, lParam);
}

LRESULT CALLBACK unicodeChildProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR) received.character = wParam;
    return DefMDIChildProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK dialogProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void registerUnicodeClass(const wchar_t *name, WNDPROC procedure)
{
    const WNDCLASSW c = {0, procedure, 0, 0, GetModuleHandleW(NULL), NULL, LoadCursorW(NULL, (LPCWSTR)IDC_ARROW),
                         (HBRUSH)(COLOR_WINDOW + 1), NULL, name};
    RegisterClassW(&c);
}

std::wstring textOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

enum { editId = 101, buttonId = 102 };

class UnicodeWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerUnicodeClass(L"VarnelUnicode", unicodeProcedure);
        registerUnicodeClass(L"VarnelUnicodeFrame", unicodeFrameProcedure);
        registerUnicodeClass(L"VarnelUnicodeChild", unicodeChildProcedure);
        // Gradient captions of no bands (flat, in the caption colour) in one
        // font; the control stages, animations and the shade off.
        folder.write("vl.ini", settingsFileFor({{"listViewHotTrack", 0},
                                                {"flatToolbars", 0},
                                                {"skinButtons", 0},
                                                {"flatTabs", 0},
                                                {"gradientSteps", 0},
                                                {"animateMainWindows", 0},
                                                {"animateMenus", 0},
                                                {"skinMdiChildren", 1},
                                                {"rightClickRollUp", 0},
                                                {"skinScrollBars", 0},
                                                {"splitTitleFonts", 0}}));
        dll = LoadLibraryA(shippedFile(engineLibraryName).c_str());
        ASSERT_TRUE(dll != NULL);
        staticProc = (WNDPROC)GetProcAddress(dll, "StaticWindowProc");
        HOOKPROC before = (HOOKPROC)GetProcAddress(dll, "SpyCallWndProc2");
        HOOKPROC after = (HOOKPROC)GetProcAddress(dll, "SpyCallWndProc");
        ASSERT_TRUE(staticProc && before && after);
        beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, before, NULL, GetCurrentThreadId());
        afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, after, NULL, GetCurrentThreadId());
        ASSERT_TRUE(beforeHook && afterHook);
        findLibraryImage();
    }
    void TearDown() override
    {
        for (auto w = windows.rbegin(); w != windows.rend(); ++w)
            if (IsWindow(*w)) DestroyWindow(*w);
        unload();
    }
    void unload()
    {
        if (beforeHook) UnhookWindowsHookEx(beforeHook);
        if (afterHook) UnhookWindowsHookEx(afterHook);
        beforeHook = afterHook = NULL;
        if (dll) FreeLibrary(dll);
        dll = NULL;
    }
    // The library's image, where a subclassed window's procedure lies.
    void findLibraryImage()
    {
        const BYTE *base = (const BYTE *)dll;
        const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
        imageStart = (ULONG_PTR)base;
        imageEnd = imageStart + nt->OptionalHeader.SizeOfImage;
    }
    bool procedureInLibrary(HWND window)
    {
        const ULONG_PTR p = (ULONG_PTR)GetWindowLongPtrW(window, GWLP_WNDPROC);
        return p >= imageStart && p < imageEnd;
    }
    HWND keep(HWND window)
    {
        if (window) windows.push_back(window);
        return window;
    }
    HWND createTopLevel()
    {
        return keep(CreateWindowExW(0, L"VarnelUnicode", L"Start", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 500,
                                    200, NULL, NULL, GetModuleHandleW(NULL), NULL));
    }
    // An edit control and a push button.
    HWND createDialog()
    {
        DialogTemplate t;
        beginDialogTemplate(&t, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 10, 10, 200, 80, "Dialog", 8,
                            "MS Shell Dlg");
        addDialogItem(&t, editAtom, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 8, 8, 120, 14, editId, "");
        addDialogItem(&t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, 8, 30, 60, 14, buttonId, "OK");
        return keep(CreateDialogIndirectParamW(GetModuleHandleW(NULL), dialogTemplateData(t), NULL, dialogProcedure,
                                               0));
    }

    CurrentTestFolder emptyCurrentDirectory{"unicode-cwd"};
    PrefixEngineFolder folder;
    HMODULE dll = NULL;
    WNDPROC staticProc = NULL;
    HHOOK beforeHook = NULL, afterHook = NULL;
    ULONG_PTR imageStart = 0, imageEnd = 0;
    std::vector<HWND> windows;
};

}  // namespace

TEST_F(UnicodeWindows, TopLevelWindowStaysUnicodeAndKeepsItsTitle)
{
    HWND w = createTopLevel();
    ASSERT_TRUE(w != NULL);
    EXPECT_TRUE(procedureInLibrary(w)) << "subclassed by the engine";
    EXPECT_TRUE(IsWindowUnicode(w));

    received = {};
    ASSERT_TRUE(SetWindowTextW(w, unicodeTitle));
    EXPECT_EQ(std::wstring(unicodeTitle), received.text) << "the own procedure got the text as it was sent";
    EXPECT_EQ(std::wstring(unicodeTitle), textOf(w));
    SendMessageW(w, WM_CHAR, sunCharacter, 1);
    EXPECT_EQ((WPARAM)sunCharacter, received.character);

    // ANSI senders still reach it, converted once by the system.
    SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Plain");
    EXPECT_EQ(std::wstring(L"Plain"), textOf(w));
    EXPECT_TRUE(IsWindowUnicode(w));
}

TEST_F(UnicodeWindows, EditAndButtonOfADialogStayUnicode)
{
    HWND dialog = createDialog();
    ASSERT_TRUE(dialog != NULL);
    HWND edit = GetDlgItem(dialog, editId), button = GetDlgItem(dialog, buttonId);
    ASSERT_TRUE(edit && button);
    for (HWND w : {dialog, edit, button}) {
        EXPECT_TRUE(procedureInLibrary(w)) << "subclassed by the engine";
        EXPECT_TRUE(IsWindowUnicode(w));
    }

    SendMessageW(edit, WM_CHAR, sunCharacter, 1);
    SendMessageW(edit, WM_CHAR, 0x0436, 1);
    EXPECT_EQ(std::wstring(L"\u65E5\u0436"), textOf(edit)) << "typed characters reach the edit unchanged";

    ASSERT_TRUE(SetWindowTextW(button, unicodeTitle));
    EXPECT_EQ(std::wstring(unicodeTitle), textOf(button));
    ASSERT_TRUE(SetWindowTextW(dialog, unicodeTitle));
    EXPECT_EQ(std::wstring(unicodeTitle), textOf(dialog));
}

TEST_F(UnicodeWindows, MdiChildStaysUnicode)
{
    HWND frame = keep(CreateWindowExW(0, L"VarnelUnicodeFrame", L"Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30,
                                      500, 400, NULL, NULL, GetModuleHandleW(NULL), NULL));
    ASSERT_TRUE(frame != NULL);
    CLIENTCREATESTRUCT clientInfo = {NULL, 1000};
    HWND client = CreateWindowExW(0, L"MDICLIENT", NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 480, 350,
                                  frame, NULL, GetModuleHandleW(NULL), &clientInfo);
    ASSERT_TRUE(client != NULL);
    MDICREATESTRUCTW child = {L"VarnelUnicodeChild", unicodeTitle, GetModuleHandleW(NULL), 10, 10, 250, 150,
                              WS_OVERLAPPEDWINDOW, 0};
    HWND mdiChild = (HWND)SendMessageW(client, WM_MDICREATE, 0, (LPARAM)&child);
    ASSERT_TRUE(mdiChild != NULL);
    EXPECT_TRUE(procedureInLibrary(mdiChild)) << "subclassed by the engine";
    EXPECT_TRUE(IsWindowUnicode(mdiChild));
    EXPECT_EQ(std::wstring(unicodeTitle), textOf(mdiChild));
    received = {};
    SendMessageW(mdiChild, WM_CHAR, sunCharacter, 1);
    EXPECT_EQ((WPARAM)sunCharacter, received.character);
}

TEST_F(UnicodeWindows, UnloadGivesUnicodeWindowsTheirOwnProceduresBackAsUnicode)
{
    HWND w = createTopLevel();
    HWND dialog = createDialog();
    ASSERT_TRUE(w && dialog);
    HWND edit = GetDlgItem(dialog, editId);
    ASSERT_TRUE(procedureInLibrary(w) && procedureInLibrary(edit));
    SetWindowTextW(w, unicodeTitle);

    unload();
    ASSERT_TRUE(GetModuleHandleA(engineLibraryName) == NULL) << "the library is gone";
    EXPECT_EQ((LONG_PTR)unicodeProcedure, GetWindowLongPtrW(w, GWLP_WNDPROC));
    for (HWND each : {w, dialog, edit}) EXPECT_TRUE(IsWindowUnicode(each));
    EXPECT_EQ(std::wstring(unicodeTitle), textOf(w));
    SendMessageW(edit, WM_CHAR, sunCharacter, 1);
    EXPECT_EQ(std::wstring(L"\u65E5"), textOf(edit));
}

TEST_F(UnicodeWindows, AnsiWindowsStillGetTheExportedProcedure)
{
    HWND w = keep(createTestWindow(WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(w != NULL);
    EXPECT_FALSE(IsWindowUnicode(w));
    EXPECT_EQ((LONG_PTR)staticProc, GetWindowLongPtrA(w, GWLP_WNDPROC));
}

// The title area of a captioned, thick-framed window: what the engine's
// caption repaint gives the gradient painter.
TEST_F(UnicodeWindows, SkinnedCaptionShowsTheGlyphsOfTheTitle)
{
    HWND w = createTopLevel();
    ASSERT_TRUE(w != NULL);
    SetWindowTextW(w, unicodeTitle);
    pumpMessages();
    SendMessageW(w, WM_NCPAINT, 1, 0);

    RECT r;
    GetWindowRect(w, &r);
    const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
    const int left = frameX + 2 + GetSystemMetrics(SM_CXSMICON);
    const int right = (r.right - r.left) - frameX - 3 * GetSystemMetrics(SM_CXSIZE);
    const int height = GetSystemMetrics(SM_CYCAPTION) + 3 - frameY;  // rows copied to the window
    const int width = right + 1 - left;
    WindowPixels shown(w);
    const COLORREF background = shown.at(left + 1, frameY + 1);
    const bool active = background == plainColour(GetSysColor(COLOR_ACTIVECAPTION));
    ASSERT_TRUE(active || background == plainColour(GetSysColor(COLOR_INACTIVECAPTION)))
        << "a flat caption in a caption colour";

    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = 340;  // without the field later systems added
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
    const COLORREF textColour = GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    auto drawn = [&](bool wide) {
        return drawnStrip(w, width, height, background, textColour, font, [&](HDC memory) {
            RECT text = {3, 0, width, height};
            const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
            if (wide)
                DrawTextW(memory, unicodeTitle, -1, &text, format);
            else
                DrawTextA(memory, "??? ? ?", -1, &text, format);
        });
    };
    std::vector<COLORREF> strip;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) strip.push_back(shown.at(left + x, frameY + y));
    auto differences = [&](const std::vector<COLORREF> &expected) {
        int n = 0;
        for (size_t i = 0; i < strip.size(); i++) n += strip[i] != expected[i];
        return n;
    };
    EXPECT_EQ(0, differences(drawn(true))) << "the title drawn as Unicode in the caption font";
    EXPECT_GT(differences(drawn(false)), 0) << "the comparison tells question marks apart";
    DeleteObject(font);
}
