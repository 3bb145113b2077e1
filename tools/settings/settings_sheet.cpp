// The property sheet: its pages' procedures over SettingsEdit, the checks
// before a page is left or the settings are written, and Apply.
#include "tools/settings/settings_sheet.h"

#include <commctrl.h>
#include <commdlg.h>

#include "tools/settings/caption_preview.h"
#include "tools/settings/page_templates.h"
#include "tools/settings/scheme_page.h"

HWND settingsPageWindows[settingsPageCount];
HWND settingsPageTips[settingsPageCount];

static DialogTemplate pageTemplates[settingsPageCount];
static DialogTemplate schemesTemplate;
// 1 while a page's controls are being filled: their notifications are not
// the user's changes.
static int fillingPage;
// The colours offered besides the basic ones, kept while the program runs.
static COLORREF customColours[16];

void reportSettingsProblem(HWND owner, const std::string &text)
{
    MessageBoxA(owner, text.c_str(), settingsSheetTitle, MB_OK | MB_ICONEXCLAMATION);
}

static SettingsPage pageOf(HWND page) { return (SettingsPage)GetWindowLongA(page, GWL_USERDATA); }

// Whole, however long: a long program name cut short would be another name.
static std::string controlText(HWND control)
{
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], (int)text.size()));
    return text;
}

// A flag another one forces off shows off, greyed out, as the engine takes
// it (and as Apply writes it).
static void showRowForcings(HWND page)
{
    for (const SettingRow &row : settingRows(pageOf(page))) {
        if (row.kind != flagRow) continue;
        HWND box = GetDlgItem(page, settingControlBase + row.position);
        const bool forced = settingRowForcedOff(row);
        EnableWindow(box, !forced);
        SendMessageA(box, BM_SETCHECK, !forced && settingRowOn(row) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

static void fillExclusionList(HWND page)
{
    HWND list = GetDlgItem(page, excludedListId);
    if (!list) return;
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string &name : listedPrograms(SettingsEdit.list))
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name.c_str());
}

static void fillPage(HWND page)
{
    fillingPage++;
    for (const SettingRow &row : settingRows(pageOf(page))) {
        HWND control = GetDlgItem(page, settingControlBase + row.position);
        if (row.kind != flagRow) SetWindowTextA(control, settingRowText(row).c_str());
    }
    showRowForcings(page);
    fillExclusionList(page);
    fillingPage--;
}

static void repaintPreviews()
{
    if (schemesPageWindow) {
        InvalidateRect(GetDlgItem(schemesPageWindow, schemeActivePreviewId), NULL, FALSE);
        InvalidateRect(GetDlgItem(schemesPageWindow, schemeInactivePreviewId), NULL, FALSE);
    }
    HWND captions = settingsPageWindows[captionsPage];
    if (!captions) return;
    InvalidateRect(GetDlgItem(captions, activePreviewId), NULL, FALSE);
    InvalidateRect(GetDlgItem(captions, inactivePreviewId), NULL, FALSE);
}

static void settingsChanged(HWND page)
{
    PropSheet_Changed(GetParent(page), page);
    repaintPreviews();
}

// Every typed value of the page into SettingsEdit. On the first that is not
// one, the problem is shown, the sheet turns to the page and the value gets
// the focus, and false comes back.
static bool takeTypedValues(HWND page)
{
    for (const SettingRow &row : settingRows(pageOf(page))) {
        if (row.kind == flagRow) continue;
        HWND edit = GetDlgItem(page, settingControlBase + row.position);
        std::string error;
        if (takeSettingRowText(row, controlText(edit), &error)) continue;
        HWND sheet = GetParent(page);
        if (PropSheet_GetCurrentPageHwnd(sheet) != page) PropSheet_SetCurSel(sheet, page, 0);
        reportSettingsProblem(page, error + ".\n\nNothing was written.");
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return false;
    }
    return true;
}

// Apply and OK: every page the sheet has made, then the files. Pages never
// shown hold no typed values.
static bool applySettings(HWND page)
{
    for (HWND made : settingsPageWindows)
        if (made && !takeTypedValues(made)) return false;
    std::string error;
    if (!writeSettingsEdit(&error)) {
        reportSettingsProblem(page, "The settings could not be written.\n\n" + error);
        return false;
    }
    return true;
}

static void chooseColour(HWND page, int position)
{
    const std::vector<SettingRow> rows = settingRows(pageOf(page));
    const SettingRow *row = NULL;
    for (const SettingRow &r : rows)
        if (r.kind == colourRow && r.position == position) row = &r;
    if (!row) return;
    CHOOSECOLORA c;
    ZeroMemory(&c, sizeof c);
    c.lStructSize = sizeof c;
    c.hwndOwner = page;
    int rgb[3];
    settingRowColour(*row, rgb);
    c.rgbResult = RGB(rgb[0], rgb[1], rgb[2]);
    c.lpCustColors = customColours;
    c.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&c)) return;
    char text[16];
    wsprintfA(text, "#%02X%02X%02X", GetRValue(c.rgbResult), GetGValue(c.rgbResult), GetBValue(c.rgbResult));
    // The edit's change notice takes it into the settings.
    SetDlgItemTextA(page, settingControlBase + position, text);
}

static void addTypedProgram(HWND page)
{
    std::string error;
    const std::string name = controlText(GetDlgItem(page, programNameId));
    if (!excludeProgram(name, &error)) {
        reportSettingsProblem(page, error + ".");
        SetFocus(GetDlgItem(page, programNameId));
        return;
    }
    SetDlgItemTextA(page, programNameId, "");
    fillExclusionList(page);
    settingsChanged(page);
}

static void removeSelectedProgram(HWND page)
{
    HWND list = GetDlgItem(page, excludedListId);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        reportSettingsProblem(page, "Select the program to remove in the list first.");
        SetFocus(list);
        return;
    }
    char name[MAX_PATH];
    if (SendMessageA(list, LB_GETTEXTLEN, selected, 0) >= (LRESULT)sizeof name) return;
    SendMessageA(list, LB_GETTEXT, selected, (LPARAM)name);
    std::string error;
    if (!includeProgram(name, &error)) return;
    fillExclusionList(page);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count > 0) SendMessageA(list, LB_SETCURSEL, selected < count ? selected : count - 1, 0);
    settingsChanged(page);
}

static void settingControlChanged(HWND page, int id, int code)
{
    for (const SettingRow &row : settingRows(pageOf(page))) {
        if (id != settingControlBase + row.position) continue;
        if (row.kind == flagRow && code == BN_CLICKED) {
            takeSettingRowFlag(row, IsDlgButtonChecked(page, id) == BST_CHECKED);
            showRowForcings(page);
            settingsChanged(page);
        } else if (row.kind != flagRow && code == EN_CHANGE) {
            // A value not yet complete is left for the checks on leaving
            // the page and on Apply.
            std::string error;
            if (takeSettingRowText(row, controlText(GetDlgItem(page, id)), &error)) settingsChanged(page);
        }
    }
}

// The help line names the setting whose control took the focus.
static void showRowHelp(HWND page, int id)
{
    for (const SettingRow &row : settingRows(pageOf(page))) {
        if (id != settingControlBase + row.position && id != colourButtonBase + row.position) continue;
        SetDlgItemTextA(page, helpLineId, settingRowTip(row).c_str());
        return;
    }
}

static void pageCommand(HWND page, int id, int code)
{
    if (code == BN_SETFOCUS || code == EN_SETFOCUS) {
        showRowHelp(page, id);
        return;
    }
    if (fillingPage) return;
    if (id > colourButtonBase && id <= colourButtonBase + settingsPositionCount && code == BN_CLICKED)
        chooseColour(page, id - colourButtonBase);
    else if (id == addProgramId && code == BN_CLICKED)
        addTypedProgram(page);
    else if (id == removeProgramId && code == BN_CLICKED)
        removeSelectedProgram(page);
    else if (id > settingControlBase && id <= settingControlBase + settingsPositionCount)
        settingControlChanged(page, id, code);
}

// Enter in the program name adds the program: left to the sheet it would be
// OK, closing the window with the name typed and not added.
static WNDPROC programNameProcedure;

static LRESULT CALLBACK programNameEnter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool enter = wParam == VK_RETURN;
    if (message == WM_GETDLGCODE && lParam && ((const MSG *)lParam)->message == WM_KEYDOWN &&
        ((const MSG *)lParam)->wParam == VK_RETURN)
        return DLGC_WANTMESSAGE | CallWindowProcA(programNameProcedure, edit, message, wParam, lParam);
    if (message == WM_KEYDOWN && enter) {
        SendMessageA(GetParent(edit), WM_COMMAND, MAKEWPARAM(addProgramId, BN_CLICKED),
                     (LPARAM)GetDlgItem(GetParent(edit), addProgramId));
        return 0;
    }
    // The character Enter makes would only beep.
    if (message == WM_CHAR && wParam == '\r') return 0;
    return CallWindowProcA(programNameProcedure, edit, message, wParam, lParam);
}

static void createPreviews(HWND page)
{
    RECT r = {previewLeft, previewTop, previewLeft + previewWidth, previewTop};
    MapDialogRect(page, &r);
    HWND active = createCaptionPreview(page, activePreviewId, r.left, r.top, r.right - r.left, true);
    RECT a;
    GetWindowRect(active, &a);
    createCaptionPreview(page, inactivePreviewId, r.left, r.top + (a.bottom - a.top) + 6, r.right - r.left, false);
}

// The identifier and help text of each row, shown when the mouse rests on
// its controls: the labels speak to people, the tip names the setting as
// vl.ini's named form and vlconf do.
static void addRowTips(HWND page)
{
    HWND tips = CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, page, NULL, GetModuleHandleA(NULL), NULL);
    settingsPageTips[pageOf(page)] = tips;
    if (!tips) return;
    for (const SettingRow &row : settingRows(pageOf(page))) {
        std::string tip = settingRowTip(row);
        const HWND controls[] = {GetDlgItem(page, settingControlBase + row.position),
                                 row.kind == colourRow ? GetDlgItem(page, colourButtonBase + row.position) : NULL};
        for (HWND control : controls) {
            if (!control) continue;
            // The first size comctl32 knew, as for the pages.
            TOOLINFOA tool;
            ZeroMemory(&tool, sizeof tool);
            tool.cbSize = TTTOOLINFOA_V1_SIZE;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = page;
            tool.uId = (UINT_PTR)control;
            tool.lpszText = &tip[0];
            SendMessageA(tips, TTM_ADDTOOLA, 0, (LPARAM)&tool);
        }
    }
}

static INT_PTR pageNotice(HWND page, const NMHDR *notice)
{
    LRESULT result;
    switch (notice->code) {
    case PSN_SETACTIVE:
        fillPage(page);
        result = 0;
        break;
    case PSN_KILLACTIVE: result = takeTypedValues(page) ? FALSE : TRUE; break;
    case PSN_APPLY: result = applySettings(page) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; break;
    default: return FALSE;
    }
    SetWindowLongA(page, DWL_MSGRESULT, (LONG)result);
    return TRUE;
}

static INT_PTR CALLBACK pageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const SettingsPage which = (SettingsPage)((const PROPSHEETPAGEA *)lParam)->lParam;
        SetWindowLongA(page, GWL_USERDATA, which);
        settingsPageWindows[which] = page;
        if (which == captionsPage) createPreviews(page);
        addRowTips(page);
        if (which == windowsPage)
            programNameProcedure = (WNDPROC)SetWindowLongA(GetDlgItem(page, programNameId), GWL_WNDPROC,
                                                           (LONG)programNameEnter);
        fillPage(page);
        return TRUE;
    }
    case WM_COMMAND: pageCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_VKEYTOITEM:
        // Delete in the list removes the selected program.
        if (LOWORD(wParam) == VK_DELETE && (HWND)lParam == GetDlgItem(page, excludedListId)) {
            removeSelectedProgram(page);
            return -2;
        }
        return -1;
    case WM_NOTIFY: return pageNotice(page, (const NMHDR *)lParam);
    case WM_DESTROY:
        settingsPageWindows[pageOf(page)] = NULL;
        settingsPageTips[pageOf(page)] = NULL;  // owned by the page, it goes with it
        return FALSE;
    }
    return FALSE;
}

static WNDPROC sheetProcedure;

// The system tells top-level windows of a new caption colour or font; the
// previews are children of a page, which that broadcast does not reach.
static LRESULT CALLBACK sheetFollowingSystem(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE) repaintPreviews();
    return CallWindowProcA(sheetProcedure, sheet, message, wParam, lParam);
}

static int CALLBACK sheetCreated(HWND sheet, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED)
        sheetProcedure = (WNDPROC)SetWindowLongA(sheet, GWL_WNDPROC, (LONG)sheetFollowingSystem);
    return 0;
}

HWND openSettingsSheet(bool modeless, SettingsPage startPage, bool onSchemes)
{
    HPROPSHEETPAGE pages[settingsSheetPageCount];
    buildSchemesPageTemplate(&schemesTemplate);
    for (int i = 0; i < settingsPageCount; i++) buildPageTemplate((SettingsPage)i, &pageTemplates[i]);
    for (int i = 0; i < settingsSheetPageCount; i++) {
        const bool schemes = i == schemesSheetPage;
        // The first size comctl32 knew: Windows 95 and NT 4.0 refuse larger.
        PROPSHEETPAGEA p;
        ZeroMemory(&p, sizeof p);
        p.dwSize = PROPSHEETPAGEA_V1_SIZE;
        p.dwFlags = PSP_DLGINDIRECT;
        p.hInstance = GetModuleHandleA(NULL);
        p.pResource = dialogTemplateData(schemes ? schemesTemplate : pageTemplates[i - settingsSheetFirst]);
        p.pfnDlgProc = schemes ? schemesPageProcedure : pageProcedure;
        p.lParam = schemes ? 0 : i - settingsSheetFirst;
        pages[i] = CreatePropertySheetPageA(&p);
        if (!pages[i]) {
            for (int k = 0; k < i; k++) DestroyPropertySheetPage(pages[k]);
            return NULL;
        }
    }
    PROPSHEETHEADERA h;
    ZeroMemory(&h, sizeof h);
    h.dwSize = PROPSHEETHEADERA_V1_SIZE;
    h.dwFlags = PSH_USECALLBACK | (modeless ? PSH_MODELESS : 0);
    h.pfnCallback = sheetCreated;
    h.hInstance = GetModuleHandleA(NULL);
    h.pszCaption = settingsSheetTitle;
    h.nPages = settingsSheetPageCount;
    h.nStartPage = onSchemes ? schemesSheetPage : settingsSheetFirst + startPage;
    h.phpage = pages;
    const INT_PTR result = PropertySheetA(&h);
    return modeless ? (HWND)result : NULL;
}
