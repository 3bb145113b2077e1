// The engine's flat look of converted push buttons, read back from real
// buttons painted through their parent's WM_DRAWITEM: face, edges and text in
// each state, and which WM_DRAWITEM messages the parent keeps for itself.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "engine/converted_buttons.h"
#include "engine/settings.h"
#include "subclass/owner_drawn_buttons.h"
#include "support/message_log.h"
#include "support/pixels.h"
#include "support/skinned_controls.h"
#include "support/test_windows.h"

TEST(ShiftColourChannels, EachChannelStaysWithinItsByte)
{
    struct Case {
        COLORREF colour;
        int delta;
        COLORREF expected;
    } cases[] = {
        {RGB(0x80, 0x90, 0xA0), -0x14, RGB(0x6C, 0x7C, 0x8C)},
        {RGB(0x80, 0x90, 0xA0), 0x0E, RGB(0x8E, 0x9E, 0xAE)},
        {RGB(0x10, 0x00, 0xFF), -0x14, RGB(0x00, 0x00, 0xEB)},  // no borrow from green or blue
        {RGB(0xFF, 0x05, 0xF8), 0x0E, RGB(0xFF, 0x13, 0xFF)},   // no carry into the next channel
        {RGB(0xFF, 0xFF, 0xFF), 0x0E, RGB(0xFF, 0xFF, 0xFF)},   // nothing reaches the high byte
        {RGB(0, 0, 0), -0x0E, RGB(0, 0, 0)},
    };
    for (const Case &c : cases) EXPECT_EQ(c.expected, shiftColourChannels(c.colour, c.delta)) << std::hex << c.colour;
}

static int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// The test's own colour arithmetic on the system colours.
static COLORREF shifted(int sysColour, int delta)
{
    COLORREF c = GetSysColor(sysColour);
    return displayed(RGB(clampByte(GetRValue(c) + delta), clampByte(GetGValue(c) + delta),
                         clampByte(GetBValue(c) + delta)));
}

struct InkBox {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // inclusive
    int count = 0;
    bool operator==(const InkBox &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    InkBox moved(int dx, int dy) const
    {
        InkBox b = *this;
        b.left += dx;
        b.right += dx;
        b.top += dy;
        b.bottom += dy;
        return b;
    }
};

static std::ostream &operator<<(std::ostream &out, const InkBox &b)
{
    return out << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ") n=" << b.count;
}

// The pixels inside the one-pixel edge that pass the test.
static InkBox inkBox(const WindowPixels &p, const std::function<bool(COLORREF)> &isInk)
{
    InkBox b;
    for (int y = 1; y < p.height() - 1; y++)
        for (int x = 1; x < p.width() - 1; x++) {
            if (!isInk(p.at(x, y))) continue;
            b.count++;
            if (x < b.left) b.left = x;
            if (x > b.right) b.right = x;
            if (y < b.top) b.top = y;
            if (y > b.bottom) b.bottom = y;
        }
    return b;
}

// A button's text drawn the way a centred label in a w x h item rectangle is
// laid out, in the button's font (NULL: the DC's default font, which a button
// without WM_SETFONT paints with), measured here rather than assumed.
static WindowPixels referenceLabelDrawn(int w, int h, COLORREF face, HFONT font,
                                       const std::function<int(HDC, RECT *, UINT)> &drawText)
{
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    if (font) SelectObject(dc, font);
    HBRUSH brush = CreateSolidBrush(face);
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, face ^ 0x00FFFFFF);
    RECT r = all;
    int height = drawText(dc, &r, DT_CALCRECT | DT_CENTER);
    int top = (h - height) / 2;
    RECT label = {0, top, w, top + height};
    drawText(dc, &label, DT_CENTER | DT_VCENTER);
    WindowPixels pixels(dc, w, h);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    return pixels;
}

static WindowPixels referenceLabel(int w, int h, const std::string &text, COLORREF face, HFONT font)
{
    return referenceLabelDrawn(w, h, face, font, [&](HDC dc, RECT *r, UINT format) {
        return DrawTextA(dc, text.c_str(), (int)text.size(), r, format);
    });
}

static std::function<bool(COLORREF)> notColour(COLORREF c)
{
    return [c](COLORREF p) { return p != c; };
}
static std::function<bool(COLORREF)> isColour(COLORREF c)
{
    return [c](COLORREF p) { return p == c; };
}

class OwnerDrawnButtons : public SkinnedControlsTest {
protected:
    enum { buttonWidth = 160, buttonHeight = 40, buttonId = 321 };
    void SetUp() override
    {
        SkinnedControlsTest::SetUp();
        Settings.skinButtons = 1;
        Settings.ownerDrawnButtons = 1;
        // Glyphs without smoothing, so that the two copies of embossed text
        // keep their exact colours.
        sharpFont = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
    }
    void TearDown() override
    {
        SkinnedControlsTest::TearDown();
        DeleteObject(sharpFont);
    }
    // A converted button in a fresh parent, painted once and settled.
    HWND paintedButton(const char *text, HFONT font = NULL, int width = buttonWidth)
    {
        parent = createParent();
        HWND button = createControl("Button", BS_PUSHBUTTON | WS_TABSTOP, parent, text, 20, 20, width,
                                    buttonHeight, 0, buttonId);
        EXPECT_TRUE(carriesConvertedButtonMark(GetWindowLongA(button, GWL_STYLE)));
        if (font) SendMessageA(button, WM_SETFONT, (WPARAM)font, FALSE);
        InvalidateRect(button, NULL, TRUE);
        UpdateWindow(button);
        pumpMessages();
        return button;
    }
    HWND parent = NULL;
    HFONT sharpFont = NULL;
};

enum ButtonState { normalState, pressedState, focusedState, disabledState };

struct StateCase {
    const char *name;
    ButtonState state;
    int faceShift;
    int topLeftColour, topLeftShift;
    int bottomRightColour, bottomRightShift;
};

static const StateCase stateCases[] = {
    {"normal", normalState, 0, COLOR_BTNHIGHLIGHT, 0, COLOR_BTNSHADOW, 0},
    {"pressed", pressedState, -0x14, COLOR_BTNSHADOW, 0, COLOR_BTNHIGHLIGHT, 0},
    {"focused", focusedState, -0x0E, COLOR_BTNHIGHLIGHT, -0x0E, COLOR_BTNSHADOW, 0x0E},
    {"disabled", disabledState, 0, COLOR_BTNHIGHLIGHT, 0, COLOR_BTNSHADOW, 0},
};

// Each state reached the way a user reaches it: the button's own procedure
// paints through OB_Paint, which sends WM_DRAWITEM with the item state.
static void enterState(HWND button, ButtonState state)
{
    switch (state) {
    case normalState: break;
    case pressedState: SendMessageA(button, BM_SETSTATE, TRUE, 0); break;
    case focusedState: SetFocus(button); break;
    case disabledState: EnableWindow(button, FALSE); break;
    }
}

TEST_F(OwnerDrawnButtons, FaceAndEdgesOfEachState)
{
    for (const StateCase &c : stateCases) {
        SCOPED_TRACE(c.name);
        HWND button = paintedButton("OK");
        enterState(button, c.state);
        if (c.state == focusedState) ASSERT_EQ(button, GetFocus());
        WindowPixels p(button);
        ASSERT_EQ(buttonWidth, p.width());
        const int w = p.width(), h = p.height();
        COLORREF face = shifted(COLOR_BTNFACE, c.faceShift);
        COLORREF topLeft = shifted(c.topLeftColour, c.topLeftShift);
        COLORREF bottomRight = shifted(c.bottomRightColour, c.bottomRightShift);

        for (POINT at : {POINT{1, 1}, POINT{w - 2, 1}, POINT{1, h - 2}, POINT{w - 2, h - 2}, POINT{8, h / 2}})
            EXPECT_EQ(face, p.at(at.x, at.y)) << "face at " << at.x << "," << at.y;
        // The top and left lines own the top-right and bottom-left corners.
        for (POINT at : {POINT{0, 0}, POINT{w / 2, 0}, POINT{w - 1, 0}, POINT{0, h / 2}, POINT{0, h - 1}})
            EXPECT_EQ(topLeft, p.at(at.x, at.y)) << "top-left edge at " << at.x << "," << at.y;
        for (POINT at : {POINT{w - 1, 1}, POINT{w - 1, h / 2}, POINT{w - 1, h - 1}, POINT{1, h - 1}, POINT{w / 2, h - 1}})
            EXPECT_EQ(bottomRight, p.at(at.x, at.y)) << "bottom-right edge at " << at.x << "," << at.y;
        DestroyWindow(parent);
    }
}

TEST_F(OwnerDrawnButtons, TextIsCentredAsTheLabelMeasures)
{
    HWND button = paintedButton("Centre me");
    COLORREF face = displayed(GetSysColor(COLOR_BTNFACE));
    InkBox drawn = inkBox(WindowPixels(button), notColour(face));
    InkBox expected = inkBox(referenceLabel(buttonWidth, buttonHeight, "Centre me", face, NULL), notColour(face));
    ASSERT_GT(expected.count, 0);
    EXPECT_EQ(expected, drawn);
}

// Two widths one pixel apart: one of them leaves an odd margin beside the
// text, where half a pixel of centring would round away.
TEST_F(OwnerDrawnButtons, PressedTextMovesOnePixelRightAndDown)
{
    for (int width : {(int)buttonWidth, buttonWidth + 1}) {
        SCOPED_TRACE(width);
        HWND button = paintedButton("Press", sharpFont, width);
        COLORREF face = displayed(GetSysColor(COLOR_BTNFACE));
        InkBox released = inkBox(referenceLabel(width, buttonHeight, "Press", face, sharpFont), notColour(face));
        SendMessageA(button, BM_SETSTATE, TRUE, 0);
        InkBox pressed = inkBox(WindowPixels(button), notColour(shifted(COLOR_BTNFACE, -0x14)));
        ASSERT_GT(released.count, 0);
        EXPECT_EQ(released.moved(1, 1), pressed);
        DestroyWindow(parent);
    }
}

// Embossed: the shadow copy one pixel above where enabled text stands, the
// light copy one pixel right of and below the shadow copy, under it.
TEST_F(OwnerDrawnButtons, DisabledTextIsDrawnTwiceEmbossed)
{
    HWND button = paintedButton("Disabled", sharpFont);
    EnableWindow(button, FALSE);
    WindowPixels p(button);
    COLORREF face = displayed(GetSysColor(COLOR_BTNFACE));
    COLORREF light = displayed(GetSysColor(COLOR_BTNHIGHLIGHT));
    COLORREF dark = displayed(GetSysColor(COLOR_BTNSHADOW));
    ASSERT_NE(light, dark);
    InkBox enabled = inkBox(referenceLabel(buttonWidth, buttonHeight, "Disabled", face, sharpFont), notColour(face));
    InkBox shadow = inkBox(p, isColour(dark));
    InkBox highlight = inkBox(p, isColour(light));
    EXPECT_EQ(enabled.moved(0, -1), shadow);
    ASSERT_GT(highlight.count, 0);
    EXPECT_EQ(shadow.right + 1, highlight.right);
    EXPECT_EQ(shadow.bottom + 1, highlight.bottom);
    InkBox other = inkBox(p, [&](COLORREF c) { return c != face && c != light && c != dark; });
    EXPECT_EQ(0, other.count) << "nothing but the two copies on the face";
}

// 300 characters: spaces, then Xs so that the boundary stands near the middle
// when the first 252 are drawn, then 48 more Xs that would push it far left.
TEST_F(OwnerDrawnButtons, LongTextIsDrawnCutTo252Characters)
{
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    SelectObject(dc, sharpFont);
    SIZE space, x;
    GetTextExtentPoint32A(dc, " ", 1, &space);
    GetTextExtentPoint32A(dc, "X", 1, &x);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    int xs = 252 * space.cx / (space.cx + x.cx);
    std::string kept = std::string(252 - xs, ' ') + std::string(xs, 'X');
    std::string text = kept + std::string(48, 'X');
    ASSERT_EQ(300u, text.size());

    HWND button = paintedButton(text.c_str(), sharpFont);
    COLORREF face = displayed(GetSysColor(COLOR_BTNFACE));
    InkBox drawn = inkBox(WindowPixels(button), notColour(face));
    InkBox cut = inkBox(referenceLabel(buttonWidth, buttonHeight, kept, face, sharpFont), notColour(face));
    InkBox whole = inkBox(referenceLabel(buttonWidth, buttonHeight, text, face, sharpFont), notColour(face));
    ASSERT_GT(cut.left, whole.left + 20) << "the two texts must be told apart";
    EXPECT_EQ(cut, drawn);
}

// A Unicode button keeps text outside the ANSI code page, and the engine
// paints it as it is, not as question marks.
TEST_F(OwnerDrawnButtons, UnicodeTextIsPaintedAsUnicode)
{
    const wchar_t text[] = L"\u65E5\u672C \u0436";
    parent = createParent();
    HWND button = track(CreateWindowExW(0, L"Button", text, BS_PUSHBUTTON | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 20, 20,
                                        buttonWidth, buttonHeight, parent, (HMENU)(INT_PTR)buttonId,
                                        GetModuleHandleW(NULL), NULL));
    ASSERT_TRUE(button != NULL);
    ASSERT_TRUE(carriesConvertedButtonMark(GetWindowLongA(button, GWL_STYLE)));
    EXPECT_TRUE(IsWindowUnicode(button));
    InvalidateRect(button, NULL, TRUE);
    UpdateWindow(button);
    pumpMessages();
    COLORREF face = displayed(GetSysColor(COLOR_BTNFACE));
    InkBox drawn = inkBox(WindowPixels(button), notColour(face));
    auto label = [&](bool wide) {
        return inkBox(referenceLabelDrawn(buttonWidth, buttonHeight, face, NULL,
                                          [&](HDC dc, RECT *r, UINT format) {
                                              return wide ? DrawTextW(dc, text, -1, r, format)
                                                          : DrawTextA(dc, "?? ?", -1, r, format);
                                          }),
                      notColour(face));
    };
    ASSERT_GT(label(true).count, 0);
    EXPECT_EQ(label(true), drawn);
    EXPECT_EQ(label(true).count, drawn.count);
    const InkBox questionMarks = label(false);
    EXPECT_FALSE(questionMarks == drawn && questionMarks.count == drawn.count)
        << "the comparison tells question marks apart";
}

// WM_DRAWITEM sent to the parent by hand: only marked buttons are the
// engine's; everything else reaches the parent's own procedure untouched.
TEST_F(OwnerDrawnButtons, OnlyMarkedButtonsArePaintedByTheEngine)
{
    parent = createParent();
    HWND own = createControl("Button", BS_OWNERDRAW | WS_TABSTOP, parent, "Own", 10, 10);
    HWND marked = createControl("Button", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP | BS_MULTILINE, parent, "Marked",
                                10, 60);
    HWND list = createControl("ListBox", LBS_OWNERDRAWFIXED, parent, "", 200, 10, 100, 100);
    struct Case {
        const char *name;
        UINT ctlType;
        HWND item;
        bool painted;
    } cases[] = {
        {"list box item", ODT_LISTBOX, list, false},
        {"menu item", ODT_MENU, marked, false},
        {"application's owner-drawn button", ODT_BUTTON, own, false},
        {"application's button with the three mark bits", ODT_BUTTON, marked, true},
    };
    const COLORREF marker = RGB(200, 0, 200);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HDC screen = GetDC(NULL);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 30);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 80, 30};
        HBRUSH brush = CreateSolidBrush(marker);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        DRAWITEMSTRUCT item = {};
        item.CtlType = c.ctlType;
        item.CtlID = 7;
        item.hwndItem = c.item;
        item.hDC = dc;
        item.rcItem = all;
        clearMessageLog();
        LRESULT result = SendMessageA(parent, WM_DRAWITEM, 7, (LPARAM)&item);
        WindowPixels p(dc, 80, 30);
        EXPECT_EQ(c.painted ? 0 : 1, countMessages(parent, WM_DRAWITEM, messageFromOwnProcedure));
        if (c.painted) {
            EXPECT_EQ(0, result);
            EXPECT_EQ(displayed(GetSysColor(COLOR_BTNFACE)), p.at(2, 2));
        } else {
            EXPECT_EQ(displayed(marker), p.at(2, 2));
            EXPECT_EQ(displayed(marker), p.at(0, 0));
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(NULL, screen);
    }
}
