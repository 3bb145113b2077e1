// Reading the engine's files inside other programs, bounded.
#include "engine/small_files.h"

#include "engine/engine_files.h"
#include "engine/newer_functions.h"
#include "engine/trace.h"

int readFileStart(const char *path, DWORD sizeLimit, char *buffer, DWORD room, DWORD *length)
{
    *length = 0;
    // A drive without its disk would otherwise ask the user, inside whatever
    // program the engine is in, and hold it until answered.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    SetErrorMode(previousMode | SEM_FAILCRITICALERRORS);
    // Never in a writer's way: every program with the engine reads these
    // files right after a tool announces a change, and a tool that then
    // deletes a marker or replaces vl.ini would find it held. Windows 95, 98
    // and ME know no FILE_SHARE_DELETE: there the file is held only for the
    // moment of the read.
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | (systemIsNtFamily() ? FILE_SHARE_DELETE : 0);
    HANDLE file = CreateFileA(path, GENERIC_READ, sharing, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    int result = fileAbsent;
    if (file != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info;
        const char *refusal = NULL;
        if (GetFileType(file) != FILE_TYPE_DISK)
            refusal = "not a disk file";
        else if (!GetFileInformationByHandle(file, &info))
            refusal = "no file information";
        else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            refusal = "a directory";
        else if (info.nFileSizeHigh != 0 || info.nFileSizeLow > sizeLimit)
            refusal = "larger than the engine reads";
        DWORD got = 0;
        if (!refusal && room && !ReadFile(file, buffer, room, &got, NULL)) refusal = "unreadable";
        CloseHandle(file);
        if (refusal) {
            traceEngine("%s refused: %s (at most %lu bytes are read)", path, refusal, (unsigned long)sizeLimit);
            result = fileRefused;
        } else {
            *length = got;
            result = fileRead;
        }
    }
    SetErrorMode(previousMode);
    return result;
}

int readEngineFile(const char *path, char *text, DWORD *length)
{
    return readFileStart(path, engineFileSizeLimit, text, engineFileSizeLimit, length);
}

int readEngineFolderFile(const char *windowsDirectory, const char *suffix, char *text, DWORD *length)
{
    char path[300];
    return readEngineFile(engineFilePath(path, sizeof path, windowsDirectory, suffix), text, length);
}

int currentFolderIsLocal()
{
    char folder[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) return 0;
    // "\\server\share" and "\\?\..." name no drive letter: counted as remote.
    if (folder[0] == '\\' || folder[0] == '/' || folder[1] != ':') {
        traceEngine("the current folder %s is not on a local drive: its vl.ini is not read", folder);
        return 0;
    }
    const char root[4] = {folder[0], ':', '\\', 0};
    const UINT type = GetDriveTypeA(root);
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) return 1;
    traceEngine("the current folder %s is on a drive of type %u: its vl.ini is not read", folder, type);
    return 0;
}
