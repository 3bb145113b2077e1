// Where the benchmark finds what it loads and starts: its helpers lie beside
// bench.exe, the engine one folder up (the build directory).
#pragma once

#include <string>

// bench.exe's folder, ending in a backslash.
std::string benchFolder();
std::string benchFile(const char *name);
std::string engineLibraryPath();

// The Windows directory of the prefix, where the engine folder lies.
std::string windowsFolder();
