// Buttons the engine made owner-drawn get their own style back when the
// engine leaves, or nobody would draw them.
#include <gtest/gtest.h>

#include "engine/converted_buttons.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "support/engine_test.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

class ButtonRestore : public EngineTest {
protected:
    ButtonRestore() : EngineTest(bothEngineHooks) {}
    std::string settingsText() override { return settingsFileFor({{"ownerDrawnButtons", 1}}); }
    void SetUp() override
    {
        EngineTest::SetUp();
        parent = track(createTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 300, 200, "Buttons"));
    }
    HWND button(DWORD style, const char *text = "OK")
    {
        return CreateWindowExA(0, "Button", text, WS_CHILD | WS_VISIBLE | style, 10, 10, 80, 24, parent, NULL,
                               NULL, NULL);
    }
    // Unload as a live FreeLibrary does it: hooks gone, then detach.
    void unload()
    {
        removeHooks();
        detachEngine();
    }
    HWND parent = NULL;
};

TEST_F(ButtonRestore, ConvertedButtonsGetTheirTypeBackAndOnlyTheMarkBitsTheyLacked)
{
    HWND plain = button(WS_TABSTOP | BS_DEFPUSHBUTTON);
    HWND grouped = button(WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, "Cancel");
    HWND check = button(WS_TABSTOP | BS_AUTOCHECKBOX, "Check");
    const LONG checkStyle = GetWindowLongA(check, GWL_STYLE);
    ASSERT_EQ(BS_OWNERDRAW, GetWindowLongA(plain, GWL_STYLE) & BS_TYPEMASK);
    ASSERT_TRUE(carriesConvertedButtonMark(GetWindowLongA(grouped, GWL_STYLE)));
    ShowWindow(plain, SW_HIDE);  // the program's own change after conversion

    unload();

    const LONG plainStyle = GetWindowLongA(plain, GWL_STYLE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, plainStyle & BS_TYPEMASK);
    EXPECT_FALSE(plainStyle & WS_GROUP) << "a mark bit the button did not have goes";
    EXPECT_FALSE(plainStyle & BS_MULTILINE);
    EXPECT_TRUE(plainStyle & WS_TABSTOP);
    EXPECT_FALSE(plainStyle & WS_VISIBLE) << "the program hid it; unload does not show it again";
    const LONG groupedStyle = GetWindowLongA(grouped, GWL_STYLE);
    EXPECT_EQ(BS_PUSHBUTTON, groupedStyle & BS_TYPEMASK);
    EXPECT_TRUE(groupedStyle & WS_GROUP) << "its own group bit stays";
    EXPECT_EQ(checkStyle, GetWindowLongA(check, GWL_STYLE));
    EXPECT_TRUE(GetPropA(plain, "VarnelButtonStyle") == NULL) << "nothing left behind";
}

TEST_F(ButtonRestore, ButtonConvertedAgainAfterTheDialogManagerResetItsTypeStillComesBackClean)
{
    HWND b = button(WS_TABSTOP | BS_PUSHBUTTON);
    ASSERT_EQ(BS_OWNERDRAW, GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK);
    SendMessageA(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);  // made the default
    ASSERT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK);
    SendMessageA(b, BM_SETSTATE, FALSE, 0);  // the next message converts it again
    ASSERT_EQ(BS_OWNERDRAW, GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK);
    unload();
    const LONG style = GetWindowLongA(b, GWL_STYLE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, style & BS_TYPEMASK) << "the type it had when last converted";
    EXPECT_FALSE(style & (WS_GROUP | BS_MULTILINE)) << "mark bits of the first conversion are not taken as its own";
}

TEST_F(ButtonRestore, ButtonTheProgramRestyledIsLeftAsItIs)
{
    HWND b = button(WS_TABSTOP | BS_PUSHBUTTON);
    removeHooks();
    // The program makes it a check box of its own; the window is still
    // subclassed, but a check box is never converted.
    SetWindowLongA(b, GWL_STYLE, (GetWindowLongA(b, GWL_STYLE) & ~BS_TYPEMASK) | BS_CHECKBOX);
    const LONG programs = GetWindowLongA(b, GWL_STYLE);
    detachEngine();
    EXPECT_EQ(programs, GetWindowLongA(b, GWL_STYLE));
}
