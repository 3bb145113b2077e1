// What a set-up reads from disk, as each file's size and last write time:
// two set-ups whose stamps and settings agree make the same objects, so a
// settings change that changed neither (another program bumping the shared
// generation for nothing) costs a program no set-up and no repaint.
#pragma once

#include <windows.h>

struct FileStamp {
    DWORD present;    // 0 when there is no such file
    DWORD sizeLow, sizeHigh;
    FILETIME written;
};

// vl.ini of the current folder, the engine folder's vl.ini, markers and
// exclusion list, and the ten skin bitmaps.
enum { stampedFileCount = 16 };

struct EngineFileStamps {
    FileStamp files[stampedFileCount];
};

// Stamps the files of the engine folder under windowsDirectory (and vl.ini
// of the current folder when that lies on a local disk): the directory
// entry only, never the file's content.
void stampEngineFiles(const char *windowsDirectory, EngineFileStamps *stamps);
int sameFileStamps(const EngineFileStamps &a, const EngineFileStamps &b);
