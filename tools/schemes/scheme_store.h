// Where schemes live: the built-ins compiled in, the user's own as NAME.vls
// in %WINDIR%\varnels\schemes. Applying one writes the engine folder's skin
// bitmaps and vl.ini, the last announced so running programs follow.
#pragma once

#include <string>
#include <vector>

#include "tools/schemes/scheme_file.h"

inline constexpr char schemesFolderSuffix[] = "\\varnels\\schemes";
inline constexpr char schemeFileExtension[] = ".vls";

struct SchemeEntry {
    std::string name;
    bool builtin;
    std::string description;  // a built-in's line; for a user's own, "" or why it cannot be read
    bool readable;
};

// Built-ins first, in their order, then the user's own by name.
std::vector<SchemeEntry> listSchemes();

// The scheme of that name (ignoring case), built-in or the user's; false
// with the reason when there is none or its file is refused.
bool loadScheme(const std::string &name, Scheme *scheme, bool *builtin, std::string *error);

// The path a user scheme of that name has (or would have).
std::string userSchemePath(const std::string &name);

// Reads and checks a scheme file; a file over the size limit is refused
// before it is read.
bool readSchemeFile(const std::string &path, Scheme *scheme, std::string *error);

// Whether a user scheme may be stored under name: a valid name, not a
// built-in's, and not an existing one unless replace. False with the reason.
bool userSchemeNameFree(const std::string &name, bool replace, std::string *error);

// Stores a user scheme. Refuses a built-in's name, and an existing one
// unless replace.
bool storeUserScheme(const Scheme &scheme, bool replace, std::string *error);

bool deleteUserScheme(const std::string &name, std::string *error);

// The settings of vl.ini at settingsPath and the skin bitmaps of the engine
// folder, as a scheme; false when vl.ini cannot be read or a bitmap cannot
// travel in a scheme.
bool currentScheme(const std::string &name, const std::string &settingsPath, Scheme *scheme, std::string *error);
// The same with the given vl.ini values (the settings window's, not yet written).
bool currentSchemeOfValues(const std::string &name, const int values[settingsPositionCount], Scheme *scheme,
                           std::string *error);

// The name of the first listed scheme (built-ins first) whose settings are
// those of vl.ini at settingsPath, each value taken as the engine takes it;
// "" when none matches or vl.ini cannot be read. Bitmaps are not compared:
// the skin files may have been replaced since.
std::string schemeMatchingSettings(const std::string &settingsPath);

// Writes the scheme's bitmaps into the engine folder, then its settings
// (the defaults where it says nothing) into settingsPath, announced.
bool applyScheme(const Scheme &scheme, const std::string &settingsPath, std::string *error);
