// Common controls on real windows with the engine attached and only its
// after-message hook on this thread, every stage switched off but the ones a
// test turns on: for the tests of control restyling and background tiling.
// Also a memory canvas to hand to WM_ERASEBKGND, and 24-bit bitmap files read
// and written pixel by pixel.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "support/engine_test.h"

// Registers the common control classes (comctl32 loaded at run time).
void loadCommonControls();

// The bitmaps of the background stages are switched on in its vl.ini, so
// that attach loads them.
class AfterHookControlsTest : public EngineTest {
protected:
    AfterHookControlsTest() : EngineTest(engineAfterHookOnly) {}
    void SetUp() override;
    std::string settingsText() override;

    // A visible child without text, id or extended style.
    HWND createChild(const char *className, DWORD style, HWND parent, int x = 10, int y = 10, int w = 120,
                     int h = 40)
    {
        return createControl(className, style, parent, "", x, y, w, h, 0, 0);
    }
    // The hook procedure called directly, as the system calls it, with a
    // filled CWPRETSTRUCT; returns what it returns.
    LRESULT callAfterHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0);
};

// A 32-bit DIB section in a memory DC, filled with one colour.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill);
    ~Canvas();
    HDC dc() const { return dc_; }
    void fill(COLORREF colour);
    COLORREF at(int x, int y) const;
    int width() const { return w_; }
    int height() const { return h_; }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    DWORD *bits_;
};

// A picture read from a BMP file (24-bit, uncompressed); empty when the file
// is missing or of another kind.
struct BitmapFile {
    int width = 0, height = 0, bitCount = 0;
    std::vector<COLORREF> pixels;  // top row first
    COLORREF at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
BitmapFile readBitmapFile(const std::string &path);

