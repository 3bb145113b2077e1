// What the settings window edits, apart from any window: the 40 values of
// vl.ini and the exclusion list as they will be written, where they are
// written, the rows of each page (from the engine's table), and the writing itself (vlconf's
// safe write, then the settings generation bumped so running programs follow).
#pragma once

#include <string>
#include <vector>

#include "tools/vlconf/vlconf.h"

struct SettingsEditRecord {
    std::string settingsPath;  // the vl.ini written by Apply
    std::string listPath;      // the exclusion list written by Apply
    bool settingsFileFound;    // false: the window started from the defaults
    bool makeEngineFolder;     // the paths are the engine folder's: Apply creates it when missing
    int values[settingsPositionCount];   // file values, index 0 is position 1
    int written[settingsPositionCount];  // what the file holds (or would, for the defaults)
    std::string list;                    // the exclusion list as it will be written
    std::string writtenList;             // as it stands on disk ("" when there is none)
};

extern SettingsEditRecord SettingsEdit;

// Reads vl.ini at settingsPath (the defaults when there is no such file) and
// the list at listPath (empty when there is none). An empty path stands for
// the engine's own file: the vl.ini the engine reads, the engine folder's
// list. False, with the reason, only for a file that exists and cannot be
// read.
bool loadSettingsEdit(const std::string &settingsPath, const std::string &listPath, std::string *error);

// Whether Apply has anything to write.
bool settingsEditChanged();

// Writes vl.ini (40 values, one a line) and the list where they differ from
// what is on disk, each through replaceFile, then announces the change to
// running programs. False with the reason when a write failed; what was
// written before the failure stays written (and announced), and the reason
// says so.
bool writeSettingsEdit(std::string *error);

// ---- Settings as the pages show them ----

// The pages and their groups are the engine's table's (engine/settings.h).
typedef SettingPage SettingsPage;
static const char *const *const settingsPageTitles = settingPageTitles;

// One row of a page: a flag, a byte, or one of the gradient end colours
// (three byte positions shown as one #RRGGBB value), with what the table
// says of it.
enum SettingRowKind { flagRow, byteRow, colourRow };
struct SettingRow {
    const char *name;   // the identifier vl.ini's named form and vlconf use
    const char *label;  // for people
    const char *help;
    SettingRowKind kind;
    int position;       // the position (the first of three for a colour)
    SettingGroup group;
};

// The rows of a page, group by group in the table's order, each group's
// rows in position order; every named position is on exactly one page.
std::vector<SettingRow> settingRows(SettingsPage page);

// The tooltip of a row's controls: the identifier, then the help text.
std::string settingRowTip(const SettingRow &row);

// The three values of a colour row as the engine takes them, red first.
void settingRowColour(const SettingRow &row, int rgb[3]);

// The text a row's control shows for the values being edited: "#RRGGBB" for
// a colour, the byte the engine takes for a byte, "" for a flag.
std::string settingRowText(const SettingRow &row);
// Whether a flag row is on, as the engine takes it (forcings aside).
bool settingRowOn(const SettingRow &row);

// Takes what a row's control now says into the values: a flag's state, or
// the text typed for a byte or a colour. False with vlconf's message (naming
// the setting and the values it takes) when the text is not one; the values
// are then left as they were.
bool takeSettingRowText(const SettingRow &row, const std::string &text, std::string *error);
void takeSettingRowFlag(const SettingRow &row, bool on);

// Whether the flag the table names as forcing this row off is on in the
// values being edited.
bool settingRowForcedOff(const SettingRow &row);

// ---- The exclusion list ----

// The programs the list names: listedPrograms (tools/vlconf/vlconf.h).

// Adds or removes a program in SettingsEdit.list. False with the reason for
// a name the list cannot hold, or one already in (or not in) the list.
bool excludeProgram(const std::string &program, std::string *error);
bool includeProgram(const std::string &program, std::string *error);

// ---- Keyboard ----

// text with "&" before the first letter not yet in *used (and not 'a', which
// the sheet's Apply button holds); the letter is added to *used. Unchanged
// when every letter of the text is taken.
std::string withMnemonic(const std::string &text, std::string *used);
