// The notification-area icon: shown, kept through Explorer's restarts, its
// tooltip following the engine's state, its clicks turned into the menu the
// command table fills.
#include "tray_icon.h"

#include <stdio.h>

#include <shellapi.h>

#include "engine/settings_generation.h"
#include "loader_command_table.h"
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
    appendCommandMenu(menu);
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

// The entry the menu shows now for id, run as its menu entry.
static int runMenuCommand(HWND window, WPARAM id)
{
    const LoaderCommand *command = commandOfMenuId(LOWORD(id));
    if (!command || !command->handler) return 0;
    CommandCall call = {window, id};
    command->handler(call);
    return 1;
}

LoaderExitCode showRunningLoaderMenu()
{
    HWND loader = FindWindowA(loaderWindowClassName, NULL);
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
        if (lParam == WM_LBUTTONDBLCLK) runMenuCommand(window, traySettings);
        return 1;
    }
    if (message == WM_COMMAND && runMenuCommand(window, wParam)) return 1;
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
