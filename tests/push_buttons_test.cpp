// Which push buttons the engine converts to its owner-drawn look, and when:
// the before-message hook for every button class it knows, StaticWindowProc
// for "Button" windows, and the static edge where owner-drawn buttons are off.
#include <gtest/gtest.h>

#include "engine/converted_buttons.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "support/message_log.h"
#include "support/pixels.h"
#include "support/skinned_controls.h"
#include "support/test_windows.h"

TEST(ConvertiblePushButton, OnlyTabStopPushButtonTypesQualify)
{
    for (LONG type = 0; type <= BS_TYPEMASK; type++) {
        bool pushType = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON;
        EXPECT_EQ(pushType ? 1 : 0, isConvertiblePushButton(WS_CHILD | WS_VISIBLE | WS_TABSTOP | type)) << type;
        EXPECT_EQ(0, isConvertiblePushButton(WS_CHILD | WS_VISIBLE | type)) << "no tab stop, type " << type;
    }
}

TEST(ConvertiblePushButton, ConversionKeepsEveryBitAndAddsTheMark)
{
    LONG style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY;
    LONG converted = convertedButtonStyle(style);
    EXPECT_EQ(style | WS_GROUP | BS_MULTILINE | BS_OWNERDRAW, converted);
    EXPECT_EQ(BS_OWNERDRAW, converted & BS_TYPEMASK);
    EXPECT_TRUE(carriesConvertedButtonMark(converted));
    EXPECT_FALSE(carriesConvertedButtonMark(WS_TABSTOP | WS_GROUP | BS_OWNERDRAW)) << "BS_MULTILINE missing";
    EXPECT_FALSE(isConvertiblePushButton(converted)) << "a converted button is left alone from then on";
}

class PushButtons : public SkinnedControlsTest {
protected:
    void SetUp() override
    {
        SkinnedControlsTest::SetUp();
        Settings.skinButtons = 1;
        Settings.ownerDrawnButtons = 1;
        parent = createParent();
    }
    LONG styleOf(HWND w) { return GetWindowLongA(w, GWL_STYLE); }
    LONG exStyleOf(HWND w) { return GetWindowLongA(w, GWL_EXSTYLE); }
    // A button made while the engine's hooks are off: neither converted nor
    // subclassed, as one created before the engine came into the process.
    HWND unhookedButton(const char *className, DWORD style)
    {
        removeHooks();
        HWND button = createControl(className, style, parent, "Button");
        installHooks();
        return button;
    }
    HWND parent = NULL;
};

struct ButtonCase {
    const char *name;
    DWORD style;
    bool converted;
};

static const ButtonCase buttonCases[] = {
    {"push button", BS_PUSHBUTTON | WS_TABSTOP, true},
    {"default push button", BS_DEFPUSHBUTTON | WS_TABSTOP, true},
    {"user button", BS_USERBUTTON | WS_TABSTOP, true},
    {"push button without tab stop", BS_PUSHBUTTON, false},
    {"check box", BS_CHECKBOX | WS_TABSTOP, false},
    {"auto check box", BS_AUTOCHECKBOX | WS_TABSTOP, false},
    {"radio button", BS_RADIOBUTTON | WS_TABSTOP, false},
    {"three-state box", BS_3STATE | WS_TABSTOP, false},
    {"auto three-state box", BS_AUTO3STATE | WS_TABSTOP, false},
    {"group box", BS_GROUPBOX | WS_TABSTOP, false},
    {"auto radio button", BS_AUTORADIOBUTTON | WS_TABSTOP, false},
    {"push box", BS_PUSHBOX | WS_TABSTOP, false},
    {"application's owner-drawn button", BS_OWNERDRAW | WS_TABSTOP, false},
};

// The hook's stage 3 sees WM_NCCALCSIZE and WM_CREATE before the button's own
// procedure: a qualifying button is owner-drawn from its creation on.
TEST_F(PushButtons, HookConvertsOnlyTabStopPushButtonsAtCreation)
{
    for (const ButtonCase &c : buttonCases) {
        SCOPED_TRACE(c.name);
        LONG requested = WS_CHILD | WS_VISIBLE | c.style;
        HWND button = createControl("Button", c.style, parent, "Button");
        ASSERT_TRUE(button != NULL);
        if (c.converted) {
            EXPECT_EQ(convertedButtonStyle(requested), styleOf(button));
        } else {
            EXPECT_EQ((LONG)(c.style & BS_TYPEMASK), styleOf(button) & BS_TYPEMASK);
            EXPECT_FALSE(carriesConvertedButtonMark(styleOf(button)));
        }
        EXPECT_FALSE(exStyleOf(button) & WS_EX_STATICEDGE);
    }
}

// The whole road: a tab-stop push button met for the first time by a
// qualifying message becomes owner-drawn and marked, a check box does not,
// and the pressed button is painted by the engine at its parent.
TEST_F(PushButtons, QualifyingMessageConvertsPushButtonButNotCheckBoxAndPressedFaceIsDarker)
{
    HWND push = unhookedButton("Button", BS_PUSHBUTTON | WS_TABSTOP);
    HWND check = unhookedButton("Button", BS_AUTOCHECKBOX | WS_TABSTOP);
    LONG pushBefore = styleOf(push), checkBefore = styleOf(check);
    ASSERT_EQ(BS_PUSHBUTTON, pushBefore & BS_TYPEMASK);
    ASSERT_EQ(-1, findWindowSlot(push)) << "made while the hooks were off";

    SendMessageA(push, WM_SETTEXT, 0, (LPARAM)"Press");
    SendMessageA(check, WM_SETTEXT, 0, (LPARAM)"Check");

    EXPECT_EQ(pushBefore | convertedButtonMark | BS_OWNERDRAW, styleOf(push));
    EXPECT_EQ(checkBefore, styleOf(check));

    SendMessageA(push, BM_SETSTATE, TRUE, 0);
    WindowPixels pixels(push);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF pressed = RGB(GetRValue(face) - 0x14, GetGValue(face) - 0x14, GetBValue(face) - 0x14);
    ASSERT_GE(GetRValue(face), 0x14);
    ASSERT_GE(GetGValue(face), 0x14);
    ASSERT_GE(GetBValue(face), 0x14);
    EXPECT_EQ(displayed(pressed), pixels.at(3, 3));
    EXPECT_EQ(displayed(pressed), pixels.at(pixels.width() - 4, pixels.height() - 4));
}

// Every qualifying message converts; others do not. WM_NCPAINT is one of
// StaticWindowProc's twenty but not one of the hook's nineteen.
TEST_F(PushButtons, HookConvertsOnItsNineteenMessagesOnly)
{
    struct MessageCase {
        UINT message;
        bool converts;
    } cases[] = {
        {WM_ENABLE, true},      {WM_ACTIVATE, true},   {BM_SETCHECK, true},      {BM_SETIMAGE, true},
        {WM_SETICON, true},     {WM_GETTEXT, true},    {WM_CTLCOLORSTATIC, true}, {WM_CTLCOLORBTN, true},
        {WM_NULL, false},       {WM_NCPAINT, false},   {WM_SETFONT, false},      {WM_MOVE, false},
    };
    for (const MessageCase &c : cases) {
        SCOPED_TRACE(c.message);
        HWND button = unhookedButton("Button", BS_PUSHBUTTON | WS_TABSTOP);
        LONG before = styleOf(button);
        char text[16];
        WPARAM wParam = c.message == WM_GETTEXT ? sizeof text : c.message == WM_ENABLE ? TRUE : 0;
        LPARAM lParam = c.message == WM_GETTEXT ? (LPARAM)text : 0;
        if (c.message == WM_CTLCOLORSTATIC || c.message == WM_CTLCOLORBTN) {
            HDC dc = GetDC(button);
            SendMessageA(button, c.message, (WPARAM)dc, (LPARAM)button);
            ReleaseDC(button, dc);
        } else {
            SendMessageA(button, c.message, wParam, lParam);
        }
        EXPECT_EQ(c.converts ? convertedButtonStyle(before) : before, styleOf(button));
    }
}

// StaticWindowProc's own check: "Button" windows only, with no hook at all.
TEST_F(PushButtons, SubclassedButtonIsConvertedByItsWindowProcedureWithoutHook)
{
    removeHooks();
    HWND button = createControl("Button", BS_DEFPUSHBUTTON | WS_TABSTOP, parent, "OK");
    HWND tbutton = createControl(buttonSuperclass("TButton"), BS_PUSHBUTTON | WS_TABSTOP, parent, "OK");
    HWND check = createControl("Button", BS_CHECKBOX | WS_TABSTOP, parent, "Box");
    for (HWND w : {button, tbutton, check}) ASSERT_GE(subclassIntoTable(w, StaticWindowProc), 0);
    LONG buttonBefore = styleOf(button), tbuttonBefore = styleOf(tbutton), checkBefore = styleOf(check);

    SendMessageA(button, WM_NULL, 0, 0);
    EXPECT_EQ(buttonBefore, styleOf(button)) << "WM_NULL is no conversion message";
    for (HWND w : {button, tbutton, check}) SendMessageA(w, WM_NCPAINT, 1, 0);

    EXPECT_EQ(convertedButtonStyle(buttonBefore), styleOf(button));
    EXPECT_EQ(tbuttonBefore, styleOf(tbutton)) << "only the hook converts other button classes";
    EXPECT_EQ(checkBefore, styleOf(check));
    for (HWND w : {button, tbutton, check}) releaseWindowSlot(w);
}

TEST_F(PushButtons, WindowProcedureLeavesButtonsAloneWhenOwnerDrawnButtonsAreOff)
{
    removeHooks();
    Settings.ownerDrawnButtons = 0;
    HWND button = createControl("Button", BS_PUSHBUTTON | WS_TABSTOP, parent, "OK");
    ASSERT_GE(subclassIntoTable(button, StaticWindowProc), 0);
    LONG before = styleOf(button), exBefore = exStyleOf(button);
    SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Again");
    EXPECT_EQ(before, styleOf(button));
    EXPECT_EQ(exBefore, exStyleOf(button)) << "the static edge is the hook's alternative only";
    releaseWindowSlot(button);
}

// Stage 3 switched off: a subclassed "Button" is still converted by
// StaticWindowProc, a subclassed "TButton" is not.
TEST_F(PushButtons, OtherButtonClassesAreConvertedThroughTheHookOnly)
{
    Settings.skinButtons = 0;
    HWND button = createControl("Button", BS_PUSHBUTTON | WS_TABSTOP, parent, "OK");
    HWND tbutton = createControl(buttonSuperclass("TButton"), BS_PUSHBUTTON | WS_TABSTOP, parent, "OK");
    ASSERT_GE(findWindowSlot(tbutton), 0) << "subclassed at creation";
    EXPECT_TRUE(carriesConvertedButtonMark(styleOf(button)));
    EXPECT_EQ(BS_PUSHBUTTON, styleOf(tbutton) & BS_TYPEMASK);

    Settings.skinButtons = 1;
    LONG before = styleOf(tbutton);
    SendMessageA(tbutton, WM_SETTEXT, 0, (LPARAM)"Now");
    EXPECT_EQ(convertedButtonStyle(before), styleOf(tbutton));
}

struct ClassCase {
    const char *className;
    DWORD style;
    bool ownerDrawn;   // Settings.ownerDrawnButtons
    bool marked;       // expected: style | mark | 0xB
    bool staticEdge;   // expected: WS_EX_STATICEDGE added
};

static const ClassCase classCases[] = {
    {"TButton", BS_PUSHBUTTON | WS_TABSTOP, true, true, false},
    {"TButton", BS_CHECKBOX | WS_TABSTOP, true, false, false},
    {"TButton", BS_PUSHBUTTON, true, false, false},
    {"TButton", BS_PUSHBUTTON | WS_TABSTOP, false, false, true},
    // Visual Basic buttons are converted whatever their type.
    {"ThunderCommandButton", BS_CHECKBOX, true, true, false},
    {"ThunderCommandButton", BS_OWNERDRAW, true, true, false},
    {"ThunderCommandButton", BS_OWNERDRAW, false, false, true},
    {"ThunderRTCommandButton", BS_PUSHBUTTON, true, true, false},
    {"ThunderRTCommandButton", BS_RADIOBUTTON, false, false, true},
    {"ThunderRT5CommandButton", BS_PUSHBUTTON, true, true, false},
    {"ThunderRT5CommandButton", BS_PUSHBUTTON, false, false, true},
    // Already of type 0xB: the hook ends at once, mark or no mark.
    {"ThunderRT5CommandButton", BS_OWNERDRAW, true, false, false},
    {"ThunderRT5CommandButton", BS_OWNERDRAW, false, false, false},
    {"ThunderRTCommandButton", BS_OWNERDRAW, false, false, false},
};

TEST_F(PushButtons, ButtonClassesOfOtherToolkitsFollowTheirOwnRules)
{
    for (const ClassCase &c : classCases) {
        SCOPED_TRACE(std::string(c.className) + (c.ownerDrawn ? " owner-drawn" : " static edge") + " style " +
                     std::to_string(c.style));
        Settings.ownerDrawnButtons = c.ownerDrawn ? 1 : 0;
        HWND button = unhookedButton(buttonSuperclass(c.className), c.style);
        LONG before = styleOf(button), exBefore = exStyleOf(button);
        SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Command");
        EXPECT_EQ(c.marked ? convertedButtonStyle(before) : before, styleOf(button));
        EXPECT_EQ(c.staticEdge ? (exBefore | WS_EX_STATICEDGE) : exBefore, exStyleOf(button));
    }
}

// The conversion's own SetWindowLongA sends WM_STYLECHANGED back through the
// hook. A class converted without a type test must not be converted again
// inside it, or the two would call each other until the stack ran out.
TEST_F(PushButtons, CommandButtonConvertedWithoutTypeTestChangesStyleOnce)
{
    HWND button = unhookedButton(buttonSuperclass("ThunderCommandButton"), BS_OWNERDRAW);
    removeHooks();
    installRecordingHooks();
    installHooks();
    clearMessageLog();
    SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Command");
    SendMessageA(button, WM_ENABLE, TRUE, 0);
    EXPECT_TRUE(carriesConvertedButtonMark(styleOf(button)));
    EXPECT_EQ(1, countMessages(button, WM_STYLECHANGED, messageFromBeforeHook));
}

// Where owner-drawn buttons are off (or were switched off when an excluded
// class was seen) a push button gets the static edge, once.
TEST_F(PushButtons, WithoutOwnerDrawnButtonsPushButtonGetsStaticEdgeOnce)
{
    Settings.ownerDrawnButtons = 0;
    removeHooks();
    installRecordingHooks();
    installHooks();
    clearMessageLog();
    HWND button = createControl("Button", BS_DEFPUSHBUTTON | WS_TABSTOP, parent, "OK");
    SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Again");
    SendMessageA(button, WM_ENABLE, TRUE, 0);
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(exStyleOf(button) & WS_EX_STATICEDGE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, styleOf(button) & BS_TYPEMASK);
    EXPECT_FALSE(carriesConvertedButtonMark(styleOf(button)));
    EXPECT_EQ(1, countMessages(button, WM_STYLECHANGED, messageFromBeforeHook));

    HWND check = createControl("Button", BS_CHECKBOX | WS_TABSTOP, parent, "Box", 10, 60);
    EXPECT_FALSE(exStyleOf(check) & WS_EX_STATICEDGE);
}

// The hook's test of the static edge; StaticWindowProc's own check (for a
// subclassed "Button") has none, so the button here is not subclassed.
TEST_F(PushButtons, HookLeavesButtonWithStaticEdgeAlone)
{
    removeHooks();
    installRecordingHooks();
    HWND button = createControl("Button", BS_PUSHBUTTON | WS_TABSTOP, parent, "OK", 10, 10, 120, 40,
                                WS_EX_STATICEDGE);
    installHooks();
    ASSERT_EQ(-1, findWindowSlot(button));
    LONG before = styleOf(button), exBefore = exStyleOf(button);
    for (int ownerDrawn : {1, 0}) {
        SCOPED_TRACE(ownerDrawn);
        Settings.ownerDrawnButtons = ownerDrawn;
        clearMessageLog();
        SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Again");
        EXPECT_EQ(before, styleOf(button));
        EXPECT_EQ(exBefore, exStyleOf(button));
        EXPECT_EQ(0, countMessages(button, WM_STYLECHANGED, messageFromBeforeHook));
    }
}

// The dialog manager's BM_SETSTYLE sets a push-button type back; the next
// qualifying message makes the button owner-drawn again.
TEST_F(PushButtons, ButtonIsConvertedAgainAfterBmSetStyleResetsItsType)
{
    HWND button = createControl("Button", BS_PUSHBUTTON | WS_TABSTOP, parent, "OK");
    LONG converted = styleOf(button);
    ASSERT_EQ(BS_OWNERDRAW, converted & BS_TYPEMASK);

    SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    EXPECT_EQ((converted & ~BS_TYPEMASK) | BS_DEFPUSHBUTTON, styleOf(button)) << "the button's own handling ran last";

    SendMessageA(button, WM_SETTEXT, 0, (LPARAM)"Again");
    EXPECT_EQ(converted, styleOf(button));
}

TEST_F(PushButtons, WindowProcedureConvertsAgainAfterBmSetStyleWithoutHook)
{
    HWND button = createControl("Button", BS_PUSHBUTTON | WS_TABSTOP, parent, "OK");
    LONG converted = styleOf(button);
    removeHooks();
    ASSERT_GE(findWindowSlot(button), 0);
    SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    ASSERT_EQ(BS_PUSHBUTTON, styleOf(button) & BS_TYPEMASK);
    SendMessageA(button, WM_NCPAINT, 1, 0);
    EXPECT_EQ(converted, styleOf(button));
}
