// The commands of vlconf. Every command checks all of its arguments before it
// touches a file, so that a mistake leaves the file as it was.
#include <stdio.h>
#include <string.h>

#include "engine/program_exclusion.h"
#include "engine/settings_generation.h"
#include "tools/vlconf/vlconf.h"
#include "varnel_version.h"

typedef std::vector<std::string> Arguments;

int vlconfFail(int code, const std::string &message)
{
    fprintf(stderr, "vlconf: %s\n", message.c_str());
    return code;
}

int vlconfUsageError(const std::string &message, const char *usage)
{
    fprintf(stderr, "vlconf: %s\n%s", message.c_str(), usage);
    return exitUsage;
}

void vlconfSay(const std::string &text) { fwrite(text.data(), 1, text.size(), stdout); }

// The whole usage, after a blank line.
static int usageError(const std::string &message) { return vlconfUsageError(message + "\n", usageText); }

static int writeOrPrint(const std::string &out, const std::string &content)
{
    if (out.empty()) {
        vlconfSay(content);
        return exitOk;
    }
    std::string error;
    if (!replaceFile(out, content, &error)) return vlconfFail(exitFileError, error);
    return exitOk;
}

static bool tooMany(const Arguments &args, size_t most, int *code)
{
    if (args.size() <= most) return false;
    *code = usageError("too many arguments: \"" + args[most] + "\"");
    return true;
}

// The arguments without the one option a command knows (*given: whether it
// was there); false with the usage when there is another option.
static bool withoutOption(const Arguments &all, const char *option, bool *given, Arguments *rest, int *code)
{
    *given = false;
    for (const std::string &arg : all) {
        if (arg == option) {
            *given = true;
        } else if (!arg.empty() && arg[0] == '-') {
            *code = usageError("unknown option \"" + arg + "\"");
            return false;
        } else {
            rest->push_back(arg);
        }
    }
    return true;
}

// The one FILE that show and check may be given (the vl.ini the engine would
// read when none), read as the engine reads it; false with the exit code when
// there is more or it cannot be read.
static bool readGivenOrEngineVlIni(const Arguments &args, VlIni *ini, int *code)
{
    if (tooMany(args, 1, code)) return false;
    std::string error;
    if (readVlIni(args.empty() ? engineSettingsPath() : args[0], ini, &error)) return true;
    *code = vlconfFail(exitFileError, error);
    return false;
}

static int showCommand(const Arguments &args)
{
    VlIni ini;
    int code;
    if (!readGivenOrEngineVlIni(args, &ini, &code)) return code;
    const int *values = ini.read.values;
    const SettingsRecord &r = ini.record;
    std::string text = ini.path + "\n";
    char line[400];
    snprintf(line, sizeof line, "%3s %-22s %6s  %-6s  %s\n", "Pos", "Name", "File", "Engine", "What it does");
    text += line;
    for (const SettingPosition &p : settingPositions) {
        int value = values[p.position - 1];
        std::string engine = p.field ? engineValueText(p, r.*p.field) : "-";
        if (p.field && r.*p.field != settingFieldValue(p, value)) engine += "*";
        snprintf(line, sizeof line, "%3d %-22s %6d  %-6s  %s\n", p.position, p.name ? p.name : "(ignored)", value,
                 engine.c_str(), p.description);
        text += line;
    }
    for (const SettingPosition &p : settingPositions) {
        if (!p.forcedOffBy || r.*p.field == settingFieldValue(p, values[p.position - 1])) continue;
        text += std::string("* ") + p.name + " is forced off: " + settingPositions[p.forcedOffBy - 1].name + " (" +
                std::to_string(p.forcedOffBy) + ") is on\n";
    }
    if (r.animateWindows == 0)
        text += "Show animations are off altogether: animateMainWindows and animateMenus are both off.\n";
    if (!ini.findings.empty())
        text += "\"vlconf check\" has " + std::to_string(ini.findings.size()) +
                (ini.findings.size() == 1 ? " finding" : " findings") + " for this file.\n";
    vlconfSay(text);
    return exitOk;
}

static std::string valueForPeople(int position, int value)
{
    const SettingPosition &p = settingPositions[position - 1];
    std::string named = namedValue(p, value);
    return named.empty() ? std::to_string(value) + " (raw)" : named;
}

static int setCommand(const Arguments &args)
{
    std::vector<Assignment> assignments;
    std::string path;
    int setBy[settingsPositionCount] = {};
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        size_t equals = arg.find('=');
        if (equals == std::string::npos) {
            if (!path.empty()) return usageError("more than one file given: \"" + path + "\" and \"" + arg + "\"");
            path = arg;
            continue;
        }
        Assignment a;
        std::string error;
        if (!parseAssignment(arg.substr(0, equals), arg.substr(equals + 1), &a, &error))
            return vlconfFail(exitUsage, error + "; nothing was changed");
        for (int k = 0; k < a.count; k++) {
            int i2 = a.positions[k] - 1;
            if (setBy[i2])
                return vlconfFail(exitUsage, "position " + std::to_string(a.positions[k]) + " is set twice (\"" +
                                                 args[setBy[i2] - 1] + "\" and \"" + arg + "\"); nothing was changed");
            setBy[i2] = (int)i + 1;
        }
        assignments.push_back(a);
    }
    if (assignments.empty()) return usageError("set needs at least one NAME=VALUE");
    if (path.empty()) path = engineSettingsPath();

    VlIni ini;
    std::string error;
    if (!readVlIni(path, &ini, &error))
        return vlconfFail(exitFileError, error + " (\"vlconf new\" writes one with the defaults)");
    std::string before;
    if (!readWholeFile(path, &before, &error)) return vlconfFail(exitFileError, error);

    int values[settingsPositionCount];
    memcpy(values, ini.read.values, sizeof values);
    for (const Assignment &a : assignments)
        for (int k = 0; k < a.count; k++) values[a.positions[k] - 1] = a.values[k];

    std::string text = canonicalSettingsText(values);
    if (text != before && !replaceFile(path, text, &error)) return vlconfFail(exitFileError, error);

    std::string report;
    for (int i = 0; i < settingsPositionCount; i++) {
        if (!setBy[i]) continue;
        const SettingPosition &p = settingPositions[i];
        std::string name = p.name ? p.name : "position" + std::to_string(p.position);
        std::string from = valueForPeople(p.position, ini.read.values[i]), to = valueForPeople(p.position, values[i]);
        report += name + ": " + (from == to ? to + " (unchanged)" : from + " -> " + to) + "\n";
    }
    if (before != canonicalSettingsText(ini.read.values))
        report += "note: " + path + " is now written as 40 values, one a line; what the engine reads is "
                  "otherwise as before\n";
    for (const std::string &note : forcingNotes(values)) report += "note: " + note + "\n";
    vlconfSay(report);
    return exitOk;
}

static int newCommand(const Arguments &args)
{
    bool force = false;
    std::string path;
    for (const std::string &arg : args) {
        if (arg == "--force") {
            force = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option \"" + arg + "\"");
        } else if (!path.empty()) {
            return usageError("more than one file given: \"" + path + "\" and \"" + arg + "\"");
        } else {
            path = arg;
        }
    }
    if (path.empty()) path = engineFolderFile(settingsFileSuffix, true);
    if (fileExists(path) && !force)
        return vlconfFail(exitUsage, path + " exists already; add --force to replace it with the defaults");
    int values[settingsPositionCount];
    defaultFileValues(values);
    std::string error;
    if (!replaceFile(path, canonicalSettingsText(values), &error)) return vlconfFail(exitFileError, error);
    vlconfSay("wrote the engine's defaults to " + path + "\n");
    return exitOk;
}

static int checkCommand(const Arguments &args)
{
    VlIni ini;
    int code;
    if (!readGivenOrEngineVlIni(args, &ini, &code)) return code;
    std::string text;
    for (const Finding &f : ini.findings)
        text += ini.path + (f.line ? ":" + std::to_string(f.line) : std::string()) + ": " + f.text + "\n";
    if (ini.findings.empty()) text = ini.path + ": 40 values, each read as written\n";
    vlconfSay(text);
    return ini.findings.empty() ? exitOk : exitFindings;
}

static int exportCommand(const Arguments &args)
{
    int code;
    if (args.empty()) return usageError("export needs the vl.ini to read");
    if (tooMany(args, 2, &code)) return code;
    VlIni ini;
    std::string error;
    if (!readVlIni(args[0], &ini, &error)) return vlconfFail(exitFileError, error);
    // Text files for people get Windows line breaks, on screen and on disk alike.
    const std::string text = markedBefore(exportNamedForm(ini.read.values, ini.path), '\n', '\r');
    return writeOrPrint(args.size() > 1 ? args[1] : "", text);
}

static int importCommand(const Arguments &all)
{
    int code;
    Arguments args;
    bool listOnly;
    if (!withoutOption(all, "--assignments", &listOnly, &args, &code)) return code;
    if (args.empty()) return usageError("import needs the named file to read");
    if (tooMany(args, listOnly ? 1 : 2, &code)) return code;
    std::string text, error;
    if (!readWholeFile(args[0], &text, &error)) return vlconfFail(exitFileError, error);
    int values[settingsPositionCount];
    std::vector<std::string> assignments;
    if (!importNamedForm(text, values, &error, &assignments))
        return vlconfFail(exitUsage, args[0] + ": " + error + "; nothing was written");
    if (listOnly) {
        // For scripts that hand them on to "vlconf set" after settings of their own.
        std::string lines;
        for (const std::string &a : assignments) lines += a + "\n";
        vlconfSay(lines);
        return exitOk;
    }
    for (const std::string &note : forcingNotes(values)) fprintf(stderr, "vlconf: note: %s\n", note.c_str());
    const int written = writeOrPrint(args.size() > 1 ? args[1] : "", canonicalSettingsText(values));
    return written;
}

static int exclusionCommand(const Arguments &args, bool exclude)
{
    int code;
    if (args.empty()) return usageError(std::string(exclude ? "exclude" : "include") + " needs a program file name");
    if (tooMany(args, 2, &code)) return code;
    std::string error;
    if (!validProgramName(args[0], &error)) return vlconfFail(exitUsage, error);
    std::string path = args.size() > 1 ? args[1] : engineFolderFile(exclusionListSuffix, exclude);
    std::string list;
    if (fileExists(path) && !readWholeFile(path, &list, &error)) return vlconfFail(exitFileError, error);
    bool changed = false;
    std::string edited = exclude ? addExcludedProgram(list, args[0], &changed)
                                 : removeExcludedProgram(list, args[0], &changed);
    if (changed && !replaceFile(path, edited, &error)) return vlconfFail(exitFileError, error);
    if (exclude)
        vlconfSay(changed ? args[0] + " is excluded: the engine stays out of it from its next start (" + path + ")\n"
                          : args[0] + " is already excluded (" + path + ")\n");
    else
        vlconfSay(changed ? args[0] + " is no longer excluded (" + path + ")\n"
                          : args[0] + " is not in the exclusion list (" + path + ")\n");
    return exitOk;
}

static int referenceCommand(const Arguments &args)
{
    int code;
    bool tsv;
    Arguments files;
    if (!withoutOption(args, "--tsv", &tsv, &files, &code)) return code;
    if (tooMany(files, 1, &code)) return code;
    return writeOrPrint(files.empty() ? "" : files[0], tsv ? settingsTable() : settingsReference());
}

struct Command {
    const char *name;
    int (*run)(const Arguments &);
};

static int excludeCommand(const Arguments &args) { return exclusionCommand(args, true); }
static int includeCommand(const Arguments &args) { return exclusionCommand(args, false); }

static const Command commands[] = {
    {"show", showCommand},       {"set", setCommand},         {"new", newCommand},
    {"check", checkCommand},     {"export", exportCommand},   {"import", importCommand},
    {"exclude", excludeCommand}, {"include", includeCommand}, {"reference", referenceCommand},
    {"scheme", schemeCommand},
};

int runVlconf(int argc, char **argv)
{
    if (argc < 2) return usageError("no command given");
    std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h" || name == "/?") {
        vlconfSay(usageText);
        vlconfSay(schemeUsageText);
        return exitOk;
    }
    if (name == "--version" || name == "version") {
        vlconfSay("vlconf " VARNEL_VERSION "\n");
        return exitOk;
    }
    Arguments args(argv + 2, argv + argc);
    for (const Command &c : commands)
        if (name == c.name) return c.run(args);
    const char *nearest = commands[0].name;
    int best = editDistance(name, nearest);
    for (const Command &c : commands) {
        int d = editDistance(name, c.name);
        if (d < best) best = d, nearest = c.name;
    }
    return usageError("unknown command \"" + name + "\"; did you mean " + nearest + "?");
}
