// vl.ini as the engine reads it: the same text-mode open, the same reader,
// the same rules and forcings; and the list of what in a file will surprise
// its owner, each with the line it stands on.
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "tools/vlconf/vlconf.h"

SettingsRecord settingsFromValues(const int values[settingsPositionCount])
{
    SettingsRecord record;
    resetSettings(&record);
    applySettingsValues(values, &record);
    return record;
}

void defaultFileValues(int values[settingsPositionCount])
{
    for (const SettingPosition &p : settingPositions) values[p.position - 1] = settingFileValue(p, p.defaultValue);
}

std::string canonicalSettingsText(const int values[settingsPositionCount])
{
    std::string text;
    for (int i = 0; i < settingsPositionCount; i++) text += std::to_string(values[i]) + "\r\n";
    return text;
}

static const SettingPosition &at(int position) { return settingPositions[position - 1]; }

static std::string positionName(int position)
{
    const SettingPosition &p = at(position);
    return "position " + std::to_string(position) + (p.name ? " (" + std::string(p.name) + ")" : "");
}

std::vector<std::string> forcingNotes(const int values[settingsPositionCount])
{
    std::vector<std::string> notes;
    SettingsRecord record = settingsFromValues(values);
    for (const SettingPosition &p : settingPositions) {
        if (!p.forcedOffBy) continue;
        const SettingPosition &by = at(p.forcedOffBy);
        if (record.*by.field == 1 && settingFieldValue(p, values[p.position - 1]) == 1)
            notes.push_back(std::string(p.name) + " stays off while " + by.name + " is on: " + p.forcedOffWhy);
    }
    return notes;
}

// The token the reader stopped at, read on from where it left it.
static std::string readWord(FILE *f, int sign)
{
    std::string word;
    if (sign) word += (char)sign;
    int c;
    while ((c = fgetc(f)) != EOF && !strchr(" \t\r\n\v\f", c)) {
        if (word.size() < 40) word += (char)c;
    }
    if (c != EOF) ungetc(c, f);
    return word;
}

// What lies after the point where the engine stops reading: numbers and
// words, and the line of the first of them.
struct Rest {
    int numbers = 0;
    int words = 0;
    int firstLine = 0;
};

static Rest scanRest(FILE *f, int line)
{
    Rest rest;
    for (;;) {
        SettingsReader reader;
        beginSettingsRead(&reader, f);
        reader.line = line;
        int value = 0;
        while (readSettingsValue(&reader, &value)) {
            if (!rest.firstLine) rest.firstLine = reader.line;
            rest.numbers++;
        }
        line = reader.line;
        if (!reader.stoppedAtWord) return rest;
        if (!rest.firstLine) rest.firstLine = reader.line;
        rest.words++;
        readWord(f, 0);
    }
}

static std::string plural(int n, const char *one, const char *many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// msvcrt's text mode ends a file at a Ctrl-Z, so whatever follows it is never
// read by the engine; a binary look finds it.
static void findEndOfFileMark(const std::string &path, std::vector<Finding> *findings)
{
    std::string bytes, error;
    if (!readWholeFile(path, &bytes, &error)) return;
    size_t mark = bytes.find('\x1a');
    if (mark == std::string::npos) return;
    if (bytes.find_first_not_of(" \t\r\n\x1a", mark) == std::string::npos) return;
    int line = 1 + (int)std::count(bytes.begin(), bytes.begin() + mark, '\n');
    findings->push_back({line, "a Ctrl-Z character ends the file for the engine: nothing after it is read"});
}

static std::string onLine(int line) { return line ? ", line " + std::to_string(line) : ""; }

static void addValueFindings(const VlIni &ini, int ownValues, std::vector<Finding> *findings)
{
    const SettingsFileValues &read = ini.read;
    for (const SettingPosition &p : settingPositions) {
        int i = p.position - 1;
        int value = read.values[i];
        std::string repeated =
            i < ownValues ? "" : read.lines[i] ? " (repeated from line " + std::to_string(read.lines[i]) + ")" : " (repeated)";
        if (p.kind == byteValue && (value < 0 || value > 255))
            findings->push_back({read.lines[i], positionName(p.position) + " is " + std::to_string(value) + repeated +
                                                    ", which the engine stores as " + std::to_string(value & 0xFF) +
                                                    ": a byte keeps its low 8 bits"});
        if (i < ownValues && read.wrapped[i])
            findings->push_back({read.lines[i], "the number for " + positionName(p.position) +
                                                    " does not fit 32 bits: the engine reads it as " +
                                                    std::to_string(value)});
    }
    const int *v = read.values;
    for (const SettingPosition &p : settingPositions) {
        if (!p.forcedOffBy) continue;
        const SettingPosition &by = at(p.forcedOffBy);
        const int i = p.position - 1, b = by.position - 1;
        if (settingFieldValue(by, v[b]) == 1 && settingFieldValue(p, v[i]) == 1)
            findings->push_back({read.lines[b], std::string(by.name) + " (position " + std::to_string(by.position) +
                                                    ") is on (" + std::to_string(v[b]) + "), which forces " + p.name +
                                                    " (position " + std::to_string(p.position) + onLine(read.lines[i]) +
                                                    ") off"});
    }
}

bool readVlIni(const std::string &path, VlIni *ini, std::string *error)
{
    // Text mode, as the engine reads it: line breaks and Ctrl-Z behave alike.
    FILE *f = openTextForReading(path, error);
    if (!f) return false;
    ini->path = path;
    ini->findings.clear();
    SettingsReader reader;
    beginSettingsRead(&reader, f);
    readSettingsValues(&reader, &ini->read);
    ini->record = settingsFromValues(ini->read.values);
    const int own = ini->read.ownValues;

    std::vector<Finding> &findings = ini->findings;
    if (reader.stoppedAtWord) {
        int stopLine = reader.line;
        std::string word = readWord(f, reader.stopSign);
        Rest rest = scanRest(f, stopLine);
        std::string text = "\"" + word + "\" is not a number: the engine stops reading here";
        if (rest.numbers)
            text += ", so the " + plural(rest.numbers, "number", "numbers") + " after it " +
                    (rest.numbers == 1 ? "is" : "are") + " never read";
        findings.push_back({stopLine, text});
    } else if (!reader.stuck) {
        Rest rest = scanRest(f, reader.line);
        if (rest.numbers + rest.words)
            findings.push_back({rest.firstLine, plural(rest.numbers + rest.words, "more value", "more values") +
                                                    " after position 40 " +
                                                    (rest.numbers + rest.words == 1 ? "is" : "are") + " ignored"});
    }
    fclose(f);

    if (own == 0) {
        findings.push_back({0, "the engine reads no number from this file: every position takes 0"});
    } else if (own < settingsPositionCount) {
        std::string which = own + 1 == settingsPositionCount
                                ? positionName(settingsPositionCount) + " repeats"
                                : "positions " + std::to_string(own + 1) + " to 40 repeat";
        findings.push_back({ini->read.lines[own - 1], "only " + plural(own, "value is", "values are") +
                                                          " read: " + which + " this line's value, " +
                                                          std::to_string(ini->read.values[own - 1])});
    }
    addValueFindings(*ini, own, &findings);
    findEndOfFileMark(path, &findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
    return true;
}
