#include "support/soak_windows.h"

#include <commctrl.h>

#include "support/after_hook_controls.h"

const char soakFrameClass[] = "VarnelSoakFrame";
const char soakMdiFrameClass[] = "VarnelSoakMdiFrame";
const char soakMdiChildClass[] = "VarnelSoakMdiChild";

static LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT CALLBACK mdiFrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) return 0;
    HWND client = (HWND)GetWindowLongPtrA(window, GWLP_USERDATA);
    return DefFrameProcA(window, client, message, wParam, lParam);
}

static LRESULT CALLBACK mdiChildProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // WM_CLOSE would reach DefMDIChildProc, which destroys the child.
    if (message == WM_CLOSE) return 0;
    return DefMDIChildProcA(window, message, wParam, lParam);
}

static void registerSoakClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    loadCommonControls();
    WNDCLASSA wc = {};
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpfnWndProc = frameProcedure;
    wc.lpszClassName = soakFrameClass;
    RegisterClassA(&wc);
    wc.lpfnWndProc = mdiFrameProcedure;
    wc.lpszClassName = soakMdiFrameClass;
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    RegisterClassA(&wc);
    wc.lpfnWndProc = mdiChildProcedure;
    wc.lpszClassName = soakMdiChildClass;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
}

// ---- Dialogs ----

INT_PTR CALLBACK keepOpenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)dialog;
    (void)wParam;
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_CLOSE: return TRUE;
    case WM_COMMAND: return TRUE;
    }
    return FALSE;
}

// ---- The set ----

enum {
    idPush = 101, idDefault, idCheck, idRadio, idGroup, idLabel, idNotifyLabel, idIconLabel, idEdit, idReadOnly,
    idClientEdge, idScroll, idProgress, idTab,
};

static HWND topLevel(DWORD exStyle, DWORD style, const char *title, int x, int y, int w, int h)
{
    HWND window = CreateWindowExA(exStyle, soakFrameClass, title, style, x, y, w, h, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// Tabs with these labels, in order, at the end of a tab control.
static void addTabs(HWND tab, std::initializer_list<const char *> labels)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    int index = 0;
    for (const char *label : labels) {
        item.pszText = (char *)label;
        SendMessageA(tab, TCM_INSERTITEMA, index++, (LPARAM)&item);
    }
}

static void createDialog(SoakWindows *s)
{
    DialogTemplate t;
    beginDialogTemplate(&t, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_3DLOOK | DS_MODALFRAME, 0, 0, 0,
                        220, 150, "Soak - dialog");
    addDialogItem(&t, "Button", BS_PUSHBUTTON | WS_TABSTOP, 0, 8, 8, 50, 14, idPush, "Push");
    addDialogItem(&t, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 62, 8, 50, 14, idDefault, "Default");
    addDialogItem(&t, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 8, 26, 50, 12, idCheck, "Check");
    addDialogItem(&t, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP, 0, 62, 26, 50, 12, idRadio, "Radio");
    addDialogItem(&t, "Button", BS_GROUPBOX, 0, 4, 40, 112, 40, idGroup, "Group");
    addDialogItem(&t, "Static", SS_LEFT, 0, 8, 50, 60, 10, idLabel, "Label - text");
    addDialogItem(&t, "Static", SS_LEFT | SS_NOTIFY, 0, 8, 62, 60, 10, idNotifyLabel, "Notify");
    addDialogItem(&t, "Static", SS_ICON, 0, 70, 50, 20, 20, idIconLabel, "");
    addDialogItem(&t, "Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, 0, 120, 8, 90, 12, idEdit, "edit");
    addDialogItem(&t, "Edit", ES_LEFT | ES_READONLY, 0, 120, 24, 90, 12, idReadOnly, "read only");
    addDialogItem(&t, "Edit", ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE, 120, 40, 90, 24,
                  idClientEdge, "client edge");
    addDialogItem(&t, "ScrollBar", SBS_VERT, 0, 200, 70, 10, 60, idScroll, "");
    addDialogItem(&t, "msctls_progress32", 0, 0, 8, 86, 100, 10, idProgress, "");
    addDialogItem(&t, "SysTabControl32", 0, 0, 8, 100, 180, 40, idTab, "");
    s->dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplateData(t), NULL, keepOpenDialogProc, 0);
    if (!s->dialog) return;
    SetWindowPos(s->dialog, NULL, 420, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND d = s->dialog;
    s->pushButton = GetDlgItem(d, idPush);
    s->defaultButton = GetDlgItem(d, idDefault);
    s->checkBox = GetDlgItem(d, idCheck);
    s->radioButton = GetDlgItem(d, idRadio);
    s->groupBox = GetDlgItem(d, idGroup);
    s->label = GetDlgItem(d, idLabel);
    s->notifyLabel = GetDlgItem(d, idNotifyLabel);
    s->iconLabel = GetDlgItem(d, idIconLabel);
    s->edit = GetDlgItem(d, idEdit);
    s->readOnlyEdit = GetDlgItem(d, idReadOnly);
    s->clientEdgeEdit = GetDlgItem(d, idClientEdge);
    s->scrollBar = GetDlgItem(d, idScroll);
    s->dialogProgress = GetDlgItem(d, idProgress);
    s->dialogTab = GetDlgItem(d, idTab);
    SendMessageA(s->scrollBar, SBM_SETRANGE, 0, 100);
    SendMessageA(s->dialogProgress, PBM_SETRANGE32, 0, 100);
    addTabs(s->dialogTab, {"One", "Two"});
    ShowWindow(d, SW_SHOWNOACTIVATE);
}

static void createCommonControls(SoakWindows *s)
{
    HWND f = s->controlsFrame;
    HINSTANCE instance = GetModuleHandleA(NULL);
    s->toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, f, (HMENU)1,
                                 instance, NULL);
    if (s->toolbar) {
        SendMessageA(s->toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON buttons[3] = {};
        for (int i = 0; i < 3; i++) {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = 200 + i;
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = i == 1 ? BTNS_SEP : BTNS_BUTTON;
        }
        SendMessageA(s->toolbar, TB_ADDBUTTONSA, 3, (LPARAM)buttons);
        SendMessageA(s->toolbar, TB_AUTOSIZE, 0, 0);
    }
    s->listView = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 4, 40,
                                  250, 120, f, (HMENU)2, instance, NULL);
    if (s->listView) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 100;
        column.pszText = (char *)"Name";
        SendMessageA(s->listView, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
        for (int i = 0; i < 40; i++) {
            char text[32];
            wsprintfA(text, "Item %d", i);
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            SendMessageA(s->listView, LVM_INSERTITEMA, 0, (LPARAM)&item);
        }
    }
    s->tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | TCS_BUTTONS, 260, 40, 150, 60, f,
                             (HMENU)3, instance, NULL);
    if (s->tab) addTabs(s->tab, {"First", "Second"});
    s->progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 260, 110, 150, 16, f, (HMENU)4,
                                  instance, NULL);
    if (s->progress) SendMessageA(s->progress, PBM_SETRANGE32, 0, 100);
}

static void createMdi(SoakWindows *s)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    HMENU bar = CreateMenu();
    s->mdiWindowMenu = CreatePopupMenu();
    AppendMenuA(s->mdiWindowMenu, MF_STRING, 300, "Tile");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)s->mdiWindowMenu, "Window");
    s->mdiFrame = CreateWindowExA(0, soakMdiFrameClass, "Soak - MDI frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  20, 460, 500, 360, NULL, bar, instance, NULL);
    if (!s->mdiFrame) {
        DestroyMenu(bar);
        s->mdiWindowMenu = NULL;
        return;
    }
    CLIENTCREATESTRUCT ccs = {s->mdiWindowMenu, soakMdiFirstChild};
    s->mdiClient = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", NULL, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                                   0, 0, 480, 300, s->mdiFrame, NULL, instance, &ccs);
    SetWindowLongPtrA(s->mdiFrame, GWLP_USERDATA, (LONG_PTR)s->mdiClient);
    for (int i = 0; i < 3; i++) {
        char title[32];
        wsprintfA(title, "Child %d - document", i);
        if (s->mdiClient)
            s->mdiChildren[i] = CreateWindowExA(WS_EX_MDICHILD, soakMdiChildClass, title,
                                                WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 10 + 30 * i, 10 + 30 * i,
                                                220, 150, s->mdiClient, NULL, instance, NULL);
    }
    ShowWindow(s->mdiFrame, SW_SHOWNOACTIVATE);
}

static void createMissing(SoakWindows *s)
{
    const DWORD overlapped = WS_OVERLAPPEDWINDOW;
    if (!IsWindow(s->thick)) s->thick = topLevel(0, overlapped, "Thick - frame", 20, 20, 300, 180);
    if (!IsWindow(s->thin))
        s->thin = topLevel(0, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, "Thin frame", 330, 220, 260, 140);
    if (!IsWindow(s->tool))
        s->tool = topLevel(WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, "Tool", 20, 220, 200, 120);
    if (!IsWindow(s->help))
        s->help = topLevel(WS_EX_CONTEXTHELP, WS_CAPTION | WS_SYSMENU, "Help - dialog-like", 230, 360, 240, 120);
    if (!IsWindow(s->bare)) s->bare = topLevel(0, WS_POPUP | WS_BORDER, "Bare", 600, 360, 120, 80);
    if (!IsWindow(s->controlsFrame)) {
        s->controlsFrame = topLevel(0, overlapped, "Controls", 760, 20, 440, 220);
        if (s->controlsFrame) createCommonControls(s);
    }
    if (!IsWindow(s->dialog)) createDialog(s);
    if (!IsWindow(s->mdiFrame)) {
        createMdi(s);
    } else if (s->mdiClient && IsWindow(s->mdiClient)) {
        for (int i = 0; i < 3; i++)
            if (!IsWindow(s->mdiChildren[i]))
                s->mdiChildren[i] = CreateWindowExA(WS_EX_MDICHILD, soakMdiChildClass, "Child again",
                                                    WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 40, 40, 200, 140,
                                                    s->mdiClient, NULL, GetModuleHandleA(NULL), NULL);
    }
}

void createSoakWindows(SoakWindows *set)
{
    registerSoakClasses();
    *set = SoakWindows();
    createMissing(set);
}

int recreateLostSoakWindows(SoakWindows *set)
{
    int lost = 0;
    for (HWND w : set->everyHandle())
        if (!IsWindow(w)) lost++;
    // A lost control of a container that survived is not made again alone:
    // the container goes and comes back whole.
    if (lost == 0) return 0;
    auto containerLost = [](HWND container, std::initializer_list<HWND> children) {
        if (!IsWindow(container)) return false;
        for (HWND c : children)
            if (c && !IsWindow(c)) return true;
        return false;
    };
    if (containerLost(set->controlsFrame, {set->listView, set->toolbar, set->tab, set->progress})) {
        DestroyWindow(set->controlsFrame);
        set->controlsFrame = NULL;
    }
    if (containerLost(set->dialog, {set->pushButton, set->defaultButton, set->checkBox, set->radioButton,
                                    set->groupBox, set->label, set->notifyLabel, set->iconLabel, set->edit,
                                    set->readOnlyEdit, set->clientEdgeEdit, set->scrollBar, set->dialogProgress,
                                    set->dialogTab})) {
        DestroyWindow(set->dialog);
        set->dialog = NULL;
    }
    if (IsWindow(set->mdiFrame) && !IsWindow(set->mdiClient)) {
        DestroyWindow(set->mdiFrame);
        set->mdiFrame = NULL;
    }
    createMissing(set);
    return lost;
}

void destroySoakWindows(SoakWindows *set)
{
    // MDI children go through their client first: Wine's MDI code, when a
    // frame takes its children along, can lose itself in its Window menu.
    if (set->mdiClient && IsWindow(set->mdiClient))
        for (HWND child : set->mdiChildren)
            if (child && IsWindow(child)) SendMessageA(set->mdiClient, WM_MDIDESTROY, (WPARAM)child, 0);
    for (HWND w : {set->thick, set->thin, set->tool, set->help, set->bare, set->controlsFrame, set->dialog,
                   set->mdiFrame})
        if (w && IsWindow(w)) DestroyWindow(w);
    *set = SoakWindows();
}

static void keep(std::vector<HWND> &out, HWND w)
{
    if (w && IsWindow(w)) out.push_back(w);
}

std::vector<HWND> SoakWindows::everyHandle() const
{
    return {thick, thin, tool, help, bare, controlsFrame, dialog, mdiFrame, pushButton, defaultButton, checkBox,
            radioButton, groupBox, label, notifyLabel, iconLabel, edit, readOnlyEdit, clientEdgeEdit, scrollBar,
            dialogProgress, dialogTab, listView, toolbar, tab, progress, mdiClient, mdiChildren[0], mdiChildren[1],
            mdiChildren[2]};
}

std::vector<HWND> SoakWindows::all() const
{
    std::vector<HWND> out;
    for (HWND w : everyHandle()) keep(out, w);
    return out;
}

std::vector<HWND> SoakWindows::parents() const
{
    std::vector<HWND> out;
    for (HWND w : {dialog, controlsFrame, mdiFrame, mdiClient, thick, dialogTab, toolbar}) keep(out, w);
    return out;
}

std::vector<HWND> SoakWindows::ownClassWindows() const
{
    std::vector<HWND> out;
    for (HWND w : {thick, thin, tool, help, bare, controlsFrame}) keep(out, w);
    return out;
}

std::vector<HWND> SoakWindows::buttons() const
{
    std::vector<HWND> out;
    for (HWND w : {pushButton, defaultButton, checkBox, radioButton, groupBox}) keep(out, w);
    return out;
}
