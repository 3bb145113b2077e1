// vlconf scheme ...: list, show, apply, save, delete, export and import the
// named looks of tools/schemes. As every command of vlconf, each checks all
// it is given before it writes anything.
#include <stdio.h>

#include "tools/schemes/builtin_schemes.h"
#include "tools/schemes/scheme_store.h"
#include "tools/vlconf/vlconf.h"

typedef std::vector<std::string> Arguments;

const char schemeUsageText[] =
    "\n"
    "Schemes, named looks (docs/schemes.md):\n"
    "  scheme list                    the built-in schemes and your own\n"
    "  scheme show NAME               a scheme's settings and bitmaps\n"
    "  scheme apply NAME              write its settings (the defaults where it says\n"
    "                                 nothing) and bitmaps; running programs follow\n"
    "  scheme save NAME [--replace]   keep the current settings and bitmaps as NAME\n"
    "  scheme delete NAME             remove one of your own\n"
    "  scheme export NAME FILE        write a scheme into a file to pass on\n"
    "  scheme import FILE [--replace] take a scheme file in as one of your own\n"
    "Your own live in %WINDIR%\\varnels\\schemes as NAME.vls; built-in ones cannot\n"
    "be deleted or replaced.\n";

static int schemeUsage(const std::string &message) { return vlconfUsageError(message, schemeUsageText); }

// The NAME (or FILE) argument and an optional --replace, nothing else.
static bool oneArgument(const Arguments &args, const char *command, bool replaceAllowed, std::string *value,
                        bool *replace, int *code)
{
    *replace = false;
    value->clear();
    for (size_t i = 1; i < args.size(); i++) {
        if (replaceAllowed && args[i] == "--replace") {
            *replace = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            *code = schemeUsage("unknown option \"" + args[i] + "\"");
            return false;
        } else if (value->empty()) {
            *value = args[i];
        } else {
            *code = schemeUsage("too many arguments: \"" + args[i] + "\"");
            return false;
        }
    }
    if (value->empty()) {
        *code = schemeUsage(std::string("scheme ") + command + " needs " + (args[0] == "import" ? "a file" : "a name"));
        return false;
    }
    return true;
}

// A built-in scheme or one of the user's, by name (*builtin, unless NULL:
// which); false with the exit code, having said why and then consequence,
// when there is no such scheme.
static bool loadNamedScheme(const std::string &name, const char *consequence, Scheme *scheme, bool *builtin,
                            int *code)
{
    std::string error;
    bool isBuiltin;
    if (loadScheme(name, scheme, builtin ? builtin : &isBuiltin, &error)) return true;
    *code = vlconfFail(exitUsage, error + consequence);
    return false;
}

static int listSchemesCommand()
{
    std::string text;
    for (const SchemeEntry &e : listSchemes()) {
        char line[200];
        snprintf(line, sizeof line, "%-14s %-9s ", e.name.c_str(), e.builtin ? "built-in" : "yours");
        text += line + (e.readable ? e.description : "cannot be used: " + e.description) + "\n";
    }
    vlconfSay(text);
    return exitOk;
}

static int showSchemeCommand(const std::string &name)
{
    Scheme scheme;
    bool builtin;
    int code;
    if (!loadNamedScheme(name, "", &scheme, &builtin, &code)) return code;
    std::string text = scheme.name + (builtin ? " (built-in)" : " (yours, " + userSchemePath(scheme.name) + ")") + "\n";
    if (const BuiltinScheme *b = findBuiltinScheme(name)) text += std::string(b->description) + "\n";
    text += "Settings (the engine's defaults for the rest):\n";
    const std::string lines = schemeSettingsLines(scheme);
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        text += "  " + lines.substr(start, end - start) + "\n";
        start = end + 1;
    }
    if (scheme.bitmaps.empty()) text += "No bitmaps: those of the engine folder stay as they are.\n";
    for (const SchemeBitmap &b : scheme.bitmaps) text += "Bitmap " + b.file + ", " + std::to_string(b.bytes.size()) + " bytes\n";
    for (const std::string &note : forcingNotes(scheme.values)) text += "note: " + note + "\n";
    vlconfSay(text);
    return exitOk;
}

static int applySchemeCommand(const std::string &name)
{
    Scheme scheme;
    int code;
    if (!loadNamedScheme(name, "; nothing was changed", &scheme, NULL, &code)) return code;
    const std::string path = engineSettingsPath();
    std::string error;
    if (!applyScheme(scheme, path, &error)) return vlconfFail(exitFileError, error);
    vlconfSay("applied scheme " + scheme.name + ": " + path +
              (scheme.bitmaps.empty() ? std::string()
                                      : " and " + std::to_string(scheme.bitmaps.size()) +
                                            " bitmaps (programs started from now on show those)") +
              "\n");
    return exitOk;
}

static int saveSchemeCommand(const std::string &name, bool replace)
{
    Scheme scheme;
    std::string error;
    if (!userSchemeNameFree(name, replace, &error)) return vlconfFail(exitUsage, error + "; nothing was saved");
    if (!currentScheme(name, engineSettingsPath(), &scheme, &error))
        return vlconfFail(exitUsage, error + "; nothing was saved");
    if (!storeUserScheme(scheme, replace, &error)) return vlconfFail(exitUsage, error + "; nothing was saved");
    vlconfSay("saved scheme " + name + " (" + std::to_string(scheme.bitmaps.size()) + " bitmaps) to " +
              userSchemePath(name) + "\n");
    return exitOk;
}

static int deleteSchemeCommand(const std::string &name)
{
    std::string error;
    if (!deleteUserScheme(name, &error)) return vlconfFail(exitUsage, error);
    vlconfSay("deleted scheme " + name + "\n");
    return exitOk;
}

static int exportSchemeCommand(const Arguments &args)
{
    if (args.size() != 3) return schemeUsage("scheme export needs a NAME and a FILE");
    Scheme scheme;
    int code;
    if (!loadNamedScheme(args[1], "", &scheme, NULL, &code)) return code;
    std::string error;
    if (!replaceFile(args[2], schemeText(scheme), &error)) return vlconfFail(exitFileError, error);
    vlconfSay("exported scheme " + scheme.name + " to " + args[2] + "\n");
    return exitOk;
}

static int importSchemeCommand(const std::string &file, bool replace)
{
    Scheme scheme;
    std::string error;
    if (!readSchemeFile(file, &scheme, &error)) return vlconfFail(exitUsage, error + "; nothing was imported");
    if (!storeUserScheme(scheme, replace, &error)) return vlconfFail(exitUsage, error + "; nothing was imported");
    vlconfSay("imported scheme " + scheme.name + " to " + userSchemePath(scheme.name) + "\n");
    return exitOk;
}

int schemeCommand(const Arguments &args)
{
    if (args.empty() || args[0] == "help") {
        if (args.empty()) return schemeUsage("scheme needs a command");
        vlconfSay(schemeUsageText);
        return exitOk;
    }
    const std::string &what = args[0];
    std::string value;
    bool replace;
    int code = exitUsage;
    if (what == "list") return args.size() == 1 ? listSchemesCommand() : schemeUsage("scheme list takes nothing more");
    if (what == "export") return exportSchemeCommand(args);
    if (what == "show" || what == "apply" || what == "delete") {
        if (!oneArgument(args, what.c_str(), false, &value, &replace, &code)) return code;
        if (what == "show") return showSchemeCommand(value);
        return what == "apply" ? applySchemeCommand(value) : deleteSchemeCommand(value);
    }
    if (what == "save" || what == "import") {
        if (!oneArgument(args, what.c_str(), true, &value, &replace, &code)) return code;
        return what == "save" ? saveSchemeCommand(value, replace) : importSchemeCommand(value, replace);
    }
    return schemeUsage("unknown scheme command \"" + what + "\"");
}
