// An MDI frame with its client and two document windows tiled side by side.
#include "gallery.h"

HWND mdiClient;

static const char frameClass[] = "VarnelGalleryFrame";
static const char documentClass[] = "VarnelGalleryDocument";

enum : UINT {
    idTile = 300,
    idCascade,
    firstChildId = 50000,
};

static LRESULT CALLBACK documentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        char title[64];
        GetWindowTextA(window, title, sizeof title);
        RECT r;
        GetClientRect(window, &r);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, title, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

static LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        CLIENTCREATESTRUCT client = {GetSubMenu(GetMenu(window), 0), firstChildId};
        mdiClient = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", NULL,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0,
                                    window, NULL, galleryInstance, &client);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == idTile) SendMessageA(mdiClient, WM_MDITILE, MDITILE_VERTICAL, 0);
        if (LOWORD(wParam) == idCascade) SendMessageA(mdiClient, WM_MDICASCADE, 0, 0);
        break;
    case WM_DESTROY:
        mdiClient = NULL;
        break;
    }
    return DefFrameProcA(window, mdiClient, message, wParam, lParam);
}

static void createDocument(const char *title)
{
    MDICREATESTRUCTA create = {};
    create.szClass = documentClass;
    create.szTitle = title;
    create.hOwner = galleryInstance;
    create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
    create.style = WS_OVERLAPPEDWINDOW;
    SendMessageA(mdiClient, WM_MDICREATE, 0, (LPARAM)&create);
}

HWND createMdiFrame()
{
    const HICON icon = LoadIcon(NULL, IDI_APPLICATION);
    registerGalleryClass(frameClass, frameProc, icon, COLOR_APPWORKSPACE);
    registerGalleryClass(documentClass, documentProc, icon, COLOR_WINDOW);
    HMENU windowMenu = CreatePopupMenu();
    AppendMenuA(windowMenu, MF_STRING, idTile, "&Tile");
    AppendMenuA(windowMenu, MF_STRING, idCascade, "&Cascade");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)windowMenu, "&Window");
    const Placement &p = mdiFramePlace;
    HWND frame = CreateWindowExA(0, frameClass, "Gallery - MDI frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, p.x,
                                 p.y, p.width, p.height, NULL, bar, galleryInstance, NULL);
    if (!frame || !mdiClient) return frame;
    createDocument("Document 1");
    createDocument("Document 2");
    return frame;
}
