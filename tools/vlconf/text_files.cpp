// Reading and replacing the small text files vlconf edits. A write never
// leaves a half-written settings file behind: the new text goes to a
// temporary file beside the old one, which is replaced only when the new one
// is complete.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <windows.h>

#include "engine/newer_functions.h"
#include "engine/settings_generation.h"
#include "tools/vlconf/vlconf.h"

// GetTempFileNameA prefixes of the new text and of the old file kept aside.
static const char temporaryPrefix[] = "vlc";
static const char backupPrefix[] = "vlb";

typedef BOOL(WINAPI *MoveFileExFunction)(LPCSTR from, LPCSTR to, DWORD flags);

// A refused write into the Windows directory is no fault of the file: on
// Windows NT and later only an administrator may write there, and the
// programs carry a manifest so that Windows refuses instead of redirecting
// the write where no engine reads it.
static std::string systemMessage(DWORD code)
{
    if (code == ERROR_ACCESS_DENIED) return "access denied (needs administrator)";
    char text[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text,
                             sizeof text, NULL);
    while (n && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' || text[n - 1] == '.')) n--;
    if (!n) return "error " + std::to_string(code);
    return std::string(text, n);
}

bool fileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Never in a writer's way, as the engine reads: another tool (vlconf, the
// tray, the settings window) may replace the file this moment, and a reader
// that shares no deletion makes that replacement fail. Windows 95, 98 and ME
// know no FILE_SHARE_DELETE.
static HANDLE openSharingEverything(const std::string &path, std::string *error)
{
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | (systemIsNtFamily() ? FILE_SHARE_DELETE : 0);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, sharing, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) *error = "cannot read " + path + ": " + systemMessage(GetLastError());
    return file;
}

FILE *openTextForReading(const std::string &path, std::string *error)
{
    HANDLE file = openSharingEverything(path, error);
    if (file == INVALID_HANDLE_VALUE) return NULL;
    // Text mode, as fopen's "r": line breaks and a Ctrl-Z read alike.
    const int descriptor = _open_osfhandle((intptr_t)file, _O_RDONLY | _O_TEXT);
    if (descriptor < 0) {
        CloseHandle(file);
        *error = "cannot read " + path;
        return NULL;
    }
    FILE *stream = _fdopen(descriptor, "r");
    if (!stream) {
        _close(descriptor);
        *error = "cannot read " + path;
    }
    return stream;
}

bool readWholeFile(const std::string &path, std::string *content, std::string *error)
{
    HANDLE file = openSharingEverything(path, error);
    if (file == INVALID_HANDLE_VALUE) return false;
    content->clear();
    char buffer[4096];
    DWORD n = 0;
    bool failed = false;
    for (;;) {
        if (!ReadFile(file, buffer, sizeof buffer, &n, NULL)) {
            failed = true;
            break;
        }
        if (n == 0) break;
        content->append(buffer, n);
    }
    CloseHandle(file);
    if (failed) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}

static std::string folderOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + ".";
        return ".";
    }
    if (slash == 0) return path.substr(0, 1);
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

static bool isReadOnly(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Every program reads vl.ini as it starts, and the tools read what they
// show: the system refuses to replace or move a file another process holds
// open, so a refusal is tried again for a while before it is reported (a
// reader holds the file for a moment; a read-only file is refused before).
enum { heldFileTries = 40, heldFilePause = 25 };  // milliseconds between tries: a second in all

static bool heldByAReader(DWORD failure)
{
    return failure == ERROR_ACCESS_DENIED || failure == ERROR_SHARING_VIOLATION;
}

template <typename Move> static bool movedOnceFree(Move move)
{
    for (int attempt = 1;; attempt++) {
        if (move()) return true;
        const DWORD failure = GetLastError();
        if (!heldByAReader(failure) || attempt >= heldFileTries) {
            SetLastError(failure);
            return false;
        }
        Sleep(heldFilePause);
    }
}

bool replaceThroughBackup(const std::string &temporary, const std::string &path, std::string *error)
{
    if (!fileExists(path)) {
        if (MoveFileA(temporary.c_str(), path.c_str())) return true;
        *error = "cannot replace " + path + ": " + systemMessage(GetLastError());
        return false;
    }
    // MoveFileExA refuses to replace a read-only file; so does this way.
    if (isReadOnly(path)) {
        *error = "cannot replace " + path + ": " + systemMessage(ERROR_ACCESS_DENIED);
        return false;
    }
    char backup[MAX_PATH];
    if (!GetTempFileNameA(folderOf(path).c_str(), backupPrefix, 0, backup)) {
        *error = "cannot replace " + path + ": " + systemMessage(GetLastError());
        return false;
    }
    // GetTempFileNameA made the file to hold the name; MoveFileA takes only
    // a name that is free.
    DeleteFileA(backup);
    if (!movedOnceFree([&] { return MoveFileA(path.c_str(), backup) != 0; })) {
        *error = "cannot replace " + path + ": " + systemMessage(GetLastError());
        return false;
    }
    if (!MoveFileA(temporary.c_str(), path.c_str())) {
        *error = "cannot replace " + path + ": " + systemMessage(GetLastError());
        if (!MoveFileA(backup, path.c_str())) *error += "; its old content is in " + std::string(backup);
        return false;
    }
    // The new file is in place: a backup that cannot be deleted costs room,
    // not settings.
    DeleteFileA(backup);
    return true;
}

// MoveFileExA replaces in one step. Windows 95, 98 and ME export it but it
// always fails there with ERROR_CALL_NOT_IMPLEMENTED (Microsoft KB129532):
// then, and where it is missing, the replacement goes through a backup. Any
// other failure is the system's answer about this file, and is reported.
static bool moveIntoPlace(const char *temporary, const std::string &path, std::string *error)
{
    MoveFileExFunction moveFileEx = (MoveFileExFunction)findNewerFunction("kernel32.dll", "MoveFileExA");
    if (moveFileEx) {
        if (isReadOnly(path)) {
            *error = "cannot replace " + path + ": " + systemMessage(ERROR_ACCESS_DENIED);
            return false;
        }
        if (movedOnceFree([&] {
                return moveFileEx(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            }))
            return true;
        const DWORD failure = GetLastError();
        if (failure != ERROR_CALL_NOT_IMPLEMENTED) {
            *error = "cannot replace " + path + ": " + systemMessage(failure);
            return false;
        }
    }
    return replaceThroughBackup(temporary, path, error);
}

bool replaceFile(const std::string &path, const std::string &content, std::string *error)
{
    if (!replaceFileUnannounced(path, content, error)) return false;
    announceFolderChange(path);
    return true;
}

bool replaceFileUnannounced(const std::string &path, const std::string &content, std::string *error)
{
    std::string folder = folderOf(path);
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), temporaryPrefix, 0, temporary)) {
        *error = "cannot write in " + folder + ": " + systemMessage(GetLastError());
        return false;
    }
    FILE *f = fopen(temporary, "wb");
    bool written = f != NULL;
    if (f) {
        written = fwrite(content.data(), 1, content.size(), f) == content.size();
        written = fflush(f) == 0 && written;
        written = fclose(f) == 0 && written;
    }
    if (!written) {
        *error = "cannot write " + std::string(temporary);
        DeleteFileA(temporary);
        return false;
    }
    if (!moveIntoPlace(temporary, path, error)) {
        DeleteFileA(temporary);
        return false;
    }
    return true;
}

// A file of an engine folder (WINDOWS\varnels\...) changed: the programs
// that read that folder follow it at once. A file elsewhere may be the vl.ini
// of a program's current folder, which programs of the system's engine folder
// read first: those see it with their next message, without a broadcast to
// every window of the desktop for a file that is most likely nobody's.
void announceFolderChange(const std::string &path)
{
    char full[MAX_PATH];
    std::string folder = GetFullPathNameA(path.c_str(), sizeof full, full, NULL) ? folderOf(full) : "";
    const std::string engineFolder = "\\varnels";
    SharedBlockState state = sharedBlockUsable;
    if (folder.size() > engineFolder.size() &&
        lstrcmpiA(folder.c_str() + folder.size() - engineFolder.size(), engineFolder.c_str()) == 0) {
        if (!announceSettingsChange(folder.substr(0, folder.size() - engineFolder.size()).c_str(), 1, &state))
            fprintf(stderr,
                    "vlconf: note: running programs were not told (the block they share: %s); they read the "
                    "change when they start again\n",
                    sharedBlockProblem(state));
    } else {
        announceSettingsChange(NULL, 0);
    }
}

std::string engineFolderFile(const char *suffix, bool makeFolder)
{
    char windows[250];
    GetWindowsDirectoryA(windows, sizeof windows);
    if (makeFolder) CreateDirectoryA((std::string(windows) + "\\varnels").c_str(), NULL);
    return std::string(windows) + suffix;
}

std::string engineSettingsPath()
{
    // The engine tries the current directory first, by opening it.
    FILE *f = fopen(settingsFileName, "r");
    if (f) {
        fclose(f);
        char full[MAX_PATH];
        if (GetFullPathNameA(settingsFileName, sizeof full, full, NULL)) return full;
        return settingsFileName;
    }
    return engineFolderFile(settingsFileSuffix, false);
}

std::string trimmed(const std::string &text)
{
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

std::string markedBefore(const std::string &text, char c, char mark)
{
    std::string out;
    for (char each : text) {
        if (each == c) out += mark;
        out += each;
    }
    return out;
}

std::vector<std::string> trimmedLines(const std::string &text)
{
    static const char byteOrderMark[] = "\xEF\xBB\xBF";
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = trimmed(text.substr(start, end - start));
        if (lines.empty() && line.compare(0, 3, byteOrderMark) == 0) line = trimmed(line.substr(3));
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}
