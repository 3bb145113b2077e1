// benchstdio.dll: the least a library that reads the engine's settings file
// at attach can cost: C stdio opens the same vl.ini and reads its 40 numbers.
// Loading varnel.dll is measured against loading this.
#include <stdio.h>
#include <string.h>

#include <windows.h>

enum { settingsValueCount = 40 };

static int settingsValues[settingsValueCount];

// Keeps the values observable, so the reads cannot be optimised away.
extern "C" __declspec(dllexport) int benchSettingsValue(int index)
{
    return index >= 0 && index < settingsValueCount ? settingsValues[index] : 0;
}

static BOOL readSettings()
{
    char path[MAX_PATH + 32];
    GetWindowsDirectoryA(path, MAX_PATH);
    strcat(path, "\\varnels\\vl.ini");
    FILE *f = fopen(path, "r");
    if (!f) return FALSE;
    for (int i = 0; i < settingsValueCount; i++)
        if (fscanf(f, "%d", &settingsValues[i]) != 1) break;
    fclose(f);
    return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) return readSettings();
    return TRUE;
}
