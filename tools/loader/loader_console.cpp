// Output of a windowed program that is mostly started from a console.
#include "loader_console.h"

#include <stdarg.h>
#include <stdio.h>

#include <windows.h>

#include "engine/newer_functions.h"

static int consoleLooked;

typedef BOOL(WINAPI *AttachConsoleFunction)(DWORD processId);

static int usable(HANDLE h) { return h != NULL && h != INVALID_HANDLE_VALUE; }

// A windowed program started from cmd.exe gets no standard handles; it can
// borrow the console of the shell that started it. AttachConsole came with
// XP: before it there is no console to borrow, and complain() shows its
// message in a box instead.
static void findConsole()
{
    if (consoleLooked) return;
    consoleLooked = 1;
    if (usable(GetStdHandle(STD_OUTPUT_HANDLE)) || usable(GetStdHandle(STD_ERROR_HANDLE))) return;
    AttachConsoleFunction attachConsole =
        (AttachConsoleFunction)findNewerFunction("kernel32.dll", "AttachConsole");
    if (!attachConsole || !attachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE out = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_EXISTING, 0, NULL);
    if (!usable(out)) return;
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, out);
}

static int writeLine(DWORD which, const char *prefix, const char *format, va_list args)
{
    findConsole();
    HANDLE h = GetStdHandle(which);
    if (!usable(h)) return 0;
    char line[4096];
    int n = snprintf(line, sizeof line, "%s", prefix);
    vsnprintf(line + n, sizeof line - n - 2, format, args);
    lstrcatA(line, "\r\n");
    DWORD written = 0;
    return WriteFile(h, line, lstrlenA(line), &written, NULL);
}

void say(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    writeLine(STD_OUTPUT_HANDLE, "", format, args);
    va_end(args);
}

void complain(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int shown = writeLine(STD_ERROR_HANDLE, "vlload: ", format, args);
    va_end(args);
    if (shown) return;
    char text[1024];
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MessageBoxA(NULL, text, "vlload", MB_OK | MB_ICONERROR);
}
