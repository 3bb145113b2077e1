// The caption's title area for every frame and button combination, worked
// out without a window.
#include <gtest/gtest.h>

#include "caption/caption_layout.h"
#include "support/caption_rows.h"

// Metrics that differ from each other, so that one taken for another shows.
static const CaptionMetrics metrics = {
    /*frameWidth*/ 5, /*frameHeight*/ 7, /*edgeWidth*/ 2, /*edgeHeight*/ 3,
    /*captionButtonWidth*/ 19, /*captionHeight*/ 23, /*smallCaptionHeight*/ 17, /*smallIconWidth*/ 13,
};

// The thirteen rows as data: the bits each row requires, in table order. The
// first row whose required bits are all present (and whose frame matches)
// is the one used.
enum Feature { thick = 1, minMax = 2, sysMenu = 4, help = 8, tool = 16 };

struct RowConditions {
    int row;
    bool thickFrame;
    int required;  // of minMax, sysMenu, help, tool
};

static const RowConditions rowTable[] = {
    {1, true, minMax},          {2, true, help},   {3, true, tool},       {4, true, sysMenu},
    {5, true, 0},               {6, false, help | sysMenu | minMax},      {7, false, help | sysMenu},
    {8, false, help},           {9, false, tool | sysMenu},               {10, false, tool},
    {11, false, sysMenu | minMax}, {12, false, sysMenu},                  {13, false, 0},
};

static int expectedRow(int features)
{
    for (const RowConditions &c : rowTable)
        if (c.thickFrame == ((features & thick) != 0) && (features & c.required) == c.required) return c.row;
    return 0;
}

// Every combination of the style bits the layout looks at: thick frame,
// minimise box, maximise box, system menu, context help, tool window.
static void stylesOf(int combination, LONG *style, LONG *exStyle, int *features)
{
    *style = WS_CAPTION;
    *exStyle = 0;
    *features = 0;
    if (combination & 1) { *style |= WS_THICKFRAME; *features |= thick; }
    if (combination & 2) { *style |= WS_MINIMIZEBOX; *features |= minMax; }
    if (combination & 4) { *style |= WS_MAXIMIZEBOX; *features |= minMax; }
    if (combination & 8) { *style |= WS_SYSMENU; *features |= sysMenu; }
    if (combination & 16) { *exStyle |= WS_EX_CONTEXTHELP; *features |= help; }
    if (combination & 32) { *exStyle |= WS_EX_TOOLWINDOW; *features |= tool; }
}

TEST(CaptionLayout, EveryStyleCombinationTakesTheFirstMatchingRowAndItsSums)
{
    int rowsSeen[14] = {};
    for (int combination = 0; combination < 64; combination++) {
        LONG style, exStyle;
        int features;
        stylesOf(combination, &style, &exStyle, &features);
        for (int width : {300, 120, 641})
        for (int icon : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "style " << std::hex << style << " exStyle " << exStyle
                                            << std::dec << " width " << width << " icon " << icon);
            CaptionLayout l = captionLayout(style, exStyle, width, metrics, icon);
            int row = expectedRow(features);
            ASSERT_EQ(row, l.row);
            CaptionArea a = expectedCaptionArea(row, width, metrics, icon != 0, (features & tool) != 0);
            EXPECT_EQ(a.left, l.left);
            EXPECT_EQ(a.top, l.top);
            EXPECT_EQ(a.right, l.right);
            EXPECT_EQ(a.bottom, l.bottom);
            EXPECT_EQ(a.buttonsRight, l.buttonsRight);
        }
        rowsSeen[expectedRow(features)]++;
    }
    for (int row = 1; row <= 13; row++) EXPECT_GT(rowsSeen[row], 0) << "row " << row << " never reached";
}

struct NamedCase {
    const char *what;
    LONG style;
    LONG exStyle;
    int row;
};

static const NamedCase orderingCases[] = {
    {"thick, maximise box alone: three button widths", WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 1},
    {"thick, minimise box alone", WS_THICKFRAME | WS_MINIMIZEBOX, 0, 1},
    {"thick, buttons win over help and tool", WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX,
     WS_EX_CONTEXTHELP | WS_EX_TOOLWINDOW, 1},
    {"thick tool window with help: help first", WS_THICKFRAME, WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP, 2},
    {"thick tool window with a system menu", WS_THICKFRAME | WS_SYSMENU, WS_EX_TOOLWINDOW, 3},
    {"thick tool window without a system menu", WS_THICKFRAME, WS_EX_TOOLWINDOW, 3},
    {"thin, help and system menu, no boxes: two button widths", WS_SYSMENU, WS_EX_CONTEXTHELP, 7},
    {"thin, help and boxes without a system menu", WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_EX_CONTEXTHELP, 8},
    {"thin, help wins over tool", WS_SYSMENU, WS_EX_CONTEXTHELP | WS_EX_TOOLWINDOW, 7},
    {"thin tool window with boxes but no system menu", WS_MINIMIZEBOX, WS_EX_TOOLWINDOW, 10},
    {"thin, boxes without a system menu", WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 13},
};

TEST(CaptionLayout, OrderOfTheTestsDecidesOverlappingCases)
{
    for (const NamedCase &c : orderingCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.row, captionLayout(WS_CAPTION | c.style, c.exStyle, 300, metrics, 0).row);
    }
}

TEST(CaptionLayout, RowsTenTwelveAndThirteenUseTheirSumsAsWritten)
{
    const int w = 200;
    // Row 10 adds the frame width, and its buttons end 13 short.
    CaptionLayout ten = captionLayout(WS_CAPTION, WS_EX_TOOLWINDOW, w, metrics, 0);
    EXPECT_EQ(10, ten.row);
    EXPECT_EQ(w + metrics.frameWidth - 9, ten.right);
    EXPECT_EQ(w - 13, ten.buttonsRight);
    // Rows 12 and 13 take the edge height off a width.
    CaptionLayout twelve = captionLayout(WS_CAPTION | WS_SYSMENU, 0, w, metrics, 1);
    EXPECT_EQ(12, twelve.row);
    EXPECT_EQ(w - metrics.edgeWidth - metrics.captionButtonWidth - 3, twelve.right);
    EXPECT_EQ(w - metrics.edgeHeight - 1, twelve.buttonsRight);
    CaptionLayout thirteen = captionLayout(WS_CAPTION, 0, w, metrics, 0);
    EXPECT_EQ(13, thirteen.row);
    EXPECT_EQ(w - metrics.edgeWidth - 3, thirteen.right);
    EXPECT_EQ(w - metrics.edgeHeight - 3, thirteen.buttonsRight);
}

TEST(CaptionLayout, OtherStyleBitsDoNotChangeTheLayout)
{
    const LONG noise = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD | WS_MAXIMIZE | WS_MINIMIZE |
                       WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_DLGFRAME | 0xFF;
    const LONG exNoise = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_MDICHILD | WS_EX_DLGMODALFRAME |
                         WS_EX_STATICEDGE | WS_EX_TOPMOST | WS_EX_APPWINDOW;
    for (int combination = 0; combination < 64; combination++) {
        LONG style, exStyle;
        int features;
        stylesOf(combination, &style, &exStyle, &features);
        CaptionLayout plain = captionLayout(style, exStyle, 300, metrics, 1);
        CaptionLayout noisy = captionLayout(style | noise, exStyle | exNoise, 300, metrics, 1);
        SCOPED_TRACE(combination);
        EXPECT_EQ(plain.row, noisy.row);
        EXPECT_EQ(plain.left, noisy.left);
        EXPECT_EQ(plain.right, noisy.right);
        EXPECT_EQ(plain.buttonsRight, noisy.buttonsRight);
    }
}

// The system's icon rule, case by case: what decides, and what it leaves
// alone. Every combination of the layout's style bits, with and without a
// modal frame and an icon of the window's or its class's.
TEST(CaptionIcon, ShownExactlyWhereTheSystemDrawsAnIcon)
{
    struct Rule {
        const char *what;
        bool applies(LONG style, LONG exStyle, int hasIcon) const
        {
            return (style & needStyle) == needStyle && (exStyle & needEx) == needEx && !(style & noStyle) &&
                   !(exStyle & noEx) && (hasIcon == iconIs || iconIs < 0);
        }
        LONG needStyle, needEx, noStyle, noEx;
        int iconIs;  // -1: either
        int shown;
    };
    // The first rule that applies decides.
    static const Rule rules[] = {
        {"no system menu: no icon, whatever the window has", 0, 0, WS_SYSMENU, 0, -1, 0},
        {"tool window: no icon", WS_SYSMENU, WS_EX_TOOLWINDOW, 0, 0, -1, 0},
        {"modal frame without an icon: none, not the default one", WS_SYSMENU, WS_EX_DLGMODALFRAME, 0, 0, 0, 0},
        {"modal frame with an icon: the icon", WS_SYSMENU, WS_EX_DLGMODALFRAME, 0, 0, 1, 1},
        {"system menu, no modal frame: its icon or the default one", WS_SYSMENU, 0, 0, WS_EX_DLGMODALFRAME, -1, 1},
    };
    int decided[5] = {};
    for (int combination = 0; combination < 64; combination++)
        for (LONG modal : {0L, (LONG)WS_EX_DLGMODALFRAME})
            for (int hasIcon : {0, 1}) {
                LONG style, exStyle;
                int features;
                stylesOf(combination, &style, &exStyle, &features);
                exStyle |= modal;
                int r = 0;
                while (!rules[r].applies(style, exStyle, hasIcon)) r++;
                decided[r]++;
                SCOPED_TRACE(testing::Message() << rules[r].what << ": style " << std::hex << style << " exStyle "
                                                << exStyle << " icon " << hasIcon);
                EXPECT_EQ(rules[r].shown, captionShowsIcon(style, exStyle, hasIcon));
                // Styles that carry no meaning for the icon change nothing.
                EXPECT_EQ(rules[r].shown, captionShowsIcon(style | WS_VISIBLE | WS_MAXIMIZE | DS_MODALFRAME,
                                                           exStyle | WS_EX_LAYOUTRTL | WS_EX_MDICHILD, hasIcon));
            }
    for (int r = 0; r < 5; r++) EXPECT_GT(decided[r], 0) << rules[r].what << " never decided";
}

// The repaint asks for a window's icons only where captionIconDependsOnWindow
// says so: everywhere else the answer must be the same with and without one.
TEST(CaptionIcon, OnlyModalFrameWindowsWithASystemMenuNeedTheirIconsLookedUp)
{
    int lookUps = 0;
    for (int combination = 0; combination < 64; combination++)
        for (LONG modal : {0L, (LONG)WS_EX_DLGMODALFRAME}) {
            LONG style, exStyle;
            int features;
            stylesOf(combination, &style, &exStyle, &features);
            exStyle |= modal;
            const bool differs = captionShowsIcon(style, exStyle, 0) != captionShowsIcon(style, exStyle, 1);
            const bool asks = captionIconDependsOnWindow(style, exStyle) != 0;
            EXPECT_EQ(differs, asks) << std::hex << style << " " << exStyle;
            if (asks) {
                lookUps++;
                EXPECT_TRUE(modal && (style & WS_SYSMENU) && !(exStyle & WS_EX_TOOLWINDOW));
            }
        }
    // Of the 64 combinations half have a system menu, half of those are no
    // tool window; each of those 16 asks with the modal frame only.
    EXPECT_EQ(16, lookUps);
}
