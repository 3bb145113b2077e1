// varnel.dll as the system loads it: the settings file decides whether it
// attaches, its exports are there, and it leaves without a trace.
#include <gtest/gtest.h>

#include <string>

#include "support/prefix_engine_folder.h"
#include "support/settings_file.h"
#include "support/test_folder.h"

// The library reads its files from the prefix's engine folder, emptied for
// each test, and from the current directory, an empty folder of the test's.
class DllLoad : public ::testing::Test {
protected:
    CurrentTestFolder empty{"cwd"};
    PrefixEngineFolder engineFolder;
};

TEST_F(DllLoad, RefusesToAttachWithoutSettingsFile)
{
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    EXPECT_TRUE(dll == NULL);
    if (dll) FreeLibrary(dll);
}

TEST_F(DllLoad, AttachesWithEngineFolderSettingsAndExportsItsNames)
{
    engineFolder.write("vl.ini", settingsFileFor({}));
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    ASSERT_TRUE(dll != NULL);
    for (const char *name : {"SpyCallWndProc", "SpyCallWndProc2", "SpyTestProc", "StaticWindowProc", "VarnelWindowEvent"})
        EXPECT_TRUE(GetProcAddress(dll, name) != NULL) << name;
    FreeLibrary(dll);
}

TEST_F(DllLoad, AttachesWithCurrentDirectorySettings)
{
    empty.write("\\vl.ini", settingsFileFor({}));
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    EXPECT_TRUE(dll != NULL);
    if (dll) FreeLibrary(dll);
    empty.remove("\\vl.ini");
}

TEST_F(DllLoad, SpyTestProcTurnsEraseIntoNull)
{
    engineFolder.write("vldis.ini", "1");
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    ASSERT_TRUE(dll != NULL) << "the disable marker attaches without a settings file";
    HOOKPROC test = (HOOKPROC)GetProcAddress(dll, "SpyTestProc");
    ASSERT_TRUE(test != NULL);
    MSG m = {};
    m.message = WM_ERASEBKGND;
    EXPECT_EQ(0, test(0, 0, (LPARAM)&m));
    EXPECT_EQ((UINT)WM_NULL, m.message);
    m.message = WM_PAINT;
    EXPECT_EQ(0, test(0, 0, (LPARAM)&m));
    EXPECT_EQ((UINT)WM_PAINT, m.message);
    FreeLibrary(dll);
}
