// vlconf, the settings tool: reads vl.ini exactly as the engine does (the
// engine's own table and reader), writes it back whole and safely, converts
// it to and from a named form, edits the exclusion list and prints the
// settings reference.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_files.h"
#include "engine/settings.h"

// Exit codes.
enum {
    exitOk = 0,
    exitFindings = 1,  // check found something that will surprise
    exitUsage = 2,     // bad arguments, unknown names, bad values, refusals
    exitFileError = 3, // a file that cannot be read or written
};

// ---- Files -------------------------------------------------------------

// The whole file as bytes; false (and *error) when it cannot be read.
bool readWholeFile(const std::string &path, std::string *content, std::string *error);
// The file as a text-mode stream (as fopen's "r"), opened sharing reading,
// writing and deletion, so that another tool can replace it meanwhile; NULL
// with *error said when it cannot be read.
FILE *openTextForReading(const std::string &path, std::string *error);

// Writes content to a temporary file in the same folder and puts it in the
// place of path only once it is complete, so that a failure leaves path as
// it was.
// Once in place, a file of an engine folder is announced (announceFolderChange).
bool replaceFile(const std::string &path, const std::string &content, std::string *error);
// The same without the announcement, for a file that is one of several
// written together (a scheme's bitmaps before its vl.ini).
bool replaceFileUnannounced(const std::string &path, const std::string &content, std::string *error);
// Running programs that read the engine folder holding path set themselves
// up again (engine/settings_generation.h); nothing for other folders.
void announceFolderChange(const std::string &path);

// The way replaceFile takes where MoveFileExA cannot replace a file (Windows
// 95, 98 and ME): the old file is renamed to a backup beside it, the complete
// temporary renamed into its place, then the backup deleted. Until the
// backup is deleted, the old content is always under one of the two names;
// when the temporary cannot take its place, the backup is put back, and
// temporary is left for the caller to delete.
bool replaceThroughBackup(const std::string &temporary, const std::string &path, std::string *error);

bool fileExists(const std::string &path);

// The Windows directory + suffix ("\\varnels\\vl.ini"); makeFolder creates
// the engine folder for a file about to be written.
std::string engineFolderFile(const char *suffix, bool makeFolder);

// The vl.ini the engine would read in this process: the current directory's
// when it opens, else the engine folder's.
std::string engineSettingsPath();

// The lines of a text, each without its line end and the blanks around it,
// the first without a UTF-8 byte-order mark: what the named form and scheme
// files are read as.
std::vector<std::string> trimmedLines(const std::string &text);
// text without the spaces, tabs and line ends at its two ends.
std::string trimmed(const std::string &text);
// text with mark put before each c: Windows line breaks ('\n', '\r'), a
// Markdown table's escaped bars ('|', '\\').
std::string markedBefore(const std::string &text, char c, char mark);

// ---- vl.ini as the engine reads it ---------------------------------------

struct Finding {
    int line;  // 0 when no line can be named
    std::string text;
};

struct VlIni {
    std::string path;
    SettingsFileValues read;       // the 40 holder values and their lines
    SettingsRecord record;         // what the engine takes, forcings applied
    std::vector<Finding> findings; // what will surprise the file's owner
};

// Reads path as the engine does (text mode, the engine's reader) and works
// out what it gives and what in it will surprise.
bool readVlIni(const std::string &path, VlIni *ini, std::string *error);

// The record the engine takes from 40 holder values.
SettingsRecord settingsFromValues(const int values[settingsPositionCount]);

// The values that give the engine's defaults.
void defaultFileValues(int values[settingsPositionCount]);

// The canonical file: 40 decimal values, one a line.
std::string canonicalSettingsText(const int values[settingsPositionCount]);

// Notes on fields a set or an import asks for that the engine's forcings
// (the table's forcedOffBy) override.
std::vector<std::string> forcingNotes(const int values[settingsPositionCount]);

// ---- Names and values ----------------------------------------------------

// One name = value request turned into file values: up to three positions
// (a colour sets three bytes).
struct Assignment {
    int count;
    int positions[3];
    int values[3];
};

// Parses NAME and VALUE. Names: field names (ignoring case),
// activeGradientEnd / inactiveGradientEnd (#RRGGBB), positionN (a raw file
// value). False with a message naming the bad name or value otherwise.
bool parseAssignment(const std::string &name, const std::string &value, Assignment *out, std::string *error);

// Names at the smallest edit distance from an unknown one (up to three).
std::vector<std::string> nearestSettingNames(const std::string &name);

// Levenshtein distance, ignoring ASCII case.
int editDistance(const std::string &a, const std::string &b);

// The name form of a position's file value ("on", "off", "32"), or "" when a
// name cannot say it (the raw number is kept as positionN then).
std::string namedValue(const SettingPosition &p, int fileValue);

// What the engine takes from a file value at a position, for people:
// "on", "off", "44", "ignored".
std::string engineValueText(const SettingPosition &p, int fieldValue);

// "flag (1 = off)", "flag (1 = on)", "byte", "ignored".
const char *kindText(SettingKind kind);
// The same for scripts: "flag-1-off", "flag-1-on", "byte", "ignored".
const char *kindToken(SettingKind kind);

// When running programs follow a change, for people ("at once", ...) and
// for scripts ("at-once", "on-at-once", "never").
const char *liveText(SettingLive live);
const char *liveToken(SettingLive live);

// ---- Named form ------------------------------------------------------------

std::string exportNamedForm(const int values[settingsPositionCount], const std::string &from);

// Parses the named form; false with "line N: ..." in *error. assignments,
// when given, gets each setting the text names as NAME=VALUE, as written
// there and as "vlconf set" takes it.
bool importNamedForm(const std::string &text, int values[settingsPositionCount], std::string *error,
                     std::vector<std::string> *assignments = NULL);

// ---- Exclusion list -------------------------------------------------------

// A program file name the list can hold, or false with the reason.
bool validProgramName(const std::string &name, std::string *error);

// The list with the program added at the end (unless already there) or with
// every line naming it removed; comments, blank lines, other names and line
// breaks stay as they are. *changed tells whether anything changed.
std::string addExcludedProgram(const std::string &list, const std::string &program, bool *changed);
std::string removeExcludedProgram(const std::string &list, const std::string &program, bool *changed);
// The program names the list holds, in its order, as the engine reads them.
std::vector<std::string> listedPrograms(const std::string &list);

// ---- Reference and commands ------------------------------------------------

// What every command answers with: "vlconf: message" on stderr, returning
// code; the same followed by usage (a usage text), returning exitUsage; text
// on stdout as it is.
int vlconfFail(int code, const std::string &message);
int vlconfUsageError(const std::string &message, const char *usage);
void vlconfSay(const std::string &text);

std::string settingsReference();
// The table for scripts: one line per position, its facts separated by tabs
// (the columns are listed in usageText).
std::string settingsTable();
extern const char usageText[];
// vlconf scheme ... (scheme_commands.cpp) and its part of the usage text.
extern const char schemeUsageText[];
int schemeCommand(const std::vector<std::string> &args);

int runVlconf(int argc, char **argv);
