// gallery [/seconds N] [/print-windows]
// Opens one of every kind of window the engine touches and stays until the
// main window is closed, or N seconds have passed.
#include <stdlib.h>

#include <initializer_list>

#include <windows.h>
#include <commctrl.h>

#include "engine/newer_functions.h"
#include "gallery.h"
#include "window_report.h"

HINSTANCE galleryInstance;

void registerGalleryClass(const char *name, WNDPROC procedure, HICON icon, int background)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = galleryInstance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hIcon = icon;
    wc.hbrBackground = (HBRUSH)(INT_PTR)(background + 1);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

static HWND mainWindow;
static HWND mdiFrame;
static HWND toolWindow;

void closeOtherWindows()
{
    for (HWND *other : {&controlsDialog, &helpDialog, &mdiFrame, &toolWindow, &mirroredWindow, &sizableDialog,
                        &iconDialog}) {
        if (*other && IsWindow(*other)) DestroyWindow(*other);
        *other = NULL;
    }
}

struct Options {
    int seconds;        // 0: until closed
    int printWindows;
    int bad;
};

static int isOption(const char *argument, const char *name)
{
    return (argument[0] == '/' || argument[0] == '-') && lstrcmpiA(argument + 1, name) == 0;
}

static Options readOptions()
{
    Options o = {0, 0, 0};
    for (int i = 1; i < __argc; i++) {
        if (isOption(__argv[i], "print-windows"))
            o.printWindows = 1;
        else if (isOption(__argv[i], "seconds") && i + 1 < __argc && atoi(__argv[i + 1]) > 0)
            o.seconds = atoi(__argv[++i]);
        else
            o.bad = 1;
    }
    return o;
}

static void drainMessages()
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

static void moveTo(HWND window, int x, int y)
{
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void arrangeRightColumn()
{
    RECT dialog = {dialogPlace.x, dialogPlace.y, dialogPlace.x, dialogPlace.y};
    if (controlsDialog) {
        moveTo(controlsDialog, dialogPlace.x, dialogPlace.y);
        GetWindowRect(controlsDialog, &dialog);
    }
    if (helpDialog) moveTo(helpDialog, dialogPlace.x, dialog.bottom + windowGap);
    const int toolX = dialog.right + windowGap;
    int toolWidth = screenWidth - windowGap - toolX;
    if (toolWidth > toolWindowPlace.width) toolWidth = toolWindowPlace.width;
    SetWindowPos(toolWindow, NULL, toolX, toolWindowPlace.y, toolWidth, toolWindowPlace.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

static int dialogMessage(MSG *m)
{
    for (HWND dialog : {controlsDialog, helpDialog, iconDialog})
        if (dialog && IsDialogMessageA(dialog, m)) return 1;
    return 0;
}

typedef BOOL(WINAPI *InitCommonControlsExFunction)(const INITCOMMONCONTROLSEX *controls);

// InitCommonControlsEx came with the comctl32 of Internet Explorer 3; the
// comctl32 of the first Windows 95 has only InitCommonControls, which
// registers every class the gallery uses. The static import of the older
// function also keeps comctl32 loaded for the look-up.
static void registerCommonControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsExFunction initCommonControlsEx =
        (InitCommonControlsExFunction)findNewerFunction("comctl32.dll", "InitCommonControlsEx");
    if (initCommonControlsEx && initCommonControlsEx(&controls)) return;
    InitCommonControls();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    galleryInstance = instance;
    Options options = readOptions();
    if (options.bad) {
        MessageBoxA(NULL, "gallery [/seconds N] [/print-windows]", "gallery", MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    registerCommonControls();

    mainWindow = createMainWindow();
    if (!mainWindow) return 2;
    mdiFrame = createMdiFrame();
    toolWindow = createToolWindow();
    createControlsDialog();
    createHelpDialog();
    arrangeRightColumn();
    createMirroredWindow();
    createSizableDialog();
    createIconDialog();
    for (HWND window : {mdiFrame, toolWindow, mirroredWindow, sizableDialog, iconDialog})
        if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    // Cascaded once the frame is shown (while it is hidden its client area
    // has no size), and smaller than the client, so the MDI background shows.
    if (mdiClient) {
        SendMessageA(mdiClient, WM_MDICASCADE, 0, 0);
        int offset = 0;
        for (HWND child = GetWindow(mdiClient, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            SetWindowPos(child, NULL, 12 + offset, 12 + offset, 300, 220, SWP_NOZORDER | SWP_NOACTIVATE);
            offset += 90;
        }
    }
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    SetForegroundWindow(mainWindow);
    if (options.seconds) closeMainWindowAfter(mainWindow, options.seconds);
    drainMessages();
    if (options.printWindows) printWindows();

    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        if (mdiClient && TranslateMDISysAccel(mdiClient, &m)) continue;
        if (dialogMessage(&m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return (int)m.wParam;
}
