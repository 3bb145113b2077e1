// The settings window's state and its writing, apart from any window.
#include "tools/settings/settings_edit.h"

#include <string.h>

#include "engine/engine_files.h"
#include "engine/program_exclusion.h"
#include "engine/settings_generation.h"

SettingsEditRecord SettingsEdit;

std::vector<SettingRow> settingRows(SettingsPage page)
{
    std::vector<SettingRow> rows;
    for (int g = 0; g < settingGroupCount; g++) {
        if (settingGroups[g].page != page) continue;
        for (const SettingPosition &p : settingPositions) {
            if (!p.name || p.group != g) continue;
            if (p.colour == noColour) {
                rows.push_back({p.name, p.label, p.description, p.kind == byteValue ? byteRow : flagRow, p.position,
                                p.group});
                continue;
            }
            int positions[3];
            settingColourPositions(p.colour, positions);
            if (positions[0] != p.position) continue;  // the colour's row stands at its first position
            const SettingColourEntry &c = settingColours[p.colour];
            rows.push_back({c.name, c.label, c.help, colourRow, p.position, p.group});
        }
    }
    return rows;
}

static const SettingPosition &positionOf(const SettingRow &row) { return settingPositions[row.position - 1]; }

std::string settingRowTip(const SettingRow &row) { return std::string(row.name) + ": " + row.help; }

static int fieldAt(int position)
{
    return settingFieldValue(settingPositions[position - 1], SettingsEdit.values[position - 1]);
}

void settingRowColour(const SettingRow &row, int rgb[3])
{
    int positions[3];
    settingColourPositions(positionOf(row).colour, positions);
    for (int k = 0; k < 3; k++) rgb[k] = fieldAt(positions[k]);
}

std::string settingRowText(const SettingRow &row)
{
    char text[16];
    if (row.kind == colourRow) {
        int rgb[3];
        settingRowColour(row, rgb);
        snprintf(text, sizeof text, "#%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
        return text;
    }
    if (row.kind == byteRow) return std::to_string(fieldAt(row.position));
    return "";
}

bool settingRowOn(const SettingRow &row) { return fieldAt(row.position) != 0; }

bool takeSettingRowText(const SettingRow &row, const std::string &text, std::string *error)
{
    // A value the engine already takes this way keeps its file form (300 in
    // a byte position is shown as 44 and stays 300 until it is changed).
    if (text == settingRowText(row)) return true;
    Assignment a;
    if (!parseAssignment(row.name, text, &a, error)) return false;
    for (int k = 0; k < a.count; k++) SettingsEdit.values[a.positions[k] - 1] = a.values[k];
    return true;
}

void takeSettingRowFlag(const SettingRow &row, bool on)
{
    if (settingRowOn(row) == on) return;
    const SettingPosition &p = positionOf(row);
    SettingsEdit.values[row.position - 1] = settingFileValue(p, on ? 1 : 0);
}

bool settingRowForcedOff(const SettingRow &row)
{
    const int by = positionOf(row).forcedOffBy;
    return by && fieldAt(by) == 1;
}

// ---- Files ----

bool loadSettingsEdit(const std::string &settingsPath, const std::string &listPath, std::string *error)
{
    SettingsEditRecord &e = SettingsEdit;
    e.makeEngineFolder = settingsPath.empty() || listPath.empty();
    e.settingsPath = settingsPath.empty() ? engineSettingsPath() : settingsPath;
    e.listPath = listPath.empty() ? engineFolderFile(exclusionListSuffix, false) : listPath;
    e.settingsFileFound = fileExists(e.settingsPath);
    if (e.settingsFileFound) {
        VlIni ini;
        if (!readVlIni(e.settingsPath, &ini, error)) return false;
        memcpy(e.values, ini.read.values, sizeof e.values);
    } else {
        defaultFileValues(e.values);
    }
    memcpy(e.written, e.values, sizeof e.written);
    e.writtenList.clear();
    if (fileExists(e.listPath) && !readWholeFile(e.listPath, &e.writtenList, error)) return false;
    e.list = e.writtenList;
    return true;
}

bool settingsEditChanged()
{
    const SettingsEditRecord &e = SettingsEdit;
    return !e.settingsFileFound || memcmp(e.values, e.written, sizeof e.values) != 0 || e.list != e.writtenList;
}

// Each named position as the file value that gives what the engine takes
// from it: a byte's low 8 bits, a flag as 0 or 1, a flag another position
// forces off as off. The engine reads the same, and vlconf check finds
// nothing to report.
static void putInEngineForm(int values[settingsPositionCount])
{
    const SettingsRecord taken = settingsFromValues(values);
    for (const SettingPosition &p : settingPositions)
        if (p.field) values[p.position - 1] = settingFileValue(p, taken.*p.field);
}

bool writeSettingsEdit(std::string *error)
{
    SettingsEditRecord &e = SettingsEdit;
    if (e.makeEngineFolder) engineFolderFile(engineFolderSuffix, true);
    bool wrote = false;
    if (!e.settingsFileFound || memcmp(e.values, e.written, sizeof e.values) != 0) {
        putInEngineForm(e.values);
        if (!replaceFile(e.settingsPath, canonicalSettingsText(e.values), error)) return false;
        memcpy(e.written, e.values, sizeof e.written);
        e.settingsFileFound = true;
        wrote = true;
    }
    if (e.list != e.writtenList) {
        if (!replaceFile(e.listPath, e.list, error)) {
            if (wrote) {
                *error = e.settingsPath + " was written, the exclusion list was not: " + *error;
            }
            return false;
        }
        e.writtenList = e.list;
        wrote = true;
    }
    return true;
}

// ---- The exclusion list ----

// The edited list kept when the edit changed it; otherwise why not.
static bool keepListEdit(const std::string &edited, bool changed, const std::string &unchanged, std::string *error)
{
    if (!changed) {
        *error = unchanged;
        return false;
    }
    SettingsEdit.list = edited;
    return true;
}

bool excludeProgram(const std::string &program, std::string *error)
{
    if (!validProgramName(program, error)) return false;
    bool changed = false;
    const std::string edited = addExcludedProgram(SettingsEdit.list, program, &changed);
    return keepListEdit(edited, changed, program + " is already in the list", error);
}

bool includeProgram(const std::string &program, std::string *error)
{
    bool changed = false;
    const std::string edited = removeExcludedProgram(SettingsEdit.list, program, &changed);
    return keepListEdit(edited, changed, program + " is not in the list", error);
}

// ---- Keyboard ----

static char lowerLetter(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

std::string withMnemonic(const std::string &text, std::string *used)
{
    for (size_t i = 0; i < text.size(); i++) {
        const char c = lowerLetter(text[i]);
        if (c < 'a' || c > 'z' || c == 'a' || used->find(c) != std::string::npos) continue;
        *used += c;
        return text.substr(0, i) + "&" + text.substr(i);
    }
    return text;
}
