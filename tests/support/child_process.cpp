#include "support/child_process.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "support/test_folder.h"

bool startChild(const std::string &commandLine, const std::string &outputPath, ChildProcess *child,
                const char *directory)
{
    *child = ChildProcess();
    child->outputPath = outputPath;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (output == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = NULL;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    const BOOL started =
        CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, directory, &startup, &info);
    CloseHandle(output);
    if (!started) return false;
    CloseHandle(info.hThread);
    child->process = info.hProcess;
    child->id = info.dwProcessId;
    return true;
}

std::string childOutput(const ChildProcess &child) { return fileContent(child.outputPath); }

bool waitForOutput(const ChildProcess &child, const std::string &text, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (childOutput(child).find(text) != std::string::npos) return true;
        if (WaitForSingleObject(child.process, 50) == WAIT_OBJECT_0)
            return childOutput(child).find(text) != std::string::npos;
        if (GetTickCount() - start > timeout) return false;
    }
}

DWORD waitForExit(const ChildProcess &child, DWORD timeout)
{
    if (!child.process) return STILL_ACTIVE;
    WaitForSingleObject(child.process, timeout);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.process, &code);
    return code;
}

void endChild(ChildProcess *child)
{
    if (!child->process) return;
    if (WaitForSingleObject(child->process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(child->process, 1);
        WaitForSingleObject(child->process, 5000);
    }
    CloseHandle(child->process);
    child->process = NULL;
}

ChildResult runChild(const std::string &commandLine, const std::string &outputPath, DWORD timeout,
                     const char *directory)
{
    ChildProcess child;
    if (!startChild(commandLine, outputPath, &child, directory)) return {(DWORD)-1, "(could not start)"};
    ChildResult result;
    result.exitCode = waitForExit(child, timeout);
    endChild(&child);
    result.output = childOutput(child);
    return result;
}

static HANDLE inheritableFile(const std::string &path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       NULL);
}

// This process's environment with one more "NAME=value" (in place of any
// variable of that name), as a block for CreateProcessA.
static std::string environmentWith(const std::string &variable)
{
    std::string name = variable.substr(0, variable.find('=') + 1);
    std::string block;
    char *strings = GetEnvironmentStringsA();
    for (const char *entry = strings; *entry; entry += strlen(entry) + 1)
        if (_strnicmp(entry, name.c_str(), name.size()) != 0) block.append(entry, strlen(entry) + 1);
    FreeEnvironmentStringsA(strings);
    block.append(variable.c_str(), variable.size() + 1);
    block.push_back('\0');
    return block;
}

// A file's bytes, or "<missing>" when it cannot be read.
static std::string outputOf(const std::string &path)
{
    std::string content;
    return readFileContent(path, &content) ? content : "<missing>";
}

ToolRun runTool(const std::string &program, const std::vector<std::string> &args, const std::string &outputFolder,
                const char *directory, const char *extraVariable)
{
    ToolRun run;
    const std::string outPath = outputFolder + "\\out.txt", errPath = outputFolder + "\\err.txt";
    HANDLE out = inheritableFile(outPath), err = inheritableFile(errPath);
    std::string commandLine = quoted(buildFile(program));
    for (const std::string &a : args) commandLine += " " + quoted(a);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    std::string environment = extraVariable ? environmentWith(extraVariable) : std::string();
    const BOOL started = CreateProcessA(NULL, &commandLine[0], NULL, NULL, TRUE, 0,
                                        extraVariable ? &environment[0] : NULL, directory, &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return run;
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000)) << commandLine;
    GetExitCodeProcess(process.hProcess, &run.code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = outputOf(outPath);
    run.err = outputOf(errPath);
    return run;
}

namespace {

struct WindowSearch {
    DWORD process;
    bool (*matches)(HWND window);
    HWND found;
};

BOOL CALLBACK findWindowOf(HWND window, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !search->matches(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND waitForWindowOf(DWORD process, DWORD timeout, bool (*matches)(HWND window))
{
    const DWORD start = GetTickCount();
    do {
        WindowSearch search = {process, matches, NULL};
        EnumWindows(findWindowOf, (LPARAM)&search);
        if (search.found) return search.found;
        Sleep(50);
    } while (GetTickCount() - start < timeout);
    return NULL;
}
