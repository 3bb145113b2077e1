// The engine at work across processes: vlload.exe hooks varnel.dll into
// every GUI process of the prefix, a separately started gallery.exe gets its
// windows subclassed and its captions painted, and "vlload /stop" takes the
// hooks out again while every program keeps running. Also how the loader
// fails: no settings file, no library, a library that is not the engine, a
// second instance. Runs alone: the hooks reach every GUI process.
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

#include <commctrl.h>

#include "support/child_process.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_folder.h"

namespace {

// vlload's exit codes, as "vlload /?" lists them.
enum {
    loaderOk = 0,
    loaderUsage = 1,
    loaderDllNotFound = 2,
    loaderEngineRefused = 3,
    loaderNoHookEntries = 4,
    loaderAlreadyRunning = 6,
    loaderNotRunning = 7,
};

const DWORD startTimeout = 20000;

std::string windowsDirectory()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

std::string engineSettingsPath() { return windowsDirectory() + "\\varnels\\vl.ini"; }

// Paths as a program prints them: backslashes, any case.
std::string canonicalPath(std::string path)
{
    for (char &c : path) c = c == '/' ? '\\' : (char)tolower((unsigned char)c);
    return path;
}

bool mentionsPath(const std::string &output, const std::string &path)
{
    return canonicalPath(output).find(canonicalPath(path)) != std::string::npos;
}

bool fileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The prefix's real engine settings file, written for a test and put back
// as it was afterwards.
class EngineSettingsFile {
public:
    EngineSettingsFile()
    {
        CreateDirectoryA((windowsDirectory() + "\\varnels").c_str(), NULL);
        hadFile_ = fileExists(engineSettingsPath());
        if (hadFile_) previous_ = fileContent(engineSettingsPath());
    }
    ~EngineSettingsFile()
    {
        if (hadFile_)
            writeFileContent(engineSettingsPath(), previous_);
        else
            DeleteFileA(engineSettingsPath().c_str());
    }
    void write(const std::string &text) { writeFileContent(engineSettingsPath(), text); }
    void remove() { DeleteFileA(engineSettingsPath().c_str()); }

private:
    bool hadFile_;
    std::string previous_;
};

// The colours a gradient caption's bands carry: the caption colour stepped
// band by band toward the end colour, the step being the difference divided
// by the band count (truncated).
struct Gradient {
    COLORREF caption;
    COLORREF end;
    int bands;
};

COLORREF bandColour(const Gradient &g, int band)
{
    auto component = [&](int caption, int end) {
        const int step = (caption - end) / g.bands;
        return (caption - band * step) & 0xFF;
    };
    return RGB(component(GetRValue(g.caption), GetRValue(g.end)), component(GetGValue(g.caption), GetGValue(g.end)),
               component(GetBValue(g.caption), GetBValue(g.end)));
}

bool closeTo(COLORREF a, COLORREF b)
{
    return abs(GetRValue(a) - GetRValue(b)) <= 1 && abs(GetGValue(a) - GetGValue(b)) <= 1 &&
           abs(GetBValue(a) - GetBValue(b)) <= 1;
}

// The band a pixel belongs to, or -1.
int bandOf(const Gradient &g, COLORREF pixel)
{
    for (int band = 0; band < g.bands; band++)
        if (closeTo(pixel, bandColour(g, band))) return band;
    return -1;
}

// A colour far from the given one in every component, so that each band
// differs visibly from the next.
COLORREF farFrom(COLORREF c)
{
    return RGB(GetRValue(c) >= 128 ? 0 : 255, GetGValue(c) >= 128 ? 0 : 255, GetBValue(c) >= 128 ? 0 : 255);
}

// One line of "gallery /print-windows".
struct ReportedWindow {
    unsigned long handle;
    unsigned long parent;
    unsigned long procedure;  // read in the window's own character set
    int unicode;
    unsigned long style;
    unsigned long exStyle;
    std::string className;
};

struct GalleryReport {
    unsigned long engineBase = 0;        // 0: varnel.dll not loaded
    unsigned long staticWindowProc = 0;  // as GetProcAddress gave it there
    std::vector<ReportedWindow> windows;
};

GalleryReport parseGalleryReport(const std::string &text)
{
    GalleryReport report;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        ReportedWindow w;
        char name[256] = "";
        unsigned long value = 0;
        if (sscanf(line.c_str(), "varnel.dll 0x%lx", &value) == 1) report.engineBase = value;
        if (sscanf(line.c_str(), "StaticWindowProc 0x%lx", &value) == 1) report.staticWindowProc = value;
        if (sscanf(line.c_str(),
                   "window 0x%lx parent 0x%lx wndproc 0x%lx unicode %d style 0x%lx exstyle 0x%lx class \"%255[^\"]\"",
                   &w.handle, &w.parent, &w.procedure, &w.unicode, &w.style, &w.exStyle, name) == 7) {
            w.className = name;
            report.windows.push_back(w);
        }
    }
    return report;
}

// Where StaticWindowProc lies within varnel.dll, and the size of the
// library's image, read from the file without running its entry point.
unsigned long staticWindowProcOffset(unsigned long *imageSize)
{
    HMODULE image = LoadLibraryExA(buildFile("varnel.dll").c_str(), NULL, DONT_RESOLVE_DLL_REFERENCES);
    if (!image) return 0;
    FARPROC procedure = GetProcAddress(image, "StaticWindowProc");
    const unsigned long offset = procedure ? (unsigned long)((ULONG_PTR)procedure - (ULONG_PTR)image) : 0;
    const BYTE *base = (const BYTE *)image;
    *imageSize = ((const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew))->OptionalHeader.SizeOfImage;
    FreeLibrary(image);
    return offset;
}

DWORD findProcess(const char *exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exeName) == 0) found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

bool processHasModule(DWORD processId, const char *moduleName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &entry); more && !found; more = Module32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szModule, moduleName) == 0) found = true;
    CloseHandle(snapshot);
    return found;
}

bool processRuns(DWORD processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// A window of another process answers when its thread still pumps messages.
bool windowAnswers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

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

class LoaderFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fileExists(loaderPath())) << loaderPath();
        ASSERT_EQ((DWORD)loaderNotRunning, runLoader("/status").exitCode) << "a loader is still running";
    }
    EngineSettingsFile settings;
};

TEST_F(LoaderFailure, RefusesToStartWithoutSettingsFileAndSaysWhereItLooked)
{
    settings.remove();
    // The engine also reads vl.ini from a program's current folder: run the
    // loader where there is none.
    ChildResult r = runLoader("", scratch().path());
    EXPECT_EQ((DWORD)loaderEngineRefused, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("refused to attach")) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("no settings file")) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, engineSettingsPath())) << r.output;
    EXPECT_TRUE(mentionsPath(r.output, scratch().file("\\vl.ini"))) << r.output;
    EXPECT_EQ((DWORD)loaderNotRunning, runLoader("/status").exitCode) << "the failed loader left its instance behind";
}

TEST_F(LoaderFailure, SaysTheLibraryIsNotFoundInEitherFolder)
{
    if (fileExists(windowsDirectory() + "\\varnel.dll")) GTEST_SKIP() << "the Windows directory holds a varnel.dll";
    settings.write(settingsFileFor({}));
    TestFolder alone("loader-alone");
    alone.copyIn(loaderPath(), "\\vlload.exe");
    ChildResult r = runLoader("", NULL, alone.file("\\vlload.exe"));
    EXPECT_EQ((DWORD)loaderDllNotFound, r.exitCode) << r.output;
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
    EXPECT_EQ((DWORD)loaderNoHookEntries, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("SpyCallWndProc2")) << r.output;
}

TEST_F(LoaderFailure, StatusAndStopSayNothingRuns)
{
    ChildResult status = runLoader("/status");
    EXPECT_EQ((DWORD)loaderNotRunning, status.exitCode);
    EXPECT_NE(std::string::npos, status.output.find("not running")) << status.output;
    ChildResult stop = runLoader("/stop");
    EXPECT_EQ((DWORD)loaderNotRunning, stop.exitCode);
    EXPECT_NE(std::string::npos, stop.output.find("not running")) << stop.output;
}

TEST_F(LoaderFailure, UsageListsEveryExitCodeAndUnknownOptionsAreRefused)
{
    ChildResult usage = runLoader("/?");
    EXPECT_EQ((DWORD)loaderOk, usage.exitCode);
    for (const char *line : {"0  started", "2  varnel.dll not found", "3  the engine refused", "6  already running",
                             "7  /stop, /status: not running"})
        EXPECT_NE(std::string::npos, usage.output.find(line)) << line << "\n" << usage.output;
    ChildResult unknown = runLoader("/bogus");
    EXPECT_EQ((DWORD)loaderUsage, unknown.exitCode);
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
};

TEST(Gallery, OpensEveryKindOfWindowAndWithoutTheLoaderKeepsTheEngineOut)
{
    ASSERT_EQ((DWORD)loaderNotRunning, runLoader("/status").exitCode) << "a loader is still running";
    ChildProcess gallery;
    ASSERT_TRUE(startChild(quoted(galleryPath()) + " /print-windows /seconds 1", scratch().file("\\alone.txt"),
                           &gallery));
    ASSERT_TRUE(waitForOutput(gallery, "ready", startTimeout)) << childOutput(gallery);
    const GalleryReport report = parseGalleryReport(childOutput(gallery));
    EXPECT_EQ(0ul, report.engineBase);
    EXPECT_EQ(0ul, report.staticWindowProc);
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
// A running loader and a gallery started after it, in processes of their own.

class LoaderAcrossProcesses : public ::testing::Test {
protected:
    // A few wide bands, running far from the caption colours; show
    // animations off; inactive captions as gradients too, so that the main
    // caption is a gradient whichever window is active.
    static void SetUpTestSuite()
    {
        procedureOffset = staticWindowProcOffset(&imageSize);
        activeGradient = {GetSysColor(COLOR_ACTIVECAPTION) & 0xFFFFFF, 0, gradientBands};
        activeGradient.end = farFrom(activeGradient.caption);
        inactiveGradient = {GetSysColor(COLOR_INACTIVECAPTION) & 0xFFFFFF, 0, gradientBands};
        inactiveGradient.end = farFrom(inactiveGradient.caption);
        settings = new EngineSettingsFile;
        settings->write(settingsFileFor({{"activeGradientEndR", GetRValue(activeGradient.end)},
                                         {"activeGradientEndG", GetGValue(activeGradient.end)},
                                         {"activeGradientEndB", GetBValue(activeGradient.end)},
                                         {"inactiveGradientEndR", GetRValue(inactiveGradient.end)},
                                         {"inactiveGradientEndG", GetGValue(inactiveGradient.end)},
                                         {"inactiveGradientEndB", GetBValue(inactiveGradient.end)},
                                         {"gradientSteps", gradientBands},
                                         {"animateMainWindows", 0},
                                         {"animateMenus", 0},
                                         {"solidInactiveCaption", 0}}));
        explorerId = findProcess("explorer.exe");
        loaderStarted = startChild(quoted(loaderPath()), scratch().file("\\vlload.txt"), &loader) &&
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

    HWND galleryWindow(const char *className) const
    {
        for (const ReportedWindow &w : report.windows)
            if (w.className == className) return (HWND)(ULONG_PTR)w.handle;
        return NULL;
    }

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
    EXPECT_EQ((DWORD)loaderOk, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("process id " + std::to_string(loader.id))) << r.output;
}

TEST_F(LoaderAcrossProcesses, SecondLoaderFailsAlreadyRunning)
{
    ChildResult r = runLoader("");
    EXPECT_EQ((DWORD)loaderAlreadyRunning, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("already running")) << r.output;
    EXPECT_EQ(STILL_ACTIVE, waitForExit(loader, 0)) << "the first loader must keep running";
}

TEST_F(LoaderAcrossProcesses, EveryGalleryWindowRunsStaticWindowProc)
{
    ASSERT_NE(0ul, procedureOffset) << "varnel.dll exports no StaticWindowProc";
    ASSERT_NE(0ul, report.engineBase) << "the hooks did not bring varnel.dll into the gallery";
    const unsigned long expected = report.engineBase + procedureOffset;
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

// What is wrong with the main window's caption as a gradient from the
// caption colour to end; "" when its bands are all there, in order.
std::string gradientFailure(HWND main, const Gradient &active, const Gradient &inactive, int bands)
{
    RECT r;
    GetWindowRect(main, &r);
    const int width = r.right - r.left;
    // The title area of a sizeable window with a system menu and three
    // caption buttons: between the small icon and the buttons, from the top
    // of the caption; its second row carries the bands and no text.
    const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
    const int from = frameX + GetSystemMetrics(SM_CXSMICON) + 3;
    const int to = width - frameX - 3 * GetSystemMetrics(SM_CXSIZE) - 3;
    const int row = frameY + 1;
    WindowPixels pixels(main);
    const COLORREF first = pixels.at(from, row);
    const Gradient &g = bandOf(active, first) == 0 ? active : inactive;
    int previous = 0, last = -1;
    for (int x = from; x <= to; x++) {
        const int band = bandOf(g, pixels.at(x, row));
        char where[160];
        snprintf(where, sizeof where, "x=%d y=%d colour %06lX band %d after band %d", x, row,
                 (unsigned long)pixels.at(x, row), band, previous);
        if (band < 0 || band < previous) return where;
        if (x == from && band != 0) return std::string("first band missing: ") + where;
        previous = band;
        last = band;
    }
    if (last < bands - 2) return "the bands end at band " + std::to_string(last) + " of " + std::to_string(bands);
    return "";
}

// Polls the caption for up to timeout milliseconds until it shows the
// gradient (wanted) or anything else (!wanted); returns what it last saw.
std::string waitForGradient(HWND main, const Gradient &active, const Gradient &inactive, int bands, bool wanted,
                            DWORD timeout)
{
    const DWORD start = GetTickCount();
    std::string failure;
    do {
        failure = gradientFailure(main, active, inactive, bands);
        if (failure.empty() == wanted) break;
        Sleep(50);
    } while (GetTickCount() - start < timeout);
    return failure;
}

TEST_F(LoaderAcrossProcesses, MainCaptionOfTheGalleryShowsTheGradient)
{
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_TRUE(IsWindow(main));
    // The gallery paints on its own thread: allow it a moment.
    EXPECT_EQ("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, true, 5000))
        << "active caption colour " << std::hex << activeGradient.caption << ", end " << activeGradient.end;
}

// The loader's tray menu sends its commands to the loader's window; Pause
// and Resume there do what "vlload /pause" and "vlload /resume" do, and the
// running gallery follows within a second either way.
TEST_F(LoaderAcrossProcesses, TrayIconPausesAndResumesLikeTheCommandLine)
{
    EXPECT_NE(std::string::npos, childOutput(loader).find("tray icon shown")) << childOutput(loader);
    HWND loaderWindow = FindWindowA("VarnelLoader", NULL);
    ASSERT_TRUE(IsWindow(loaderWindow));
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_EQ("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, true, 5000));
    const std::string marker = windowsDirectory() + "\\varnels\\vldis.ini";
    const WPARAM pauseOrResume = 102;  // the menu's Pause / Resume entry

    SendMessageA(loaderWindow, WM_COMMAND, pauseOrResume, 0);
    EXPECT_EQ(0u, fileContent(marker).find("1")) << "the menu's Pause writes the marker";
    EXPECT_NE("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, false, 1000))
        << "paused: the system's caption within a second";
    ChildResult about = runLoader("/about");
    EXPECT_NE(std::string::npos, about.output.find("paused")) << about.output;

    ChildResult resume = runLoader("/resume");
    EXPECT_EQ((DWORD)loaderOk, resume.exitCode) << resume.output;
    EXPECT_FALSE(fileExists(marker));
    EXPECT_EQ("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, true, 1000))
        << "resumed: the gradient within a second";

    ChildResult pause = runLoader("/pause");
    EXPECT_EQ((DWORD)loaderOk, pause.exitCode) << pause.output;
    EXPECT_NE("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, false, 1000));
    SendMessageA(loaderWindow, WM_COMMAND, pauseOrResume, 0);
    EXPECT_FALSE(fileExists(marker)) << "the menu's Resume removes it";
    EXPECT_EQ("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, true, 1000));
}

// A setting changed with vlconf reaches the running gallery within a
// second, without a restart.
TEST_F(LoaderAcrossProcesses, VlconfSetChangesTheRunningGallerysCaption)
{
    HWND main = galleryWindow("VarnelGalleryMain");
    ASSERT_EQ("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, true, 5000));
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
    EXPECT_EQ("", waitForGradient(main, red, redInactive, gradientBands, true, 1000)) << "new end " << assignment;

    // Put back for the tests after this one.
    snprintf(assignment, sizeof assignment, "activeGradientEnd=#%02X%02X%02X", GetRValue(activeGradient.end),
             GetGValue(activeGradient.end), GetBValue(activeGradient.end));
    ASSERT_EQ(0u, runLoader(std::string("set ") + assignment, NULL, buildFile("vlconf.exe")).exitCode);
    SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ("", waitForGradient(main, activeGradient, inactiveGradient, gradientBands, true, 1000));
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
    EXPECT_EQ((DWORD)loaderOk, stop.exitCode) << stop.output;
    EXPECT_NE(std::string::npos, stop.output.find("stopped")) << stop.output;
    EXPECT_EQ((DWORD)loaderOk, waitForExit(loader, 10000)) << childOutput(loader);
    EXPECT_NE(std::string::npos, childOutput(loader).find("hooks removed")) << childOutput(loader);
    EXPECT_EQ((DWORD)loaderNotRunning, runLoader("/status").exitCode);

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
    EXPECT_EQ(0ul, parseGalleryReport(childOutput(fresh)).engineBase) << childOutput(fresh);
    EXPECT_EQ(0u, waitForExit(fresh, startTimeout));
    endChild(&fresh);

    // The gallery, still skinned, ends cleanly when its main window closes.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, waitForExit(gallery, startTimeout));
}
