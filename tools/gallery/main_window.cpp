// The main window: a menu bar, a toolbar, a tab control holding a report
// list view, and a progress bar along the bottom. Its title has a "-" so that
// split title fonts show.
#include <windows.h>
#include <commctrl.h>

#include "gallery.h"

static const char mainWindowClass[] = "VarnelGalleryMain";

enum MenuId : UINT {
    idNew = 200,
    idOpen,
    idSave,
    idExit,
    idRefresh,
    idAbout,
};

static HWND toolbar;
static HWND tabs;
static HWND listView;
static HWND progressBar;

enum { progressHeight = 18, closeTimer = 1 };

static HMENU buildMenu()
{
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, idNew, "&New");
    AppendMenuA(file, MF_STRING, idOpen, "&Open...");
    AppendMenuA(file, MF_STRING, idSave, "&Save");
    AppendMenuA(file, MF_SEPARATOR, 0, NULL);
    AppendMenuA(file, MF_STRING, idExit, "E&xit");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING | MF_CHECKED, idRefresh, "&Status bar");
    AppendMenuA(view, MF_STRING | MF_GRAYED, 0, "&Large icons");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, idAbout, "&About the gallery");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "&File");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)view, "&View");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)help, "&Help");
    return bar;
}

// A raised (not flat) toolbar with the common controls' standard pictures,
// so that the engine's flattening shows.
static HWND createToolbar(HWND parent)
{
    HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, 0, 0, 0, 0,
                               parent, NULL, galleryInstance, NULL);
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP pictures = {HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
    SendMessageA(bar, TB_ADDBITMAP, 0, (LPARAM)&pictures);
    TBBUTTON buttons[] = {
        {STD_FILENEW, idNew, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
        {STD_FILEOPEN, idOpen, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
        {STD_FILESAVE, idSave, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
        {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
        {STD_CUT, 0, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
        {STD_COPY, 0, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
        {STD_PASTE, 0, 0, BTNS_BUTTON, {0}, 0, 0},
        {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
        {STD_PROPERTIES, 0, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK, {0}, 0, 0},
    };
    SendMessageA(bar, TB_ADDBUTTONSA, sizeof buttons / sizeof buttons[0], (LPARAM)buttons);
    SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    return bar;
}

// Made at the main window's width: a tab control too narrow for its tabs
// when they are inserted adds an up-down control to scroll them.
static HWND createTabs(HWND parent, int width)
{
    HWND tab = CreateWindowExA(0, WC_TABCONTROLA, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, 200,
                               parent, NULL, galleryInstance, NULL);
    SendMessageA(tab, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
    const char *names[] = {"Files", "Details", "Notes"};
    for (int i = 0; i < 3; i++) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = (char *)names[i];
        SendMessageA(tab, TCM_INSERTITEMA, i, (LPARAM)&item);
    }
    return tab;
}

static void addListRow(HWND list, int row, const char *name, const char *size, const char *kind)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = (char *)name;
    SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    item.iSubItem = 1;
    item.pszText = (char *)size;
    SendMessageA(list, LVM_SETITEMTEXTA, row, (LPARAM)&item);
    item.iSubItem = 2;
    item.pszText = (char *)kind;
    SendMessageA(list, LVM_SETITEMTEXTA, row, (LPARAM)&item);
}

static HWND createListView(HWND parent)
{
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, NULL,
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0, parent, NULL,
                                galleryInstance, NULL);
    const struct {
        const char *title;
        int width;
    } columns[] = {{"Name", 170}, {"Size", 80}, {"Type", 200}};
    for (int i = 0; i < 3; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = (char *)columns[i].title;
        column.cx = columns[i].width;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
    }
    addListRow(list, 0, "vl.ini", "1 KB", "Settings");
    addListRow(list, 1, "vl.bmp", "3 KB", "Dialog background");
    addListRow(list, 2, "vlmdi.bmp", "3 KB", "MDI background");
    addListRow(list, 3, "vlscr.bmp", "1 KB", "Scroll-bar pattern");
    addListRow(list, 4, "maccl.bmp", "1 KB", "Close box");
    addListRow(list, 5, "vlplug.dll", "12 KB", "Caption plug-in");
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    return list;
}

static HWND createProgressBar(HWND parent)
{
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, NULL,
                               galleryInstance, NULL);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(bar, PBM_SETPOS, 60, 0);
    return bar;
}

static void layOut(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    RECT bar;
    GetWindowRect(toolbar, &bar);
    const int top = bar.bottom - bar.top + 4;
    const int bottom = client.bottom - progressHeight - 8;
    MoveWindow(tabs, 4, top, client.right - 8, bottom - top, TRUE);
    MoveWindow(progressBar, 4, client.bottom - progressHeight - 4, client.right - 8, progressHeight, TRUE);
    RECT page = {0, 0, client.right - 8, bottom - top};
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, (LPARAM)&page);
    MoveWindow(listView, page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
}

static LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        toolbar = createToolbar(window);
        tabs = createTabs(window, ((const CREATESTRUCTA *)lParam)->cx);
        listView = createListView(tabs);
        progressBar = createProgressBar(window);
        return 0;
    case WM_SIZE:
        layOut(window);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == idExit) DestroyWindow(window);
        if (LOWORD(wParam) == idAbout)
            MessageBoxA(window, "One of every kind of window the varnel engine paints.", "About the gallery",
                        MB_OK | MB_ICONINFORMATION);
        return 0;
    case WM_TIMER:
        if (wParam == closeTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        closeOtherWindows();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createMainWindow()
{
    registerGalleryClass(mainWindowClass, mainWindowProc, LoadIcon(NULL, IDI_APPLICATION), COLOR_BTNFACE);
    const Placement &p = mainWindowPlace;
    return CreateWindowExA(0, mainWindowClass, "varnel gallery - main window", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           p.x, p.y, p.width, p.height, NULL, buildMenu(), galleryInstance, NULL);
}

void closeMainWindowAfter(HWND window, int seconds)
{
    SetTimer(window, closeTimer, (UINT)seconds * 1000, NULL);
}
