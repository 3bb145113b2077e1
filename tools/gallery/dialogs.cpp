// The two dialogs: one with every kind of dialog control the engine restyles
// (default and plain push buttons, check boxes, radio buttons, a group box,
// labels, a read-only edit and one with a client edge), and a thin-framed one
// with the context-help button in its caption.
#include "dialog_template.h"
#include "gallery.h"

HWND controlsDialog;
HWND helpDialog;

enum ControlId : WORD {
    idApply = 100,
    idShowCaptions,
    idFlatButtons,
    idSmall,
    idLarge,
    idName,
    idFolder,
    idHelpText,
    idHelpClose,
};

INT_PTR closeModelessDialog(HWND dialog, UINT message, WPARAM wParam, WORD closeId, HWND *held)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == closeId || LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        *held = NULL;
        return TRUE;
    }
    return FALSE;
}

static const char dialogFace[] = "MS Shell Dlg";
enum { dialogPointSize = 8 };

static INT_PTR CALLBACK controlsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CheckDlgButton(dialog, idShowCaptions, BST_CHECKED);
        CheckRadioButton(dialog, idSmall, idLarge, idLarge);
        return TRUE;
    }
    return closeModelessDialog(dialog, message, wParam, IDOK, &controlsDialog);
}

HWND createControlsDialog()
{
    DialogTemplate t;
    beginDialogTemplate(&t, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 0, 200, 150,
                        "Gallery - dialog controls", dialogPointSize, dialogFace);
    addDialogItem(&t, buttonAtom, BS_GROUPBOX, 0, 7, 7, 90, 80, 0xFFFF, "Options");
    addDialogItem(&t, buttonAtom, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 14, 20, 76, 12, idShowCaptions, "Show captions");
    addDialogItem(&t, buttonAtom, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 14, 34, 76, 12, idFlatButtons, "Flat buttons");
    addDialogItem(&t, buttonAtom, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 14, 52, 76, 12, idSmall,
                  "Small icons");
    addDialogItem(&t, buttonAtom, BS_AUTORADIOBUTTON, 0, 14, 66, 76, 12, idLarge, "Large icons");
    addDialogItem(&t, staticAtom, SS_LEFT | WS_GROUP, 0, 106, 9, 86, 9, 0xFFFF, "&Name:");
    addDialogItem(&t, editAtom, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 106, 20, 86, 13, idName,
                  "Report - Editor");
    addDialogItem(&t, staticAtom, SS_LEFT, 0, 106, 40, 86, 9, 0xFFFF, "Engine folder:");
    addDialogItem(&t, editAtom, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, 0, 106, 51, 86, 13,
                  idFolder, "C:\\windows\\varnels");
    addDialogItem(&t, staticAtom, SS_LEFT, 0, 7, 96, 186, 20, 0xFFFF,
                  "Push buttons become flat, captions get gradients; Cancel closes.");
    addDialogItem(&t, buttonAtom, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 34, 126, 50, 14, IDOK, "OK");
    addDialogItem(&t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, 89, 126, 50, 14, IDCANCEL, "Cancel");
    addDialogItem(&t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, 144, 126, 50, 14, idApply, "&Apply");
    controlsDialog = CreateDialogIndirectParamA(galleryInstance, dialogTemplateData(t), NULL, controlsDialogProc, 0);
    return controlsDialog;
}

// WM_HELP comes after the user pressed the caption's "?" and clicked a
// control: name the control that was asked about.
static void answerHelp(HWND dialog, const HELPINFO *help)
{
    char text[128] = "";
    if (help && help->iContextType == HELPINFO_WINDOW) GetWindowTextA((HWND)help->hItemHandle, text, 64);
    char answer[160];
    wsprintfA(answer, "You asked about \"%s\".", text);
    SetDlgItemTextA(dialog, idHelpText, answer);
}

static INT_PTR CALLBACK helpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_HELP:
        answerHelp(dialog, (const HELPINFO *)lParam);
        return TRUE;
    }
    return closeModelessDialog(dialog, message, wParam, idHelpClose, &helpDialog);
}

// No DS_MODALFRAME and no sizing border: the caption's WS_BORDER makes the
// thin frame. Context help wants a system menu and no minimise or maximise
// box.
HWND createHelpDialog()
{
    DialogTemplate t;
    beginDialogTemplate(&t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP | WS_VISIBLE, WS_EX_CONTEXTHELP, 0,
                        0, 170, 80, "Gallery - context help", dialogPointSize, dialogFace);
    addDialogItem(&t, staticAtom, SS_LEFT, 0, 7, 7, 156, 36, idHelpText,
                  "A thin frame with context help: press \"?\" and click a control.");
    addDialogItem(&t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, 60, 56, 50, 14, idHelpClose, "Close");
    helpDialog = CreateDialogIndirectParamA(galleryInstance, dialogTemplateData(t), NULL, helpDialogProc, 0);
    return helpDialog;
}
