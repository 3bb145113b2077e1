// The notification-area icon and its menu.
#include "tray_icon.h"

#include <stdio.h>

#include <shellapi.h>

#include "engine/settings_generation.h"
#include "loader_commands.h"
#include "loader_console.h"
#include "varnel_version.h"

// The icon's own message, and its one icon.
enum { trayCallback = WM_APP + 1, trayIconId = 1, loaderIconResource = 1 };

// The record as Windows 95 and NT 4.0 know it: later fields are left out.
enum { notifyIconDataSize = 88 };

static UINT taskbarCreated;
static UINT settingsChanged;
static int iconShown;

static void fillIconData(NOTIFYICONDATAA *data, HWND window)
{
    memset(data, 0, sizeof *data);
    data->cbSize = notifyIconDataSize;
    data->hWnd = window;
    data->uID = trayIconId;
}

static void tooltip(char *tip, int size)
{
    snprintf(tip, size, "varnel %s: %s", VARNEL_VERSION, enginePaused() ? "paused" : "running");
}

static BOOL notify(DWORD action, HWND window)
{
    NOTIFYICONDATAA data;
    fillIconData(&data, window);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = trayCallback;
    data.hIcon = (HICON)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(loaderIconResource), IMAGE_ICON,
                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    tooltip(data.szTip, sizeof data.szTip);
    const BOOL answered = Shell_NotifyIconA(action, &data);
    if (data.hIcon) DestroyIcon(data.hIcon);
    return answered;
}

BOOL showTrayIcon(HWND window)
{
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    settingsChanged = RegisterWindowMessageA(settingsChangeMessageName);
    iconShown = notify(NIM_ADD, window);
    return iconShown;
}

void removeTrayIcon(HWND window)
{
    if (!iconShown) return;
    NOTIFYICONDATAA data;
    fillIconData(&data, window);
    Shell_NotifyIconA(NIM_DELETE, &data);
    iconShown = 0;
}

static void showMenu(HWND window)
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, traySettings, "&Settings...");
    AppendMenuA(menu, MF_STRING, trayExclude, "&Exclude a program...");
    AppendMenuA(menu, MF_STRING, trayPauseOrResume, enginePaused() ? "&Resume" : "&Pause");
    AppendMenuA(menu, MF_STRING, trayAbout, "&About");
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(menu, MF_STRING, trayStop, "S&top");
    SetMenuDefaultItem(menu, traySettings, FALSE);
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would stay open when the user clicks
    // elsewhere; the posted message lets it close on the next click.
    SetForegroundWindow(window);
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, NULL);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (chosen) SendMessageA(window, WM_COMMAND, chosen, 0);
}

// The window under the cursor when the user clicks, picked as window
// identification tools do: the mouse captured, the cross cursor shown.
static HWND pickWindow(HWND window)
{
    if (MessageBoxA(window, "Click the window of the program to exclude (Esc to cancel).", "varnel",
                    MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return NULL;
    SetCapture(window);
    SetCursor(LoadCursorA(NULL, IDC_CROSS));
    HWND picked = NULL;
    MSG m;
    while (GetCapture() == window && GetMessageA(&m, NULL, 0, 0)) {
        if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
        if (m.message == WM_LBUTTONUP) {
            POINT at;
            GetCursorPos(&at);
            picked = WindowFromPoint(at);
            break;
        }
        if (m.message == WM_MOUSEMOVE) SetCursor(LoadCursorA(NULL, IDC_CROSS));
        DispatchMessageA(&m);
    }
    ReleaseCapture();
    return picked;
}

static void excludeProgram(HWND window)
{
    HWND picked = pickWindow(window);
    if (!picked) return;
    char name[MAX_PATH], question[MAX_PATH + 160];
    if (!programOfWindow(picked, name, sizeof name)) {
        MessageBoxA(window, "The program of that window could not be found.", "varnel", MB_OK | MB_ICONWARNING);
        return;
    }
    snprintf(question, sizeof question,
             "Exclude %s?\r\n\r\nThe engine leaves it alone from now on (vlconf exclude %s).", name, name);
    if (MessageBoxA(window, question, "varnel", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    char arguments[MAX_PATH + 16];
    snprintf(arguments, sizeof arguments, "exclude \"%s\"", name);
    if (runToolBeside("vlconf.exe", arguments, 1) != 0)
        MessageBoxA(window, "vlconf could not change the exclusion list.", "varnel", MB_OK | MB_ICONWARNING);
}

static void runCommand(HWND window, WPARAM command)
{
    switch (command) {
    case traySettings: openSettings(); break;
    case trayExclude: excludeProgram(window); break;
    case trayPauseOrResume:
        if (enginePaused())
            resumeEngine();
        else
            pauseEngine();
        break;
    case trayAbout: {
        char text[1024];
        aboutText(text, sizeof text);
        MessageBoxA(window, text, "About varnel", MB_OK | MB_ICONINFORMATION);
        break;
    }
    case trayStop: PostQuitMessage(0); break;
    }
}

LoaderExitCode showRunningLoaderMenu()
{
    HWND loader = FindWindowA("VarnelLoader", NULL);
    if (!loader) {
        complain("not running: there is no menu to show");
        return exitNotRunning;
    }
    PostMessageA(loader, trayCallback, trayIconId, WM_RBUTTONUP);
    return exitOk;
}

int handleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    *result = 0;
    if (message == trayCallback) {
        if (lParam == WM_RBUTTONUP || lParam == WM_CONTEXTMENU) showMenu(window);
        if (lParam == WM_LBUTTONDBLCLK) runCommand(window, traySettings);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) >= traySettings && LOWORD(wParam) <= trayStop) {
        runCommand(window, LOWORD(wParam));
        return 1;
    }
    // Explorer started again: its notification area is empty.
    if (taskbarCreated && message == taskbarCreated) {
        iconShown = notify(NIM_ADD, window);
        return 1;
    }
    // A pause or resume from anywhere changes the tooltip.
    if (settingsChanged && message == settingsChanged) {
        if (iconShown) notify(NIM_MODIFY, window);
        return 1;
    }
    return 0;
}
