#include "support/child_process.h"

#include <stdio.h>

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
