// Names and values as people write them (gradientSteps=32, macButtons=on,
// activeGradientEnd=#000080) turned into the file values that give them, and
// back; and the nearest names for a misspelt one.
#include <limits.h>
#include <stdlib.h>

#include <algorithm>

#include "tools/vlconf/vlconf.h"

static std::string lower(const std::string &text)
{
    std::string out = text;
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return out;
}

int editDistance(const std::string &a, const std::string &b)
{
    std::string x = lower(a), y = lower(b);
    std::vector<int> previous(y.size() + 1), current(y.size() + 1);
    for (size_t j = 0; j <= y.size(); j++) previous[j] = (int)j;
    for (size_t i = 1; i <= x.size(); i++) {
        current[0] = (int)i;
        for (size_t j = 1; j <= y.size(); j++) {
            int substitute = previous[j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
        }
        previous.swap(current);
    }
    return previous[y.size()];
}

std::vector<std::string> nearestSettingNames(const std::string &name)
{
    std::vector<std::string> candidates;
    for (const SettingPosition &p : settingPositions)
        if (p.name) candidates.push_back(p.name);
    for (const SettingColourEntry &c : settingColours) candidates.push_back(c.name);
    int best = INT_MAX;
    for (const std::string &c : candidates) best = std::min(best, editDistance(name, c));
    std::vector<std::string> nearest;
    for (const std::string &c : candidates)
        if (editDistance(name, c) == best && nearest.size() < 3) nearest.push_back(c);
    return nearest;
}

static std::string unknownNameMessage(const std::string &name)
{
    std::string text = "unknown setting \"" + name + "\"";
    std::vector<std::string> nearest = nearestSettingNames(name);
    for (size_t i = 0; i < nearest.size(); i++) {
        text += i == 0 ? "; did you mean " : i + 1 == nearest.size() ? " or " : ", ";
        text += nearest[i];
    }
    return text + (nearest.empty() ? "" : "?");
}

// A decimal integer with an optional sign and nothing else.
static bool parseInteger(const std::string &text, long long *out)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) i++;
    if (i == text.size() || text.size() - i > 12) return false;
    for (size_t j = i; j < text.size(); j++)
        if (text[j] < '0' || text[j] > '9') return false;
    *out = strtoll(text.c_str(), NULL, 10);
    return true;
}

static bool parseFlag(const std::string &text, int *on)
{
    std::string v = lower(text);
    if (v == "on" || v == "1" || v == "true" || v == "yes") {
        *on = 1;
        return true;
    }
    if (v == "off" || v == "0" || v == "false" || v == "no") {
        *on = 0;
        return true;
    }
    return false;
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static bool parseColour(const std::string &text, int rgb[3])
{
    if (text.size() != 7 || text[0] != '#') return false;
    for (int k = 0; k < 3; k++) {
        int high = hexDigit(text[1 + 2 * k]), low = hexDigit(text[2 + 2 * k]);
        if (high < 0 || low < 0) return false;
        rgb[k] = high * 16 + low;
    }
    return true;
}

// "position17" and the like: the position, or 0.
static int positionNumber(const std::string &name)
{
    std::string n = lower(name);
    if (n.compare(0, 8, "position") != 0 || n.size() == 8 || n.size() > 10) return 0;
    int position = 0;
    for (size_t i = 8; i < n.size(); i++) {
        if (n[i] < '0' || n[i] > '9') return 0;
        position = position * 10 + (n[i] - '0');
    }
    return position;
}

static bool isPositionForm(const std::string &name)
{
    std::string n = lower(name);
    return n.size() > 8 && n.compare(0, 8, "position") == 0 &&
           n.find_first_not_of("0123456789", 8) == std::string::npos;
}

bool parseAssignment(const std::string &name, const std::string &value, Assignment *out, std::string *error)
{
    std::string quoted = "\"" + name + "=" + value + "\"";
    out->count = 0;
    if (isPositionForm(name)) {
        int position = positionNumber(name);
        if (position < 1 || position > settingsPositionCount) {
            *error = "unknown setting \"" + name + "\": vl.ini has positions 1 to 40";
            return false;
        }
        long long raw;
        if (!parseInteger(value, &raw) || raw < INT_MIN || raw > INT_MAX) {
            *error = quoted + ": " + lower(name) + " takes the number the file holds there, a 32-bit integer";
            return false;
        }
        *out = {1, {position}, {(int)raw}};
        return true;
    }
    const SettingColour colour = findSettingColour(name.c_str());
    if (colour != noColour) {
        int rgb[3];
        if (!parseColour(value, rgb)) {
            *error = quoted + ": " + settingColours[colour].name + " is a colour, written #RRGGBB (e.g. #000080)";
            return false;
        }
        out->count = 3;
        settingColourPositions(colour, out->positions);
        for (int k = 0; k < 3; k++) out->values[k] = rgb[k];
        return true;
    }
    const SettingPosition *p = findSettingPosition(name.c_str());
    if (!p) {
        *error = unknownNameMessage(name);
        return false;
    }
    if (p->kind == byteValue) {
        long long number;
        if (!parseInteger(value, &number) || number < 0 || number > 255) {
            *error = quoted + ": " + p->name + " is a byte: give a number from 0 to 255";
            return false;
        }
        *out = {1, {p->position}, {(int)number}};
        return true;
    }
    int on;
    if (!parseFlag(value, &on)) {
        *error = quoted + ": " + p->name + " is a flag: give on or off (also 1/0, true/false, yes/no)";
        return false;
    }
    *out = {1, {p->position}, {settingFileValue(*p, on)}};
    return true;
}

std::string namedValue(const SettingPosition &p, int fileValue)
{
    switch (p.kind) {
    case flagOffWhenOne:
    case flagOnWhenOne:
        if (fileValue != 0 && fileValue != 1) return "";
        return settingFieldValue(p, fileValue) ? "on" : "off";
    case byteValue:
        if (fileValue < 0 || fileValue > 255) return "";
        return std::to_string(fileValue);
    case ignoredValue: break;
    }
    return "";
}

std::string engineValueText(const SettingPosition &p, int fieldValue)
{
    switch (p.kind) {
    case flagOffWhenOne:
    case flagOnWhenOne: return fieldValue ? "on" : "off";
    case byteValue: return std::to_string(fieldValue);
    case ignoredValue: break;
    }
    return "-";
}

// Each kind and each live's two spellings: the token of the table for
// scripts (vlconf reference --tsv) and the words for people.
struct Spellings {
    const char *token;
    const char *text;
};

static Spellings kindSpellings(SettingKind kind)
{
    switch (kind) {
    case flagOffWhenOne: return {"flag-1-off", "flag (1 = off)"};
    case flagOnWhenOne: return {"flag-1-on", "flag (1 = on)"};
    case byteValue: return {"byte", "byte"};
    case ignoredValue: break;
    }
    return {"ignored", "ignored"};
}

static Spellings liveSpellings(SettingLive live)
{
    switch (live) {
    case liveAtOnce: return {"at-once", "at once"};
    case liveOnKeepsOff: return {"on-at-once", "on at once; off keeps windows already changed"};
    case liveNever: break;
    }
    return {"never", "no effect"};
}

const char *kindToken(SettingKind kind) { return kindSpellings(kind).token; }
const char *kindText(SettingKind kind) { return kindSpellings(kind).text; }
const char *liveToken(SettingLive live) { return liveSpellings(live).token; }
const char *liveText(SettingLive live) { return liveSpellings(live).text; }
