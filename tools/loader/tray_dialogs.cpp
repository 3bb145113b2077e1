// The tray menu's dialogs, each on a thread of its own.
#include "tray_dialogs.h"

#include <stdio.h>

#include <windows.h>

#include "loader_commands.h"

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

// What the problem box says, for its own thread; the text belongs to the
// box while one shows.
static char problemTitle[128];
static char problemText[512];

static DWORD WINAPI showProblem(void *)
{
    MessageBoxA(NULL, problemText, problemTitle, MB_OK | MB_ICONWARNING);
    InterlockedExchange(&dialogRunning, 0);
    return 0;
}

void startExcludePicker() { startDialog(excludeProgram); }

void startAboutBox() { startDialog(showAbout); }

void startProblemBox(const char *title, const char *problem)
{
    if (dialogRunning) return;
    lstrcpynA(problemTitle, title, sizeof problemTitle);
    lstrcpynA(problemText, problem, sizeof problemText);
    startDialog(showProblem);
}
