// The fixture every test of the attached engine starts from: the engine
// (the static library) attached to a folder of the test's own holding a
// vl.ini, the engine's hooks on the test's thread as the fixture chooses,
// and the windows the test made. Teardown runs in the order a process that
// unloads the engine sees: the windows are destroyed while the hooks are
// still installed, so that the engine releases their slots as it would,
// then the hooks go, then the engine is detached.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "engine/settings.h"
#include "support/test_folder.h"

// Which hooks SetUp puts on the test's thread (the loader installs the
// engine's for all threads).
enum EngineHooks {
    noEngineHooks,
    engineAfterHookOnly,  // SpyCallWndProc as WH_CALLWNDPROCRET
    bothEngineHooks,      // and SpyCallWndProc2 as WH_CALLWNDPROC
    // Both between two pairs of recording hooks (support/message_log.h): the
    // first pair installed before the engine's, so called after them, the
    // late pair installed after them, so called before them.
    bothEngineHooksBetweenRecorders,
};

// Both engine hooks on this thread, for tests that attach the engine
// themselves; removeEngineHooks takes off whatever of them is on.
void installEngineHooks();
void removeEngineHooks();

// Where the test's folder is: only handed to attach as the Windows
// directory, or also the process's current directory while the test runs
// (the engine reads a vl.ini there before the one of its folder).
enum TestFolderPlace { folderElsewhere, folderIsCurrent };

class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(EngineHooks hooks = noEngineHooks, TestFolderPlace place = folderElsewhere)
        : hooks_(hooks), place_(place)
    {
    }
    void SetUp() override;
    void TearDown() override;

    // The vl.ini written into the folder before attach: the defaults of the
    // engine's table unless a fixture says otherwise.
    virtual std::string settingsText();
    // Writes marker files and bitmaps into the folder before attach, after
    // vl.ini; nothing by default.
    virtual void prepareFolder(const TestFolder &folder);

    // Puts the fixture's hooks on the thread and takes them off again; each
    // does nothing when they already are. Put back, the engine's hooks are
    // called before any hook a test installed in between.
    void installHooks();
    void removeHooks();

    HWND track(HWND window);
    // Destroys the tracked windows, last made first. Without an engine hook
    // on the thread nothing would see WM_DESTROY, so each window first leaves
    // the window table as the after-message hook would take it out.
    void destroyTrackedWindows();

    // A visible top-level window of a recording class (support/test_windows.h)
    // of style parentStyle, and a visible child control of it.
    HWND createParent(const char *className = NULL, int w = 400, int h = 300);
    HWND createControl(const char *className, DWORD style, HWND parent, const char *text = "", int x = 10,
                       int y = 10, int w = 120, int h = 40, DWORD exStyle = 0, int id = 100);
    DWORD parentStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

    std::unique_ptr<TestFolder> folder;
    std::vector<HWND> windows;

private:
    const EngineHooks hooks_;
    const TestFolderPlace place_;
    bool hooksOn_ = false;
};

// An engine test of one feature the defaults leave off: its vl.ini switches
// the setting on (name as the file names it, field as the engine holds it),
// SetUp checks that attach read it, and the caption painting, which such
// tests do not watch, is switched off.
class FeatureOnTest : public EngineTest {
protected:
    FeatureOnTest(const char *name, int SettingsRecord::*field) : name_(name), field_(field) {}
    std::string settingsText() override;
    void SetUp() override;

private:
    const char *const name_;
    int SettingsRecord::*const field_;
};
