// The run-time look-up of functions newer than Windows 95 and NT 4.0.
#include "engine/newer_functions.h"

// -1 until read, then 0 or 1.
static volatile LONG hiddenState = -1;

void readNewerFunctionsSwitch()
{
    if (hiddenState != -1) return;
    char value[8];
    const DWORD length = GetEnvironmentVariableA(newerFunctionsSwitch, value, sizeof value);
    const LONG hidden = length > 0 && length < sizeof value && value[0] == '1' && value[1] == 0;
    InterlockedCompareExchange(&hiddenState, hidden, -1);
}

int newerFunctionsHidden()
{
    readNewerFunctionsSwitch();
    return hiddenState == 1;
}

FARPROC findNewerFunction(const char *moduleName, const char *functionName)
{
    if (newerFunctionsHidden()) return NULL;
    HMODULE module = GetModuleHandleA(moduleName);
    return module ? GetProcAddress(module, functionName) : NULL;
}

int systemIsNtFamily()
{
    // The top bit of GetVersion is set on 95, 98 and ME (and on Win32s).
    return (GetVersion() & 0x80000000u) == 0;
}
