#include "support/test_windows.h"

#include "support/message_log.h"

void pumpMessages()
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

static LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    recordMessage(window, message, wParam, lParam, messageFromOwnProcedure);
    return result;
}

// A class of the system's own name ("#32770", "MDIClient") is registered
// too, and then stands in for the system's in this program: what counts as
// there already is a class of the name with this procedure.
const char *windowClass(const char *name, WNDPROC procedure, HBRUSH background, ClassCursor cursor)
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(GetModuleHandleA(NULL), name, &wc) && wc.lpfnWndProc == procedure) return name;
    wc = WNDCLASSA();
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = cursor == arrowCursor ? LoadCursorA(NULL, (LPCSTR)IDC_ARROW) : NULL;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return name;
}

const char *recordingClass(const char *name) { return windowClass(name, recordingProcedure, NULL, arrowCursor); }

HWND createTestWindow(DWORD style, DWORD exStyle, int w, int h, const char *title, const char *className,
                      HWND parent)
{
    if (!className) className = recordingClass();
    return CreateWindowExA(exStyle, className, title, style, 20, 20, w, h, parent, NULL, GetModuleHandleA(NULL),
                           NULL);
}

int windowWidth(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r.right - r.left;
}

int windowHeight(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}
