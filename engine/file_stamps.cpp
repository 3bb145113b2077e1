// Stamps of the engine's files (engine/file_stamps.h).
#include "engine/file_stamps.h"

#include <string.h>

#include "engine/engine_files.h"

static const char *const stampedSuffixes[stampedFileCount - 1] = {
    settingsFileSuffix,    disableMarkerSuffix,          pluginMarkerSuffix,
    progressMarkerSuffix,  exclusionListSuffix,          backgroundBitmapSuffix,
    mdiBitmapSuffix,       folderBitmapSuffix,           progressBitmapSuffix,
    scrollBarBitmapSuffix, closeBoxBitmapSuffix,         zoomBoxBitmapSuffix,
    minimiseBoxBitmapSuffix, zoomBoxDisabledBitmapSuffix, minimiseBoxDisabledBitmapSuffix,
};

static void stampFile(const char *path, FileStamp *stamp)
{
    memset(stamp, 0, sizeof *stamp);
    if (!path[0]) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    stamp->present = 1;
    stamp->sizeLow = found.nFileSizeLow;
    stamp->sizeHigh = found.nFileSizeHigh;
    stamp->written = found.ftLastWriteTime;
}

// A current folder on a network or removable drive is not looked at: a
// look there may wait on the network or ask for a disk.
static int currentFolderIsLocal()
{
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length < 3 || length >= sizeof folder || folder[1] != ':' || folder[2] != '\\') return 0;
    folder[3] = 0;
    const UINT type = GetDriveTypeA(folder);
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

void stampEngineFiles(const char *windowsDirectory, EngineFileStamps *stamps)
{
    // Critical-error boxes off: a stamp must never ask the user for a disk.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    char path[MAX_PATH];
    if (currentFolderIsLocal()) stampFile(settingsFileName, &stamps->files[0]);
    else memset(&stamps->files[0], 0, sizeof stamps->files[0]);
    for (int i = 0; i < stampedFileCount - 1; i++)
        stampFile(engineFilePath(path, sizeof path, windowsDirectory, stampedSuffixes[i]), &stamps->files[i + 1]);
    SetErrorMode(previousMode);
}

int sameFileStamps(const EngineFileStamps &a, const EngineFileStamps &b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}
