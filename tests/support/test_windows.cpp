#include "support/test_windows.h"

#include <set>
#include <string>

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

const char *recordingClass(const char *name)
{
    static std::set<std::string> registered;
    if (!registered.count(name)) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = recordingProcedure;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.lpszClassName = name;
        RegisterClassA(&wc);
        registered.insert(name);
    }
    return registered.find(name)->c_str();
}

HWND createTestWindow(DWORD style, DWORD exStyle, int w, int h, const char *title, const char *className,
                      HWND parent)
{
    if (!className) className = recordingClass();
    return CreateWindowExA(exStyle, className, title, style, 20, 20, w, h, parent, NULL, GetModuleHandleA(NULL),
                           NULL);
}
