// The schemes on disk and their application to the engine folder.
#include "tools/schemes/scheme_store.h"

#include <string.h>

#include <algorithm>

#include <windows.h>

#include "engine/engine_files.h"
#include "tools/schemes/builtin_schemes.h"
#include "tools/vlconf/vlconf.h"

static std::string schemesFolder(bool make)
{
    const std::string folder = engineFolderFile(schemesFolderSuffix, make);
    if (make) CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

std::string userSchemePath(const std::string &name)
{
    return schemesFolder(false) + "\\" + name + schemeFileExtension;
}

bool readSchemeFile(const std::string &path, Scheme *scheme, std::string *error)
{
    // The size first, from the open file, so that a huge file is never read.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        *error = path + ": cannot be opened (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    CloseHandle(file);
    if (high || low > schemeFileSizeLimit) {
        *error = path + ": the file is larger than 4 MB, more than a scheme file may be";
        return false;
    }
    std::string text;
    if (!readWholeFile(path, &text, error)) return false;
    if (!parseSchemeText(text, scheme, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

std::vector<SchemeEntry> listSchemes()
{
    std::vector<SchemeEntry> list;
    for (const BuiltinScheme &b : builtinSchemes) list.push_back({b.name, true, b.description, true});
    std::vector<SchemeEntry> own;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((schemesFolder(false) + "\\*" + schemeFileExtension).c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::string name = found.cFileName;
            name.erase(name.size() - strlen(schemeFileExtension));
            SchemeEntry entry = {name, false, "", true};
            Scheme scheme;
            std::string error;
            if (!validSchemeName(name, &error) || findBuiltinScheme(name) ||
                !readSchemeFile(userSchemePath(name), &scheme, &error)) {
                entry.readable = false;
                entry.description = findBuiltinScheme(name) ? "shadowed by the built-in of that name" : error;
            }
            own.push_back(entry);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(own.begin(), own.end(),
              [](const SchemeEntry &a, const SchemeEntry &b) { return lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0; });
    list.insert(list.end(), own.begin(), own.end());
    return list;
}

bool loadScheme(const std::string &name, Scheme *scheme, bool *builtin, std::string *error)
{
    if (const BuiltinScheme *b = findBuiltinScheme(name)) {
        *builtin = true;
        return builtinScheme(*b, scheme, error);
    }
    *builtin = false;
    if (!validSchemeName(name, error)) return false;
    const std::string path = userSchemePath(name);
    if (!fileExists(path)) {
        *error = "there is no scheme \"" + name + "\" (\"vlconf scheme list\" shows them)";
        return false;
    }
    if (!readSchemeFile(path, scheme, error)) return false;
    if (lstrcmpiA(scheme->name.c_str(), name.c_str()) != 0) {
        *error = path + " holds the scheme \"" + scheme->name + "\", not \"" + name + "\"";
        return false;
    }
    return true;
}

bool userSchemeNameFree(const std::string &name, bool replace, std::string *error)
{
    if (!validSchemeName(name, error)) return false;
    if (findBuiltinScheme(name)) {
        *error = "\"" + name + "\" is a built-in scheme's name; give yours another";
        return false;
    }
    const std::string path = userSchemePath(name);
    if (fileExists(path) && !replace) {
        *error = "a scheme \"" + name + "\" exists already (" + path + "); add --replace to replace it";
        return false;
    }
    return true;
}

bool storeUserScheme(const Scheme &scheme, bool replace, std::string *error)
{
    if (!userSchemeNameFree(scheme.name, replace, error)) return false;
    const std::string text = schemeText(scheme);
    if (text.size() > schemeFileSizeLimit) {
        *error = "the scheme would be " + std::to_string(text.size()) + " bytes, over the 4 MB a scheme file may be";
        return false;
    }
    schemesFolder(true);
    return replaceFile(userSchemePath(scheme.name), text, error);
}

bool deleteUserScheme(const std::string &name, std::string *error)
{
    if (findBuiltinScheme(name)) {
        *error = "\"" + name + "\" is built in and cannot be deleted";
        return false;
    }
    if (!validSchemeName(name, error)) return false;
    const std::string path = userSchemePath(name);
    if (!fileExists(path)) {
        *error = "there is no scheme \"" + name + "\" of yours to delete";
        return false;
    }
    if (!DeleteFileA(path.c_str())) {
        *error = "cannot delete " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

// The skin bitmaps the engine folder may hold, in the skin's order.
static const char *const skinBitmapFiles[] = {
    backgroundBitmapSuffix,  mdiBitmapSuffix,      folderBitmapSuffix,  progressBitmapSuffix,
    scrollBarBitmapSuffix,   closeBoxBitmapSuffix, zoomBoxBitmapSuffix, minimiseBoxBitmapSuffix,
    zoomBoxDisabledBitmapSuffix, minimiseBoxDisabledBitmapSuffix,
};

bool currentScheme(const std::string &name, const std::string &settingsPath, Scheme *scheme, std::string *error)
{
    if (!validSchemeName(name, error)) return false;
    VlIni ini;
    if (!readVlIni(settingsPath, &ini, error)) return false;
    return currentSchemeOfValues(name, ini.read.values, scheme, error);
}

bool currentSchemeOfValues(const std::string &name, const int values[settingsPositionCount], Scheme *scheme,
                           std::string *error)
{
    if (!validSchemeName(name, error)) return false;
    schemeFromValues(name, values, scheme);
    for (const char *suffix : skinBitmapFiles) {
        const std::string path = engineFolderFile(suffix, false);
        if (!fileExists(path)) continue;
        std::string bytes, problem;
        if (!readWholeFile(path, &bytes, error)) return false;
        if (bytes.size() > schemeFileSizeLimit || !checkSkinBitmap(bytes, &problem)) {
            *error = path + (problem.empty() ? std::string(" is larger than a scheme file may be") : " " + problem) +
                     "; it cannot be kept in a scheme";
            return false;
        }
        addSchemeBitmap(scheme, strrchr(suffix, '\\') + 1, bytes);
    }
    return true;
}

std::string schemeMatchingSettings(const std::string &settingsPath)
{
    VlIni ini;
    std::string error;
    if (!fileExists(settingsPath) || !readVlIni(settingsPath, &ini, &error)) return "";
    // Both sides as the engine takes them, so that a stray value that means
    // the same as the scheme's still matches.
    Scheme current;
    schemeFromValues("current", ini.read.values, &current);
    for (const SchemeEntry &entry : listSchemes()) {
        if (!entry.readable) continue;
        Scheme scheme, taken;
        bool builtin;
        // A built-in's settings alone: its bitmaps, drawn on loading, are
        // not compared, and the tray asks each time its menu opens.
        const BuiltinScheme *b = entry.builtin ? findBuiltinScheme(entry.name) : NULL;
        if (b ? !importNamedForm(b->settings, scheme.values, &error)
              : !loadScheme(entry.name, &scheme, &builtin, &error))
            continue;
        schemeFromValues(entry.name, scheme.values, &taken);
        if (memcmp(taken.values, current.values, sizeof current.values) == 0) return entry.name;
    }
    return "";
}

bool applyScheme(const Scheme &scheme, const std::string &settingsPath, std::string *error)
{
    engineFolderFile(settingsFileSuffix, true);
    // The bitmaps go unannounced: programs load them when they start, and
    // vl.ini, written last, announces the whole change once.
    for (const SchemeBitmap &b : scheme.bitmaps)
        if (!replaceFileUnannounced(engineFolderFile(("\\varnels\\" + b.file).c_str(), false), b.bytes, error))
            return false;
    const std::string text = canonicalSettingsText(scheme.values);
    std::string before;
    if (fileExists(settingsPath) && readWholeFile(settingsPath, &before, error) && before == text) {
        announceFolderChange(settingsPath);
        return true;
    }
    return replaceFile(settingsPath, text, error);
}
