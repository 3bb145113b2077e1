#include "support/self_launch.h"

#include <tlhelp32.h>

#include "support/test_folder.h"

std::string thisProgram()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    return path;
}

std::string disabledTestCommand(const std::string &suiteAndName)
{
    return quoted(thisProgram()) + " --gtest_also_run_disabled_tests --gtest_filter=" + suiteAndName;
}

static std::string outputFile(const std::string &outputName)
{
    std::string data = buildFile("test-data");
    CreateDirectoryA(data.c_str(), NULL);
    return data + "\\" + outputName;
}

bool startDisabledTest(const std::string &suiteAndName, const std::string &outputName, ChildProcess *child,
                       const char *directory)
{
    return startChild(disabledTestCommand(suiteAndName), outputFile(outputName), child, directory);
}

ChildResult runDisabledTest(const std::string &suiteAndName, const std::string &outputName, DWORD timeout,
                            const char *directory)
{
    return runChild(disabledTestCommand(suiteAndName), outputFile(outputName), timeout, directory);
}

static LONG WINAPI endOnCrash(EXCEPTION_POINTERS *e)
{
    const DWORD code = e->ExceptionRecord->ExceptionCode;
    char line[96];
    int n = wsprintfA(line, "\ncrash: exception %08lx at %p\n", (unsigned long)code, e->ExceptionRecord->ExceptionAddress);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)n, &written, NULL);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

void endProcessOnCrash()
{
    SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endOnCrash);
}

bool isCrashCode(DWORD exitCode) { return exitCode >= 0xC0000000u && exitCode != STILL_ACTIVE; }

static bool sameNameIgnoringCase(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }

std::vector<DWORD> processesNamed(const char *exeName)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        const char *name = entry.szExeFile;
        for (const char *p = entry.szExeFile; *p; p++)
            if (*p == '\\' || *p == '/') name = p + 1;
        if (sameNameIgnoringCase(name, exeName)) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::vector<DWORD> childrenOf(DWORD parentId)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parentId) ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

void endProcessById(DWORD id)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}
