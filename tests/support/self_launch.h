// Tests that must survive a crash or a hang of what they test run that part
// in a child process: this same test program, started again with one of its
// disabled tests selected. The child's exit code says how it went (0 passed,
// 1 a failed check, anything else a crash or a forced end), and a crash in
// the child fails the parent's test instead of ending the whole run.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "support/child_process.h"

// The full path of this program.
std::string thisProgram();

// The command line that runs only the disabled test "Suite.DISABLED_Name"
// of this program.
std::string disabledTestCommand(const std::string &suiteAndName);

// Starts it (see startChild) in directory (NULL: this process's own);
// output goes to the build's test-data folder under outputName.
bool startDisabledTest(const std::string &suiteAndName, const std::string &outputName, ChildProcess *child,
                       const char *directory = NULL);

// Runs it to its end, at most timeout ms (then it is ended: exit code
// STILL_ACTIVE).
ChildResult runDisabledTest(const std::string &suiteAndName, const std::string &outputName, DWORD timeout,
                            const char *directory = NULL);

// Whether an exit code is one of a crash (an exception code such as
// 0xC0000005) rather than a program's own exit.
bool isCrashCode(DWORD exitCode);

// Ids of the running processes whose executable file name is exeName
// (compared ignoring case), and of the children of one process.
std::vector<DWORD> processesNamed(const char *exeName);
std::vector<DWORD> childrenOf(DWORD parentId);

// For a child process: a crash ends the process at once with the exception
// code as its exit code, after one line naming it on standard output,
// instead of starting the system's crash handler (Wine's winedbg, whose
// dialog would keep the process alive).
void endProcessOnCrash();

// Ends one process by its id (a crash handler a child of ours started).
void endProcessById(DWORD id);
