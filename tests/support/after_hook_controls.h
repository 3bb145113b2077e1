// Common controls on real windows with the engine attached and only its
// after-message hook on this thread, every stage switched off but the ones a
// test turns on: for the tests of control restyling and background tiling.
// Also a memory canvas to hand to WM_ERASEBKGND, and 24-bit bitmap files read
// and written pixel by pixel.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/test_folder.h"

// Registers the common control classes (comctl32 loaded at run time).
void loadCommonControls();

class AfterHookControlsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The vl.ini of the test's folder. By default the bitmaps of the
    // background stages are switched on, so that attach loads them.
    virtual std::string settingsText();
    // Writes bitmaps into the folder before attach; nothing by default.
    virtual void prepareFolder(const TestFolder &folder);

    HWND track(HWND window);
    // A visible top-level window of a recording class (support/test_windows.h).
    HWND createParent(const char *className = NULL, int w = 400, int h = 300);
    HWND createChild(const char *className, DWORD style, HWND parent, int x = 10, int y = 10, int w = 120,
                     int h = 40);
    // The hook procedure called directly, as the system calls it, with a
    // filled CWPRETSTRUCT; returns what it returns.
    LRESULT callAfterHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0);

    std::unique_ptr<TestFolder> folder;
    std::vector<HWND> windows;
    HHOOK afterHook = NULL;
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

