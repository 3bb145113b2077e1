// The answers a subclassed parent gives to its controls' colour messages, and
// the erase under a static whose text or state changes. Parents are windows
// of the listed classes registered by the test with a recording procedure, so
// the log says whether the parent's own procedure ran.
#include <gtest/gtest.h>

#include <string>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/message_log.h"
#include "support/pixels.h"
#include "support/skinned_controls.h"
#include "support/test_windows.h"
#include "tools/gallery/dialog_template.h"

static const char *const buttonParentClasses[] = {
    "#32770", "SysTabControl32", "ToolbarWindow32", "AfxControlBar40", "Shell_TrayWnd",
    "ToolbarWindow", "AfxControlBar", "AfxControlBar42", "Afx:400000:b:14c6:10:0", "MDIClient",
};

// What the parent's own procedure (DefWindowProcA) answers, asked directly.
static LRESULT ownAnswer(HWND parent, UINT message, HDC dc, HWND control)
{
    return DefWindowProcA(parent, message, (WPARAM)dc, (LPARAM)control);
}

// A control a parent is asked about, and the colour message it asks with.
struct AskedControl {
    const char *className;
    DWORD style;
    const char *text;
    UINT message;
};
static const AskedControl askedPushButton = {"Button", BS_PUSHBUTTON, "OK", WM_CTLCOLORBTN};
static const AskedControl askedLabel = {"Static", SS_LEFT, "Label", WM_CTLCOLORSTATIC};

class ControlColours : public SkinnedControlsTest {
protected:
    void SetUp() override
    {
        SkinnedControlsTest::SetUp();
        dc = CreateCompatibleDC(NULL);
    }
    void TearDown() override
    {
        DeleteDC(dc);
        SkinnedControlsTest::TearDown();
    }
    // A parent of the named class, subclassed at its creation.
    HWND parentOfClass(const char *name)
    {
        HWND parent = createParent(recordingClass(name));
        char actual[260];
        GetClassNameA(parent, actual, sizeof actual);
        EXPECT_STREQ(name, actual);
        return parent;
    }
    // Sends the colour message from a DC in a known state: opaque, with a
    // text colour no procedure would choose.
    LRESULT ask(HWND parent, UINT message, HWND control)
    {
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, oddTextColour);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        clearMessageLog();
        return SendMessageA(parent, message, (WPARAM)dc, (LPARAM)control);
    }
    void expectTransparent(LRESULT answer)
    {
        EXPECT_EQ((LRESULT)GetStockObject(NULL_BRUSH), answer);
        EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
        EXPECT_EQ(GetStockObject(NULL_BRUSH), GetCurrentObject(dc, OBJ_BRUSH));
    }
    void expectPassedOn(HWND parent, UINT message, HWND control, LRESULT answer)
    {
        EXPECT_EQ(1, countMessages(parent, message, messageFromOwnProcedure));
        EXPECT_EQ(ownAnswer(parent, message, dc, control), answer);
        EXPECT_EQ(OPAQUE, GetBkMode(dc));
    }
    // A new parent of the class with one control of the kind, asked for the
    // control's colours: the answer is transparent, the parent's own
    // procedure ran ownCalls times, and the DC's text colour is textColour.
    void expectTransparentIn(const char *parentClass, const AskedControl &kind, int ownCalls, COLORREF textColour,
                             const char *whoseText)
    {
        SCOPED_TRACE(parentClass);
        HWND parent = parentOfClass(parentClass);
        HWND control = createControl(kind.className, kind.style, parent, kind.text);
        expectTransparent(ask(parent, kind.message, control));
        EXPECT_EQ(ownCalls, countMessages(parent, kind.message, messageFromOwnProcedure));
        EXPECT_EQ(textColour, GetTextColor(dc)) << whoseText;
    }
    // The same where the parent's own answer is the one the control gets.
    void expectPassedOnIn(const char *parentClass, const AskedControl &kind)
    {
        SCOPED_TRACE(parentClass);
        HWND parent = parentOfClass(parentClass);
        HWND control = createControl(kind.className, kind.style, parent, kind.text);
        LRESULT answer = ask(parent, kind.message, control);
        expectPassedOn(parent, kind.message, control, answer);
    }
    static constexpr COLORREF oddTextColour = RGB(1, 2, 3);
    HDC dc = NULL;
};

TEST_F(ControlColours, ButtonsOfListedParentsAreTransparentWithoutTheParentsProcedure)
{
    for (const char *name : buttonParentClasses)
        expectTransparentIn(name, askedPushButton, 0, oddTextColour, "nobody set a text colour");
}

// "ScanDskWDlgClass" is in the static list only; a property page of an
// application's own class is in neither.
TEST_F(ControlColours, ButtonsOfOtherParentsGetTheParentsAnswer)
{
    for (const char *name : {"ScanDskWDlgClass", "VarnelPropertyPage"}) expectPassedOnIn(name, askedPushButton);
}

TEST_F(ControlColours, GroupBoxKeepsItsParentsAnswerForButtonColour)
{
    HWND parent = parentOfClass("SysTabControl32");
    HWND group = createControl("Button", BS_GROUPBOX, parent, "Group", 10, 10, 200, 100);
    LRESULT answer = ask(parent, WM_CTLCOLORBTN, group);
    expectPassedOn(parent, WM_CTLCOLORBTN, group, answer);
}

// The parent's own procedure answers first (its text colour stays), then its
// brush is replaced.
TEST_F(ControlColours, StaticsOfListedParentsAreTransparentAfterTheParentsProcedure)
{
    std::vector<const char *> names = {"ScanDskWDlgClass"};
    names.insert(names.end(), std::begin(buttonParentClasses), std::end(buttonParentClasses));
    for (const char *name : names)
        expectTransparentIn(name, askedLabel, 1, GetSysColor(COLOR_WINDOWTEXT), "the parent's own text colour");
}

TEST_F(ControlColours, StaticOfUnlistedParentGetsTheParentsAnswer)
{
    expectPassedOnIn("VarnelPropertyPage", askedLabel);
}

struct ControlCase {
    const char *name;
    const char *className;
    DWORD style;
    DWORD exStyle;
    bool transparent;
};

static const ControlCase controlCases[] = {
    {"left label", "Static", SS_LEFT, 0, true},
    {"centred label", "Static", SS_CENTER, 0, true},
    {"right label", "Static", SS_RIGHT, 0, true},
    {"grey rectangle", "Static", SS_GRAYRECT, 0, true},
    {"label with SS_NOTIFY", "Static", SS_LEFT | SS_NOTIFY, 0, false},
    {"icon", "Static", SS_ICON, 0, false},
    {"black frame", "Static", SS_BLACKFRAME, 0, false},
    {"simple label", "Static", SS_SIMPLE, 0, false},
    {"bitmap", "Static", SS_BITMAP, 0, false},
    {"enhanced metafile", "Static", SS_ENHMETAFILE, 0, false},
    {"push button", "Button", BS_PUSHBUTTON, 0, true},
    {"check box", "Button", BS_AUTOCHECKBOX, 0, true},
    {"group box", "Button", BS_GROUPBOX, 0, false},
    {"left-aligned check box", "Button", BS_AUTOCHECKBOX | BS_LEFT, 0, false},
    {"read-only edit", "Edit", ES_READONLY, 0, true},
    {"read-only edit with client edge", "Edit", ES_READONLY, WS_EX_CLIENTEDGE, false},
    {"read-only edit with ES_NOHIDESEL", "Edit", ES_READONLY | ES_NOHIDESEL, 0, false},
    {"list box", "ListBox", 0, 0, false},
};

TEST_F(ControlColours, WhichControlsAreMadeTransparentOnStaticColour)
{
    HWND parent = parentOfClass("#32770");
    for (const ControlCase &c : controlCases) {
        SCOPED_TRACE(c.name);
        HWND control = createControl(c.className, c.style, parent, "Text", 10, 10, 120, 40, c.exStyle);
        ASSERT_TRUE(control != NULL);
        ASSERT_EQ(c.exStyle & WS_EX_CLIENTEDGE, GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        LRESULT answer = ask(parent, WM_CTLCOLORSTATIC, control);
        if (c.transparent) {
            expectTransparent(answer);
            EXPECT_EQ(1, countMessages(parent, WM_CTLCOLORSTATIC, messageFromOwnProcedure));
        } else {
            expectPassedOn(parent, WM_CTLCOLORSTATIC, control, answer);
        }
        DestroyWindow(control);
    }
}

// A real dialog: its own procedure (DefDlgProc and the dialog procedure) runs,
// then the label's background is the NULL_BRUSH.
static INT_PTR CALLBACK labelDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC) recordMessage(dialog, message, wParam, lParam, messageFromOwnProcedure);
    return message == WM_INITDIALOG;
}

TEST_F(ControlColours, LabelInARealDialogIsTransparent)
{
    DialogTemplate t;
    beginDialogTemplate(&t, WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 0, 200, 100, "");
    HWND dialog =
        track(CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplateData(t), NULL, labelDialogProc, 0));
    ASSERT_TRUE(dialog != NULL);
    HWND label = createControl("Static", SS_LEFT, dialog, "Label");
    expectTransparent(ask(dialog, WM_CTLCOLORSTATIC, label));
    EXPECT_EQ(1, countMessages(dialog, WM_CTLCOLORSTATIC, messageFromOwnProcedure));
}

class ScrollBarColours : public ControlColours {
protected:
    void prepareFolder(const TestFolder &folder) override
    {
        writeSolidBitmap(folder.file("\\varnels\\vlscr.bmp"), 8, 8, RGB(0, 90, 0));
    }
};

TEST_F(ScrollBarColours, ScrollBarsGetTheSkinsBrushWhenSkinned)
{
    ASSERT_TRUE(SharedResources.scrollBarBrush != NULL) << "made at attach from vlscr.bmp";
    Settings.skinScrollBars = 1;
    HWND parent = parentOfClass("VarnelPropertyPage");
    HWND bar = createControl("ScrollBar", SBS_HORZ, parent, "", 10, 10, 200, 20);
    SetBkColor(dc, RGB(255, 255, 255));
    LRESULT answer = ask(parent, WM_CTLCOLORSCROLLBAR, bar);
    EXPECT_EQ((LRESULT)SharedResources.scrollBarBrush, answer);
    EXPECT_EQ(RGB(0, 0, 0), GetBkColor(dc));
    EXPECT_EQ(0, countMessages(parent, WM_CTLCOLORSCROLLBAR, messageFromOwnProcedure));

    Settings.skinScrollBars = 0;
    answer = ask(parent, WM_CTLCOLORSCROLLBAR, bar);
    expectPassedOn(parent, WM_CTLCOLORSCROLLBAR, bar, answer);
}

// No vlscr.bmp, no brush: the scroll bar gets its parent's answer rather than
// no brush at all.
TEST_F(ControlColours, ScrollBarsWithoutTheSkinsBitmapGetTheParentsAnswer)
{
    ASSERT_TRUE(SharedResources.scrollBarBrush == NULL);
    Settings.skinScrollBars = 1;
    HWND parent = parentOfClass("VarnelPropertyPage");
    HWND bar = createControl("ScrollBar", SBS_HORZ, parent, "", 10, 10, 200, 20);
    LRESULT answer = ask(parent, WM_CTLCOLORSCROLLBAR, bar);
    expectPassedOn(parent, WM_CTLCOLORSCROLLBAR, bar, answer);
    EXPECT_NE(0, answer);
}

// What the parent saw of the erase: the window of the DC, the DC's origin,
// the static's text at that moment and the static's pixels after the
// parent's background was painted.
struct EraseSeen {
    int count = 0;
    HWND dcWindow = NULL;
    POINT origin = {};
    std::string textThen;
    COLORREF corners[2] = {};
};
static EraseSeen eraseSeen;
static HWND eraseWatched;

static LRESULT CALLBACK eraseRecordingParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_ERASEBKGND && eraseWatched && WindowFromDC((HDC)wParam) == eraseWatched) {
        eraseSeen.count++;
        eraseSeen.dcWindow = WindowFromDC((HDC)wParam);
        GetDCOrgEx((HDC)wParam, &eraseSeen.origin);
        char text[64] = "";
        GetWindowTextA(eraseWatched, text, sizeof text);
        eraseSeen.textThen = text;
        WindowPixels p(eraseWatched);
        eraseSeen.corners[0] = p.at(0, 0);
        eraseSeen.corners[1] = p.at(p.width() - 1, p.height() - 1);
    }
    return result;
}

static const char *eraseParentClass()
{
    static const char *const name =
        windowClass("VarnelEraseParent", eraseRecordingParent, CreateSolidBrush(RGB(220, 30, 30)));
    return name;
}

TEST_F(ControlColours, ParentErasesUnderAStaticBeforeItsTextOrStateChanges)
{
    HWND parent = createParent(eraseParentClass());
    HWND label = createControl("Static", SS_LEFT | WS_BORDER, parent, "Old", 30, 30, 120, 30);
    RECT r;
    GetWindowRect(label, &r);
    COLORREF parentColour = displayed(RGB(220, 30, 30));

    eraseWatched = label;
    eraseSeen = EraseSeen();
    SendMessageA(label, WM_SETTEXT, 0, (LPARAM)"New");
    EXPECT_EQ(1, eraseSeen.count);
    EXPECT_EQ(label, eraseSeen.dcWindow);
    EXPECT_EQ(r.left, eraseSeen.origin.x) << "the window DC, border included";
    EXPECT_EQ(r.top, eraseSeen.origin.y);
    EXPECT_EQ("Old", eraseSeen.textThen) << "before the static's own handling";
    EXPECT_EQ(parentColour, eraseSeen.corners[0]);
    EXPECT_EQ(parentColour, eraseSeen.corners[1]);

    eraseSeen = EraseSeen();
    EnableWindow(label, FALSE);
    EXPECT_EQ(1, eraseSeen.count) << "WM_ENABLE erases as well";

    HWND button = createControl("Button", BS_PUSHBUTTON, parent, "Button", 30, 80, 120, 30);
    eraseWatched = button;
    eraseSeen = EraseSeen();
    SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Other");
    EXPECT_EQ(0, eraseSeen.count) << "statics only";
    eraseWatched = NULL;
}
