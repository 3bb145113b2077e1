// The pages' templates, a group box per group of the engine's table and a
// row per setting in it, and a help line below the groups. The groups stand in two columns, the first groups
// of the page in the left one, split where the taller column is shortest;
// the tab order runs down the left column, then down the right one. Every
// control that takes the focus gets a mnemonic of its own within its page:
// the page's own controls first, then the rows in order.
#include "tools/settings/page_templates.h"

#include "tools/settings/settings_sheet.h"

short previewTop;

const char helpLineHint[] = "Move to a setting, or rest the mouse on it, to see its name and what it does.";

// Geometry, dialog units.
enum {
    columnGap = 6,
    columnWidth = (pageWidth - 2 * pageMargin - columnGap) / 2,
    groupFirstRow = 11,  // from a group box's top to its first row, below the title
    groupBottom = 5,     // from the last row to the box's bottom
    groupGap = 4,
    rowStep = 13,
    rowIndent = 7,
    checkWidth = columnWidth - 2 * rowIndent,
    labelWidth = 116,
    valueLeft = labelWidth + 2,
    byteWidth = 30,
    colourWidth = 40,
    chooserLeft = valueLeft + colourWidth + 2,
    chooserWidth = 34,
    editHeight = 12,
};

static const DWORD labelStyle = SS_LEFT;
static const DWORD editStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

void beginPageTemplate(DialogTemplate *t, const char *title)
{
    beginDialogTemplate(t, WS_CHILD | DS_3DLOOK | DS_CONTROL, 0, 0, 0, pageWidth, pageHeight, title, 8,
                        "MS Sans Serif");
}

static void addRow(DialogTemplate *t, const SettingRow &row, short x, short y, std::string *used)
{
    const WORD id = (WORD)(settingControlBase + row.position);
    const std::string label = withMnemonic(row.label, used);
    // BS_NOTIFY: the page hears of the focus, for its help line.
    if (row.kind == flagRow) {
        addDialogItem(t, buttonAtom, BS_AUTOCHECKBOX | BS_NOTIFY | WS_TABSTOP, 0, x, y, checkWidth, 10, id,
                      label.c_str());
        return;
    }
    // A label's mnemonic moves the focus to the edit after it.
    addDialogItem(t, staticAtom, labelStyle, 0, x, y + 2, labelWidth, pageTextHeight, labelId, label.c_str());
    const short width = row.kind == colourRow ? colourWidth : byteWidth;
    addDialogItem(t, editAtom, editStyle, 0, x + valueLeft, y, width, editHeight, id, "");
    if (row.kind == colourRow) {
        const std::string chooser = withMnemonic("Choose...", used);
        addDialogItem(t, buttonAtom, BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP, 0, x + chooserLeft, y - 1, chooserWidth, 14,
                      (WORD)(colourButtonBase + row.position), chooser.c_str());
    }
}

struct PageGroup {
    SettingGroup group;
    std::vector<SettingRow> rows;
    short height;
};

static std::vector<PageGroup> pageGroups(SettingsPage page)
{
    std::vector<PageGroup> groups;
    for (const SettingRow &row : settingRows(page)) {
        if (groups.empty() || groups.back().group != row.group) groups.push_back({row.group, {}, 0});
        groups.back().rows.push_back(row);
    }
    for (PageGroup &g : groups) g.height = (short)(groupFirstRow + (int)g.rows.size() * rowStep + groupBottom);
    return groups;
}

static short columnHeight(const std::vector<PageGroup> &groups, size_t from, size_t to)
{
    short height = 0;
    for (size_t i = from; i < to; i++) height = (short)(height + groups[i].height + (i > from ? groupGap : 0));
    return height;
}

// Lays the groups out; returns the bottom of the taller column.
static short addGroups(DialogTemplate *t, SettingsPage page, short top, std::string *used)
{
    const std::vector<PageGroup> groups = pageGroups(page);
    size_t split = groups.size();
    short tallest = columnHeight(groups, 0, groups.size());
    for (size_t k = 1; k < groups.size(); k++) {
        const short left = columnHeight(groups, 0, k), right = columnHeight(groups, k, groups.size());
        const short taller = left > right ? left : right;
        if (taller < tallest) tallest = taller, split = k;
    }
    short y = top;
    short x = pageMargin;
    for (size_t i = 0; i < groups.size(); i++) {
        if (i == split) y = top, x = pageMargin + columnWidth + columnGap;
        const PageGroup &g = groups[i];
        // The box's title takes no mnemonic: its letters are the rows'.
        addDialogItem(t, buttonAtom, BS_GROUPBOX, 0, x, y, columnWidth, g.height, labelId,
                      settingGroups[g.group].title);
        short rowTop = (short)(y + groupFirstRow);
        for (const SettingRow &row : g.rows) {
            addRow(t, row, (short)(x + rowIndent), rowTop, used);
            rowTop = (short)(rowTop + rowStep);
        }
        y = (short)(y + g.height + groupGap);
    }
    return (short)(top + tallest);
}

static void addPreviewFrame(DialogTemplate *t, short top)
{
    addDialogItem(t, buttonAtom, BS_GROUPBOX, 0, pageMargin, top, pageWidth - 2 * pageMargin, pageHeight - top - 4,
                  labelId, "Preview: the title bars the engine paints with these settings");
    previewTop = (short)(top + 14);
}

// The texts of the list's controls that take mnemonics, in their order.
static const char *const exclusionTexts[] = {"Excluded programs (the engine stays out of them):", "Remove",
                                             "Program file name, such as game.exe:", "Add"};

// Below the groups: the list, and a name to add or the selected one to remove.
static void addExclusionControls(DialogTemplate *t, short top, std::string *used)
{
    const short listTop = top + 12, listWidth = 200, right = pageMargin + listWidth + 8;
    addDialogItem(t, staticAtom, labelStyle, 0, pageMargin, top, 300, pageTextHeight, labelId,
                  withMnemonic(exclusionTexts[0], used).c_str());
    addDialogItem(t, "LISTBOX",
                  LBS_NOTIFY | LBS_WANTKEYBOARDINPUT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
                  0, pageMargin, listTop, listWidth, pageHeight - listTop - 6, excludedListId, "");
    addDialogItem(t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, right, listTop, 50, 14, removeProgramId,
                  withMnemonic(exclusionTexts[1], used).c_str());
    addDialogItem(t, staticAtom, labelStyle, 0, right, listTop + 22, 200, pageTextHeight, labelId,
                  withMnemonic(exclusionTexts[2], used).c_str());
    addDialogItem(t, editAtom, editStyle, 0, right, listTop + 33, 120, editHeight, programNameId, "");
    addDialogItem(t, buttonAtom, BS_PUSHBUTTON | WS_TABSTOP, 0, right + 124, listTop + 32, 50, 14, addProgramId,
                  withMnemonic(exclusionTexts[3], used).c_str());
}

void buildPageTemplate(SettingsPage page, DialogTemplate *t)
{
    beginPageTemplate(t, settingsPageTitles[page]);
    std::string used;
    // The list's controls come after the rows in the tab order but take
    // their mnemonics first, so that those stay the same whatever the rows.
    if (page == windowsPage)
        for (const char *text : exclusionTexts) withMnemonic(text, &used);
    short bottom = addGroups(t, page, 4, &used);
    addDialogItem(t, staticAtom, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, pageMargin, (short)(bottom + 3),
                  pageWidth - 2 * pageMargin, pageTextHeight, helpLineId, helpLineHint);
    bottom = (short)(bottom + 3 + pageTextHeight);
    if (page == captionsPage) addPreviewFrame(t, (short)(bottom + 4));
    if (page == windowsPage) {
        std::string again;
        addExclusionControls(t, (short)(bottom + 6), &again);
    }
}
