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

std::string engineLibraryPath() { return benchFolder() + "..\\varnel.dll"; }

std::string windowsFolder()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}
