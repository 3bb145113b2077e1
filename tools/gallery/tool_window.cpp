// A tool window: the small caption the engine leaves alone unless told to
// paint tool-window captions too.
#include <initializer_list>

#include "gallery.h"

static const char toolClass[] = "VarnelGalleryTool";

HWND createToolWindow()
{
    registerGalleryClass(toolClass, DefWindowProcA, NULL, COLOR_BTNFACE);
    const Placement &p = toolWindowPlace;
    HWND tool = CreateWindowExA(WS_EX_TOOLWINDOW, toolClass, "Gallery - tool window",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, p.x, p.y, p.width, p.height, NULL,
                                NULL, galleryInstance, NULL);
    if (!tool) return NULL;
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND label = CreateWindowExA(0, "STATIC", "Tools float above the work.", WS_CHILD | WS_VISIBLE, 10, 10, 240, 20,
                                 tool, NULL, galleryInstance, NULL);
    HWND button = CreateWindowExA(0, "BUTTON", "Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 80, 24, tool,
                                  NULL, galleryInstance, NULL);
    HWND check = CreateWindowExA(0, "BUTTON", "Snap to grid", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 74, 160,
                                 20, tool, NULL, galleryInstance, NULL);
    for (HWND child : {label, button, check}) SendMessageA(child, WM_SETFONT, (WPARAM)font, 0);
    return tool;
}
