// The loader on 64-bit Windows, in a win64 prefix: "vlload" brings varnel.dll
// into the 32-bit programs and starts vlload64, which brings varnel64.dll
// into the 64-bit ones, both by window events; a gallery of each bitness
// started while both run is skinned by its own engine; "vlload /status"
// reports both loaders and "/stop" ends both while the programs keep
// running. And what the platform does with a hook library of the other
// bitness: it never enters the program, and a loader that stops pumping
// (here: suspended) stalls no program of the other bitness.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

#include "engine/settings_generation.h"
#include "support/child_process.h"
#include "support/loader_runs.h"
#include "support/settings_file.h"
#include "support/test_folder.h"

namespace {

const DWORD startTimeout = 20000;

std::string loaderPath() { return shippedFile("vlload.exe"); }
std::string loader64Path() { return shippedFile("vlload64.exe"); }
std::string galleryPath() { return shippedFile("gallery.exe"); }
std::string gallery64Path() { return buildFile("fixtures\\gallery64.exe"); }

TestFolder &scratch()
{
    static TestFolder folder("win64-loader");
    return folder;
}

std::string outputFile(const char *what)
{
    static int run;
    return scratch().file("\\" + std::string(what) + std::to_string(++run) + ".txt");
}

ChildResult runLoader(const std::string &arguments, const std::string &program = loaderPath())
{
    return runChild(quoted(program) + (arguments.empty() ? "" : " " + arguments), outputFile("vlload-run"));
}

bool startGallery(const std::string &program, ChildProcess *gallery, GalleryReport *report)
{
    if (!startChild(quoted(program) + " /print-windows", outputFile("gallery"), gallery)) return false;
    if (!waitForOutput(*gallery, "ready", startTimeout)) return false;
    *report = parseGalleryReport(childOutput(*gallery));
    return true;
}

void closeGallery(ChildProcess *gallery, const GalleryReport &report)
{
    HWND main = reportedWindow(report, "VarnelGalleryMain");
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    waitForExit(*gallery, startTimeout);
    endChild(gallery);
}

// Every thread of a process suspended (a loader that no longer pumps), or
// resumed again.
std::vector<HANDLE> suspendProcess(DWORD processId)
{
    std::vector<HANDLE> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (thread && SuspendThread(thread) != (DWORD)-1)
            threads.push_back(thread);
        else if (thread)
            CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return threads;
}

void resumeThreads(std::vector<HANDLE> *threads)
{
    for (HANDLE thread : *threads) {
        ResumeThread(thread);
        CloseHandle(thread);
    }
    threads->clear();
}

// Each non-Unicode window of a gallery has the engine's StaticWindowProc; a
// Unicode one the engine's Unicode twin, in the same library.
void expectEveryWindowSkinned(const GalleryReport &report, unsigned long offset, unsigned long imageSize,
                              const char *what)
{
    SCOPED_TRACE(what);
    ASSERT_NE(0ul, offset) << "the engine exports no StaticWindowProc";
    ASSERT_NE(0ull, report.engineBase) << "the hooks did not bring the engine in";
    const unsigned long long expected = report.engineBase + offset;
    EXPECT_EQ(expected, report.staticWindowProc);
    int ansi = 0;
    for (const ReportedWindow &w : report.windows) {
        if (w.className.rfind("VarnelGallery", 0) != 0 && w.className != "Button" && w.className != "#32770")
            continue;
        if (w.unicode) {
            EXPECT_TRUE(w.procedure >= report.engineBase && w.procedure < report.engineBase + imageSize)
                << w.className << " procedure 0x" << std::hex << w.procedure;
        } else {
            EXPECT_EQ(expected, w.procedure) << w.className << " window 0x" << std::hex << w.handle;
            ansi++;
        }
    }
    EXPECT_GE(ansi, 5) << "the gallery's own windows";
}

// No window of a gallery runs an engine (a library that was loaded but
// entered no thread leaves them all alone).
void expectNoWindowSkinned(const GalleryReport &report, const char *engine)
{
    if (!report.engineBase) return;
    unsigned long size = 0;
    staticWindowProcOffset(shippedFile(engine), &size);
    for (const ReportedWindow &w : report.windows)
        EXPECT_FALSE(w.procedure >= report.engineBase && w.procedure < report.engineBase + size)
            << w.className << " runs " << engine;
}

class SettingsForGradients {
protected:
    SettingsForGradients()
    {
        settings.write(farGradientSettings(bands, &active, &inactive));
    }
    static const int bands = 8;
    EngineSettingsFile settings;
    Gradient active, inactive;
};

}  // namespace

// ---------------------------------------------------------------------------
// vlload with both halves, and a gallery of each bitness.

class BothBitnesses : public ::testing::Test, public SettingsForGradients {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(prefixFileExists(loader64Path())) << loader64Path();
        ASSERT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode) << "a loader is still running";
        ASSERT_TRUE(startChild(quoted(loaderPath()), outputFile("vlload"), &loader));
        ASSERT_TRUE(waitForOutput(loader, "is hooked into every 64-bit program", startTimeout)) << childOutput(loader);
        ASSERT_NE(std::string::npos, childOutput(loader).find("vlload: ")) << childOutput(loader);
        loader64 = findProcess("vlload64.exe");
        ASSERT_NE(0u, loader64) << "vlload started no vlload64";
        ASSERT_TRUE(startGallery(galleryPath(), &gallery, &report)) << childOutput(gallery);
        ASSERT_TRUE(startGallery(gallery64Path(), &gallery64, &report64)) << childOutput(gallery64);
    }
    void TearDown() override
    {
        if (loader.process && waitForExit(loader, 0) == STILL_ACTIVE) runLoader("/stop");
        endChild(&loader);
        closeGallery(&gallery, report);
        closeGallery(&gallery64, report64);
    }
    ChildProcess loader, gallery, gallery64;
    DWORD loader64 = 0;
    GalleryReport report, report64;
};

TEST_F(BothBitnesses, The64BitProgramRunsVarnel64AndShowsTheGradient)
{
    unsigned long size = 0;
    const unsigned long offset = staticWindowProcOffset(shippedFile("varnel64.dll"), &size);
    expectEveryWindowSkinned(report64, offset, size, "the 64-bit gallery, varnel64.dll");
    EXPECT_GT(report64.engineBase, 0xFFFFFFFFull) << "varnel64.dll lies above 4 GB, as 64-bit libraries do here";
    EXPECT_FALSE(processHasModule(gallery64.id, "varnel.dll"));
    HWND main = reportedWindow(report64, "VarnelGalleryMain");
    ASSERT_TRUE(IsWindow(main));
    EXPECT_EQ("", captionBandsFailure(main, active, inactive));
}

// On 64-bit Windows both loaders enter programs by window events, and each
// engine gives its own bitness's threads the message hooks: a 32-bit
// program started while both run is skinned by varnel.dll, where a global
// message hook of the other bitness would have ended its chain under Wine.
TEST_F(BothBitnesses, The32BitProgramStartedNowRunsVarnelAndShowsTheGradient)
{
    EXPECT_NE(std::string::npos, childOutput(loader).find("vlload: programs take the engine in with their next window event"))
        << childOutput(loader);
    unsigned long size = 0;
    const unsigned long offset = staticWindowProcOffset(shippedFile("varnel.dll"), &size);
    expectEveryWindowSkinned(report, offset, size, "the 32-bit gallery, varnel.dll");
    EXPECT_FALSE(processHasModule(gallery.id, "varnel64.dll"));
    // The 64-bit gallery opened over it: moved aside.
    SetWindowPos(reportedWindow(report64, "VarnelGalleryMain"), NULL, 700, 500, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ("", captionBandsFailure(reportedWindow(report, "VarnelGalleryMain"), active, inactive));
}

TEST_F(BothBitnesses, StatusReportsBothLoadersAndTheirEngines)
{
    ChildResult r = runLoader("/status");
    EXPECT_EQ((DWORD)exitOk, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("vlload is running (process id " + std::to_string(loader.id)))
        << r.output;
    EXPECT_NE(std::string::npos, r.output.find("vlload64 is running (process id " + std::to_string(loader64)))
        << r.output;
    EXPECT_TRUE(mentionsPath(r.output, shippedFile("varnel.dll"))) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, shippedFile("varnel64.dll"))) << r.output;
    // vlload64 answers for both as well.
    EXPECT_EQ((DWORD)exitOk, runLoader("/status", loader64Path()).exitCode);
    ChildResult second = runLoader("");
    EXPECT_EQ((DWORD)exitAlreadyRunning, second.exitCode) << second.output;
    EXPECT_EQ(STILL_ACTIVE, waitForExit(loader, 0));
    EXPECT_TRUE(processRuns(loader64));
}

TEST_F(BothBitnesses, StopEndsBothLoadersAndBothProgramsKeepRunning)
{
    ChildResult stop = runLoader("/stop");
    EXPECT_EQ((DWORD)exitOk, stop.exitCode) << stop.output;
    EXPECT_NE(std::string::npos, stop.output.find("vlload stopped")) << stop.output;
    EXPECT_NE(std::string::npos, stop.output.find("vlload64 stopped")) << stop.output;
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 10000)) << childOutput(loader);
    EXPECT_FALSE(processRuns(loader64)) << "vlload64 ended with vlload";
    EXPECT_NE(std::string::npos, childOutput(loader).find("vlload64: hooks removed")) << childOutput(loader);
    EXPECT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode);
    for (const GalleryReport *r : {&report, &report64}) {
        EXPECT_TRUE(windowAnswers(reportedWindow(*r, "VarnelGalleryMain")));
    }
    EXPECT_EQ(STILL_ACTIVE, waitForExit(gallery, 0));
    EXPECT_EQ(STILL_ACTIVE, waitForExit(gallery64, 0));
    // Still skinned, both end cleanly when their main window closes.
    for (ChildProcess *g : {&gallery, &gallery64}) {
        const GalleryReport &r = g == &gallery ? report : report64;
        PostMessageA(reportedWindow(r, "VarnelGalleryMain"), WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, waitForExit(*g, startTimeout));
    }
}

// One block for the user's desktop: both loaders' engines, made in their
// library entry points, and both galleries' join the same one this 64-bit
// process computes, and a setting written by the 32-bit vlconf reaches the
// programs of both bitnesses through it.
TEST_F(BothBitnesses, VlconfReachesTheProgramsOfBothBitnessesThroughOneBlock)
{
    GenerationView view = {NULL, NULL, NULL};
    SharedBlockState state = sharedBlockUsable;
    ASSERT_TRUE(openGenerationView(NULL, &view, &state)) << sharedBlockProblem(state);
    struct Member {
        const char *what;
        DWORD id;
        int found;
    } members[] = {{"vlload", loader.id, 0}, {"vlload64", loader64, 0}, {"the 32-bit gallery", gallery.id, 0},
                   {"the 64-bit gallery", gallery64.id, 0}};
    for (const volatile SharedProcess &p : view.block->processes)
        for (Member &m : members) m.found |= p.id == (LONG)m.id;
    const LONG before = *view.generation;
    for (const Member &m : members) EXPECT_TRUE(m.found) << m.what << " is not in the block";

    HWND main32 = reportedWindow(report, "VarnelGalleryMain"), main64 = reportedWindow(report64, "VarnelGalleryMain");
    SetWindowPos(main64, NULL, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Both ends changed: whichever gallery is active, each caption shows
    // only the new colours once its engine has followed.
    Gradient changed = active, changedInactive = inactive;
    changed.end = active.end == RGB(255, 0, 0) ? RGB(0, 0, 255) : RGB(255, 0, 0);
    changedInactive.end = inactive.end == RGB(255, 255, 255) ? RGB(0, 0, 0) : RGB(255, 255, 255);
    char assignment[96];
    snprintf(assignment, sizeof assignment, "set activeGradientEnd=#%02X%02X%02X inactiveGradientEnd=#%02X%02X%02X",
             GetRValue(changed.end), GetGValue(changed.end), GetBValue(changed.end), GetRValue(changedInactive.end),
             GetGValue(changedInactive.end), GetBValue(changedInactive.end));
    ChildResult set = runLoader(assignment, shippedFile("vlconf.exe"));
    EXPECT_EQ(0u, set.exitCode) << set.output;
    EXPECT_LT(before, *view.generation) << "vlconf bumped another block";
    closeGenerationView(&view);
    for (HWND main : {main32, main64}) {
        SCOPED_TRACE(main == main32 ? "the 32-bit gallery" : "the 64-bit gallery");
        SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
        EXPECT_EQ("", waitForCaptionBands(main, changed, changedInactive, true, 5000));
    }
}

TEST_F(BothBitnesses, KillingVlloadTakesVlload64WithIt)
{
    HANDLE partner = OpenProcess(SYNCHRONIZE, FALSE, loader64);
    ASSERT_TRUE(partner != NULL);
    TerminateProcess(loader.process, 99);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(partner, 10000)) << "vlload64 follows the vlload that started it";
    CloseHandle(partner);
    EXPECT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode);
    EXPECT_TRUE(windowAnswers(reportedWindow(report64, "VarnelGalleryMain")));
    // A killed vlload never took its programs' hooks out: a 32-bit program
    // started now finds it gone and is left alone.
    ChildProcess later;
    GalleryReport laterReport;
    ASSERT_TRUE(startGallery(galleryPath(), &later, &laterReport)) << childOutput(later);
    printf("varnel.dll %s the 32-bit program started after the kill\n",
           processHasModule(later.id, "varnel.dll") ? "was loaded into" : "stayed out of");
    expectNoWindowSkinned(laterReport, "varnel.dll");
    closeGallery(&later, laterReport);
}

// ---------------------------------------------------------------------------
// One half alone: a hook library of the other bitness never enters a
// program, and its loader never holds the program up, even when it stops
// pumping its messages.

class OneHalf : public ::testing::Test, public SettingsForGradients {
protected:
    void TearDown() override
    {
        SetEnvironmentVariableA("VARNEL_HIDE_NEWER_FUNCTIONS", NULL);
        resumeThreads(&suspended);
        if (loader.process && waitForExit(loader, 0) == STILL_ACTIVE) runLoader("/stop");
        endChild(&loader);
        closeGallery(&gallery, report);
    }
    // A loader of one bitness held still, then a program of the other: it
    // answers at once.
    void expectTheOtherBitnessUnhindered(const char *foreignEngine)
    {
        suspended = suspendProcess(loader.id);
        ASSERT_FALSE(suspended.empty());
        HWND main = reportedWindow(report, "VarnelGalleryMain");
        const DWORD start = GetTickCount();
        EXPECT_TRUE(windowAnswers(main));
        DWORD_PTR result = 0;
        EXPECT_NE(0, SendMessageTimeoutA(main, WM_SETTEXT, 0, (LPARAM) "Renamed", SMTO_ABORTIFHUNG, 5000, &result));
        EXPECT_LT(GetTickCount() - start, 2000u) << "the program waited for the suspended loader";
        EXPECT_FALSE(processHasModule(gallery.id, foreignEngine));
        // Wine keeps the window-event hook of a loader that was killed (an
        // earlier test kills one): that engine may be loaded, and must enter
        // nothing.
        expectNoWindowSkinned(report, strcmp(foreignEngine, "varnel.dll") == 0 ? "varnel64.dll" : "varnel.dll");
        resumeThreads(&suspended);
    }
    ChildProcess loader, gallery;
    GalleryReport report;
    std::vector<HANDLE> suspended;
};

TEST_F(OneHalf, The32BitLoaderAloneNeitherEntersNorHoldsUpA64BitProgram)
{
    // Without IsWow64Process vlload takes the system for a 32-bit one and
    // starts no vlload64.
    SetEnvironmentVariableA("VARNEL_HIDE_NEWER_FUNCTIONS", "1");
    ASSERT_TRUE(startChild(quoted(loaderPath()), outputFile("vlload"), &loader));
    ASSERT_TRUE(waitForOutput(loader, "is hooked into", startTimeout)) << childOutput(loader);
    SetEnvironmentVariableA("VARNEL_HIDE_NEWER_FUNCTIONS", NULL);
    EXPECT_EQ(0u, findProcess("vlload64.exe"));
    ChildResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitPartlyRunning, status.exitCode) << status.output;
    EXPECT_NE(std::string::npos, status.output.find("vlload64 is not running")) << status.output;
    // A 32-bit program is skinned by varnel.dll as on 32-bit Windows.
    ChildProcess gallery32;
    GalleryReport report32;
    ASSERT_TRUE(startGallery(galleryPath(), &gallery32, &report32)) << childOutput(gallery32);
    unsigned long size = 0;
    const unsigned long offset = staticWindowProcOffset(shippedFile("varnel.dll"), &size);
    expectEveryWindowSkinned(report32, offset, size, "the 32-bit gallery, varnel.dll");
    EXPECT_EQ("", captionBandsFailure(reportedWindow(report32, "VarnelGalleryMain"), active, inactive));
    closeGallery(&gallery32, report32);

    ASSERT_TRUE(startGallery(gallery64Path(), &gallery, &report)) << childOutput(gallery);
    expectTheOtherBitnessUnhindered("varnel.dll");
}

TEST_F(OneHalf, The64BitLoaderAloneNeitherEntersNorHoldsUpA32BitProgram)
{
    ASSERT_TRUE(startChild(quoted(loader64Path()), outputFile("vlload64"), &loader));
    ASSERT_TRUE(waitForOutput(loader, "is hooked into every 64-bit program", startTimeout)) << childOutput(loader);
    ChildResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitPartlyRunning, status.exitCode) << status.output;
    EXPECT_NE(std::string::npos, status.output.find("vlload is not running")) << status.output;
    ASSERT_TRUE(startGallery(galleryPath(), &gallery, &report)) << childOutput(gallery);
    expectTheOtherBitnessUnhindered("varnel64.dll");
    ChildResult stop = runLoader("/stop");
    EXPECT_EQ((DWORD)exitOk, stop.exitCode) << stop.output;
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 10000));
}

// "vlload /messagehooks": both loaders hook in by global message hooks, as
// on 32-bit Windows; vlload64's, installed last, come first under Wine, so
// the 64-bit program is skinned.
class MessageHookEntry : public OneHalf {};

TEST_F(MessageHookEntry, BothLoadersHookInByMessageHooksOnRequest)
{
    ASSERT_TRUE(startChild(quoted(loaderPath()) + " /messagehooks", outputFile("vlload"), &loader));
    ASSERT_TRUE(waitForOutput(loader, "is hooked into every 64-bit program", startTimeout)) << childOutput(loader);
    EXPECT_EQ(std::string::npos, childOutput(loader).find("window event")) << childOutput(loader);
    EXPECT_NE(0u, findProcess("vlload64.exe"));
    ASSERT_TRUE(startGallery(gallery64Path(), &gallery, &report)) << childOutput(gallery);
    unsigned long size = 0;
    const unsigned long offset = staticWindowProcOffset(shippedFile("varnel64.dll"), &size);
    expectEveryWindowSkinned(report, offset, size, "the 64-bit gallery, varnel64.dll");
}

// ---------------------------------------------------------------------------
// How the two halves fail.

class LoaderHalves : public ::testing::Test, public SettingsForGradients {};

TEST_F(LoaderHalves, Vlload64SaysWhichLibraryItLacksAndListsItsExitCodes)
{
    TestFolder alone("vlload64-alone");
    alone.copyIn(loader64Path(), "\\vlload64.exe");
    if (prefixFileExists(windowsDirectory() + "\\varnel64.dll")) GTEST_SKIP() << "the Windows directory holds varnel64.dll";
    ChildResult r = runLoader("", alone.file("\\vlload64.exe"));
    EXPECT_EQ((DWORD)exitDllNotFound, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("varnel64.dll not found")) << r.output;
    ChildResult usage = runLoader("/?", loader64Path());
    EXPECT_EQ((DWORD)exitOk, usage.exitCode);
    for (const char *line : {"vlload64 /stop", "2  varnel64.dll not found", "9  /status: on 64-bit Windows"})
        EXPECT_NE(std::string::npos, usage.output.find(line)) << line << "\n" << usage.output;
    ChildResult partner = runLoader("/partner 0", loader64Path());
    EXPECT_EQ((DWORD)exitUsage, partner.exitCode) << partner.output;
}

TEST_F(LoaderHalves, VlloadWithoutVlload64SkinsThe32BitProgramsAndSaysSo)
{
    TestFolder alone("vlload-without-64");
    alone.copyIn(loaderPath(), "\\vlload.exe");
    alone.copyIn(shippedFile("varnel.dll"), "\\varnel.dll");
    ChildProcess loader;
    ASSERT_TRUE(startChild(quoted(alone.file("\\vlload.exe")), outputFile("vlload-alone"), &loader));
    EXPECT_TRUE(waitForOutput(loader, "is hooked into", startTimeout)) << childOutput(loader);
    EXPECT_NE(std::string::npos, childOutput(loader).find("vlload64.exe not found: 64-bit programs are not skinned"))
        << childOutput(loader);
    EXPECT_EQ((DWORD)exitPartlyRunning, runLoader("/status").exitCode);
    EXPECT_EQ((DWORD)exitOk, runLoader("/stop").exitCode);
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 10000));
    endChild(&loader);
}
