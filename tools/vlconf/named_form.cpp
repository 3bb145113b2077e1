// The named form of vl.ini: "name = value" lines with the descriptions as
// comments. Export and import are exact inverses on the 40 values the engine
// reads: a value no name can say (7 at a flag, 300 at a byte, anything at
// position 17) is written as its raw number under positionN.
#include "tools/vlconf/vlconf.h"

static const char namedFormHeader[] =
    "# varnel settings in named form; \"vlconf import\" turns this back into vl.ini.\n"
    "# One \"name = value\" a line: flags take on or off, bytes 0 to 255,\n"
    "# activeGradientEnd / inactiveGradientEnd a colour #RRGGBB, and positionN the\n"
    "# raw number the file holds at position N. Lines starting with # or ; are\n"
    "# comments. A name left out takes the engine's default.\n";

static std::string defaultText(const SettingPosition &p)
{
    if (p.kind == ignoredValue) return "";
    return ", default " + engineValueText(p, p.defaultValue);
}

std::string exportNamedForm(const int values[settingsPositionCount], const std::string &from)
{
    std::string text = namedFormHeader;
    if (!from.empty()) text += "# Exported from " + from + ".\n";
    for (const SettingPosition &p : settingPositions) {
        int value = values[p.position - 1];
        text += "\n# " + std::to_string(p.position) + ". " + kindText(p.kind) + defaultText(p) + ": " +
                p.description + "\n";
        std::string named = namedValue(p, value);
        if (p.name && !named.empty()) {
            text += std::string(p.name) + " = " + named + "\n";
            continue;
        }
        if (p.name)
            text += "# " + std::string(p.name) + ": the file holds " + std::to_string(value) +
                    ", which the engine takes as " + engineValueText(p, settingFieldValue(p, value)) + "\n";
        text += "position" + std::to_string(p.position) + " = " + std::to_string(value) + "\n";
    }
    return text;
}

bool importNamedForm(const std::string &text, int values[settingsPositionCount], std::string *error,
                     std::vector<std::string> *assignments)
{
    defaultFileValues(values);
    int setOnLine[settingsPositionCount] = {};
    const std::vector<std::string> lines = trimmedLines(text);
    for (size_t n = 0; n < lines.size(); n++) {
        const std::string &line = lines[n];
        const int lineNumber = (int)n + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            *error = where + "\"" + line + "\" is not of the form name = value";
            return false;
        }
        Assignment a;
        std::string message;
        if (!parseAssignment(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)), &a, &message)) {
            *error = where + message;
            return false;
        }
        if (assignments) assignments->push_back(trimmed(line.substr(0, equals)) + "=" + trimmed(line.substr(equals + 1)));
        for (int k = 0; k < a.count; k++) {
            int i = a.positions[k] - 1;
            if (setOnLine[i]) {
                const SettingPosition &p = settingPositions[i];
                *error = where + "position " + std::to_string(p.position) +
                         (p.name ? " (" + std::string(p.name) + ")" : "") + " is already set on line " +
                         std::to_string(setOnLine[i]);
                return false;
            }
            setOnLine[i] = lineNumber;
            values[i] = a.values[k];
        }
    }
    return true;
}
