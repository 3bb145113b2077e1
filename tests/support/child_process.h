// Other programs run from a test: the tools the build makes (vlload.exe,
// gallery.exe, ...), started as real processes with their standard output
// and error written to a file the test reads.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

struct ChildProcess {
    HANDLE process = NULL;
    DWORD id = 0;
    std::string outputPath;
};

// Starts commandLine (the program's full path first) in directory (NULL: the
// test's own), stdout and stderr into a fresh file outputPath. Returns false
// when the process could not be created.
bool startChild(const std::string &commandLine, const std::string &outputPath, ChildProcess *child,
                const char *directory = NULL);

// What the child has written so far.
std::string childOutput(const ChildProcess &child);

// Waits until the output holds text or the child ends, at most timeout ms.
bool waitForOutput(const ChildProcess &child, const std::string &text, DWORD timeout);

// Waits at most timeout ms for the child to end; returns its exit code, or
// STILL_ACTIVE while it runs.
DWORD waitForExit(const ChildProcess &child, DWORD timeout);

// Ends the child if it still runs and closes its handle.
void endChild(ChildProcess *child);

struct ChildResult {
    DWORD exitCode;   // STILL_ACTIVE when it had to be ended after timeout
    std::string output;
};

// Runs commandLine to its end (at most timeout ms) and returns its exit code
// and output; the output file is outputPath.
ChildResult runChild(const std::string &commandLine, const std::string &outputPath, DWORD timeout = 30000,
                     const char *directory = NULL);

// A run of one of the build's tools with its standard output and error kept
// apart.
struct ToolRun {
    DWORD code = 99;  // 99 when it could not be started or did not end
    std::string out;
    std::string err;
};

// Runs the build's program (buildFile(program)) with args, each quoted, to
// its end (at most 30 s), its output and errors into out.txt and err.txt of
// outputFolder; in directory when given, else the test's own; with
// extraVariable ("NAME=value") added to its environment when given.
ToolRun runTool(const std::string &program, const std::vector<std::string> &args, const std::string &outputFolder,
                const char *directory = NULL, const char *extraVariable = NULL);

// "path" in double quotes, for command lines.
inline std::string quoted(const std::string &path) { return "\"" + path + "\""; }

// A top-level window of that process that matches, waited for up to timeout
// milliseconds; NULL when none came.
HWND waitForWindowOf(DWORD process, DWORD timeout, bool (*matches)(HWND window));
