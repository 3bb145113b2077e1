// The caption painters' geometry on its own: band positions and colours, the
// edge corrections, the button outline and the striped layout.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "caption/caption_geometry.h"
#include "engine/shared_resources.h"
#include "engine/system_look.h"

static bool sameArea(const CaptionArea &a, const CaptionArea &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom &&
           a.buttonsRight == b.buttonsRight;
}

static ::testing::AssertionResult areaIs(const CaptionArea &actual, const CaptionArea &expected)
{
    if (sameArea(actual, expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "area {" << actual.left << ", " << actual.top << ", " << actual.right
                                         << ", " << actual.bottom << ", " << actual.buttonsRight << "}, expected {"
                                         << expected.left << ", " << expected.top << ", " << expected.right << ", "
                                         << expected.bottom << ", " << expected.buttonsRight << "}";
}

TEST(CaptionDrawn, NeedsABorderOrAModalFrame)
{
    EXPECT_TRUE(captionIsDrawn(WS_BORDER, 0));
    EXPECT_TRUE(captionIsDrawn(WS_CAPTION, 0));
    EXPECT_TRUE(captionIsDrawn(WS_POPUP, WS_EX_DLGMODALFRAME));
    EXPECT_FALSE(captionIsDrawn(WS_POPUP | WS_DLGFRAME | WS_THICKFRAME, WS_EX_WINDOWEDGE | WS_EX_STATICEDGE));
    EXPECT_FALSE(captionIsDrawn(0, 0));
}

TEST(CaptionActive, StateZeroFollowsTheForegroundWindow)
{
    struct {
        int state, foreground, active;
    } cases[] = {{0, 1, 1}, {0, 0, 0}, {1, 0, 1}, {1, 1, 1}, {2, 1, 0}, {2, 0, 0}, {7, 1, 0}, {-1, 1, 0}};
    for (auto &c : cases)
        EXPECT_EQ(c.active, captionIsActive(c.state, c.foreground)) << "state " << c.state << " fg " << c.foreground;
}

TEST(GradientEdgeCorrection, MovesTheAreaByTheWindowsEdges)
{
    const CaptionArea start = {30, 4, 400, 22, 480};
    const int edge = 2;
    struct Case {
        const char *what;
        DWORD style, exStyle;
        int icon;
        DWORD expectedExStyle;
        CaptionArea expected;
    } cases[] = {
        {"window edge: nothing moves", WS_CAPTION, WS_EX_WINDOWEDGE, 0, WS_EX_WINDOWEDGE, start},
        {"static edge becomes a window edge", WS_CAPTION, WS_EX_STATICEDGE | WS_EX_ACCEPTFILES, 0,
         WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES, {31, 3, 401, 21, 481}},
        {"no edge: the title starts one pixel in", WS_BORDER, WS_EX_TOOLWINDOW, 0, WS_EX_TOOLWINDOW,
         {1, 1, 402, 18, 482}},
        {"modal frame: left after the edge", WS_CAPTION | DS_MODALFRAME, WS_EX_WINDOWEDGE, 0, WS_EX_WINDOWEDGE,
         {3, 4, 400, 22, 480}},
        {"modal frame wins over the static edge's shift", WS_CAPTION | DS_MODALFRAME, WS_EX_STATICEDGE, 0,
         WS_EX_WINDOWEDGE, {3, 3, 401, 21, 481}},
        {"modal frame wins over the bare window's left", WS_BORDER | DS_MODALFRAME, 0, 0, 0, {3, 1, 402, 18, 482}},
        {"modal frame with an icon: the icon's place stays", WS_CAPTION | DS_MODALFRAME, WS_EX_WINDOWEDGE, 1,
         WS_EX_WINDOWEDGE, start},
        {"an icon leaves the other corrections alone", WS_CAPTION, WS_EX_STATICEDGE, 1, WS_EX_WINDOWEDGE,
         {31, 3, 401, 21, 481}},
    };
    for (const Case &c : cases) {
        CaptionArea area = start;
        EXPECT_EQ(c.expectedExStyle, gradientEdgeCorrection(c.style, c.exStyle, edge, c.icon, &area)) << c.what;
        EXPECT_TRUE(areaIs(area, c.expected)) << c.what;
    }
}

TEST(GradientStrip, IsOneRowTallerThanTheCopyAndEndsBeforeTheButtons)
{
    const CaptionArea area = {21, 4, 500, 22, 596};
    GradientStrip s = gradientStrip(area);
    EXPECT_EQ(480, s.width);
    EXPECT_EQ(19, s.height);
    EXPECT_EQ(501, s.lineX);
    EXPECT_EQ(23, s.bottom1);
}

TEST(GradientBands, WidthHundredSixteenBandsStartWhereTheFloatStepsSay)
{
    const int starts[] = {0, 6, 12, 18, 25, 31, 37, 43, 50, 56, 62, 68, 75, 81, 87, 93};
    EXPECT_EQ(6.25f, gradientBandWidth(100, 16));
    for (int k = 0; k < 16; k++) {
        BandSpan span = gradientBandSpan(100, 16, k);
        EXPECT_EQ(starts[k], span.start) << "band " << k;
        const int next = k < 15 ? starts[k + 1] : 100;
        EXPECT_EQ(next + bandOverlap, span.end) << "band " << k << " reaches 3 pixels past the next start";
    }
}

TEST(GradientBands, NoBandsHaveNoWidth)
{
    EXPECT_EQ(0.0f, gradientBandWidth(100, 0));
    EXPECT_EQ(0.0f, gradientBandWidth(0, 0));
}

// Every width a caption can have and every band count a byte can hold: the
// bands start in order at the truncated float position, each reaches 3 pixels
// past the next one's start (4 where adding 3 rounds up in float), and the last
// one covers the strip.
TEST(GradientBands, EveryWidthAndBandCountTilesTheStripWithOverlap)
{
    int failures = 0;
    for (int width = 1; width <= 800 && failures < 10; width++) {
        for (int bands = 1; bands <= 255 && failures < 10; bands++) {
            const float bandWidth = gradientBandWidth(width, bands);
            float position = 0.0f;
            BandSpan previous = {0, 0};
            for (int k = 0; k < bands; k++) {
                BandSpan span = bandSpanAt(position, bandWidth);
                const int exact = (int)((long long)k * width / bands);
                bool ok = abs(span.start - exact) <= 1;
                if (k == 0) ok = ok && span.start == 0;
                if (k > 0)
                    ok = ok && span.start >= previous.start &&
                         (previous.end == span.start + 3 || previous.end == span.start + 4);
                if (k == bands - 1) ok = ok && span.end >= width + 2 && span.end <= width + 4;
                // Band counts that are powers of two step exactly.
                if ((bands & (bands - 1)) == 0) ok = ok && span.start == exact;
                if (!ok) {
                    ADD_FAILURE() << "width " << width << " bands " << bands << " band " << k << " span "
                                  << span.start << ".." << span.end;
                    failures++;
                    break;
                }
                previous = span;
                position = nextBandPosition(position, bandWidth);
            }
        }
    }
}

TEST(GradientBands, BandSpanOfBandKIsTheKthStep)
{
    for (int width = 1; width <= 90; width += 7)
        for (int bands = 1; bands <= 40; bands++) {
            const float bandWidth = gradientBandWidth(width, bands);
            float position = 0.0f;
            for (int k = 0; k < bands; k++) {
                BandSpan stepped = bandSpanAt(position, bandWidth), direct = gradientBandSpan(width, bands, k);
                ASSERT_EQ(stepped.start, direct.start) << width << "/" << bands << " band " << k;
                ASSERT_EQ(stepped.end, direct.end) << width << "/" << bands << " band " << k;
                position = nextBandPosition(position, bandWidth);
            }
        }
}

TEST(BandColours, PlainGradientSubtractsOneStepPerBand)
{
    const BandColour start = {128, 64, 200}, step = {8, 4, -3};
    for (int k = 0; k <= 16; k++) {
        COLORREF c = bandColourRef(colourAfterSteps(start, step, k, 16, 0));
        EXPECT_EQ(RGB(128 - 8 * k, 64 - 4 * k, (200 + 3 * k) & 0xFF), c) << "after " << k << " bands";
    }
}

TEST(BandColours, StartUpStepsGiveTheDocumentedBands)
{
    const float s = gradientStep(128, 0, 3);
    const BandColour start = {128, 128, 128}, step = {s, s, s};
    EXPECT_EQ(128, colourByte(colourAfterSteps(start, step, 0, 3, 0).r));
    EXPECT_EQ(86, colourByte(colourAfterSteps(start, step, 1, 3, 0).r));
    EXPECT_EQ(44, colourByte(colourAfterSteps(start, step, 2, 3, 0).r));
}

TEST(BandColours, FiveMirroredBandsFallTwiceThenRiseThrice)
{
    const BandColour start = {100, 100, 100}, step = {10, -5, 0};
    const int red[] = {100, 80, 60, 80, 100, 120};
    const int green[] = {100, 110, 120, 110, 100, 90};
    for (int k = 0; k <= 5; k++) {
        BandColour c = colourAfterSteps(start, step, k, 5, 1);
        EXPECT_EQ(red[k], colourByte(c.r)) << "after " << k << " bands";
        EXPECT_EQ(green[k], colourByte(c.g)) << "after " << k << " bands";
        EXPECT_EQ(100, colourByte(c.b));
    }
}

// Whole-number steps, as start-up computes them, for every start byte: the
// colour after k bands is the integer formula cut to its low 8 bits.
TEST(BandColours, EveryStartStepAndBandCountMatchesTheIntegerFormula)
{
    int failures = 0;
    for (int start = 0; start <= 255 && failures < 10; start++)
        for (int step = -24; step <= 24 && failures < 10; step += 3)
            for (int bands = 1; bands <= 24; bands++)
                for (int mirrored = 0; mirrored <= 1; mirrored++) {
                    BandColour c = {(float)start, (float)start, (float)start};
                    const BandColour s = {(float)step, (float)step, (float)step};
                    const int half = bands / 2;
                    for (int k = 0; k <= bands; k++) {
                        int expected;
                        if (!mirrored)
                            expected = start - k * step;
                        else if (k <= half)
                            expected = start - 2 * k * step;
                        else
                            expected = start - 2 * half * step + 2 * (k - half) * step;
                        if (colourByte(c.r) != (expected & 0xFF)) {
                            ADD_FAILURE() << "start " << start << " step " << step << " bands " << bands
                                          << " mirrored " << mirrored << " k " << k;
                            failures++;
                            break;
                        }
                        c = colourAfterBand(c, s, k, bands, mirrored);
                    }
                }
}

TEST(BandColours, ComponentsTruncateTowardZeroAndKeepTheLowByte)
{
    struct {
        float component;
        int byte;
    } cases[] = {{0.0f, 0}, {7.9f, 7}, {255.99f, 255}, {256.0f, 0}, {300.9f, 44}, {-0.5f, 0},
                 {-1.0f, 255}, {-1.5f, 255}, {-2.7f, 254}, {-256.0f, 0}, {511.5f, 255}};
    for (auto &c : cases) EXPECT_EQ(c.byte, colourByte(c.component)) << c.component;
    EXPECT_EQ(RGB(44, 0, 254), bandColourRef({300.9f, -0.5f, -2.7f}));
}

TEST(BandColours, FractionalStepsTruncateEachBandOnItsOwn)
{
    const BandColour start = {10, 0, 0}, step = {2.5f, 0.75f, 0};
    // red 10, 7.5, 5, 2.5, 0, -2.5, -5; green 0, -0.75, -1.5, -2.25, -3, -3.75, -4.5
    const int red[] = {10, 7, 5, 2, 0, 254, 251};
    const int green[] = {0, 0, 255, 254, 253, 253, 252};
    for (int k = 0; k < 7; k++) {
        BandColour c = colourAfterSteps(start, step, k, 20, 0);
        EXPECT_EQ(red[k], colourByte(c.r)) << "after " << k;
        EXPECT_EQ(green[k], colourByte(c.g)) << "after " << k;
    }
}

TEST(TitleSplit, AtTheFirstDashOrTheEnd)
{
    struct {
        const char *title;
        int length, split;
    } cases[] = {{"Report - Editor", 15, 7}, {"-Editor", 7, 0}, {"Plain", 5, 5}, {"", 0, 0},
                 {"a-b-c", 5, 1},            {"ab-c", 2, 2},    {"--", 2, 0}};
    for (auto &c : cases) EXPECT_EQ(c.split, titleSplitIndex(c.title, c.length)) << c.title;
}

// A large caption font (display settings) would be cut off in a tool
// window's small caption: tool windows take it at the small font's height.
TEST(ToolCaptionFont, ALargerCaptionFontTakesTheSmallCaptionFontsHeight)
{
    EXPECT_EQ(-11, toolCaptionFontHeight(-20, -11)) << "larger character height";
    EXPECT_EQ(16, toolCaptionFontHeight(24, 16)) << "larger cell height";
    EXPECT_EQ(0, toolCaptionFontHeight(-11, -11)) << "the same size: the caption font as it is";
    EXPECT_EQ(0, toolCaptionFontHeight(-11, -14)) << "a smaller caption font";
    EXPECT_EQ(0, toolCaptionFontHeight(0, -11)) << "a default caption font height";
    EXPECT_EQ(0, toolCaptionFontHeight(-20, 0)) << "a default small caption font height";
    EXPECT_EQ(0, toolCaptionFontHeight(-20, 11)) << "heights of different kinds are not compared";
}

TEST(ButtonOutline, LinesRunAroundTheButtonArea)
{
    const CaptionArea area = {21, 4, 500, 22, 596};
    const int button = 18;
    OutlineLine lines[outlineLineCount];
    gradientOutlineLines(area, button, lines);
    const OutlineLine expected[outlineLineCount] = {
        {501, 4, 501, 22},   {501, 4, 596, 4},   {501, 5, 596, 5},   {501, 21, 596, 21}, {501, 20, 596, 20},
        {595, 4, 595, 22},   {594, 4, 594, 22},  {577, 4, 577, 22},  {576, 4, 576, 22},
    };
    for (int i = 0; i < outlineLineCount; i++) {
        EXPECT_EQ(expected[i].x1, lines[i].x1) << "line " << i;
        EXPECT_EQ(expected[i].y1, lines[i].y1) << "line " << i;
        EXPECT_EQ(expected[i].x2, lines[i].x2) << "line " << i;
        EXPECT_EQ(expected[i].y2, lines[i].y2) << "line " << i;
    }
}

TEST(ForcedClientEdge, DialogLikeWindowsWithoutOneExceptFolders)
{
    struct {
        DWORD style, exStyle;
        int folder, expected;
    } cases[] = {
        {WS_CAPTION, 0, 0, 1},
        {WS_CAPTION | WS_MAXIMIZEBOX, 0, 0, 0},
        {WS_CAPTION | WS_MAXIMIZEBOX | DS_MODALFRAME, 0, 0, 1},
        {WS_CAPTION, WS_EX_CLIENTEDGE, 0, 0},
        {WS_CAPTION, 0, 1, 0},
        {WS_CAPTION | DS_MODALFRAME, 0, 1, 0},
    };
    for (auto &c : cases)
        EXPECT_EQ(c.expected, needsForcedClientEdge(c.style, c.exStyle, c.folder))
            << std::hex << c.style << " " << c.exStyle << " folder " << c.folder;
}

TEST(StripedEdgeCorrection, AddsAModalFrameAndKeepsEveryOtherBit)
{
    const CaptionArea start = {30, 4, 400, 22, 480};
    struct Case {
        const char *what;
        DWORD exStyle, expected;
        CaptionArea area;
    } cases[] = {
        {"window edge: nothing moves", WS_EX_WINDOWEDGE | WS_EX_TOPMOST, WS_EX_WINDOWEDGE | WS_EX_TOPMOST, start},
        {"static edge becomes a window edge", WS_EX_STATICEDGE | WS_EX_ACCEPTFILES,
         WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES, {30, 3, 401, 21, 481}},
        {"no edge: a modal frame is added to the other bits",
         WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_MDICHILD,
         WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_MDICHILD | WS_EX_DLGMODALFRAME,
         {30, 1, 402, 18, 482}},
        {"no bits at all", 0, WS_EX_DLGMODALFRAME, {30, 1, 402, 18, 482}},
    };
    for (const Case &c : cases) {
        CaptionArea area = start;
        EXPECT_EQ(c.expected, stripedEdgeCorrection(c.exStyle, &area)) << c.what;
        EXPECT_TRUE(areaIs(area, c.area)) << c.what;
    }
}

TEST(StripedDecoration, ActiveOrNotSolidOrToolWindow)
{
    for (int active = 0; active <= 1; active++)
        for (int solid = 0; solid <= 1; solid++)
            for (int tool = 0; tool <= 1; tool++) {
                const DWORD ex = tool ? WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE : WS_EX_WINDOWEDGE;
                const int expected = active || !solid || tool;
                EXPECT_EQ(expected, stripedCaptionDecorated(active, solid, ex))
                    << "active " << active << " solid " << solid << " tool " << tool;
            }
}

TEST(StripedLayout, BoxesNarrowButtonAreasAndTitleRight)
{
    struct Case {
        const char *what;
        CaptionArea area;
        int decorated;
        DWORD style;
        StripedLayout expected;
    } cases[] = {
        {"both boxes", {21, 4, 540, 22, 596}, 1, WS_MINIMIZEBOX | WS_MAXIMIZEBOX, {596, 594, 19, 560, 1, 560, 577}},
        {"minimise box only", {21, 4, 540, 22, 596}, 1, WS_MINIMIZEBOX, {596, 594, 19, 560, 1, 560, 577}},
        {"zoom box only", {21, 4, 540, 22, 596}, 1, WS_MAXIMIZEBOX, {596, 594, 19, 560, 1, 560, 577}},
        {"no box styles: stripes to the end", {21, 4, 540, 22, 596}, 1, WS_SYSMENU,
         {596, 594, 19, 594, 0, 560, 577}},
        {"undecorated: no boxes", {21, 4, 540, 22, 596}, 0, WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         {596, 594, 19, 594, 0, 560, 577}},
        {"button area of 3 widens by one", {21, 4, 593, 22, 596}, 0, 0, {597, 595, 19, 595, 0, 561, 578}},
        {"button area of 4 does not", {21, 4, 592, 22, 596}, 0, 0, {596, 594, 19, 594, 0, 560, 577}},
        {"negative button area widens", {21, 4, 600, 22, 596}, 0, 0, {597, 595, 19, 595, 0, 561, 578}},
    };
    for (const Case &c : cases) {
        StripedLayout l = stripedLayout(c.area, c.decorated, c.style);
        EXPECT_EQ(c.expected.buttonsRight, l.buttonsRight) << c.what;
        EXPECT_EQ(c.expected.inner, l.inner) << c.what;
        EXPECT_EQ(c.expected.height, l.height) << c.what;
        EXPECT_EQ(c.expected.titleRight, l.titleRight) << c.what;
        EXPECT_EQ(c.expected.boxes, l.boxes) << c.what;
        EXPECT_EQ(c.expected.zoomBoxX, l.zoomBoxX) << c.what;
        EXPECT_EQ(c.expected.minimiseBoxX, l.minimiseBoxX) << c.what;
    }
}

TEST(StripedLayout, FivePairsOfStripesFromRowFourToThirteen)
{
    const int titleRight = 300;
    for (int i = 0; i < stripePairCount; i++) {
        RECT s = stripeShadowRect(titleRight, i), h = stripeHighlightRect(titleRight, i);
        EXPECT_EQ(21, s.left);
        EXPECT_EQ(296, s.right);
        EXPECT_EQ(5 + 2 * i, s.top);
        EXPECT_EQ(s.top + 1, s.bottom);
        EXPECT_EQ(20, h.left);
        EXPECT_EQ(295, h.right);
        EXPECT_EQ(4 + 2 * i, h.top);
        EXPECT_EQ(h.top + 1, h.bottom);
    }
    EXPECT_EQ(4, stripeHighlightRect(titleRight, 0).top);
    EXPECT_EQ(13, stripeShadowRect(titleRight, stripePairCount - 1).top);
}
