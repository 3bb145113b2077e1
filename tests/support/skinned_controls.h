// Controls on real windows with the engine attached and its two hooks on this
// thread, every stage switched off but the ones a test turns on: for the tests
// of push buttons, control colours and progress bars. Windows created while
// the hooks are on are subclassed by the before-message hook, as in any
// hooked process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/test_folder.h"

class SkinnedControlsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The vl.ini of the test's folder; the defaults unless overridden.
    virtual std::string settingsText();
    // Writes marker files and bitmaps into the folder before attach.
    virtual void prepareFolder(const TestFolder &folder);

    // Takes the engine's hooks off this thread and puts them back (installed
    // again, they are called before any hook installed in between).
    void pauseEngineHooks();
    void resumeEngineHooks();

    HWND track(HWND window);
    // A visible top-level window of a recording class (support/test_windows.h).
    HWND createParent(const char *className = NULL, int w = 400, int h = 300);
    HWND createControl(const char *className, DWORD style, HWND parent, const char *text = "", int x = 10,
                       int y = 10, int w = 120, int h = 40, DWORD exStyle = 0, int id = 100);

    std::unique_ptr<TestFolder> folder;
    std::vector<HWND> windows;
    bool engineHooksOn = false;
};

// A class of the given name that is the system's "Button" under another
// name, as Delphi's "TButton" and Visual Basic's command buttons are.
const char *buttonSuperclass(const char *name);

// The colour a pixel of a window shows on this display for a colour drawn.
COLORREF displayed(COLORREF colour);
