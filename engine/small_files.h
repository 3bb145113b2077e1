// Reading the engine's files inside other programs: the settings file, the
// markers, the exclusion list and the headers of the skin bitmaps. They are
// read at attach, under the system's loader lock, and again from the hooks,
// and any of them can be something another program made: a huge file, a
// directory, a pipe, a file on a network share or a drive with no disk in it.
// So each is opened without the system's "no disk" box, taken only when it
// is an ordinary file on a disk, and read only up to a bound.
#pragma once

#include <windows.h>

// The most the settings file, a marker or the exclusion list may hold. The
// settings file is 40 small numbers, the markers a digit or nothing; the
// list has room for some hundreds of program names. A larger one is refused
// whole, as if it were not there.
enum { engineFileSizeLimit = 8192 };

enum FileStartResult {
    fileAbsent = 0,   // does not open
    fileRead = 1,     // an ordinary disk file within the bound: its start read
    fileRefused = 2,  // opens, but is no disk file, a directory, or larger than the bound
};

// Opens path as an ordinary disk file of at most sizeLimit bytes and reads
// at most room bytes from its start into buffer (*length: how many). Traces
// a refusal.
int readFileStart(const char *path, DWORD sizeLimit, char *buffer, DWORD room, DWORD *length);

// The whole of a settings file, marker or list: text has room for
// engineFileSizeLimit bytes.
int readEngineFile(const char *path, char *text, DWORD *length);
// The same for one of the engine's files in its folder under
// windowsDirectory (suffix: engine/engine_files.h).
int readEngineFolderFile(const char *windowsDirectory, const char *suffix, char *text, DWORD *length);

// Whether files in the current folder may be read: it is on a fixed (or RAM)
// drive. A network folder (a mapped drive, or a UNC path), a removable or
// CD drive, or one the system cannot name, is never read from inside a
// program: the read could wait for the network or for a disk.
int currentFolderIsLocal();
