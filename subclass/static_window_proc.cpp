// StaticWindowProc: finds the window's slot and hands the message to the
// window's own procedure.
#include "subclass/static_window_proc.h"

#include "engine/window_table.h"

LRESULT callOwnProcedure(int slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(previousProcs[slot], window, message, wParam, lParam);
}

// A window without a slot (its slot was released while a message was on its
// way) never touches a table column: the class's own procedure handles it.
static LRESULT passToClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC classProc = (WNDPROC)GetClassLongA(window, GCL_WNDPROC);
    if (!classProc || classProc == StaticWindowProc) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(classProc, window, message, wParam, lParam);
}

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int slot = findWindowSlot(window);
    if (slot < 0) return passToClassProcedure(window, message, wParam, lParam);
    return callOwnProcedure(slot, window, message, wParam, lParam);
}
