// The pages' templates, a row per setting of the engine's table. Every
// control that takes the focus gets a mnemonic of its own within its page:
// the page's own controls first, then the rows in order.
#include "tools/settings/page_templates.h"

#include "tools/settings/settings_sheet.h"

enum : WORD { labelId = 0xFFFF };

// Row geometry, dialog units.
enum {
    firstRowTop = 6,
    rowStep = 13,
    nameLeft = 7,
    checkWidth = 166,
    labelWidth = 90,
    valueLeft = 100,
    byteWidth = 30,
    colourWidth = 40,
    chooserLeft = 143,
    chooserWidth = 34,
    explanationLeft = 180,
    explanationWidth = pageWidth - explanationLeft - 7,
    textHeight = 9,
    editHeight = 12,
};

static const DWORD pageStyle = WS_CHILD | DS_3DLOOK | DS_CONTROL;
static const DWORD labelStyle = SS_LEFT;
static const DWORD editStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
static const DWORD explanationStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;

static void addRow(DialogTemplate *t, const SettingRow &row, short y, std::string *used)
{
    const WORD id = (WORD)(settingControlBase + row.position);
    const std::string name = withMnemonic(row.name, used);
    if (row.kind == flagRow) {
        addDialogItem(t, buttonAtom, BS_AUTOCHECKBOX | WS_TABSTOP, 0, nameLeft, y, checkWidth, 10, id, name.c_str());
    } else {
        // A label's mnemonic moves the focus to the edit after it.
        addDialogItem(t, staticAtom, labelStyle, 0, nameLeft, y + 2, labelWidth, textHeight, labelId, name.c_str());
        const short width = row.kind == colourRow ? colourWidth : byteWidth;
        addDialogItem(t, editAtom, editStyle, 0, valueLeft, y, width, editHeight, id, "");
        if (row.kind == colourRow) {
            const std::string chooser = withMnemonic("Choose...", used);
            addDialogItem(t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, chooserLeft, y - 1, chooserWidth, 14,
                          (WORD)(colourButtonBase + row.position), chooser.c_str());
        }
    }
    addDialogItem(t, staticAtom, explanationStyle, 0, explanationLeft, y + 2, explanationWidth, textHeight, labelId,
                  settingRowExplanation(row).c_str());
}

static void addPreviewFrame(DialogTemplate *t, short top)
{
    addDialogItem(t, buttonAtom, BS_GROUPBOX, 0, nameLeft, top, pageWidth - 2 * nameLeft, pageHeight - top - 4,
                  labelId, "Preview: the captions the engine paints with these settings");
}

// The texts of the list's controls that take mnemonics, in their order.
static const char *const exclusionTexts[] = {"Excluded programs (the engine stays out of them):", "Remove",
                                             "Program file name, such as game.exe:", "Add"};

// Below the rows: the list, and a name to add or the selected one to remove.
static void addExclusionControls(DialogTemplate *t, short top, std::string *used)
{
    const short listTop = top + 12, listWidth = 200, right = nameLeft + listWidth + 8;
    addDialogItem(t, staticAtom, labelStyle, 0, nameLeft, top, 300, textHeight, labelId,
                  withMnemonic(exclusionTexts[0], used).c_str());
    addDialogItem(t, "LISTBOX",
                  LBS_NOTIFY | LBS_WANTKEYBOARDINPUT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
                  0, nameLeft, listTop, listWidth, pageHeight - listTop - 6, excludedListId, "");
    addDialogItem(t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, right, listTop, 50, 14, removeProgramId,
                  withMnemonic(exclusionTexts[1], used).c_str());
    addDialogItem(t, staticAtom, labelStyle, 0, right, listTop + 22, 200, textHeight, labelId,
                  withMnemonic(exclusionTexts[2], used).c_str());
    addDialogItem(t, editAtom, editStyle, 0, right, listTop + 33, 120, editHeight, programNameId, "");
    addDialogItem(t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, right + 124, listTop + 32, 50, 14, addProgramId,
                  withMnemonic(exclusionTexts[3], used).c_str());
}

void buildPageTemplate(SettingsPage page, DialogTemplate *t)
{
    beginDialogTemplate(t, pageStyle, 0, 0, 0, pageWidth, pageHeight, settingsPageTitles[page], 8, "MS Sans Serif");
    std::string used;
    const std::vector<SettingRow> rows = settingRows(page);
    short y = firstRowTop;
    // The list's controls come after the rows in the tab order but take
    // their mnemonics first, so that those stay the same whatever the rows.
    if (page == windowsPage)
        for (const char *text : exclusionTexts) withMnemonic(text, &used);
    for (const SettingRow &row : rows) {
        addRow(t, row, y, &used);
        y += rowStep;
    }
    if (page == captionsPage) addPreviewFrame(t, y + 2);
    if (page == windowsPage) {
        std::string again;
        addExclusionControls(t, y + 4, &again);
    }
}
