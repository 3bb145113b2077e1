// Loading the caption plug-in: marker, missing library, missing entry points,
// and the calls it receives.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "engine/engine_lifecycle.h"
#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "hooks/hooks.h"
#include "support/settings_file.h"
#include "support/test_engine.h"

TEST(PlugIn, NoMarkerNoPlugIn)
{
    TestFolder folder("nomarker");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.copyIn(shippedFile(pluginLibraryName), std::string("\\varnels\\") + pluginLibraryName);
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_EQ(0, Settings.usePlugin);
    EXPECT_TRUE(pluginModule == NULL);
    detachEngine();
}

TEST(PlugIn, MarkerWithoutLibraryFallsBackToThePainters)
{
    TestFolder folder("nolibrary");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.write("\\varnels\\vlplug.ini", "");
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_FALSE(pluginInUse());
    detachEngine();
}

TEST(PlugIn, LibraryWithoutEntryPointsIsFreedAndNotUsed)
{
    TestFolder folder("noentry");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.write("\\varnels\\vlplug.ini", "");
    folder.copyIn(buildFile("fixtures\\noentry.dll"), std::string("\\varnels\\") + pluginLibraryName);
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_FALSE(pluginInUse());
    EXPECT_TRUE(pluginTitle == NULL);
    EXPECT_TRUE(GetModuleHandleA(pluginLibraryName) == NULL) << "freed again";
    detachEngine();
}

TEST(PlugIn, TitleCallsAndDetachOrderReachThePlugIn)
{
    TestFolder folder("order");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.write("\\varnels\\vlplug.ini", "");
    folder.copyIn(shippedFile(pluginLibraryName), std::string("\\varnels\\") + pluginLibraryName);
    std::string log = folder.file("\\plugin.log");
    SetEnvironmentVariableA("VARNEL_PLUGIN_LOG", log.c_str());
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_EQ(1, Settings.usePlugin);
    HWND w = CreateWindowExA(0, "STATIC", "t", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    HDC dc = GetWindowDC(w);
    callPluginTitle(w, dc, 1, 2, 3, 4, 5, 2);
    ReleaseDC(w, dc);
    DestroyWindow(w);
    detachEngine();
    SetEnvironmentVariableA("VARNEL_PLUGIN_LOG", NULL);
    char expected[200];
    snprintf(expected, sizeof expected, "main 1\r\ntitle %llu 1 2 3 4 5 2\r\nmain 0\r\n", (unsigned long long)(ULONG_PTR)w);
    EXPECT_EQ(expected, fileContent(log));
    FreeLibrary(GetModuleHandleA(pluginLibraryName));
}

// Loading a library inside the entry point of another is the classic
// loader-lock deadlock: attach only notes the plug-in, and the first hook
// call of the process loads it, before anything is painted.
TEST(PlugIn, LoadsAtTheFirstHookCallNotInTheEntryPoint)
{
    TestFolder folder("firstcall");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.write("\\varnels\\vlplug.ini", "");
    folder.copyIn(shippedFile(pluginLibraryName), std::string("\\varnels\\") + pluginLibraryName);
    ASSERT_TRUE(engineProcessAttach(folder.path()));
    EXPECT_TRUE(GetModuleHandleA(pluginLibraryName) == NULL) << "not loaded at attach";
    EXPECT_EQ(1, Settings.usePlugin);

    // A window of this process: a call for another process's window only
    // chains, and loads nothing.
    HWND own = CreateWindowExA(0, "STATIC", "t", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    CWPSTRUCT message = {0, 0, WM_NULL, own};
    SpyCallWndProc2(HC_ACTION, 0, (LPARAM)&message);
    EXPECT_TRUE(GetModuleHandleA(pluginLibraryName) != NULL) << "loaded at the first hook call";
    EXPECT_TRUE(pluginMain != NULL && pluginTitle != NULL);
    HMODULE loaded = pluginModule;
    SpyCallWndProc2(HC_ACTION, 0, (LPARAM)&message);
    EXPECT_EQ(loaded, pluginModule) << "once";
    DestroyWindow(own);
    detachEngine();
    FreeLibrary(GetModuleHandleA(pluginLibraryName));
}

// A plug-in's own libraries come from its folder: a library of the same
// name in the program's current folder (any folder a user opens a document
// from) is never the one it gets.
TEST(PlugInDependencies, ComeFromThePlugInsFolderNotTheCurrentOne)
{
    TestFolder folder("dependencies");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.write("\\varnels\\vlplug.ini", "");
    folder.copyIn(buildFile("fixtures\\dependent_plugin.dll"), std::string("\\varnels\\") + pluginLibraryName);
    folder.copyIn(buildFile("fixtures\\dependency1\\vldep.dll"), "\\varnels\\vldep.dll");
    CurrentTestFolder current("dependencies-planted");
    current.copyIn(buildFile("fixtures\\dependency2\\vldep.dll"), "\\vldep.dll");
    ASSERT_TRUE(attachEngine(folder));
    loadWantedCaptionPlugin();
    ASSERT_TRUE(pluginModule != NULL) << "the plug-in did not load";
    typedef int (*CopyFunction)();
    CopyFunction copy = (CopyFunction)(void *)GetProcAddress(pluginModule, "DependencyCopy");
    ASSERT_TRUE(copy != NULL);
    EXPECT_EQ(1, copy()) << "the plug-in was given the vldep.dll of the current folder";
    detachEngine();
    FreeLibrary(GetModuleHandleA(pluginLibraryName));
    for (int i = 0; i < 4 && GetModuleHandleA("vldep.dll"); i++) FreeLibrary(GetModuleHandleA("vldep.dll"));
}
