// List views, the taskbar's tab control and toolbars restyled from outside
// once they have handled a message. Nothing is remembered: every qualifying
// message tests the control again, and a style is written only while bits
// are missing, so each change happens once per control.
#include <windows.h>
#include <commctrl.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "hooks/after_hook_stages.h"
#include "hooks/control_restyle.h"

DWORD wantedListViewStyles(int gridLines)
{
    DWORD wanted = LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP;
    if (gridLines) wanted |= LVS_EX_GRIDLINES;
    return wanted;
}

LONG flatTaskbarTabStyle(LONG style)
{
    return (style & ~TCS_MULTILINE) | TCS_FLATBUTTONS | TCS_HOTTRACK;
}

// Sends the set only while a wanted bit is missing: the set makes the list
// view recalculate and repaint, which would otherwise happen on every
// activation and erase.
void addListViewExtendedStyles(HWND window)
{
    DWORD current = (DWORD)SendMessageA(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    DWORD wanted = wantedListViewStyles(Settings.listViewGridLines == 1);
    if ((current & wanted) != wanted) SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, current | wanted);
}

void makeListViewTextTransparent(HWND window)
{
    SendMessageA(window, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
}

void restyleTaskbarTabs(HWND window, UINT message)
{
    if (!windowClassIs(GetParent(window), "MSTaskSwWClass")) return;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!(style & TCS_BUTTONS)) return;
    LONG flat = flatTaskbarTabStyle(style);
    // The style change re-enters the hook with WM_STYLECHANGED; by then the
    // style is flat and nothing is written again.
    if (flat != style) SetWindowLongA(window, GWL_STYLE, flat);
    if (Settings.tabDesktopBackground == 1 && message == WM_ERASEBKGND) {
        HDC dc = GetWindowDC(window);
        PaintDesktop(dc);
        ReleaseDC(window, dc);
        RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_INTERNALPAINT);
    }
}

// The gripper of a toolbar docked in an MFC control bar: a light stroke
// down the left with a short cap, and a dark stroke and foot beside and
// below it, drawn in the toolbar's window DC at its left end.
static void drawControlBarGripper(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    int h = r.bottom - r.top;
    // Out of GDI handles the gripper is left out rather than drawn with
    // whatever pen the DC holds.
    HPEN light = CreatePen(PS_SOLID, 1, gripperLightColour);
    HPEN dark = CreatePen(PS_SOLID, 1, gripperDarkColour);
    if (!light || !dark) {
        if (light) DeleteObject(light);
        if (dark) DeleteObject(dark);
        return;
    }
    HDC dc = GetWindowDC(window);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    int oldMix = SetROP2(dc, R2_COPYPEN);

    HGDIOBJ oldPen = SelectObject(dc, light);
    Rectangle(dc, 4, 4, 5, h - 5);
    Rectangle(dc, 4, 4, 7, 6);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    DeleteObject(light);

    SelectObject(dc, dark);
    Rectangle(dc, 6, 4, 7, h - 5);
    Rectangle(dc, 4, h - 6, 7, h - 5);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    DeleteObject(dark);

    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SetROP2(dc, oldMix);
    ReleaseDC(window, dc);
}

void restyleToolbar(HWND window, UINT message)
{
    if (Settings.controlBarGrippers == 1 && message == WM_ERASEBKGND &&
        windowClassIs(GetParent(window), "AfxControlBar40"))
        drawControlBarGripper(window);
    LRESULT style = SendMessageA(window, TB_GETSTYLE, 0, 0);
    if ((style & flatToolbarStyles) == flatToolbarStyles) return;
    SendMessageA(window, TB_SETSTYLE, 0, style | flatToolbarStyles);
    // A flat toolbar lets its parent show through: the parent repaints the
    // toolbar's area, and the toolbar its frame once the parent is done.
    // A toolbar without a parent has nothing behind it to repaint; a NULL
    // window would make InvalidateRect repaint every window on the desktop.
    HWND parent = GetParent(window);
    if (parent) {
        RECT r;
        GetWindowRect(window, &r);
        ScreenToClient(parent, (POINT *)&r.left);
        ScreenToClient(parent, (POINT *)&r.right);
        InvalidateRect(parent, &r, TRUE);
    }
    PostMessageA(window, WM_NCPAINT, 0, 0);
}
