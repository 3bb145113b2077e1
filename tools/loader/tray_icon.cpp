// The notification-area icon and its menu.
#include "tray_icon.h"

#include <stdio.h>

#include <shellapi.h>

#include "engine/settings_generation.h"
#include "loader_commands.h"
#include "loader_console.h"
#ifdef VARNEL_TRAY_SCHEMES
#include "tray_schemes.h"
#endif
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
#ifdef VARNEL_TRAY_SCHEMES
    appendSchemesMenu(menu);
#endif
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

// The Exclude and About entries run on a thread of their own: the picker
// holds the mouse until the user clicks, and the questions and vlconf wait
// for the user. The loader's own thread must go on pumping its messages
// (a hook of the other bitness reaches programs through it) and watching
// its stop event, so that "vlload /stop" is obeyed meanwhile. One such
// dialog at a time; the loader's end takes it along.
static volatile LONG dialogRunning;

// The window under the cursor when the user clicks, picked as window
// identification tools do: the cross cursor shown, the mouse captured by a
// small window of this thread that says what to do, brought to the front:
// only the foreground thread's capture sees clicks on other programs'
// windows.
static HWND pickWindow()
{
    if (MessageBoxA(NULL, "Click the window of the program to exclude (Esc to cancel).", "varnel",
                    MB_OKCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND) != IDOK)
        return NULL;
    const int width = 420, height = 24;
    HWND catcher = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC",
                                   "Click the window of the program to exclude (Esc cancels)",
                                   WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                   (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 0, width, height, NULL, NULL,
                                   GetModuleHandleA(NULL), NULL);
    if (!catcher) return NULL;
    SetForegroundWindow(catcher);
    SetCapture(catcher);
    SetCursor(LoadCursorA(NULL, IDC_CROSS));
    HWND picked = NULL;
    MSG m;
    while (GetCapture() == catcher && GetMessageA(&m, NULL, 0, 0) > 0) {
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
    DestroyWindow(catcher);
    return picked == catcher ? NULL : picked;
}

// Asks, then has vlconf add the program of picked to the exclusion list.
static void offerExclusion(HWND picked)
{
    char name[MAX_PATH], question[MAX_PATH + 160];
    if (!programOfWindow(picked, name, sizeof name)) {
        MessageBoxA(NULL, "The program of that window could not be found.", "varnel", MB_OK | MB_ICONWARNING);
        return;
    }
    snprintf(question, sizeof question,
             "Exclude %s?\r\n\r\nThe engine leaves it alone from now on (vlconf exclude %s).", name, name);
    if (MessageBoxA(NULL, question, "varnel", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    char arguments[MAX_PATH + 16];
    snprintf(arguments, sizeof arguments, "exclude \"%s\"", name);
    if (runToolBeside("vlconf.exe", arguments, 1) != 0)
        MessageBoxA(NULL, "vlconf could not change the exclusion list.", "varnel", MB_OK | MB_ICONWARNING);
}

static DWORD WINAPI excludeProgram(void *)
{
    HWND picked = pickWindow();
    if (picked) offerExclusion(picked);
    InterlockedExchange(&dialogRunning, 0);
    return 0;
}

static DWORD WINAPI showAbout(void *)
{
    char text[1024];
    aboutText(text, sizeof text);
    MessageBoxA(NULL, text, "About varnel", MB_OK | MB_ICONINFORMATION);
    InterlockedExchange(&dialogRunning, 0);
    return 0;
}

static void startDialog(LPTHREAD_START_ROUTINE dialog)
{
    if (InterlockedExchange(&dialogRunning, 1)) return;
    DWORD id;
    HANDLE thread = CreateThread(NULL, 0, dialog, NULL, 0, &id);
    if (thread)
        CloseHandle(thread);
    else
        InterlockedExchange(&dialogRunning, 0);
}

#ifdef VARNEL_TRAY_SCHEMES
// Why a scheme could not be applied, for the message box's own thread.
static char schemeProblem[512];

static DWORD WINAPI showSchemeProblem(void *)
{
    MessageBoxA(NULL, schemeProblem, "varnel: the scheme was not applied", MB_OK | MB_ICONWARNING);
    InterlockedExchange(&dialogRunning, 0);
    return 0;
}

static void chooseScheme(WPARAM command)
{
    char problem[sizeof schemeProblem];
    if (applySchemeCommand(command, problem, sizeof problem)) return;
    say("vlload: the scheme was not applied: %s", problem);
    // The text belongs to the box while one shows.
    if (dialogRunning) return;
    lstrcpynA(schemeProblem, problem, sizeof schemeProblem);
    startDialog(showSchemeProblem);
}
#endif

static void runCommand(WPARAM command)
{
    switch (command) {
    case traySettings: openSettings(); break;
    case trayExclude: startDialog(excludeProgram); break;
    case trayPauseOrResume:
        if (enginePaused())
            resumeEngine();
        else
            pauseEngine();
        break;
    case trayAbout: startDialog(showAbout); break;
    case trayStop: PostQuitMessage(0); break;
    }
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
        if (lParam == WM_LBUTTONDBLCLK) runCommand(traySettings);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) >= traySettings && LOWORD(wParam) <= trayStop) {
        runCommand(LOWORD(wParam));
        return 1;
    }
#ifdef VARNEL_TRAY_SCHEMES
    if (message == WM_COMMAND && LOWORD(wParam) >= traySchemeFirst &&
        LOWORD(wParam) < traySchemeFirst + traySchemeLimit) {
        chooseScheme(wParam);
        return 1;
    }
#endif
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
