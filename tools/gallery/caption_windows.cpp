// Three windows whose captions the system draws in ways of their own, along
// the bottom of the screen: a mirrored window (buttons left, icon and title
// right), a sizable window with a modal frame and no icon (the system then
// draws no icon and starts the title at the frame, as in Delphi's programs),
// and a dialog that sets its own icon with WM_SETICON.
#include <initializer_list>

#include "dialog_template.h"
#include "gallery.h"

#ifndef WS_EX_LAYOUTRTL
#define WS_EX_LAYOUTRTL 0x00400000L
#endif

HWND mirroredWindow;
HWND sizableDialog;
HWND iconDialog;

static const char plainClass[] = "VarnelGalleryCaption";

static void addLabel(HWND window, const char *text)
{
    HWND label = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE, 10, 10, 360, 40, window, NULL,
                                 galleryInstance, NULL);
    SendMessageA(label, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
}

HWND createMirroredWindow()
{
    registerGalleryClass(plainClass, DefWindowProcA, NULL, COLOR_BTNFACE);
    const Placement &p = mirroredWindowPlace;
    // The class has no icon: the system shows the default one, at the right.
    mirroredWindow = CreateWindowExA(WS_EX_LAYOUTRTL, plainClass, "Gallery - mirrored window", WS_OVERLAPPEDWINDOW,
                                     p.x, p.y, p.width, p.height, NULL, NULL, galleryInstance, NULL);
    if (mirroredWindow) addLabel(mirroredWindow, "Laid out right to left.");
    return mirroredWindow;
}

HWND createSizableDialog()
{
    registerGalleryClass(plainClass, DefWindowProcA, NULL, COLOR_BTNFACE);
    const Placement &p = sizableDialogPlace;
    sizableDialog = CreateWindowExA(WS_EX_DLGMODALFRAME, plainClass, "Gallery - sizable dialog",
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, p.x, p.y, p.width, p.height,
                                    NULL, NULL, galleryInstance, NULL);
    if (sizableDialog) addLabel(sizableDialog, "A modal frame, a sizing border and no icon.");
    return sizableDialog;
}

enum : WORD { idIconText = 400, idIconClose };

static INT_PTR CALLBACK iconDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        // Both sizes, as programs do: the caption shows the small one.
        HICON big = (HICON)LoadImageA(NULL, (LPCSTR)IDI_INFORMATION, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                      GetSystemMetrics(SM_CYICON), LR_SHARED);
        HICON small = (HICON)LoadImageA(NULL, (LPCSTR)IDI_INFORMATION, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)big);
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)(small ? small : big));
        return TRUE;
    }
    return closeModelessDialog(dialog, message, wParam, idIconClose, &iconDialog);
}

HWND createIconDialog()
{
    DialogTemplate t;
    beginDialogTemplate(&t, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 200, 44,
                        "Gallery - dialog with its own icon", 8, "MS Shell Dlg");
    addDialogItem(&t, staticAtom, SS_LEFT, 0, 7, 7, 186, 10, idIconText, "The icon came with WM_SETICON.");
    addDialogItem(&t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, 143, 24, 50, 14, idIconClose, "Close");
    iconDialog = CreateDialogIndirectParamA(galleryInstance, dialogTemplateData(t), NULL, iconDialogProc, 0);
    if (iconDialog) {
        const Placement &p = iconDialogPlace;
        SetWindowPos(iconDialog, NULL, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return iconDialog;
}
