// The caption matrix: combinations of what shapes a caption (frame, system
// menu, caption boxes, context help, tool window, modal frame, icon,
// mirroring, activation, character set, title look), each window made twice,
// as the system draws it and under the engine's hooks, and read back from
// the screen. Per window: (a) no pixel of the system's title left where the
// engine paints its own, (b) the icon and every caption box the system's,
// pixel for pixel, (c) the engine's title the title in its font and
// direction. The suite runs a sample that covers every row of the layout
// table; VARNEL_SOAK=full (scripts/soak) runs every combination.
#include <gtest/gtest.h>

#include <stdio.h>

#include <vector>

#include "engine/settings.h"
#include "support/caption_pair.h"
#include "support/engine_test.h"
#include "support/settings_file.h"
#include "support/soak.h"

namespace {

// One dimension of the matrix each.
enum Frame { thickFrame, thinFrame, modalDialogFrame };
struct Combination {
    Frame frame;
    bool sysMenu, minBox, maxBox, help, tool;
    CaptionIcon icon;
    bool mirrored, active, unicode;
    CaptionTitleLook look;
};

const CaptionIcon icons[] = {noOwnIcon, classSmallIcon, classBigIcon, ownSmallIcon, ownBigIcon};
const char *const lookNames[] = {"plain", "centred", "split"};

// Every combination, in a fixed order: the index is the combination.
enum { combinationCount = 3 * 2 * 2 * 2 * 2 * 2 * 5 * 2 * 2 * 2 * 3 };
Combination combinationAt(int index)
{
    Combination c;
    int i = index;
    c.frame = (Frame)(i % 3), i /= 3;
    c.sysMenu = i % 2, i /= 2;
    c.minBox = i % 2, i /= 2;
    c.maxBox = i % 2, i /= 2;
    c.help = i % 2, i /= 2;
    c.tool = i % 2, i /= 2;
    c.icon = icons[i % 5], i /= 5;
    c.mirrored = i % 2, i /= 2;
    c.active = i % 2, i /= 2;
    c.unicode = i % 2, i /= 2;
    c.look = (CaptionTitleLook)(i % 3);
    return c;
}

CaptionRecipe recipeOf(const Combination &c)
{
    CaptionRecipe r = {};
    r.style = WS_CAPTION | WS_VISIBLE;
    if (c.frame == thickFrame) r.style |= WS_THICKFRAME;
    if (c.frame == modalDialogFrame) r.exStyle |= WS_EX_DLGMODALFRAME;
    if (c.sysMenu) r.style |= WS_SYSMENU;
    if (c.minBox) r.style |= WS_MINIMIZEBOX;
    if (c.maxBox) r.style |= WS_MAXIMIZEBOX;
    if (c.help) r.exStyle |= WS_EX_CONTEXTHELP;
    if (c.tool) r.exStyle |= WS_EX_TOOLWINDOW;
    if (c.mirrored) r.exStyle |= WS_EX_LAYOUTRTL;
    r.icon = c.icon;
    r.active = c.active;
    r.unicode = c.unicode;
    r.title = c.look == splitTitle ? "Matrix - a split title" : "Matrix caption";
    r.width = 380;
    r.height = 70;
    return r;
}

// The system's rule, as measured (platform notes): an icon with a system
// menu and no tool window, from the window or its class, else the default
// icon unless the window has a modal frame.
bool systemDrawsIcon(const Combination &c)
{
    if (!c.sysMenu || c.tool) return false;
    return c.icon != noOwnIcon || c.frame != modalDialogFrame;
}

// The layout row the combination falls in (the order of the layout table).
int rowOf(const Combination &c)
{
    const bool minMax = c.minBox || c.maxBox;
    if (c.frame == thickFrame) return minMax ? 1 : c.help ? 2 : c.tool ? 3 : c.sysMenu ? 4 : 5;
    if (c.help) return c.sysMenu && minMax ? 6 : c.sysMenu ? 7 : 8;
    if (c.tool) return c.sysMenu ? 9 : 10;
    if (c.sysMenu) return minMax ? 11 : 12;
    return 13;
}

std::string describe(const Combination &c)
{
    static const char *frames[] = {"thick", "thin", "modal"};
    static const char *iconNames[] = {"no icon", "class small", "class big", "own small", "own big"};
    char text[300];
    sprintf(text, "row %d: %s frame%s%s%s%s%s, %s%s, %s, %s, %s title", rowOf(c), frames[c.frame],
            c.sysMenu ? ", system menu" : "", c.minBox ? ", min" : "", c.maxBox ? ", max" : "",
            c.help ? ", help" : "", c.tool ? ", tool" : "", iconNames[c.icon], c.mirrored ? ", mirrored" : "",
            c.active ? "active" : "inactive", c.unicode ? "Unicode" : "ANSI", lookNames[c.look]);
    return text;
}

class CaptionMatrix : public EngineTest {
protected:
    CaptionMatrix() : EngineTest(bothEngineHooks) {}
    std::string settingsText() override
    {
        return settingsFileFor({{"gradientSteps", 16}, {"solidInactiveCaption", 0}, {"skipToolWindowCaptions", 0}});
    }
};

}  // namespace

TEST_F(CaptionMatrix, EveryCombinationAgreesWithTheSystemsCaption)
{
    // The sample: for each layout row, combinations of it spread over the
    // other dimensions; the full run takes them all.
    std::vector<int> chosen;
    const int perRow = soakSize(3, 0);
    if (soakFull()) {
        for (int i = 0; i < combinationCount; i++) chosen.push_back(i);
    } else {
        SoakRandom random(0xCA97);
        int taken[14] = {};
        for (int tries = 0; tries < 200000 && (int)chosen.size() < 13 * perRow; tries++) {
            const int i = (int)random.below(combinationCount);
            const int row = rowOf(combinationAt(i));
            if (taken[row] < perRow) taken[row]++, chosen.push_back(i);
        }
        for (int row = 1; row <= 13; row++) EXPECT_EQ(perRow, taken[row]) << "row " << row << " not sampled";
    }

    long long tried = 0, titleLeft = 0, iconOrBoxes = 0, titleDiffers = 0;
    int rowsTried[14] = {};
    for (int i : chosen) {
        const Combination c = combinationAt(i);
        Settings.centerCaptionText = c.look == centredTitle;
        Settings.splitTitleFonts = c.look == splitTitle;
        CaptionPair pair(recipeOf(c), 30, 40);
        ASSERT_TRUE(pair.systemWindow() && pair.engineWindow()) << describe(c);
        const CaptionComparison r = compareCaptions(pair, c.look, systemDrawsIcon(c));
        tried++;
        rowsTried[rowOf(c)]++;
        titleLeft += r.systemTitleLeft > 0;
        iconOrBoxes += r.iconOrBoxesChanged > 0;
        titleDiffers += r.titleDiffers > 0;
        EXPECT_EQ(0, r.systemTitleLeft + r.iconOrBoxesChanged + r.titleDiffers) << describe(c) << ": " << r.where;
    }
    printf("caption matrix: %lld combinations tried (rows:", tried);
    for (int row = 1; row <= 13; row++) printf(" %d", rowsTried[row]);
    printf(")\n  (a) system title left: %lld\n  (b) icon or box changed: %lld\n  (c) title differs: %lld\n",
           titleLeft, iconOrBoxes, titleDiffers);
    reportSoakItem("caption matrix: (a) system title left", tried, titleLeft);
    reportSoakItem("caption matrix: (b) icon or box changed", tried, iconOrBoxes);
    reportSoakItem("caption matrix: (c) title differs", tried, titleDiffers);
}
