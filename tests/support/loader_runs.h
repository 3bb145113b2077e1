// What the loader's suites share (e2e_loader_test, and win64_loader_test
// across both bitnesses): the prefix's real settings file, the gallery's
// report of its windows, gradient bands read back from a caption, and other
// processes seen from the test.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "engine/loader_contract.h"

// vlload's exit codes: engine/loader_contract.h (LoaderExitCode).

std::string windowsDirectory();
std::string prefixSettingsPath();
bool prefixFileExists(const std::string &path);
// Paths as a program prints them: backslashes, any case.
bool mentionsPath(const std::string &output, const std::string &path);

// The prefix's real engine settings file, written for a test and put back
// as it was afterwards.
class EngineSettingsFile {
public:
    EngineSettingsFile();
    ~EngineSettingsFile();
    void write(const std::string &text);
    void remove();

private:
    bool hadFile_;
    std::string previous_;
};

// Where the loader suites' tests start: the build's vlload.exe is in place
// and no loader runs (its /status says so); the prefix's settings file holds
// the engine's defaults when the fixture asks for them, and is put back as it
// was after the test either way.
enum PrefixSettingsAtStart { prefixSettingsAsFound, prefixDefaultSettings };
class NoLoaderRunning : public ::testing::Test {
protected:
    explicit NoLoaderRunning(PrefixSettingsAtStart atStart = prefixSettingsAsFound) : atStart_(atStart) {}
    void SetUp() override;
    EngineSettingsFile settings;

private:
    const PrefixSettingsAtStart atStart_;
};

// The colours a gradient caption's bands carry: the caption colour stepped
// band by band toward the end colour, the step being the difference divided
// by the band count (truncated).
struct Gradient {
    COLORREF caption;
    COLORREF end;
    int bands;
};
COLORREF bandColour(const Gradient &g, int band);
// The band a pixel belongs to, or -1.
int bandOf(const Gradient &g, COLORREF pixel);
// A colour far from the given one in every component, so that each band
// differs visibly from the next.
COLORREF farFrom(COLORREF c);
// Both gradients of the system's caption colours in bands toward ends far
// from them, and the vl.ini text that asks for them, with show animations
// off and inactive captions as gradients too, so that a caption reads back
// as bands whichever window is active.
std::string farGradientSettings(int bands, Gradient *active, Gradient *inactive);
// The title area of a window like the gallery's main window (sizeable, system
// menu, three caption buttons), read back along its second row: "" when it
// carries the bands of one of the two gradients in order, from the first to
// at least the last but one; otherwise what was found where. Retries for up
// to five seconds while the window's own thread paints.
std::string captionBandsFailure(HWND window, const Gradient &active, const Gradient &inactive);
// The same read once, and read until it finds the bands (wanted) or anything
// but the bands (!wanted) or timeout milliseconds pass; what it last saw.
std::string captionBandsNow(HWND window, const Gradient &active, const Gradient &inactive);
std::string waitForCaptionBands(HWND window, const Gradient &active, const Gradient &inactive, bool wanted,
                                DWORD timeout);

// One line of "gallery /print-windows" (handles and addresses of either
// bitness).
struct ReportedWindow {
    unsigned long long handle;
    unsigned long long parent;
    unsigned long long procedure;  // read in the window's own character set
    int unicode;
    unsigned long style;
    unsigned long exStyle;
    std::string className;
};

struct GalleryReport {
    unsigned long long engineBase = 0;        // 0: the engine (varnel.dll, varnel64.dll) not loaded
    unsigned long long staticWindowProc = 0;  // as GetProcAddress gave it there
    std::vector<ReportedWindow> windows;
};
GalleryReport parseGalleryReport(const std::string &text);
HWND reportedWindow(const GalleryReport &report, const char *className);

// Where StaticWindowProc lies within an engine library of either bitness,
// and the size of its image, read from the file: 0 when it has none.
unsigned long staticWindowProcOffset(const std::string &library, unsigned long *imageSize);

DWORD findProcess(const char *exeName);
bool processHasModule(DWORD processId, const char *moduleName);
bool processRuns(DWORD processId);
// A window of another process answers when its thread still pumps messages.
bool windowAnswers(HWND window);
// A visible dialog box (#32770) of that process, waited for up to timeout
// milliseconds (waitForWindowOf); NULL when none came.
HWND waitForDialogOf(DWORD process, DWORD timeout);
