#include "bench/bench_paths.h"

#include <windows.h>

std::string benchFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string benchFile(const char *name) { return benchFolder() + name; }

// The 64-bit benchmark lives in win64\bench of the build directory, and its
// engine beside the 32-bit one.
#ifdef _WIN64
std::string engineLibraryPath() { return benchFolder() + "..\\..\\varnel64.dll"; }
#else
std::string engineLibraryPath() { return benchFolder() + "..\\varnel.dll"; }
#endif

std::string windowsFolder()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}
