#include "support/loader_runs.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>

#include <windows.h>
#include <tlhelp32.h>

#include "support/child_process.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_folder.h"

std::string windowsDirectory()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

std::string prefixSettingsPath() { return windowsDirectory() + "\\varnels\\vl.ini"; }

static std::string canonicalPath(std::string path)
{
    for (char &c : path) c = c == '/' ? '\\' : (char)tolower((unsigned char)c);
    return path;
}

bool mentionsPath(const std::string &output, const std::string &path)
{
    return canonicalPath(output).find(canonicalPath(path)) != std::string::npos;
}

bool prefixFileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

EngineSettingsFile::EngineSettingsFile()
{
    CreateDirectoryA((windowsDirectory() + "\\varnels").c_str(), NULL);
    hadFile_ = prefixFileExists(prefixSettingsPath());
    if (hadFile_) previous_ = fileContent(prefixSettingsPath());
}

EngineSettingsFile::~EngineSettingsFile()
{
    if (hadFile_)
        writeFileContent(prefixSettingsPath(), previous_);
    else
        DeleteFileA(prefixSettingsPath().c_str());
}

void EngineSettingsFile::write(const std::string &text) { writeFileContent(prefixSettingsPath(), text); }
void EngineSettingsFile::remove() { DeleteFileA(prefixSettingsPath().c_str()); }

void NoLoaderRunning::SetUp()
{
    static TestFolder outputs("no-loader-running");
    static int run;
    const std::string loader = buildFile("vlload.exe");
    ASSERT_TRUE(prefixFileExists(loader)) << loader;
    const std::string output = outputs.file("\\status" + std::to_string(++run) + ".txt");
    ASSERT_EQ((DWORD)exitNotRunning, runChild(quoted(loader) + " /status", output).exitCode)
        << "a loader is still running";
    if (atStart_ == prefixDefaultSettings) settings.write(settingsFileFor({}));
}

COLORREF bandColour(const Gradient &g, int band)
{
    auto component = [&](int caption, int end) {
        const int step = (caption - end) / g.bands;
        return (caption - band * step) & 0xFF;
    };
    return RGB(component(GetRValue(g.caption), GetRValue(g.end)), component(GetGValue(g.caption), GetGValue(g.end)),
               component(GetBValue(g.caption), GetBValue(g.end)));
}

static bool closeTo(COLORREF a, COLORREF b)
{
    return abs(GetRValue(a) - GetRValue(b)) <= 1 && abs(GetGValue(a) - GetGValue(b)) <= 1 &&
           abs(GetBValue(a) - GetBValue(b)) <= 1;
}

int bandOf(const Gradient &g, COLORREF pixel)
{
    for (int band = 0; band < g.bands; band++)
        if (closeTo(pixel, bandColour(g, band))) return band;
    return -1;
}

COLORREF farFrom(COLORREF c)
{
    return RGB(GetRValue(c) >= 128 ? 0 : 255, GetGValue(c) >= 128 ? 0 : 255, GetBValue(c) >= 128 ? 0 : 255);
}

std::string farGradientSettings(int bands, Gradient *active, Gradient *inactive)
{
    *active = {GetSysColor(COLOR_ACTIVECAPTION) & 0xFFFFFF, 0, bands};
    active->end = farFrom(active->caption);
    *inactive = {GetSysColor(COLOR_INACTIVECAPTION) & 0xFFFFFF, 0, bands};
    inactive->end = farFrom(inactive->caption);
    return settingsFileFor({{"activeGradientEndR", GetRValue(active->end)},
                            {"activeGradientEndG", GetGValue(active->end)},
                            {"activeGradientEndB", GetBValue(active->end)},
                            {"inactiveGradientEndR", GetRValue(inactive->end)},
                            {"inactiveGradientEndG", GetGValue(inactive->end)},
                            {"inactiveGradientEndB", GetBValue(inactive->end)},
                            {"gradientSteps", bands},
                            {"animateMainWindows", 0},
                            {"animateMenus", 0},
                            {"solidInactiveCaption", 0}});
}

std::string captionBandsNow(HWND window, const Gradient &active, const Gradient &inactive)
{
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    // Between the small icon and the buttons, from the top of the caption;
    // its second row carries the bands and no text.
    const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
    const int from = frameX + GetSystemMetrics(SM_CXSMICON) + 3;
    const int to = width - frameX - 3 * GetSystemMetrics(SM_CXSIZE) - 3;
    const int row = frameY + 1;

    WindowPixels pixels(window);
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
    if (last < g.bands - 2) return "the bands end at band " + std::to_string(last) + " of " + std::to_string(g.bands);
    return "";
}

std::string waitForCaptionBands(HWND window, const Gradient &active, const Gradient &inactive, bool wanted,
                                DWORD timeout)
{
    const DWORD start = GetTickCount();
    std::string failure;
    for (;;) {
        failure = captionBandsNow(window, active, inactive);
        if (failure.empty() == wanted || GetTickCount() - start >= timeout) return failure;
        Sleep(50);
    }
}

std::string captionBandsFailure(HWND window, const Gradient &active, const Gradient &inactive)
{
    return waitForCaptionBands(window, active, inactive, true, 5000);
}

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
        unsigned long long value = 0;
        if (sscanf(line.c_str(), "varnel.dll 0x%llx", &value) == 1) report.engineBase = value;
        if (sscanf(line.c_str(), "varnel64.dll 0x%llx", &value) == 1) report.engineBase = value;
        if (sscanf(line.c_str(), "StaticWindowProc 0x%llx", &value) == 1) report.staticWindowProc = value;
        if (sscanf(line.c_str(),
                   "window 0x%llx parent 0x%llx wndproc 0x%llx unicode %d style 0x%lx exstyle 0x%lx class \"%255[^\"]\"",
                   &w.handle, &w.parent, &w.procedure, &w.unicode, &w.style, &w.exStyle, name) == 7) {
            w.className = name;
            report.windows.push_back(w);
        }
    }
    return report;
}

HWND reportedWindow(const GalleryReport &report, const char *className)
{
    for (const ReportedWindow &w : report.windows)
        if (w.className == className) return (HWND)(ULONG_PTR)w.handle;
    return NULL;
}

// The file's bytes at an RVA, through its section table.
static const BYTE *atRva(const std::string &file, const IMAGE_SECTION_HEADER *sections, int count, DWORD rva)
{
    for (int i = 0; i < count; i++) {
        const IMAGE_SECTION_HEADER &s = sections[i];
        if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
            const DWORD offset = rva - s.VirtualAddress + s.PointerToRawData;
            return offset < file.size() ? (const BYTE *)file.data() + offset : NULL;
        }
    }
    return NULL;
}

unsigned long staticWindowProcOffset(const std::string &library, unsigned long *imageSize)
{
    *imageSize = 0;
    std::string file;
    if (!readFileContent(library, &file) || file.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    const BYTE *base = (const BYTE *)file.data();
    const LONG ntAt = ((const IMAGE_DOS_HEADER *)base)->e_lfanew;
    if (ntAt <= 0 || (size_t)ntAt + sizeof(IMAGE_NT_HEADERS64) > file.size()) return 0;
    const IMAGE_NT_HEADERS32 *nt32 = (const IMAGE_NT_HEADERS32 *)(base + ntAt);
    const IMAGE_NT_HEADERS64 *nt64 = (const IMAGE_NT_HEADERS64 *)(base + ntAt);
    const bool pe64 = nt32->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const IMAGE_DATA_DIRECTORY exports = pe64 ? nt64->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT]
                                              : nt32->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    *imageSize = pe64 ? nt64->OptionalHeader.SizeOfImage : nt32->OptionalHeader.SizeOfImage;
    const IMAGE_SECTION_HEADER *sections = IMAGE_FIRST_SECTION(nt32);
    const int count = nt32->FileHeader.NumberOfSections;
    const IMAGE_EXPORT_DIRECTORY *directory =
        (const IMAGE_EXPORT_DIRECTORY *)atRva(file, sections, count, exports.VirtualAddress);
    if (!directory) return 0;
    const DWORD *names = (const DWORD *)atRva(file, sections, count, directory->AddressOfNames);
    const WORD *ordinals = (const WORD *)atRva(file, sections, count, directory->AddressOfNameOrdinals);
    const DWORD *functions = (const DWORD *)atRva(file, sections, count, directory->AddressOfFunctions);
    if (!names || !ordinals || !functions) return 0;
    for (DWORD i = 0; i < directory->NumberOfNames; i++) {
        const char *name = (const char *)atRva(file, sections, count, names[i]);
        if (name && strcmp(name, "StaticWindowProc") == 0) return functions[ordinals[i]];
    }
    return 0;
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
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | (sizeof(void *) == 8 ? TH32CS_SNAPMODULE32 : 0), processId);
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

bool windowAnswers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

namespace {

bool isVisibleDialog(HWND window)
{
    char className[32];
    GetClassNameA(window, className, sizeof className);
    return IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0;
}

}  // namespace

HWND waitForDialogOf(DWORD process, DWORD timeout) { return waitForWindowOf(process, timeout, isVisibleDialog); }
