// The engine's caption beside the system's, on windows where they used to
// disagree: the system's title showing left of the engine's where the system
// draws no icon, the program's icon painted over where it draws one, and the
// title of a mirrored window drawn as its mirror image. Each window is made
// twice, on a thread the engine's hooks never see and under them, and both
// are read back from the screen.
#include <gtest/gtest.h>

#include "engine/settings.h"
#include "support/caption_pair.h"
#include "support/engine_test.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

class CaptionFidelity : public EngineTest {
protected:
    CaptionFidelity() : EngineTest(bothEngineHooks) {}
    std::string settingsText() override { return settingsFileFor({{"gradientSteps", 16}}); }
    void SetUp() override
    {
        EngineTest::SetUp();
        Settings.centerCaptionText = 0;
        Settings.splitTitleFonts = 0;
        Settings.mirroredGradient = 0;
    }
};

struct FidelityCase {
    const char *what;
    DWORD style, exStyle;
    CaptionIcon icon;
    bool iconShown;
};

CaptionComparison compare(const FidelityCase &c)
{
    CaptionRecipe r = {c.style | WS_VISIBLE, c.exStyle, c.icon, false, false, "Caption fidelity", 360, 90};
    CaptionPair pair(r, 40, 60);
    return compareCaptions(pair, plainTitle, c.iconShown);
}

// Every case agrees with the system's caption in all four ways; each test
// names the one its fault broke.
void expectAgreement(const FidelityCase *cases, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const FidelityCase &c = cases[i];
        const CaptionComparison r = compare(c);
        EXPECT_EQ(0, r.systemTitleLeft) << c.what << ": " << r.where;
        EXPECT_EQ(0, r.iconOrBoxesChanged) << c.what << ": " << r.where;
        EXPECT_EQ(0, r.titleDiffers) << c.what << ": " << r.where;
        EXPECT_EQ(0, r.stripOffTheBar) << c.what << ": " << r.where;
    }
}

}  // namespace

// A sizable window with a system menu and a modal frame but no icon (Delphi's
// VCL programs): the system starts its title at the frame, and the engine's
// strip must start there too, or the first letters of the system's title
// stay visible beside it.
TEST_F(CaptionFidelity, NoSystemTitleShowsWhereTheSystemDrawsNoIcon)
{
    const FidelityCase cases[] = {
        {"thick frame, system menu, modal frame (row 4)", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
         WS_EX_DLGMODALFRAME, noOwnIcon, false},
        {"and caption boxes (row 1)", WS_OVERLAPPEDWINDOW, WS_EX_DLGMODALFRAME, noOwnIcon, false},
        {"thin frame with boxes (row 11)", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_DLGMODALFRAME,
         noOwnIcon, false},
    };
    expectAgreement(cases, sizeof cases / sizeof cases[0]);
}

// A thin-framed window with a system menu and an icon of its own or its
// class's: the system draws the icon, and the engine's strip must leave it.
TEST_F(CaptionFidelity, TheIconTheSystemDrawsStaysVisible)
{
    const FidelityCase cases[] = {
        {"dialog without a minimise box, WM_SETICON small (row 12)", WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
         WS_EX_DLGMODALFRAME, ownSmallIcon, true},
        {"the same with a big icon", WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME, ownBigIcon, true},
        {"thin frame, class icon (row 12)", WS_CAPTION | WS_SYSMENU, 0, classSmallIcon, true},
        {"thin frame, context help, class icon (row 7)", WS_CAPTION | WS_SYSMENU, WS_EX_CONTEXTHELP, classBigIcon,
         true},
    };
    expectAgreement(cases, sizeof cases / sizeof cases[0]);
}

// A mirrored window: the strip lands on the icon's side, and its title reads
// as the system's does, right-aligned beside the icon, not mirror-imaged.
TEST_F(CaptionFidelity, AMirroredWindowsTitleReadsAsTheSystemsDoes)
{
    const FidelityCase cases[] = {
        {"mirrored, thick frame with boxes", WS_OVERLAPPEDWINDOW, WS_EX_LAYOUTRTL, classSmallIcon, true},
        {"mirrored, thin frame", WS_CAPTION | WS_SYSMENU, WS_EX_LAYOUTRTL, ownSmallIcon, true},
        {"mirrored, modal frame without an icon", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
         WS_EX_LAYOUTRTL | WS_EX_DLGMODALFRAME, noOwnIcon, false},
    };
    expectAgreement(cases, sizeof cases / sizeof cases[0]);
}
