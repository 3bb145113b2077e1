// Per-program exclusion: "\varnels\vlexcl.ini" names programs the engine
// stays out of, one executable file name a line. In a listed program the
// engine behaves as if the disable marker held 1.
#pragma once

#include <stdio.h>


// The longest program file name the list can name; longer lines name nothing.
enum { exclusionNameSize = 260 };

// The file name part of a path: what follows the last '\', '/' or ':'.
const char *programFileName(const char *path);

// 1 when one line of the list names the program (a bare file name such as
// "game.exe"): the line is trimmed of spaces, tabs and its line break and
// compared whole, ignoring case; a blank line or one starting with ';'
// names nothing.
int exclusionLineNames(const char *line, const char *programName);

// 1 when any line of an open list names the program.
int exclusionListNames(FILE *list, const char *programName);

// The same over the bytes of a list read whole, line by line as a text-mode
// stream gives them (CR LF as one break, a Ctrl-Z ends the list).
int exclusionTextNames(const char *text, int length, const char *programName);

// 1 when the engine folder's list names the executable of this process.
// Runs at every attach in every GUI process: one open that usually fails,
// through engine/small_files.h (a list over the bound names nothing).
int isProcessExcluded(const char *windowsDirectory);
