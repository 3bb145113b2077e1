// Every way a skinned caption is repainted, watched as a user would see it:
// whenever the window's own procedure has ended a message, the title area is
// read from the window, and a sample that shows the system's caption colours
// where the engine's strip belongs is a flash on a desktop without
// composition. A pair of hooks around the engine's counts the strips copied
// for each message: a message that copies the strip more than once (beyond
// the copies of the messages it nests) did the same work twice.
// What is done: activation both ways, between MDI children and with their
// frame, mouse moves over the caption, title changes, WM_SETICON, style
// changes, maximise, restore and
// minimise, sizing by a border drag, and menus from the menu bar and the
// system menu. Also: the own procedure receives the same messages as an
// unskinned twin's, but for the engine's own style writes, which it never
// sees.
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <set>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

#include "caption/caption_painters.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/gradient_strip.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

struct KindTally {
    int samples = 0, systemCaption = 0;  // screen samples as the own procedure ended a message
    int unseen = 0;  // of the samples, those taken while the engine kept the window from drawing
    int messages = 0, repainted = 0;     // messages seen by the hooks, and those that copied twice or more
};
std::map<UINT, KindTally> tally;
std::set<HWND> sampled;
int sampling;
// Where the window lay minimised: the gradient look leaves a minimised
// caption to the system, and a restore clears WS_MINIMIZE a few messages
// before it moves the window, so those messages would read that caption.
RECT minimisedPlace;

// The right end of the strip as the window shows it: the engine's last band
// there (green active, magenta inactive, below), the system's gradient where
// the system drew. The window's own DC is read, not the screen's: Wine
// copies a window's drawing to the screen later, in one go, where Windows
// without composition shows every stroke at once.
bool systemCaptionShows(HWND window)
{
    if (IsIconic(window)) return false;  // a minimised window shows no strip
    RECT now;
    GetWindowRect(window, &now);
    if (EqualRect(&now, &minimisedPlace)) return false;
    const RECT s = gradientStripRect(window);
    if (s.right - s.left < 8) return false;
    HDC dc = GetWindowDC(window);
    const COLORREF c = GetPixel(dc, s.right - 2, (s.top + s.bottom) / 2) & 0xFFFFFF;
    ReleaseDC(window, dc);
    // The system's caption runs from its caption colour to its gradient
    // colour; any point of that run, in either state, is the system's.
    const int tolerance = 12, steps = 64;
    for (int pair : {0, 1}) {
        const COLORREF a = GetSysColor(pair ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION);
        const COLORREF b = GetSysColor(pair ? COLOR_GRADIENTINACTIVECAPTION : COLOR_GRADIENTACTIVECAPTION);
        for (int t = 0; t <= steps; t++) {
            const int r = GetRValue(a) + (GetRValue(b) - GetRValue(a)) * t / steps;
            const int g = GetGValue(a) + (GetGValue(b) - GetGValue(a)) * t / steps;
            const int bl = GetBValue(a) + (GetBValue(b) - GetBValue(a)) * t / steps;
            if (abs(GetRValue(c) - r) <= tolerance && abs(GetGValue(c) - g) <= tolerance &&
                abs(GetBValue(c) - bl) <= tolerance)
                return true;
        }
    }
    return false;
}

void sample(HWND window, UINT message)
{
    if (!sampling || !sampled.count(window)) return;
    KindTally &t = tally[message];
    t.samples++;
    // While the engine has taken WS_VISIBLE off, the default handling drew
    // nothing anywhere (and the window's DC would read nothing).
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)) {
        t.unseen++;
        return;
    }
    t.systemCaption += systemCaptionShows(window);
}

LRESULT CALLBACK sampledProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    sample(window, message);
    return result;
}

HWND mdiClientOf;
LRESULT CALLBACK sampledFrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefFrameProcA(window, mdiClientOf, message, wParam, lParam);
    sample(window, message);
    return result;
}

// A maximised child's title shows in its frame's caption, which the
// system rewrites while the child stores its text: the frame is sampled
// then, counted under this kind.
const UINT titleInFrame = WM_APP + 1;

LRESULT CALLBACK sampledChildProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefMDIChildProcA(window, message, wParam, lParam);
    sample(window, message);
    if (message == WM_SETTEXT && IsZoomed(window)) sample(GetParent(GetParent(window)), titleInFrame);
    return result;
}

// The strips copied during each message of a sampled window, less those of
// the messages sent while it was handled.
struct Open {
    HWND window;
    UINT message;
    LONG copiesAtStart, nested;
};
std::vector<Open> open;

void opened(HWND window, UINT message)
{
    open.push_back({window, message, stripCopies, 0});
}

void closed(HWND window, UINT message)
{
    // A message whose end no hook saw (a menu loop's windows come and go)
    // is dropped with whatever it left open; what was copied within it was
    // copied within a message nested in this one.
    size_t at = open.size();
    while (at > 0 && (open[at - 1].window != window || open[at - 1].message != message)) at--;
    if (at == 0) return;
    Open o = open[at - 1];
    if (at < open.size()) o.nested += stripCopies - open[at].copiesAtStart;
    open.resize(at - 1);
    const LONG total = stripCopies - o.copiesAtStart;
    if (!open.empty()) open.back().nested += total;
    if (!sampling || !sampled.count(window)) return;
    KindTally &t = tally[message];
    t.messages++;
    if (total - o.nested > 1) t.repainted++;

}

LRESULT CALLBACK firstBeforeHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *c = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION) opened(c->hwnd, c->message);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

LRESULT CALLBACK lastAfterHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *c = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION) closed(c->hwnd, c->message);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

const char *kindName(UINT message)
{
    switch (message) {
    case WM_NCACTIVATE: return "WM_NCACTIVATE";
    case WM_ACTIVATE: return "WM_ACTIVATE";
    case WM_NCPAINT: return "WM_NCPAINT";
    case WM_SETTEXT: return "WM_SETTEXT";
    case WM_SETICON: return "WM_SETICON";
    case WM_STYLECHANGED: return "WM_STYLECHANGED";
    case WM_WINDOWPOSCHANGED: return "WM_WINDOWPOSCHANGED";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_SIZING: return "WM_SIZING";
    case WM_SIZE: return "WM_SIZE";
    case WM_INITMENUPOPUP: return "WM_INITMENUPOPUP";
    case WM_MENUSELECT: return "WM_MENUSELECT";
    case WM_ENTERMENULOOP: return "WM_ENTERMENULOOP";
    case WM_EXITMENULOOP: return "WM_EXITMENULOOP";
    case WM_MDIACTIVATE: return "WM_MDIACTIVATE";
    case WM_CHILDACTIVATE: return "WM_CHILDACTIVATE";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_NCHITTEST: return "WM_NCHITTEST";
    case WM_SETCURSOR: return "WM_SETCURSOR";
    case WM_NCMOUSEMOVE: return "WM_NCMOUSEMOVE";
    case titleInFrame: return "title in frame";
    }
    return NULL;
}

// A menu loop entered by the test ends by itself a little later.
void CALLBACK endMenuSoon(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    EndMenu();
}

class FlickerTable : public EngineTest {
protected:
    FlickerTable() : EngineTest(bothEngineHooks) {}
    std::string settingsText() override
    {
        return markedGradientSettingsFile({{"skinMdiChildren", 1}});
    }
    void SetUp() override
    {
        EngineTest::SetUp();
        tally.clear();
        sampled.clear();
        SetRectEmpty(&minimisedPlace);
        open.clear();
        sampling = 0;
        // The after hook goes in first, so that it runs after the engine's;
        // the before hook last, so that it runs before the engine's.
        removeHooks();
        after = SetWindowsHookExA(WH_CALLWNDPROCRET, lastAfterHook, NULL, GetCurrentThreadId());
        installHooks();
        before = SetWindowsHookExA(WH_CALLWNDPROC, firstBeforeHook, NULL, GetCurrentThreadId());
    }
    void TearDown() override
    {
        sampling = 0;
        UnhookWindowsHookEx(before);
        UnhookWindowsHookEx(after);
        EngineTest::TearDown();
    }
    HWND topLevel(const char *title, int x, HMENU menu = NULL)
    {
        HWND w = track(CreateWindowExA(0, windowClass("VarnelFlickerSampled", sampledProcedure), title,
                                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 40, 420, 240, NULL, menu,
                                       GetModuleHandleA(NULL), NULL));
        pumpMessages();
        return w;
    }
    // A sampled MDI frame with its menu bar (or none) and an MDI client
    // (mdiClientOf) that lists its children in windowMenu (or nowhere).
    HWND mdiFrame(HMENU bar, HMENU windowMenu)
    {
        HWND frame = track(CreateWindowExA(0, windowClass("VarnelFlickerFrame", sampledFrameProcedure), "Frame",
                                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 40, 640, 420, NULL,
                                           bar, GetModuleHandleA(NULL), NULL));
        CLIENTCREATESTRUCT ccs = {windowMenu, 50000};
        mdiClientOf = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", NULL, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                                      0, 0, 600, 360, frame, NULL, GetModuleHandleA(NULL), &ccs);
        return frame;
    }
    // Sampling stopped, the table printed under what, and each kind of
    // message sampled at least as often as expected.
    struct Sampled {
        UINT kind;
        int atLeast;
        const char *why = "";
    };
    void endSampling(const char *what, std::initializer_list<Sampled> expected)
    {
        sampling = 0;
        report(what);
        for (const Sampled &e : expected)
            EXPECT_GE(tally[e.kind].samples, e.atLeast) << "kind 0x" << std::hex << e.kind << ": " << e.why;
    }
    void report(const char *what)
    {
        printf("%-10s %-20s %8s %7s %15s %9s %14s\n", what, "message", "samples", "unseen", "system caption",
               "messages", "copied twice+");
        for (const auto &entry : tally) {
            const char *name = kindName(entry.first);
            const KindTally &t = entry.second;
            if (!name && !t.systemCaption && !t.repainted) continue;
            char number[16];
            if (!name) snprintf(number, sizeof number, "0x%04X", entry.first);
            printf("%-10s %-20s %8d %7d %15d %9d %14d\n", what, name ? name : number, t.samples, t.unseen,
                   t.systemCaption, t.messages, t.repainted);
        }
        fflush(stdout);
    }
    int totalSystemCaption()
    {
        int n = 0;
        for (const auto &entry : tally) n += entry.second.systemCaption;
        return n;
    }
    int totalRepainted()
    {
        int n = 0;
        for (const auto &entry : tally) n += entry.second.repainted;
        return n;
    }
    HHOOK before = NULL, after = NULL;
};

// Activation, title, icon, style, size and menus of one top-level window,
// and the activation of MDI children and their frame.
TEST_F(FlickerTable, NoRepaintShowsTheSystemCaptionOrPaintsTheStripTwice)
{
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 100, "&Open");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "&File");
    HWND w = topLevel("Flicker", 40, bar), other = topLevel("Other", 480);
    ASSERT_TRUE(hasEngineProcedure(w));
    SetActiveWindow(w);
    pumpMessages();
    ASSERT_FALSE(systemCaptionShows(w)) << "the engine's strip is there to begin with";

    sampled = {w};
    sampling = 1;
    for (int i = 0; i < 3; i++) {  // activation both ways
        SetActiveWindow(other);
        pumpMessages();
        SetActiveWindow(w);
        pumpMessages();
    }
    RECT caption;  // the mouse over the caption, as a program sees it
    GetWindowRect(w, &caption);
    const LPARAM over = MAKELPARAM((caption.left + caption.right) / 2, caption.top + GetSystemMetrics(SM_CYCAPTION) / 2);
    for (int i = 0; i < 3; i++) {
        SendMessageA(w, WM_NCHITTEST, 0, over);
        SendMessageA(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
        SendMessageA(w, WM_NCMOUSEMOVE, HTCAPTION, over);
    }
    SetWindowTextA(w, "Flicker two");  // title
    SetWindowTextA(w, "Flicker");
    HICON icons[] = {LoadIconA(NULL, (LPCSTR)IDI_QUESTION), LoadIconA(NULL, (LPCSTR)IDI_WARNING)};
    for (HICON icon : icons) {  // icon
        SendMessageA(w, WM_SETICON, ICON_SMALL, (LPARAM)icon);
        pumpMessages();
    }
    const LONG style = GetWindowLongA(w, GWL_STYLE);  // style
    for (LONG s : {style & ~WS_MAXIMIZEBOX, style}) {
        SetWindowLongA(w, GWL_STYLE, s);
        SetWindowPos(w, NULL, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        pumpMessages();
    }
    for (WPARAM command : {SC_MAXIMIZE, SC_RESTORE, SC_MINIMIZE, SC_RESTORE}) {  // the caption boxes
        SendMessageA(w, WM_SYSCOMMAND, command, 0);
        pumpMessages();
        if (command == SC_MINIMIZE) GetWindowRect(w, &minimisedPlace);
    }
    SetActiveWindow(w);
    // A drag of the right border: the moves are queued first, each taking
    // the cursor position of its moment, then the sizing loop reads them.
    RECT r;
    GetWindowRect(w, &r);
    const int y = (r.top + r.bottom) / 2;
    for (int step = 1; step <= 4; step++) {
        SetCursorPos(r.right - 2 + 12 * step, y);
        PostMessageA(w, WM_MOUSEMOVE, 0, 0);
    }
    PostMessageA(w, WM_LBUTTONUP, 0, 0);
    SendMessageA(w, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, MAKELPARAM(r.right - 2, y));
    pumpMessages();
    // Menus from the bar and the system menu, each closed a little later.
    for (WPARAM key : {(WPARAM)'f', (WPARAM)' '}) {
        SetTimer(NULL, 0, 150, endMenuSoon);
        SendMessageA(w, WM_SYSCOMMAND, SC_KEYMENU, key);
        pumpMessages();
    }
    endSampling("top-level", {{WM_NCACTIVATE, 6},
                              {WM_SETTEXT, 2},
                              {WM_SETCURSOR, 3},
                              {WM_SETICON, 2},
                              {WM_STYLECHANGED, 2},
                              {WM_SYSCOMMAND, 7},
                              {WM_SIZING, 1, "the border was dragged"},
                              {WM_INITMENUPOPUP, 2, "both menus opened"}});
    EXPECT_EQ(0, totalSystemCaption());
    EXPECT_EQ(0, totalRepainted());
    EXPECT_FALSE(systemCaptionShows(w)) << "and at the end";
}

TEST_F(FlickerTable, MdiChildrenAndTheirFrameShowNoSystemCaption)
{
    // A menu bar with a Window menu, which lists the children by title.
    HMENU bar = CreateMenu(), windowMenu = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)windowMenu, "&Window");
    HWND frame = mdiFrame(bar, windowMenu);
    const char *childClass = windowClass("VarnelFlickerChild", sampledChildProcedure);
    HWND children[2];
    for (int i = 0; i < 2; i++) {
        MDICREATESTRUCTA mcs = {childClass, i ? "Second" : "First", GetModuleHandleA(NULL), 20 + 200 * i, 20,
                                260, 180, WS_OVERLAPPEDWINDOW, 0};
        children[i] = (HWND)SendMessageA(mdiClientOf, WM_MDICREATE, 0, (LPARAM)&mcs);
    }
    HWND other = topLevel("Other", 700);
    SetActiveWindow(frame);
    pumpMessages();
    ASSERT_TRUE(hasEngineProcedure(children[0]));

    sampled = {frame, children[0], children[1]};
    sampling = 1;
    for (int i = 0; i < 3; i++) {
        SendMessageA(mdiClientOf, WM_MDIACTIVATE, (WPARAM)children[i & 1], 0);  // child to child
        pumpMessages();
        SetActiveWindow(other);  // frame and active child away and back
        pumpMessages();
        SetActiveWindow(frame);
        pumpMessages();
        SetWindowTextA(children[i & 1], i & 1 ? "Second, renamed" : "First, renamed");  // a child's title
        pumpMessages();
    }
    endSampling("MDI", {{WM_NCACTIVATE, 6}, {WM_MDIACTIVATE, 2}, {WM_SETTEXT, 3}});
    // The children's titles changed unseen, and the Window menu still lists
    // each child by its new title (the system builds it from visible children).
    char item[64];
    std::vector<std::string> listed;
    for (int i = 0; i < GetMenuItemCount(windowMenu); i++)
        if (GetMenuStringA(windowMenu, i, item, sizeof item, MF_BYPOSITION) > 0) listed.push_back(item);
    for (const char *title : {"First, renamed", "Second, renamed"}) {
        bool found = false;
        for (const std::string &entry : listed) found |= entry.find(title) != std::string::npos;
        EXPECT_TRUE(found) << "the Window menu lacks " << title;
    }
    EXPECT_EQ(0, totalSystemCaption());
    EXPECT_EQ(0, totalRepainted());
}

// A maximised child's title change: the child and the frame, whose caption
// carries the child's title, show the system's caption at no moment.
TEST_F(FlickerTable, AMaximisedMdiChildsTitleChangeShowsNoSystemCaptionInTheFrame)
{
    HWND frame = mdiFrame(NULL, NULL);
    MDICREATESTRUCTA mcs = {windowClass("VarnelFlickerChild", sampledChildProcedure), "Document",
                            GetModuleHandleA(NULL), 20, 20, 260, 180, WS_OVERLAPPEDWINDOW, 0};
    HWND child = (HWND)SendMessageA(mdiClientOf, WM_MDICREATE, 0, (LPARAM)&mcs);
    SetActiveWindow(frame);
    SendMessageA(mdiClientOf, WM_MDIMAXIMIZE, (WPARAM)child, 0);
    pumpMessages();
    ASSERT_TRUE(IsZoomed(child));
    ASSERT_TRUE(hasEngineProcedure(frame));

    sampled = {frame, child};
    sampling = 1;
    for (int i = 0; i < 3; i++) {
        SetWindowTextA(child, i & 1 ? "Document, saved" : "Document, edited");
        pumpMessages();
    }
    endSampling("maximised", {{titleInFrame, 3}});
    EXPECT_EQ(0, totalSystemCaption());
    char title[64] = "";
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_TRUE(strstr(title, "Document, edited")) << "the frame names its maximised child: " << title;
    EXPECT_TRUE(GetWindowLongA(frame, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(child));
    // Neither window's procedure saw the engine's style changes.
    EXPECT_EQ(0, tally[WM_STYLECHANGING].samples + tally[WM_STYLECHANGED].samples);
}

// The outline the gradient look draws around the caption boxes is there
// whichever message painted last: the system's frame painting around the
// strip covers it, and the engine draws it again, so it never comes and
// goes between a frame repaint and a mouse move over a sizing border.
TEST_F(FlickerTable, TheOutlineAroundTheBoxesStaysWhicheverMessagePaintedLast)
{
    HWND w = topLevel("Outline", 40), other = topLevel("Other", 480);
    SetActiveWindow(w);
    pumpMessages();
    RECT r;
    GetWindowRect(w, &r);
    const int width = r.right - r.left, boxesWidth = 4 * GetSystemMetrics(SM_CXSIZE);
    const int barBottom = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    auto boxesArea = [&]() {
        std::vector<COLORREF> pixels;
        HDC dc = GetWindowDC(w);
        for (int y = 0; y < barBottom; y++)
            for (int x = width - boxesWidth; x < width; x++) pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(w, dc);
        return pixels;
    };
    SendMessageA(w, WM_NCMOUSEMOVE, HTLEFT, MAKELPARAM(r.left + 1, r.top + 40));
    const std::vector<COLORREF> afterMove = boxesArea();
    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_EQ(afterMove, boxesArea()) << "after a frame repaint";
    SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(afterMove, boxesArea()) << "after an activation change";
    SendMessageA(w, WM_SETICON, ICON_SMALL, (LPARAM)LoadIconA(NULL, (LPCSTR)IDI_WARNING));
    EXPECT_EQ(afterMove, boxesArea()) << "after an icon change";
    (void)other;
}

// The striped bar: the engine knows its rectangle as it knows the gradient
// strip's, so activation, title and frame repaints leave it alone too.
// Sampled in the middle of the title area, which the bar covers.
bool systemCaptionInTitleArea(HWND window)
{
    RECT w;
    GetWindowRect(window, &w);
    HDC dc = GetWindowDC(window);
    const COLORREF c = GetPixel(dc, (w.right - w.left) * 3 / 5, GetSystemMetrics(SM_CYFRAME) + 3) & 0xFFFFFF;
    ReleaseDC(window, dc);
    for (int index : {COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_GRADIENTACTIVECAPTION,
                      COLOR_GRADIENTINACTIVECAPTION})
        if (c == (GetSysColor(index) & 0xFFFFFF)) return true;
    return false;
}

std::map<UINT, KindTally> stripedTally;
HWND stripedSampled;
LRESULT CALLBACK stripedSampledProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (window == stripedSampled && (message == WM_NCACTIVATE || message == WM_NCPAINT || message == WM_SETTEXT)) {
        KindTally &t = stripedTally[message];
        t.samples++;
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE))
            t.unseen++;
        else
            t.systemCaption += systemCaptionInTitleArea(window);
    }
    return result;
}

class StripedFlicker : public FlickerTable {
protected:
    std::string settingsText() override { return settingsFileFor({{"macButtons", 1}}); }
};

TEST_F(StripedFlicker, TheStripedBarIsLeftAloneByActivationTitleAndFrameRepaints)
{
    stripedTally.clear();
    HWND w = track(CreateWindowExA(0, windowClass("VarnelStripedSampled", stripedSampledProcedure), "Striped",
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 240, NULL, NULL,
                                   GetModuleHandleA(NULL), NULL));
    HWND other = track(CreateWindowExA(0, windowClass("VarnelStripedOther", DefWindowProcA), "Other",
                                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, 480, 40, 300, 200, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL));
    SetActiveWindow(w);
    pumpMessages();
    ASSERT_FALSE(systemCaptionInTitleArea(w)) << "the bar is there to begin with";
    stripedSampled = w;
    sampled = {w};  // the hooks' count of copies per message
    sampling = 1;
    for (int i = 0; i < 3; i++) {
        SetActiveWindow(other);
        pumpMessages();
        SetActiveWindow(w);
        pumpMessages();
    }
    SetWindowTextA(w, "Striped two");
    SendMessageA(w, WM_NCPAINT, 1, 0);
    stripedSampled = NULL;
    sampling = 0;
    int samples = 0, shown = 0;
    for (const auto &entry : stripedTally) {
        printf("striped    %-20s %8d %7d %15d\n", kindName(entry.first), entry.second.samples, entry.second.unseen,
               entry.second.systemCaption);
        samples += entry.second.samples;
        shown += entry.second.systemCaption;
    }
    EXPECT_GE(stripedTally[WM_NCACTIVATE].unseen, 6);
    EXPECT_GE(stripedTally[WM_NCPAINT].samples, 1);
    EXPECT_EQ(0, shown) << "of " << samples << " samples";
    EXPECT_GE(tally[WM_NCACTIVATE].messages, 6);
    EXPECT_EQ(0, totalRepainted()) << "one bar per message";
    EXPECT_FALSE(systemCaptionInTitleArea(w));
}

// What the own procedure receives: the messages, in order, an unskinned
// twin receives for the same activation and title changes. The engine's
// WS_VISIBLE writes around them send style-change messages that only the
// engine sees.
std::vector<UINT> received;
HWND recorded;
// The messages of activation, title and style; what else the system sends
// around an activation (mode cancels, IME notices) comes and goes with
// timing, skinned or not.
bool scripted(UINT message)
{
    switch (message) {
    case WM_NCACTIVATE: case WM_ACTIVATE: case WM_SETTEXT: case WM_GETTEXT: case WM_STYLECHANGING:
    case WM_STYLECHANGED: case WM_NCPAINT: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ACTIVATEAPP:
        return true;
    }
    return false;
}

// What a procedure reads of visibility while it handles WM_NCACTIVATE: its
// own window, and a visible child of it.
struct VisibilityRead {
    int self = -1, child = -1;
};
VisibilityRead readDuringActivation;
HWND recordedChild;

LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == recorded && scripted(message)) received.push_back(message);
    if (window == recorded && message == WM_NCACTIVATE) {
        readDuringActivation.self = IsWindowVisible(window) ? 1 : 0;
        readDuringActivation.child = recordedChild && IsWindowVisible(recordedChild) ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class OwnSequences : public EngineTest {
protected:
    OwnSequences() : EngineTest(bothEngineHooks) {}
    std::vector<UINT> script(HWND w, HWND other)
    {
        SetActiveWindow(w);
        pumpMessages();
        received.clear();
        recorded = w;
        for (int i = 0; i < 2; i++) {
            SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
            SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
            SetWindowTextA(w, i ? "Sequence" : "Sequence two");
        }
        SetActiveWindow(other);
        pumpMessages();
        SetActiveWindow(w);
        pumpMessages();
        recorded = NULL;
        return received;
    }
    HWND make(int x)
    {
        HWND w = track(CreateWindowExA(0, windowClass("VarnelOwnSequence", recordingProcedure), "Sequence",
                                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 60, 300, 200, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL));
        pumpMessages();
        return w;
    }
};

TEST_F(OwnSequences, TheOwnProcedureSeesWhatAnUnskinnedOneSeesButNoStyleChangeOfTheEngine)
{
    HWND skinned = make(40), other = make(700);
    removeHooks();
    HWND plain = make(360);
    ASSERT_TRUE(hasEngineProcedure(skinned));
    ASSERT_FALSE(hasEngineProcedure(plain));
    const std::vector<UINT> unskinned = script(plain, other);
    installHooks();
    const std::vector<UINT> withEngine = script(skinned, other);
    removeHooks();
    // The one difference: after a title change and at an activation change
    // the system draws its caption with the title, which it reads with
    // WM_GETTEXT; the engine's caption reads the title without a message,
    // and the system no longer draws one.
    std::vector<UINT> expected;
    size_t titleReads = 0;
    for (size_t i = 0; i < unskinned.size(); i++) {
        const bool readForCaption = unskinned[i] == WM_GETTEXT && i > 0 &&
                                    (unskinned[i - 1] == WM_SETTEXT || unskinned[i - 1] == WM_NCACTIVATE);
        if (readForCaption)
            titleReads++;
        else
            expected.push_back(unskinned[i]);
    }
    EXPECT_GE(titleReads, 2u + 4u) << "two title changes and at least four activation changes";
    EXPECT_EQ(expected, withEngine);
    int styleChanges = 0;
    for (UINT m : withEngine) styleChanges += m == WM_STYLECHANGING || m == WM_STYLECHANGED;
    EXPECT_EQ(0, styleChanges) << "two title changes and four activation changes, each handled unseen";
    EXPECT_TRUE(GetWindowLongA(skinned, GWL_STYLE) & WS_VISIBLE) << "and the window is visible again";
    EXPECT_GE(withEngine.size(), 8u);
}

// The price of drawing nothing: while its own procedure handles
// WM_NCACTIVATE (and WM_SETTEXT, WM_SETICON), a skinned window and its
// children read as not visible, where an unskinned one reads visible. Both
// are shown on the screen throughout.
TEST_F(OwnSequences, WhileUnseenTheWindowAndItsChildrenReadAsNotVisible)
{
    HWND skinned = make(40);
    removeHooks();
    HWND plain = make(360);
    VisibilityRead read[2];
    HWND windowsRead[2] = {plain, skinned};
    for (int i = 0; i < 2; i++) {
        if (i == 1) installHooks();
        recordedChild = CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 4, 4, 60, 20, windowsRead[i],
                                        NULL, GetModuleHandleA(NULL), NULL);
        recorded = windowsRead[i];
        readDuringActivation = VisibilityRead();
        SendMessageA(windowsRead[i], WM_NCACTIVATE, FALSE, 0);
        read[i] = readDuringActivation;
        recorded = NULL;
        EXPECT_TRUE(IsWindowVisible(recordedChild)) << "visible again afterwards";
        recordedChild = NULL;
    }
    printf("visibility read during WM_NCACTIVATE: unskinned window %d, child %d; skinned window %d, child %d\n",
           read[0].self, read[0].child, read[1].self, read[1].child);
    EXPECT_EQ(1, read[0].self);
    EXPECT_EQ(1, read[0].child);
    EXPECT_EQ(0, read[1].self);
    EXPECT_EQ(0, read[1].child);
}

}  // namespace
