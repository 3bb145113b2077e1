// vlsettings.exe: the settings window of varnel. A windowed program, so that
// starting it from the desktop or the loader's menu shows no console.
//
//   vlsettings [VL.INI [LIST]]
//
// Without VL.INI it edits the vl.ini the engine reads (the current folder's,
// else the engine folder's), without LIST the engine folder's exclusion list;
// without either, a settings window already open comes to the front.
#include <stdlib.h>
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/object_security.h"
#include "tools/settings/caption_preview.h"
#include "tools/settings/settings_sheet.h"
#include "tools/vlconf/vlconf.h"

static const char usage[] =
    "vlsettings [VL.INI [LIST]]\n\n"
    "Opens the settings window on VL.INI (without it, the vl.ini the engine reads) and on the exclusion "
    "list LIST (without it, the engine folder's vlexcl.ini). Apply writes both and tells running "
    "programs.";

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const int argc = __argc;
    char **argv = __argv;
    // Apply announces through the shared block, whose name carries the
    // user: advapi32 from the system folder where it is not loaded yet.
    loadSecurityLibrary();
    if (argc > 3 || (argc > 1 && (!strcmp(argv[1], "/?") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "--help")))) {
        MessageBoxA(NULL, usage, settingsSheetTitle, MB_OK | (argc > 3 ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
        return argc > 3 ? exitUsage : exitOk;
    }
    // Opened again on the engine's own files (from the desktop, the loader's
    // menu): the window already open comes to the front instead of a second
    // one that would write over the first one's Apply.
    HWND open = argc == 1 ? FindWindowA(settingsSheetClass, settingsSheetTitle) : NULL;
    if (open) {
        if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return exitOk;
    }
    std::string error;
    if (!loadSettingsEdit(argc > 1 ? argv[1] : "", argc > 2 ? argv[2] : "", &error)) {
        reportSettingsProblem(NULL, error);
        return exitFileError;
    }
    InitCommonControls();
    if (!registerCaptionPreview(instance)) {
        reportSettingsProblem(NULL, "The settings window could not be made.");
        return exitFileError;
    }
    openSettingsSheet(false, captionsPage, true);
    releaseCaptionPreview();
    return exitOk;
}
