// Pixels of a window as drawn: the window DC copied into a 32-bit DIB section.
#pragma once

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

// Removes the palette-relative flag and any high byte.
inline COLORREF plainColour(COLORREF c) { return c & 0x00FFFFFF; }
