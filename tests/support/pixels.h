// Pixels of a window as drawn: the window DC copied into a 32-bit DIB section.
#pragma once

#include <functional>
#include <vector>

#include <windows.h>

class WindowPixels {
public:
    // Copies the whole window (non-client area included) at this moment.
    explicit WindowPixels(HWND window);
    // The same from any DC, for a w x h area at its origin.
    WindowPixels(HDC dc, int w, int h);
    COLORREF at(int x, int y) const;
    int width() const { return w_; }
    int height() const { return h_; }

private:
    void copyFrom(HDC dc, int w, int h);
    int w_ = 0, h_ = 0;
    std::vector<DWORD> bits_;
};

// A 32-bit top-down DIB section of w x h pixels for dc; *bits receives its
// pixels, 0x00RRGGBB each, top row first.
HBITMAP createPixelSection(HDC dc, int w, int h, DWORD **bits);

// What the painters draw into their memory DCs, drawn again for comparison:
// a width x height bitmap compatible with the window's DC, filled with the
// background colour, with a transparent background mode, the text colour
// and the font selected for draw; its pixels row by row, top row first.
std::vector<COLORREF> drawnStrip(HWND window, int width, int height, COLORREF background, COLORREF text,
                                 HFONT font, const std::function<void(HDC)> &draw);

// Paints a rectangle of the window (window coordinates) in one colour.
void fillWindowRect(HWND window, int left, int top, int right, int bottom, COLORREF colour);

// Removes the palette-relative flag and any high byte.
inline COLORREF plainColour(COLORREF c) { return c & 0x00FFFFFF; }
