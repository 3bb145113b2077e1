// Functions that Windows 95 or NT 4.0 lack (or have only as stubs that fail)
// are never imported by a shipped binary: an import the system does not
// export stops the program or library from loading at all. They are looked up
// here at run time, and every caller keeps a fallback for when they are not
// there.
#pragma once

#include <windows.h>

// The environment variable that makes every look-up find nothing, so that
// the fallbacks can be proved on a system that has everything.
#define newerFunctionsSwitch "VARNEL_HIDE_NEWER_FUNCTIONS"

// Reads the switch once; later calls keep what the first one saw. The engine
// calls it at attach, the tools need not (the first look-up does).
void readNewerFunctionsSwitch();

// 1 while the switch hides the newer functions.
int newerFunctionsHidden();

// The function from a module the process already has loaded, or NULL when
// the module does not export it or the switch hides it.
FARPROC findNewerFunction(const char *moduleName, const char *functionName);

// 1 on the NT family (NT 4.0, 2000, XP and later), 0 on Windows 95, 98 and
// ME, whose W functions are mostly stubs.
int systemIsNtFamily();
