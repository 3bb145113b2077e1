// Stamps of the engine's files (engine/file_stamps.h).
#include "engine/file_stamps.h"

#include <string.h>

#include "engine/engine_files.h"
#include "engine/newer_functions.h"
#include "engine/small_files.h"

static const char *const stampedSuffixes[stampedFileCount - 1] = {
    settingsFileSuffix,    disableMarkerSuffix,          pluginMarkerSuffix,
    progressMarkerSuffix,  exclusionListSuffix,          backgroundBitmapSuffix,
    mdiBitmapSuffix,       folderBitmapSuffix,           progressBitmapSuffix,
    scrollBarBitmapSuffix, closeBoxBitmapSuffix,         zoomBoxBitmapSuffix,
    minimiseBoxBitmapSuffix, zoomBoxDisabledBitmapSuffix, minimiseBoxDisabledBitmapSuffix,
};

typedef BOOL(WINAPI *GetFileAttributesExFunction)(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data);

// GetFileAttributesExA (NT 4.0 and 98) asks for one file's entry in one
// call; FindFirstFileA, which Windows 95 has too, opens a search and closes
// it again, about three times the work under Wine.
static void stampFile(GetFileAttributesExFunction getAttributes, const char *path, FileStamp *stamp)
{
    memset(stamp, 0, sizeof *stamp);
    if (!path[0]) return;
    WIN32_FILE_ATTRIBUTE_DATA entry;
    if (getAttributes) {
        if (!getAttributes(path, GetFileExInfoStandard, &entry)) return;
    } else {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(path, &found);
        if (search == INVALID_HANDLE_VALUE) return;
        FindClose(search);
        entry.dwFileAttributes = found.dwFileAttributes;
        entry.nFileSizeLow = found.nFileSizeLow;
        entry.nFileSizeHigh = found.nFileSizeHigh;
        entry.ftLastWriteTime = found.ftLastWriteTime;
    }
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    stamp->present = 1;
    stamp->sizeLow = entry.nFileSizeLow;
    stamp->sizeHigh = entry.nFileSizeHigh;
    stamp->written = entry.ftLastWriteTime;
}

void stampEngineFiles(const char *windowsDirectory, EngineFileStamps *stamps)
{
    // Critical-error boxes off: a stamp must never ask the user for a disk.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const GetFileAttributesExFunction getAttributes =
        (GetFileAttributesExFunction)findNewerFunction("kernel32.dll", "GetFileAttributesExA");
    char path[MAX_PATH];
    if (currentFolderIsLocal()) stampFile(getAttributes, settingsFileName, &stamps->files[0]);
    else memset(&stamps->files[0], 0, sizeof stamps->files[0]);
    for (int i = 0; i < stampedFileCount - 1; i++)
        stampFile(getAttributes, engineFilePath(path, sizeof path, windowsDirectory, stampedSuffixes[i]),
                  &stamps->files[i + 1]);
    SetErrorMode(previousMode);
}

int sameFileStamps(const EngineFileStamps &a, const EngineFileStamps &b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}
