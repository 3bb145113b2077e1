// Per-program exclusion from end to end: the real varnel.dll installed as the
// two system-wide hooks, the prefix's own %WINDIR%\varnels\vl.ini and
// vlexcl.ini, and one small window program started under two file names.
// The listed copy keeps its own window procedure; the other is subclassed.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "support/settings_file.h"
#include "support/test_folder.h"

static const char listedProgram[] = "exclusion_probe_listed.exe";
static const char plainProgram[] = "exclusion_probe_plain.exe";

struct ProbeReport {
    int loaded = -1;
    int window = -1;
    void *wndproc = NULL;
    void *own = NULL;
    void *staticProc = NULL;
};

// Saves a file of the engine folder and puts it back afterwards, so the
// prefix is left as the test found it.
class SavedEngineFile {
public:
    explicit SavedEngineFile(const std::string &path) : path_(path)
    {
        FILE *f = fopen(path.c_str(), "rb");
        if (!f) return;
        existed_ = true;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) content_.append(buffer, n);
        fclose(f);
    }
    ~SavedEngineFile()
    {
        DeleteFileA(path_.c_str());
        if (!existed_) return;
        FILE *f = fopen(path_.c_str(), "wb");
        if (!f) return;
        fwrite(content_.data(), 1, content_.size(), f);
        fclose(f);
    }

private:
    std::string path_;
    std::string content_;
    bool existed_ = false;
};

static void writeFile(const std::string &path, const std::string &text)
{
    ASSERT_TRUE(writeFileContent(path, text)) << path;
}

static std::string windowsFolderFile(const char *name)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    CreateDirectoryA((std::string(windows) + "\\varnels").c_str(), NULL);
    return std::string(windows) + "\\varnels\\" + name;
}

class SystemWideExclusion : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(settingsPath, settingsFileFor({}));  // subclassing on, as by default
        // Case, spaces, a comment, and a near miss for both copies.
        writeFile(listPath, "; programs the engine leaves alone\r\n\r\n   EXCLUSION_PROBE_Listed.EXE  \r\n"
                            "exclusion_probe.exe\r\n");
        std::string probe = buildFile("fixtures\\exclusion_probe.exe");
        ASSERT_TRUE(CopyFileA(probe.c_str(), programs.file(std::string("\\") + listedProgram).c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(probe.c_str(), programs.file(std::string("\\") + plainProgram).c_str(), FALSE));
        engine = LoadLibraryA(buildFile("varnel.dll").c_str());
        ASSERT_TRUE(engine != NULL);
        HOOKPROC before = (HOOKPROC)GetProcAddress(engine, "SpyCallWndProc2");
        HOOKPROC after = (HOOKPROC)GetProcAddress(engine, "SpyCallWndProc");
        ASSERT_TRUE(before != NULL && after != NULL);
        beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, before, engine, 0);
        afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, after, engine, 0);
        ASSERT_TRUE(beforeHook != NULL && afterHook != NULL);
    }
    void TearDown() override
    {
        if (beforeHook) UnhookWindowsHookEx(beforeHook);
        if (afterHook) UnhookWindowsHookEx(afterHook);
        // The library stays in this process: hooked processes keep it until
        // they end, and this one ends without the detach pauses.
    }

    ProbeReport runProbe(const char *program)
    {
        ProbeReport report;
        std::string out = programs.file(std::string("\\") + program + ".txt");
        DeleteFileA(out.c_str());
        std::string commandLine = "\"" + programs.file(std::string("\\") + program) + "\" " + out;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string mutableLine = commandLine;
        // The probe's current folder holds no vl.ini: the engine folder's
        // settings are the ones in force.
        if (!CreateProcessA(NULL, &mutableLine[0], NULL, NULL, FALSE, 0, NULL, programs.path(), &startup, &process)) {
            ADD_FAILURE() << "cannot start " << commandLine;
            return report;
        }
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000)) << program << " did not finish";
        DWORD exitCode = 99;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(0u, exitCode) << program;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        FILE *f = fopen(out.c_str(), "r");
        if (!f) {
            ADD_FAILURE() << program << " wrote no report";
            return report;
        }
        EXPECT_EQ(5, fscanf(f, "loaded=%d window=%d wndproc=%p own=%p static=%p", &report.loaded, &report.window,
                            &report.wndproc, &report.own, &report.staticProc))
            << program;
        fclose(f);
        return report;
    }

    std::string settingsPath = windowsFolderFile("vl.ini");
    std::string listPath = windowsFolderFile("vlexcl.ini");
    SavedEngineFile savedSettings{settingsPath};
    SavedEngineFile savedList{listPath};
    TestFolder programs{"programs"};
    HMODULE engine = NULL;
    HHOOK beforeHook = NULL;
    HHOOK afterHook = NULL;
};

TEST_F(SystemWideExclusion, ListedProgramKeepsItsProcedureAndOtherIsSubclassed)
{
    ProbeReport plain = runProbe(plainProgram);
    ASSERT_EQ(1, plain.window);
    ASSERT_EQ(1, plain.loaded) << "the system-wide hook brought the engine into the program";
    ASSERT_TRUE(plain.staticProc != NULL);
    EXPECT_EQ(plain.staticProc, plain.wndproc) << "an unlisted program's window is subclassed";

    ProbeReport listed = runProbe(listedProgram);
    ASSERT_EQ(1, listed.window);
    ASSERT_EQ(1, listed.loaded) << "the engine is loaded into the listed program too, and stays idle there";
    ASSERT_TRUE(listed.staticProc != NULL);
    EXPECT_EQ(listed.own, listed.wndproc) << "a listed program's window keeps its own procedure";
    EXPECT_NE(listed.staticProc, listed.wndproc);
}
