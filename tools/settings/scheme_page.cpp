// The schemes page. The list is read again after every change the page
// makes; the names it shows are kept beside it, in its order.
#include "tools/settings/scheme_page.h"

#include <string.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "tools/schemes/scheme_store.h"
#include "tools/settings/caption_preview.h"
#include "tools/settings/page_templates.h"
#include "tools/settings/settings_edit.h"
#include "tools/settings/settings_sheet.h"

const char schemesPageTitle[] = "Schemes";
HWND schemesPageWindow;

// Geometry, dialog units.
enum {
    listTop = 15,
    listWidth = 150,
    listHeight = 170,
    buttonsLeft = pageMargin + listWidth + 8,
    buttonWidth = 84,
    buttonHeight = 14,
    buttonStep = 18,
    nameLeft = buttonsLeft + buttonWidth + 8,
    nameWidth = pageWidth - pageMargin - nameLeft,
    previewBoxTop = listTop + 4 * buttonStep + 4,
};

void buildSchemesPageTemplate(DialogTemplate *t)
{
    beginPageTemplate(t, schemesPageTitle);
    // No 'a' among the letters: the sheet's Apply button holds it.
    addDialogItem(t, staticAtom, SS_LEFT, 0, pageMargin, 4, listWidth, pageTextHeight, labelId, "&Schemes:");
    addDialogItem(t, "LISTBOX",
                  LBS_NOTIFY | LBS_WANTKEYBOARDINPUT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0,
                  pageMargin, listTop, listWidth, listHeight, schemeListId, "");
    addDialogItem(t, staticAtom, SS_LEFT | SS_NOPREFIX, 0, pageMargin, listTop + listHeight + 4,
                  pageWidth - 2 * pageMargin, 2 * pageTextHeight, schemeDescriptionId, "");
    const struct {
        WORD id;
        const char *text;
    } buttons[] = {{applySchemeId, "Apply sc&heme"},
                   {saveSchemeId, "Sa&ve current as"},
                   {renameSchemeId, "&Rename to"},
                   {deleteSchemeId, "&Delete"}};
    short y = listTop;
    for (const auto &b : buttons) {
        addDialogItem(t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, buttonsLeft, y, buttonWidth, buttonHeight, b.id,
                      b.text);
        y = (short)(y + buttonStep);
    }
    addDialogItem(t, staticAtom, SS_LEFT, 0, nameLeft, listTop + buttonStep, nameWidth, pageTextHeight, labelId,
                  "&Name for Save and Rename:");
    addDialogItem(t, editAtom, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, nameLeft, listTop + buttonStep + 11,
                  nameWidth, 12, schemeNameId, "");
    addDialogItem(t, buttonAtom, BS_GROUPBOX, 0, buttonsLeft, previewBoxTop, pageWidth - pageMargin - buttonsLeft,
                  listTop + listHeight - previewBoxTop, labelId, "The selected scheme's title bars");
}

// The names the list shows, in its order, and the selected one's values
// for the previews.
static std::vector<SchemeEntry> shown;
static int previewValues[settingsPositionCount];

static std::string controlText(HWND control)
{
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], (int)text.size()));
    return text;
}

static int selectedIndex(HWND page)
{
    const LRESULT i = SendDlgItemMessageA(page, schemeListId, LB_GETCURSEL, 0, 0);
    return i == LB_ERR || i >= (LRESULT)shown.size() ? -1 : (int)i;
}

// Description, buttons and previews for the selected scheme.
static void showSelected(HWND page)
{
    const int i = selectedIndex(page);
    const SchemeEntry *entry = i < 0 ? NULL : &shown[i];
    std::string text;
    bool previewed = false;
    if (entry) {
        text = entry->builtin ? "Built in: " + entry->description
                              : (entry->readable ? "Your own scheme" : "Cannot be used: " + entry->description);
        // One sentence each, whatever the description ends with.
        if (text.empty() || text[text.size() - 1] != '.') text += '.';
        Scheme scheme;
        bool builtin;
        std::string error;
        if (entry->readable && loadScheme(entry->name, &scheme, &builtin, &error)) {
            memcpy(previewValues, scheme.values, sizeof previewValues);
            previewed = true;
        }
        if (entry->readable && entry->name == schemeMatchingSettings(SettingsEdit.settingsPath))
            text += " In use: the settings being edited came from it.";
    }
    SetDlgItemTextA(page, schemeDescriptionId, text.c_str());
    EnableWindow(GetDlgItem(page, applySchemeId), entry && entry->readable);
    // Built-ins are always there: only the user's own can go or be renamed.
    EnableWindow(GetDlgItem(page, deleteSchemeId), entry && !entry->builtin);
    EnableWindow(GetDlgItem(page, renameSchemeId), entry && !entry->builtin && entry->readable);
    for (int id : {schemeActivePreviewId, schemeInactivePreviewId}) {
        HWND preview = GetDlgItem(page, id);
        ShowWindow(preview, previewed ? SW_SHOWNA : SW_HIDE);
        if (previewed) setCaptionPreviewValues(preview, previewValues);
    }
}

// Lists the schemes again and selects select (ignoring case), else the one
// the edited vl.ini holds, else the first.
static void fillSchemeList(HWND page, const std::string &select)
{
    HWND list = GetDlgItem(page, schemeListId);
    shown = listSchemes();
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const SchemeEntry &entry : shown) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)entry.name.c_str());
    const std::string wanted = select.empty() ? schemeMatchingSettings(SettingsEdit.settingsPath) : select;
    int at = 0;
    for (size_t i = 0; i < shown.size(); i++)
        if (lstrcmpiA(shown[i].name.c_str(), wanted.c_str()) == 0) at = (int)i;
    SendMessageA(list, LB_SETCURSEL, at, 0);
    showSelected(page);
}

static void applySelected(HWND page)
{
    const int i = selectedIndex(page);
    if (i < 0 || !shown[i].readable) return;
    Scheme scheme;
    bool builtin;
    std::string error;
    VlIni ini;
    if (!loadScheme(shown[i].name, &scheme, &builtin, &error) ||
        !applyScheme(scheme, SettingsEdit.settingsPath, &error) ||
        !readVlIni(SettingsEdit.settingsPath, &ini, &error)) {
        reportSettingsProblem(page, "The scheme was not applied.\n\n" + error);
        return;
    }
    // The other pages show what was written when they are next turned to.
    memcpy(SettingsEdit.values, ini.read.values, sizeof SettingsEdit.values);
    memcpy(SettingsEdit.written, ini.read.values, sizeof SettingsEdit.written);
    SettingsEdit.settingsFileFound = true;
    showSelected(page);
}

// The settings being edited (typed on the other pages, not yet applied)
// and the engine folder's skin bitmaps, under the typed name.
static void saveCurrent(HWND page)
{
    const std::string name = controlText(GetDlgItem(page, schemeNameId));
    Scheme scheme;
    std::string error;
    if (!userSchemeNameFree(name, false, &error) || !currentSchemeOfValues(name, SettingsEdit.values, &scheme, &error) ||
        !storeUserScheme(scheme, false, &error)) {
        reportSettingsProblem(page, "The scheme was not saved.\n\n" + error);
        SetFocus(GetDlgItem(page, schemeNameId));
        return;
    }
    fillSchemeList(page, name);
}

static void renameSelected(HWND page)
{
    const int i = selectedIndex(page);
    if (i < 0 || shown[i].builtin) return;
    const std::string from = shown[i].name, to = controlText(GetDlgItem(page, schemeNameId));
    if (to == from) return;
    Scheme scheme;
    bool builtin;
    std::string error;
    const bool caseOnly = lstrcmpiA(from.c_str(), to.c_str()) == 0;
    bool done = loadScheme(from, &scheme, &builtin, &error);
    if (done) {
        scheme.name = to;
        // The new file first: a failure leaves the old one as it was.
        done = storeUserScheme(scheme, caseOnly, &error);
    }
    if (done && caseOnly) {
        // Same file; its name takes the new case too.
        MoveFileA(userSchemePath(from).c_str(), userSchemePath(to).c_str());
    } else if (done && !deleteUserScheme(from, &error)) {
        error = "\"" + to + "\" was saved, but the old one stays: " + error;
        done = false;
    }
    if (!done) reportSettingsProblem(page, "The scheme was not renamed.\n\n" + error);
    fillSchemeList(page, done ? to : from);
}

static void deleteSelected(HWND page)
{
    const int i = selectedIndex(page);
    if (i < 0 || shown[i].builtin) return;
    const std::string name = shown[i].name;
    if (MessageBoxA(page, ("Delete the scheme \"" + name + "\"?").c_str(), settingsSheetTitle,
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    std::string error;
    if (!deleteUserScheme(name, &error)) reportSettingsProblem(page, "The scheme was not deleted.\n\n" + error);
    fillSchemeList(page, i + 1 < (int)shown.size() ? shown[i + 1].name : (i > 0 ? shown[i - 1].name : ""));
}

static void createPreviews(HWND page)
{
    RECT r = {buttonsLeft + 6, previewBoxTop + 12, pageWidth - pageMargin - 6, 0};
    MapDialogRect(page, &r);
    HWND active = createCaptionPreview(page, schemeActivePreviewId, r.left, r.top, r.right - r.left, true);
    RECT a;
    GetWindowRect(active, &a);
    createCaptionPreview(page, schemeInactivePreviewId, r.left, r.top + (a.bottom - a.top) + 6, r.right - r.left,
                         false);
}

static void pageCommand(HWND page, int id, int code)
{
    if (id == schemeListId && code == LBN_SELCHANGE) showSelected(page);
    if (id == schemeListId && code == LBN_DBLCLK) applySelected(page);
    if (code != BN_CLICKED) return;
    if (id == applySchemeId) applySelected(page);
    if (id == saveSchemeId) saveCurrent(page);
    if (id == renameSchemeId) renameSelected(page);
    if (id == deleteSchemeId) deleteSelected(page);
}

INT_PTR CALLBACK schemesPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        schemesPageWindow = page;
        createPreviews(page);
        fillSchemeList(page, "");
        return TRUE;
    case WM_COMMAND: pageCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_VKEYTOITEM:
        // In the list, Delete deletes the selected scheme of the user's;
        // Space applies the selected one.
        if ((HWND)lParam != GetDlgItem(page, schemeListId)) return -1;
        if (LOWORD(wParam) == VK_DELETE) {
            deleteSelected(page);
            return -2;
        }
        if (LOWORD(wParam) == VK_SPACE) {
            applySelected(page);
            return -2;
        }
        return -1;
    case WM_NOTIFY: {
        const NMHDR *notice = (const NMHDR *)lParam;
        // The other pages write what they hold; this one has nothing to add.
        if (notice->code == PSN_SETACTIVE) showSelected(page);
        if (notice->code == PSN_APPLY) SetWindowLongA(page, DWL_MSGRESULT, PSNRET_NOERROR);
        return notice->code == PSN_APPLY;
    }
    case WM_DESTROY:
        schemesPageWindow = NULL;
        shown.clear();
        return FALSE;
    }
    return FALSE;
}
