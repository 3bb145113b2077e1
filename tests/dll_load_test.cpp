// varnel.dll as the system loads it: the settings file decides whether it
// attaches, its exports are there, and it leaves without a trace.
#include <gtest/gtest.h>

#include <string>

#include "support/test_folder.h"

class DllLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, sizeof dir);
        engineFolder = std::string(dir) + "\\varnels";
        CreateDirectoryA(engineFolder.c_str(), NULL);
        GetCurrentDirectoryA(sizeof previous, previous);
        SetCurrentDirectoryA(empty.path());
        DeleteFileA((engineFolder + "\\vl.ini").c_str());
    }
    void TearDown() override
    {
        DeleteFileA((engineFolder + "\\vl.ini").c_str());
        DeleteFileA((engineFolder + "\\vldis.ini").c_str());
        SetCurrentDirectoryA(previous);
    }
    void writeEngineFile(const char *name, const std::string &text)
    {
        FILE *f = fopen((engineFolder + "\\" + name).c_str(), "wb");
        ASSERT_TRUE(f != NULL);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
    std::string engineFolder;
    TestFolder empty{"cwd"};
    char previous[MAX_PATH];
};

TEST_F(DllLoad, RefusesToAttachWithoutSettingsFile)
{
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    EXPECT_TRUE(dll == NULL);
    if (dll) FreeLibrary(dll);
}

TEST_F(DllLoad, AttachesWithEngineFolderSettingsAndExportsTheFourNames)
{
    writeEngineFile("vl.ini", settingsFileText({}));
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    ASSERT_TRUE(dll != NULL);
    for (const char *name : {"SpyCallWndProc", "SpyCallWndProc2", "SpyTestProc", "StaticWindowProc"})
        EXPECT_TRUE(GetProcAddress(dll, name) != NULL) << name;
    FreeLibrary(dll);
}

TEST_F(DllLoad, AttachesWithCurrentDirectorySettings)
{
    empty.write("\\vl.ini", settingsFileText({}));
    HMODULE dll = LoadLibraryA(buildFile("varnel.dll").c_str());
    EXPECT_TRUE(dll != NULL);
    if (dll) FreeLibrary(dll);
    empty.remove("\\vl.ini");
}

TEST_F(DllLoad, SpyTestProcTurnsEraseIntoNull)
{
    writeEngineFile("vldis.ini", "1");
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
