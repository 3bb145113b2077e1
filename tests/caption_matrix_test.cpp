// The caption matrix: combinations of what shapes a caption (frame, system
// menu, caption boxes, context help, tool window, modal frame, icon,
// mirroring, activation, character set, title look, and where the window
// stands: top-level, maximised or an MDI child), each window made twice,
// as the system draws it and under the engine's hooks, and read back from
// the screen. Per window: (a) no pixel of the system's title left where the
// engine paints its own, (b) the icon and every caption box the system's,
// pixel for pixel, (c) the engine's title the title in its font and
// direction, (d) the engine's strip on the caption bar's rows, no row of the
// bar left to the system and none painted outside it, (e) an activation
// change, either way, leaves the window as it would with the system's frame
// painting around the strip, (f) so does a WM_NCPAINT where the engine draws
// the top of the frame itself. The suite runs a sample that covers every row
// of the layout table in each place; VARNEL_SOAK=full (scripts/soak) runs every
// combination, VARNEL_MATRIX_MATCH those whose description (as a failure
// names it) holds the given text. The same program runs at 96, 120 and 144
// DPI and with a large caption font, each in a prefix of its own
// (scripts/metrics-run), and first checks that the display is what the run
// asked for.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/caption_pair.h"
#include "support/engine_test.h"
#include "support/frame_top_check.h"
#include "support/gdi_handles.h"
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
    CaptionPlace place;
};

const CaptionIcon icons[] = {noOwnIcon, classSmallIcon, classBigIcon, ownSmallIcon, ownBigIcon};
const char *const lookNames[] = {"plain", "centred", "split"};
const char *const placeNames[] = {"top-level", "maximised", "MDI child"};
enum { placeCount = 3 };

// Every combination, in a fixed order: the index is the combination. The
// place is the last dimension, so the top-level windows keep the indices
// they had before the other places came.
enum { topLevelCombinations = 3 * 2 * 2 * 2 * 2 * 2 * 5 * 2 * 2 * 2 * 3 };
enum { combinationCount = topLevelCombinations * placeCount };
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
    c.look = (CaptionTitleLook)(i % 3), i /= 3;
    c.place = (CaptionPlace)(i % placeCount);
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
    // Room for the caption at the largest metrics the matrix runs with.
    r.height = 70 + 2 * GetSystemMetrics(SM_CYCAPTION);
    r.place = c.place;
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
    sprintf(text, "row %d, %s: %s frame%s%s%s%s%s, %s%s, %s, %s, %s title", rowOf(c), placeNames[c.place],
            frames[c.frame],
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
        return settingsFileFor({{"gradientSteps", 16},
                                {"solidInactiveCaption", 0},
                                {"skipToolWindowCaptions", 0},
                                {"skinMdiChildren", 1}});
    }
};

// A number from the environment, 0 when it is not set.
int environmentNumber(const char *name)
{
    const char *v = getenv(name);
    return v && *v ? atoi(v) : 0;
}

// What the display runs with: its DPI, the caption's height and the caption
// font's height in pixels.
struct DisplayMetrics {
    int dpi, captionHeight, fontHeight;
};

DisplayMetrics displayMetrics()
{
    DisplayMetrics d;
    HDC screen = GetDC(NULL);
    d.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    d.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    NONCLIENTMETRICSA m = {};
    m.cbSize = sizeof m;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
    d.fontHeight = abs(m.lfCaptionFont.lfHeight);
    return d;
}

// How many combinations go between two progress lines.
const int progressEvery = 2000;

// The sample: for each place and layout row, this many combinations spread
// over the other dimensions; MDI children of odd rows are active, of even
// rows inactive, so both states of an MDI child are always in it.
std::vector<int> sampleCombinations()
{
    const int perRow[placeCount] = {soakSize(2, 0), soakSize(1, 0), soakSize(1, 0)};
    std::vector<int> chosen;
    SoakRandom random(0xCA97);
    printf("caption matrix sample: seed %u (VARNEL_SOAK_SEED repeats it)\n", random.seedUsed());
    int taken[placeCount][14] = {};
    int wanted = 0;
    for (int place = 0; place < placeCount; place++) wanted += 13 * perRow[place];
    for (int tries = 0; tries < 400000 && (int)chosen.size() < wanted; tries++) {
        const int i = (int)random.below(combinationCount);
        const Combination c = combinationAt(i);
        const int row = rowOf(c);
        if (c.place == mdiChildWindow && c.active != (row % 2 == 1)) continue;
        if (taken[c.place][row] < perRow[c.place]) taken[c.place][row]++, chosen.push_back(i);
    }
    for (int place = 0; place < placeCount; place++)
        for (int row = 1; row <= 13; row++)
            EXPECT_EQ(perRow[place], taken[place][row]) << placeNames[place] << ", row " << row << " not sampled";
    return chosen;
}

}  // namespace

// The run's display is what it asked for (VARNEL_EXPECT_DPI,
// VARNEL_EXPECT_CAPTION_FONT: the caption font's height in pixels), and the
// engine took its metrics from it: a prefix whose settings did not take would
// run the matrix at the default metrics and pass for nothing.
TEST_F(CaptionMatrix, TheDisplayIsWhatTheRunAskedFor)
{
    const DisplayMetrics d = displayMetrics();
    printf("display: %d DPI, caption %d pixels high, caption font %d pixels\n", d.dpi, d.captionHeight, d.fontHeight);
    const int dpi = environmentNumber("VARNEL_EXPECT_DPI");
    const int font = environmentNumber("VARNEL_EXPECT_CAPTION_FONT");
    if (dpi) {
        EXPECT_EQ(dpi, d.dpi) << "LOGPIXELSY of the screen";
        // Wine's caption at 96 DPI is 19 pixels; every metric scales with the DPI.
        EXPECT_GE(d.captionHeight, 18 * dpi / 96) << "the caption did not grow with the DPI";
    }
    if (font) {
        EXPECT_EQ(font, d.fontHeight) << "the caption font's height";
        // The system makes the caption tall enough for its font.
        EXPECT_GE(d.captionHeight, font + 2) << "the caption did not grow with its font";
    } else if (dpi) {
        // The default caption font, scaled: no large font left over.
        EXPECT_LE(d.fontHeight, 12 * dpi / 96 + 1) << "a caption font larger than the default";
    }
    EXPECT_EQ(d.captionHeight, SharedResources.captionHeight) << "the engine's caption height";
    EXPECT_EQ(abs(SharedResources.nonClientMetrics.lfCaptionFont.lfHeight), d.fontHeight) << "the engine's caption font";
}

TEST_F(CaptionMatrix, EveryCombinationAgreesWithTheSystemsCaption)
{
    std::vector<int> chosen;
    if (soakFull()) {
        // Every combination, in an order that strides across all the
        // dimensions at once (a step prime to the count visits each index
        // once), so that a VARNEL_SOAK_SCALE below 100, which takes the
        // first of them, is a quick look at every part of the matrix.
        const int count = soakSize(1, combinationCount) < combinationCount ? soakSize(1, combinationCount)
                                                                            : combinationCount;
        const long long step = 7919;
        for (int k = 0; k < count; k++) chosen.push_back((int)(k * step % combinationCount));
    } else {
        chosen = sampleCombinations();
    }
    // VARNEL_MATRIX_MATCH: only the combinations whose description holds
    // the text, each of the whole matrix, to look again at one a run named.
    const char *match = getenv("VARNEL_MATRIX_MATCH");
    if (match && *match) {
        chosen.clear();
        for (int i = 0; i < combinationCount; i++)
            if (describe(combinationAt(i)).find(match) != std::string::npos) chosen.push_back(i);
    }

    long long tried = 0, titleLeft = 0, iconOrBoxes = 0, titleDiffers = 0, offTheBar = 0, activationDiffers = 0;
    long long frameTopDiffers = 0, frameTopsDrawn = 0;
    int rowsTried[placeCount][14] = {};
    const DWORD started = GetTickCount();
    for (int i : chosen) {
        // The whole matrix takes the better part of an hour: say how far it is.
        if (tried && tried % progressEvery == 0) {
            printf("matrix: %lld of %d windows, %lu s\n", tried, (int)chosen.size(),
                   (unsigned long)(GetTickCount() - started) / 1000);
            fflush(stdout);
        }
        const Combination c = combinationAt(i);
        Settings.centerCaptionText = c.look == centredTitle;
        Settings.splitTitleFonts = c.look == splitTitle;
        CaptionPair pair(recipeOf(c), 30, 40);
        ASSERT_TRUE(pair.systemWindow() && pair.engineWindow()) << describe(c);
        if (c.place == maximisedWindow) ASSERT_TRUE(IsZoomed(pair.systemWindow()) && IsZoomed(pair.engineWindow()));
        CaptionComparison r = compareCaptions(pair, c.look, systemDrawsIcon(c));
        const int activation = activationDiffersFromFramePainting(pair.engineWindow(), c.active, &r.where);
        int drawn = 0;
        const int frameTop = frameTopDiffersFromFramePainting(pair.engineWindow(), &r.where, &drawn);
        // Beside the pictures VARNEL_CAPTION_DUMP asks for, what each shows.
        if (getenv("VARNEL_CAPTION_DUMP")) printf("%03lld: %s\n", tried, describe(c).c_str());
        tried++;
        rowsTried[c.place][rowOf(c)]++;
        titleLeft += r.systemTitleLeft > 0;
        iconOrBoxes += r.iconOrBoxesChanged > 0;
        titleDiffers += r.titleDiffers > 0;
        offTheBar += r.stripOffTheBar > 0;
        activationDiffers += activation > 0;
        frameTopDiffers += frameTop > 0;
        frameTopsDrawn += drawn > 0;
        EXPECT_EQ(0, r.systemTitleLeft + r.iconOrBoxesChanged + r.titleDiffers + r.stripOffTheBar + activation +
                         frameTop)
            << describe(c) << ": " << r.where;
    }
    const DisplayMetrics d = displayMetrics();
    printf("caption matrix at %d DPI, caption %d pixels, font %d pixels: %lld combinations tried\n", d.dpi,
           d.captionHeight, d.fontHeight, tried);
    for (int place = 0; place < placeCount; place++) {
        printf("  %-10s rows:", placeNames[place]);
        for (int row = 1; row <= 13; row++) printf(" %d", rowsTried[place][row]);
        printf("\n");
    }
    printf("  (a) system title left: %lld\n  (b) icon or box changed: %lld\n  (c) title differs: %lld\n"
           "  (d) strip off the caption bar: %lld\n  (e) activation differs from the frame painting: %lld\n"
           "  (f) frame's top differs from the frame painting: %lld (drawn by the engine in %lld windows)\n",
           titleLeft, iconOrBoxes, titleDiffers, offTheBar, activationDiffers, frameTopDiffers, frameTopsDrawn);
    // Under Wine the engine draws the frame's top itself where the window is
    // not mirrored, not an MDI child, and shows the state the strip is
    // painted in (the sample's active windows are not in front, so their
    // strip is inactive): about a fifth of the whole matrix, and of a random
    // sample a share that varies with its seed. A run where it drew none
    // compared nothing in (f).
    if (!(match && *match)) EXPECT_GT(frameTopsDrawn, 0);
    // Runs at other metrics name their items after them (VARNEL_MATRIX_NAME).
    const char *name = getenv("VARNEL_MATRIX_NAME");
    std::string prefix = name && *name ? std::string("caption matrix ") + name : std::string("caption matrix");
    reportSoakItem((prefix + ": (a) system title left").c_str(), tried, titleLeft);
    reportSoakItem((prefix + ": (b) icon or box changed").c_str(), tried, iconOrBoxes);
    reportSoakItem((prefix + ": (c) title differs").c_str(), tried, titleDiffers);
    reportSoakItem((prefix + ": (d) strip off the caption bar").c_str(), tried, offTheBar);
    reportSoakItem((prefix + ": (e) activation differs from the frame painting").c_str(), tried, activationDiffers);
    reportSoakItem((prefix + ": (f) frame's top differs from the frame painting").c_str(), tried, frameTopDiffers);
}

// Frames the matrix does not make, each activated and deactivated: the
// edges a window may add to its frame (static, client, window edge), a
// dialog's modal frame style and a popup with a bare caption. After each
// activation change the window looks as it would with the system's frame
// painting around the strip. (A sizing border with a static edge is not
// among them: Wine drops the window edge such a window was made with at
// its first style change, the gradient painter then trades the static edge
// for a window edge, and until its frame is painted whole the frame shows
// the old edge, which the caption rows' frame painting would redraw and the
// caption drawing leaves.)
TEST_F(CaptionMatrix, ActivationOfOtherFramesAgreesWithTheFramePainting)
{
    struct Frame {
        const char *what;
        DWORD style, exStyle;
    } frames[] = {
        {"client edge", WS_OVERLAPPEDWINDOW, WS_EX_CLIENTEDGE},
        {"window and client edge, thin", WS_CAPTION | WS_SYSMENU, WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE},
        {"modal-frame dialog style", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME},
        {"popup, caption only", WS_POPUP | WS_CAPTION, 0},
        {"static edge and modal frame", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME},
    };
    for (const Frame &f : frames) {
        for (bool active : {true, false}) {
            CaptionRecipe r = {};
            r.style = f.style | WS_VISIBLE;
            r.exStyle = f.exStyle;
            r.icon = classSmallIcon;
            r.active = active;
            r.title = "Other frames";
            r.width = 380;
            r.height = 70 + 2 * GetSystemMetrics(SM_CYCAPTION);
            CaptionPair pair(r, 30, 40);
            ASSERT_TRUE(pair.engineWindow()) << f.what;
            std::string where;
            EXPECT_EQ(0, activationDiffersFromFramePainting(pair.engineWindow(), active, &where))
                << f.what << (active ? ", active: " : ", inactive: ") << where;
        }
    }
}

// The striped look after activation changes, over the sample's windows: its
// bar covers the caption but for a few pixels at its ends, which the
// system's caption drawing puts back as its frame painting would.
TEST_F(CaptionMatrix, StripedActivationAgreesWithTheFramePainting)
{
    Settings.macButtons = 1;
    int tried = 0, differing = 0;
    for (int i : sampleCombinations()) {
        const Combination c = combinationAt(i);
        CaptionPair pair(recipeOf(c), 30, 40);
        ASSERT_TRUE(pair.engineWindow()) << describe(c);
        std::string where;
        const int wrong = activationDiffersFromFramePainting(pair.engineWindow(), c.active, &where);
        tried++;
        differing += wrong > 0;
        EXPECT_EQ(0, wrong) << describe(c) << ": " << where;
    }
    printf("striped captions: %d windows activated both ways, %d differ from the frame painting\n", tried, differing);
}

// Activation changes drawn by the system's caption drawing leave no GDI
// object behind: a window with the default icon (which the system loads
// for the drawing) and one with an icon of its own, each activated and
// deactivated 300 times.
TEST_F(CaptionMatrix, ActivationChangesLeaveNoGdiObjectBehind)
{
    for (CaptionIcon icon : {noOwnIcon, ownSmallIcon}) {
        CaptionRecipe r = {};
        r.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        r.icon = icon;
        r.active = true;
        r.title = "Leaks";
        r.width = 380;
        r.height = 120;
        CaptionPair pair(r, 30, 40);
        HWND w = pair.engineWindow();
        ASSERT_TRUE(w);
        for (int i = 0; i < 4; i++) SendMessageA(w, WM_NCACTIVATE, i % 2, 0);
        const int before = freeGdiHandles();
        ASSERT_GT(before, 1000);
        for (int i = 0; i < 600; i++) SendMessageA(w, WM_NCACTIVATE, i % 2, 0);
        EXPECT_EQ(before, freeGdiHandles()) << (icon == noOwnIcon ? "default icon" : "own icon");
    }
}
