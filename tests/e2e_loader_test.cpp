// The engine at work across processes: vlload.exe hooks varnel.dll into
// every GUI process of the prefix, a separately started gallery.exe gets its
// windows subclassed and its captions painted, and "vlload /stop" takes the
// hooks out again while every program keeps running. Also how the loader
// fails: no settings file, no library, a library that is not the engine, a
// second instance. Runs alone: the hooks reach every GUI process.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "support/child_process.h"
#include "support/loader_runs.h"
#include "support/settings_file.h"
#include "support/test_folder.h"
#include "tools/schemes/scheme_store.h"

// vlconf's announcement of a changed engine file (tools/vlconf/vlconf.h,
// whose exit codes share names with the loader's).
void announceFolderChange(const std::string &path);

namespace {

const DWORD startTimeout = 20000;

std::string loaderPath() { return buildFile("vlload.exe"); }
std::string galleryPath() { return buildFile("gallery.exe"); }

// A scratch folder for output files and copies of the programs.
TestFolder &scratch()
{
    static TestFolder folder("e2e");
    return folder;
}

ChildResult runLoader(const std::string &arguments, const char *directory = NULL,
                      const std::string &program = loaderPath())
{
    static int run;
    const std::string output = scratch().file("\\vlload-run" + std::to_string(++run) + ".txt");
    return runChild(quoted(program) + (arguments.empty() ? "" : " " + arguments), output, 30000, directory);
}

}  // namespace

// ---------------------------------------------------------------------------
// The loader without a running instance: how it says what is wrong.

class LoaderFailure : public NoLoaderRunning {};

TEST_F(LoaderFailure, RefusesToStartWithoutSettingsFileAndSaysWhereItLooked)
{
    settings.remove();
    // The engine also reads vl.ini from a program's current folder: run the
    // loader where there is none.
    ChildResult r = runLoader("", scratch().path());
    EXPECT_EQ((DWORD)exitEngineRefused, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("refused to attach")) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("no settings file")) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, prefixSettingsPath())) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, scratch().file("\\vl.ini"))) << r.output;
    EXPECT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode) << "the failed loader left its instance behind";
}

TEST_F(LoaderFailure, SaysTheLibraryIsNotFoundInEitherFolder)
{
    if (prefixFileExists(windowsDirectory() + "\\varnel.dll")) GTEST_SKIP() << "the Windows directory holds a varnel.dll";
    settings.write(settingsFileFor({}));
    TestFolder alone("loader-alone");
    alone.copyIn(loaderPath(), "\\vlload.exe");
    ChildResult r = runLoader("", NULL, alone.file("\\vlload.exe"));
    EXPECT_EQ((DWORD)exitDllNotFound, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("varnel.dll not found")) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, alone.file("\\varnel.dll"))) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, windowsDirectory() + "\\varnel.dll")) << r.output;
}

TEST_F(LoaderFailure, RejectsALibraryWithoutTheHookProcedures)
{
    settings.write(settingsFileFor({}));
    TestFolder impostor("loader-impostor");
    impostor.copyIn(loaderPath(), "\\vlload.exe");
    impostor.copyIn(buildFile("fixtures\\noentry.dll"), "\\varnel.dll");
    ChildResult r = runLoader("", NULL, impostor.file("\\vlload.exe"));
    EXPECT_EQ((DWORD)exitNoHookEntries, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("SpyCallWndProc2")) << r.output;
}

TEST_F(LoaderFailure, StatusAndStopSayNothingRuns)
{
    ChildResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitNotRunning, status.exitCode);
    EXPECT_NE(std::string::npos, status.output.find("not running")) << status.output;
    ChildResult stop = runLoader("/stop");
    EXPECT_EQ((DWORD)exitNotRunning, stop.exitCode);
    EXPECT_NE(std::string::npos, stop.output.find("not running")) << stop.output;
}

TEST_F(LoaderFailure, UsageListsEveryExitCodeAndUnknownOptionsAreRefused)
{
    ChildResult usage = runLoader("/?");
    EXPECT_EQ((DWORD)exitOk, usage.exitCode);
    for (const char *line : {"0  started", "2  varnel.dll not found", "3  the engine refused", "6  already running", "10  a name",
                             "7  /stop, /status: not running"})
        EXPECT_NE(std::string::npos, usage.output.find(line)) << line << "\n" << usage.output;
    ChildResult unknown = runLoader("/bogus");
    EXPECT_EQ((DWORD)exitUsage, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.output.find("unknown option '/bogus'")) << unknown.output;
}

// ---------------------------------------------------------------------------
// The gallery on its own: every kind of window the engine touches is there,
// and without the loader nothing brings the engine in.

struct WindowKind {
    const char *className;
    DWORD styleMask, style;
    DWORD exStyleMask, exStyle;
    const char *what;
};

const WindowKind galleryKinds[] = {
    {"VarnelGalleryMain", WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW, 0, 0, "main window"},
    {"#32770", DS_MODALFRAME, DS_MODALFRAME, 0, 0, "dialog with a modal frame"},
    {"#32770", DS_MODALFRAME | WS_THICKFRAME | WS_CAPTION, WS_CAPTION, WS_EX_CONTEXTHELP, WS_EX_CONTEXTHELP,
     "thin-frame dialog with context help"},
    {"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON, 0, 0, "default push button"},
    {"Button", BS_TYPEMASK, BS_PUSHBUTTON, 0, 0, "push button"},
    {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, 0, 0, "check box"},
    {"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, 0, 0, "radio button"},
    {"Button", BS_TYPEMASK, BS_GROUPBOX, 0, 0, "group box"},
    {"Static", 0, 0, 0, 0, "label"},
    {"Edit", ES_READONLY, ES_READONLY, 0, 0, "read-only edit"},
    {"Edit", 0, 0, WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE, "edit with a client edge"},
    {"SysListView32", LVS_TYPEMASK, LVS_REPORT, 0, 0, "report list view"},
    {"ToolbarWindow32", 0, 0, 0, 0, "toolbar"},
    {"SysTabControl32", 0, 0, 0, 0, "tab control"},
    {"msctls_progress32", 0, 0, 0, 0, "progress bar"},
    {"VarnelGalleryFrame", 0, 0, 0, 0, "MDI frame"},
    {"MDIClient", 0, 0, 0, 0, "MDI client"},
    {"VarnelGalleryDocument", 0, 0, WS_EX_MDICHILD, WS_EX_MDICHILD, "MDI child"},
    {"VarnelGalleryTool", WS_CAPTION, WS_CAPTION, WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW, "tool window"},
    {"VarnelGalleryCaption", WS_CAPTION, WS_CAPTION, WS_EX_LAYOUTRTL, WS_EX_LAYOUTRTL, "mirrored window"},
    {"VarnelGalleryCaption", WS_THICKFRAME, WS_THICKFRAME, WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME,
     "sizable window with a modal frame"},
};

TEST(Gallery, OpensEveryKindOfWindowAndWithoutTheLoaderKeepsTheEngineOut)
{
    ASSERT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode) << "a loader is still running";
    ChildProcess gallery;
    ASSERT_TRUE(startChild(quoted(galleryPath()) + " /print-windows /seconds 1", scratch().file("\\alone.txt"),
                           &gallery));
    ASSERT_TRUE(waitForOutput(gallery, "ready", startTimeout)) << childOutput(gallery);
    const GalleryReport report = parseGalleryReport(childOutput(gallery));
    EXPECT_EQ(0ull, report.engineBase);
    EXPECT_EQ(0ull, report.staticWindowProc);
    for (const WindowKind &kind : galleryKinds) {
        int found = 0;
        for (const ReportedWindow &w : report.windows)
            if (w.className == kind.className && (w.style & kind.styleMask) == kind.style &&
                (w.exStyle & kind.exStyleMask) == kind.exStyle)
                found++;
        EXPECT_GE(found, 1) << kind.what;
    }
    EXPECT_EQ(0u, waitForExit(gallery, startTimeout)) << "/seconds 1 ends the gallery cleanly";
    endChild(&gallery);
}

// ---------------------------------------------------------------------------
// The tray icon: Shell_NotifyIcon answers for it when the loader starts, and
// /stop takes the loader and its icon away.
TEST(LoaderTray, ShowsItsIconAndStopsWithIt)
{
    ASSERT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode) << "a loader is still running";
    EngineSettingsFile settings;
    settings.write(settingsFileFor({}));
    ChildProcess loader;
    ASSERT_TRUE(startChild(quoted(loaderPath()), scratch().file("\\tray.txt"), &loader));
    EXPECT_TRUE(waitForOutput(loader, "tray icon", startTimeout)) << childOutput(loader);
    EXPECT_NE(std::string::npos, childOutput(loader).find("tray icon shown")) << childOutput(loader);
    EXPECT_EQ((DWORD)exitOk, runLoader("/stop").exitCode);
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 10000)) << childOutput(loader);
    endChild(&loader);
}

// A running loader and a gallery started after it, in processes of their own.

class LoaderAcrossProcesses : public ::testing::Test {
protected:
    // A few wide bands, running far from the caption colours; show
    // animations off; inactive captions as gradients too, so that the main
    // caption is a gradient whichever window is active.
    static void SetUpTestSuite()
    {
        procedureOffset = staticWindowProcOffset(buildFile("varnel.dll"), &imageSize);
        settings = new EngineSettingsFile;
        settings->write(farGradientSettings(gradientBands, &activeGradient, &inactiveGradient));
        explorerId = findProcess("explorer.exe");
        // Without the tray icon: Wine without a taskbar shows tray icons in a
        // window of its own at the top left, over the gallery caption that
        // these tests read back (LoaderTray shows the icon).
        loaderStarted = startChild(quoted(loaderPath()) + " /notray", scratch().file("\\vlload.txt"), &loader) &&
                        waitForOutput(loader, "is hooked into", startTimeout);
        if (!loaderStarted) return;
        galleryStarted = startChild(quoted(galleryPath()) + " /print-windows", scratch().file("\\gallery.txt"),
                                    &gallery) &&
                         waitForOutput(gallery, "ready", startTimeout);
        if (galleryStarted) report = parseGalleryReport(childOutput(gallery));
    }

    static void TearDownTestSuite()
    {
        if (loader.process && waitForExit(loader, 0) == STILL_ACTIVE) runLoader("/stop");
        endChild(&loader);
        endChild(&gallery);
        delete settings;
        settings = NULL;
    }

    void SetUp() override
    {
        ASSERT_TRUE(loaderStarted) << "vlload did not start:\n" << childOutput(loader);
        ASSERT_TRUE(galleryStarted) << "gallery did not report its windows within " << startTimeout / 1000
                                    << " s (" << (waitForExit(gallery, 0) == STILL_ACTIVE ? "hung" : "ended")
                                    << "):\n"
                                    << childOutput(gallery);
    }

    HWND galleryWindow(const char *className) const { return reportedWindow(report, className); }

    static const int gradientBands = 8;
    static unsigned long procedureOffset, imageSize;
    static Gradient activeGradient, inactiveGradient;
    static EngineSettingsFile *settings;
    static DWORD explorerId;
    static ChildProcess loader, gallery;
    static bool loaderStarted, galleryStarted;
    static GalleryReport report;
};

unsigned long LoaderAcrossProcesses::procedureOffset, LoaderAcrossProcesses::imageSize;
Gradient LoaderAcrossProcesses::activeGradient, LoaderAcrossProcesses::inactiveGradient;
EngineSettingsFile *LoaderAcrossProcesses::settings;
DWORD LoaderAcrossProcesses::explorerId;
ChildProcess LoaderAcrossProcesses::loader, LoaderAcrossProcesses::gallery;
bool LoaderAcrossProcesses::loaderStarted, LoaderAcrossProcesses::galleryStarted;
GalleryReport LoaderAcrossProcesses::report;

TEST_F(LoaderAcrossProcesses, StatusNamesTheRunningLoader)
{
    ChildResult r = runLoader("/status");
    EXPECT_EQ((DWORD)exitOk, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("process id " + std::to_string(loader.id))) << r.output;
}

TEST_F(LoaderAcrossProcesses, SecondLoaderFailsAlreadyRunning)
{
    ChildResult r = runLoader("");
    EXPECT_EQ((DWORD)exitAlreadyRunning, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("already running")) << r.output;
    EXPECT_EQ(STILL_ACTIVE, waitForExit(loader, 0)) << "the first loader must keep running";
}

TEST_F(LoaderAcrossProcesses, EveryGalleryWindowRunsStaticWindowProc)
{
    ASSERT_NE(0ul, procedureOffset) << "varnel.dll exports no StaticWindowProc";
    ASSERT_NE(0ull, report.engineBase) << "the hooks did not bring varnel.dll into the gallery";
    const unsigned long long expected = report.engineBase + procedureOffset;
    EXPECT_EQ(expected, report.staticWindowProc);

    // The gallery's own windows and the controls it makes, with how many of
    // each it makes at least; windows the system adds (IME) are not counted.
    const std::map<std::string, int> made = {
        {"VarnelGalleryMain", 1}, {"ToolbarWindow32", 1},  {"SysTabControl32", 1},      {"SysListView32", 1},
        {"SysHeader32", 1},       {"msctls_progress32", 1}, {"#32770", 2},              {"Button", 11},
        {"Static", 5},            {"Edit", 2},              {"VarnelGalleryTool", 1},   {"VarnelGalleryFrame", 1},
        {"MDIClient", 1},         {"VarnelGalleryDocument", 2},
    };
    // A Unicode window (the common controls are) has the engine's Unicode
    // procedure, which lies in the library beside StaticWindowProc, and it
    // is still Unicode.
    std::map<std::string, int> seen;
    for (const ReportedWindow &w : report.windows) {
        if (!made.count(w.className)) continue;
        seen[w.className]++;
        if (w.unicode) {
            EXPECT_NE(expected, w.procedure) << w.className;
            EXPECT_TRUE(w.procedure >= report.engineBase && w.procedure < report.engineBase + imageSize)
                << w.className << " window 0x" << std::hex << w.handle << " procedure 0x" << w.procedure;
        } else {
            EXPECT_EQ(expected, w.procedure) << w.className << " window 0x" << std::hex << w.handle;
        }
        if (w.className == "SysListView32") EXPECT_EQ(1, w.unicode) << "the list view stays Unicode";
    }
    for (const auto &kind : made) EXPECT_GE(seen[kind.first], kind.second) << kind.first;
}

TEST_F(LoaderAcrossProcesses, MainCaptionOfTheGalleryShowsTheGradient)
{
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_TRUE(IsWindow(main));
    // The gallery paints on its own thread: the check allows it a moment.
    EXPECT_EQ("", captionBandsFailure(main, activeGradient, inactiveGradient))
        << "active caption colour " << std::hex << activeGradient.caption << ", end " << activeGradient.end;
}

// A change reaches the running gallery within a second on a quiet machine;
// the test allows three, since CI runs other suites beside it, and prints
// how long it took.
std::string followedWithin(HWND main, const Gradient &active, const Gradient &inactive, bool wanted)
{
    const DWORD start = GetTickCount();
    const std::string seen = waitForCaptionBands(main, active, inactive, wanted, 3000);
    printf("the gallery followed in %lu ms\n", (unsigned long)(GetTickCount() - start));
    return seen;
}

// A program reading a deleted file at that moment (an engine following the
// change reads the marker) keeps its name until it closes it.
static bool goneWithin(const std::string &file, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (prefixFileExists(file) && GetTickCount() - start < ms) Sleep(20);
    return !prefixFileExists(file);
}

// The loader's tray menu sends its commands to the loader's window; Pause
// and Resume there do what "vlload /pause" and "vlload /resume" do, and the
// running gallery follows within a second either way.
TEST_F(LoaderAcrossProcesses, TrayIconPausesAndResumesLikeTheCommandLine)
{
    HWND loaderWindow = FindWindowA("VarnelLoader", NULL);
    ASSERT_TRUE(IsWindow(loaderWindow));
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_EQ("", waitForCaptionBands(main, activeGradient, inactiveGradient, true, 5000));
    const std::string marker = windowsDirectory() + "\\varnels\\vldis.ini";
    const WPARAM pauseOrResume = 102;  // the menu's Pause / Resume entry

    SendMessageA(loaderWindow, WM_COMMAND, pauseOrResume, 0);
    EXPECT_EQ(0u, fileContent(marker).find("1")) << "the menu's Pause writes the marker";
    EXPECT_NE("", followedWithin(main, activeGradient, inactiveGradient, false))
        << "paused: the system's caption within a second";
    ChildResult about = runLoader("/about");
    EXPECT_NE(std::string::npos, about.output.find("paused")) << about.output;

    ChildResult resume = runLoader("/resume");
    EXPECT_EQ((DWORD)exitOk, resume.exitCode) << resume.output;
    EXPECT_TRUE(goneWithin(marker, 1000));
    EXPECT_EQ("", followedWithin(main, activeGradient, inactiveGradient, true))
        << "resumed: the gradient within a second";

    ChildResult pause = runLoader("/pause");
    EXPECT_EQ((DWORD)exitOk, pause.exitCode) << pause.output;
    EXPECT_NE("", followedWithin(main, activeGradient, inactiveGradient, false));
    SendMessageA(loaderWindow, WM_COMMAND, pauseOrResume, 0);
    EXPECT_TRUE(goneWithin(marker, 1000)) << "the menu's Resume removes it";
    EXPECT_EQ("", followedWithin(main, activeGradient, inactiveGradient, true));
}

// The menu's Settings entry starts the settings window beside the loader, as
// "vlsettings" from a command line would; closed again unwritten.
TEST_F(LoaderAcrossProcesses, TrayMenuSettingsOpensTheSettingsWindow)
{
    HWND loaderWindow = FindWindowA("VarnelLoader", NULL);
    ASSERT_TRUE(IsWindow(loaderWindow));
    const WPARAM settingsEntry = 100;  // the menu's Settings... entry
    SendMessageA(loaderWindow, WM_COMMAND, settingsEntry, 0);
    HWND sheet = NULL;
    for (int i = 0; i < 200 && !sheet; i++) {
        sheet = FindWindowA(NULL, "varnel settings");
        if (!sheet) Sleep(50);
    }
    ASSERT_TRUE(sheet != NULL) << "no settings window within 10 s";
    PostMessageA(sheet, WM_CLOSE, 0, 0);
    for (int i = 0; i < 200 && IsWindow(sheet); i++) Sleep(50);
    EXPECT_FALSE(IsWindow(sheet)) << "closed without writing";
}

// A setting changed with vlconf reaches the running gallery within a
// second, without a restart.
TEST_F(LoaderAcrossProcesses, VlconfSetChangesTheRunningGallerysCaption)
{
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_EQ("", waitForCaptionBands(main, activeGradient, inactiveGradient, true, 5000));
    Gradient red = activeGradient, redInactive = inactiveGradient;
    red.end = RGB(255, 0, 0) == activeGradient.end ? RGB(0, 0, 255) : RGB(255, 0, 0);
    char assignment[64];
    snprintf(assignment, sizeof assignment, "activeGradientEnd=#%02X%02X%02X", GetRValue(red.end),
             GetGValue(red.end), GetBValue(red.end));
    ChildResult set = runLoader(std::string("set ") + assignment, NULL, buildFile("vlconf.exe"));
    ASSERT_EQ(0u, set.exitCode) << set.output;
    // The main window is active or not; either way its bands now run to the
    // new end when active.
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ("", followedWithin(main, red, redInactive, true)) << "new end " << assignment;

    // Put back for the tests after this one.
    snprintf(assignment, sizeof assignment, "activeGradientEnd=#%02X%02X%02X", GetRValue(activeGradient.end),
             GetGValue(activeGradient.end), GetBValue(activeGradient.end));
    ASSERT_EQ(0u, runLoader(std::string("set ") + assignment, NULL, buildFile("vlconf.exe")).exitCode);
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ("", followedWithin(main, activeGradient, inactiveGradient, true));
}

static std::string colourText(COLORREF c)
{
    char text[8];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// "vlconf scheme apply" writes vl.ini as "vlconf set" does and tells the
// running programs the same way: the gallery's caption follows.
TEST_F(LoaderAcrossProcesses, AppliedSchemeChangesTheRunningGallerysCaption)
{
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_EQ("", waitForCaptionBands(main, activeGradient, inactiveGradient, true, 5000));
    Gradient red = activeGradient;
    red.end = RGB(255, 0, 0) == activeGradient.end ? RGB(0, 0, 255) : RGB(255, 0, 0);
    // The suite's settings but for the active end: what the scheme leaves
    // out takes the default, as in the suite's vl.ini.
    const std::string scheme = "varnel scheme 1\r\nname = Gallery Red\r\n[settings]\r\n"
                               "activeGradientEnd = " + colourText(red.end) + "\r\n"
                               "inactiveGradientEnd = " + colourText(inactiveGradient.end) + "\r\n"
                               "gradientSteps = " + std::to_string(gradientBands) + "\r\n"
                               "animateMainWindows = off\r\nanimateMenus = off\r\nsolidInactiveCaption = off\r\n"
                               "[end]\r\n";
    scratch().write("\\gallery-red.vls", scheme);
    const std::string vlconf = buildFile("vlconf.exe");
    ChildResult imported = runLoader("scheme import " + quoted(scratch().file("\\gallery-red.vls")) + " --replace",
                                     NULL, vlconf);
    ASSERT_EQ(0u, imported.exitCode) << imported.output;
    ChildResult applied = runLoader("scheme apply \"Gallery Red\"", NULL, vlconf);
    runLoader("scheme delete \"Gallery Red\"", NULL, vlconf);
    ASSERT_EQ(0u, applied.exitCode) << applied.output;
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ("", followedWithin(main, red, inactiveGradient, true)) << "scheme end " << colourText(red.end);

    // Put back for the tests after this one.
    ASSERT_EQ(0u, runLoader("set activeGradientEnd=" + colourText(activeGradient.end), NULL, vlconf).exitCode);
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ("", followedWithin(main, activeGradient, inactiveGradient, true));
}

// The tray menu's Schemes submenu applies a scheme at once: its command for
// the first built-in (Classic, a gradient of its own) writes it and the
// running gallery's captions leave the suite's bands within a second.
TEST_F(LoaderAcrossProcesses, TraySchemeEntryAppliesTheSchemeToRunningPrograms)
{
    HWND loaderWindow = FindWindowA("VarnelLoader", NULL);
    ASSERT_TRUE(IsWindow(loaderWindow));
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_EQ("", waitForCaptionBands(main, activeGradient, inactiveGradient, true, 5000));
    const std::string suiteSettings = fileContent(prefixSettingsPath());
    const WPARAM firstScheme = 200;  // the submenu's first entry: the first built-in
    SendMessageA(loaderWindow, WM_COMMAND, firstScheme, 0);
    EXPECT_EQ("Classic", schemeMatchingSettings(prefixSettingsPath())) << fileContent(prefixSettingsPath());
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_NE("", followedWithin(main, activeGradient, inactiveGradient, false)) << "still the suite's bands";

    // Put back for the tests after this one, announced as vlconf would.
    settings->write(suiteSettings);
    announceFolderChange(prefixSettingsPath());
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ("", followedWithin(main, activeGradient, inactiveGradient, true));
}

TEST_F(LoaderAcrossProcesses, ARunningProcessTakesTheEngineInWithItsNextMessage)
{
    if (!explorerId) GTEST_SKIP() << "no desktop process";
    // The desktop window belongs to explorer.exe, which was running before the
    // loader started.
    ASSERT_TRUE(windowAnswers(GetDesktopWindow()));
    EXPECT_TRUE(processHasModule(explorerId, "varnel.dll"));
}

// Last: the loader leaves, the hooks go, and every program keeps running.
TEST_F(LoaderAcrossProcesses, StopUnhooksAndEveryProgramKeepsRunning)
{
    ChildResult stop = runLoader("/stop");
    EXPECT_EQ((DWORD)exitOk, stop.exitCode) << stop.output;
    EXPECT_NE(std::string::npos, stop.output.find("stopped")) << stop.output;
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 10000)) << childOutput(loader);
    EXPECT_NE(std::string::npos, childOutput(loader).find("hooks removed")) << childOutput(loader);
    EXPECT_EQ((DWORD)exitNotRunning, runLoader("/status").exitCode);

    HWND main = galleryWindow("VarnelGalleryMain");
    EXPECT_EQ(STILL_ACTIVE, waitForExit(gallery, 0));
    EXPECT_TRUE(windowAnswers(main));
    if (explorerId) {
        EXPECT_TRUE(processRuns(explorerId));
        EXPECT_TRUE(windowAnswers(GetDesktopWindow()));
    }

    // Without the hooks a new program does not load the engine.
    ChildProcess fresh;
    ASSERT_TRUE(startChild(quoted(galleryPath()) + " /print-windows /seconds 1", scratch().file("\\fresh.txt"),
                           &fresh));
    EXPECT_TRUE(waitForOutput(fresh, "ready", startTimeout));
    EXPECT_EQ(0ull, parseGalleryReport(childOutput(fresh)).engineBase) << childOutput(fresh);
    EXPECT_EQ(0u, waitForExit(fresh, startTimeout));
    endChild(&fresh);

    // The gallery, still skinned, ends cleanly when its main window closes.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, waitForExit(gallery, startTimeout));
}
