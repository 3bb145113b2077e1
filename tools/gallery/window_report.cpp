// One line per window, parents before their children:
//   varnel.dll 0x6A300000                    (or "varnel.dll none")
//   StaticWindowProc 0x6A3012A0              (or "StaticWindowProc none")
//   window 0x00010062 parent 0x00000000 wndproc 0x6A3012A0 unicode 0 style 0x14CF0000
//       exstyle 0x00000100 class "VarnelGalleryMain" title "..."    (one line)
//   ready
// The window procedure is read here because another process cannot read it,
// in the window's own character set (a Unicode window's procedure read
// through GetWindowLongA is a stand-in that converts its messages);
// addresses are printed in full hex, eight digits (sixteen, and varnel64.dll,
// in the 64-bit build the tests make of the gallery).
#include "window_report.h"

#include <stdarg.h>
#include <stdio.h>

#include "engine/newer_functions.h"

typedef HWND(WINAPI *GetAncestorFunction)(HWND window, UINT flags);

static int ancestorLooked;
static GetAncestorFunction getAncestor;

// GetAncestor(GA_PARENT) came with Windows 98 and NT 4.0 SP4. Before it,
// GetParent gives the parent of a child window, but the owner of a top-level
// one, whose GA_PARENT is the desktop.
static HWND parentOf(HWND window)
{
    if (!ancestorLooked) {
        getAncestor = (GetAncestorFunction)findNewerFunction("user32.dll", "GetAncestor");
        ancestorLooked = 1;
    }
    if (getAncestor) return getAncestor(window, GA_PARENT);
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) return GetParent(window);
    return GetDesktopWindow();
}

// The engine of the gallery's own bitness, and the width of an address.
#ifdef _WIN64
static const char engineName[] = "varnel64.dll";
#define ADDRESS "0x%016llX"
typedef unsigned long long Address;
#else
static const char engineName[] = "varnel.dll";
#define ADDRESS "0x%08lX"
typedef unsigned long Address;
#endif

static void printLine(const char *format, ...)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == NULL || out == INVALID_HANDLE_VALUE) return;
    char line[700];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    lstrcatA(line, "\r\n");
    DWORD written = 0;
    WriteFile(out, line, lstrlenA(line), &written, NULL);
}

static void printWindow(HWND window)
{
    HWND parent = parentOf(window);
    if (parent == GetDesktopWindow()) parent = NULL;
    char name[256] = "", title[128] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, title, sizeof title);
    const int unicode = IsWindowUnicode(window) ? 1 : 0;
    const LONG_PTR procedure =
        unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
    printLine("window " ADDRESS " parent " ADDRESS " wndproc " ADDRESS " unicode %d style 0x%08lX exstyle 0x%08lX "
              "class \"%s\" title \"%s\"",
              (Address)(ULONG_PTR)window, (Address)(ULONG_PTR)parent, (Address)procedure, unicode,
              (unsigned long)GetWindowLongA(window, GWL_STYLE), (unsigned long)GetWindowLongA(window, GWL_EXSTYLE), name,
              title);
}

static BOOL CALLBACK printChild(HWND window, LPARAM)
{
    printWindow(window);
    return TRUE;
}

// EnumChildWindows walks every descendant, depth first.
static BOOL CALLBACK printTopLevel(HWND window, LPARAM)
{
    printWindow(window);
    EnumChildWindows(window, printChild, 0);
    return TRUE;
}

void printWindows()
{
    HMODULE engine = GetModuleHandleA(engineName);
    FARPROC procedure = engine ? GetProcAddress(engine, "StaticWindowProc") : NULL;
    if (engine)
        printLine("%s " ADDRESS, engineName, (Address)(ULONG_PTR)engine);
    else
        printLine("%s none", engineName);
    if (procedure)
        printLine("StaticWindowProc " ADDRESS, (Address)(ULONG_PTR)procedure);
    else
        printLine("StaticWindowProc none");
    EnumThreadWindows(GetCurrentThreadId(), printTopLevel, 0);
    printLine("ready");
}
