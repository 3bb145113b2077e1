// The exclusion list read at attach, before anything else is prepared.
#include "engine/program_exclusion.h"

#include <string.h>

#include <windows.h>

#include "engine/engine_files.h"
#include "engine/settings.h"
#include "engine/small_files.h"


const char *programFileName(const char *path)
{
    const char *name = path;
    for (const char *c = path; *c; c++)
        if (*c == '\\' || *c == '/' || *c == ':') name = c + 1;
    return name;
}

static int isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Copies at most size-1 characters of text, upper-cased the way the system
// folds file names of the ANSI code page; returns 0 when text is longer.
static int foldedCopy(char *out, int size, const char *text, int length)
{
    if (length >= size) return 0;
    memcpy(out, text, length);
    out[length] = 0;
    if (length) CharUpperBuffA(out, (DWORD)length);
    return 1;
}

int exclusionLineNames(const char *line, const char *programName)
{
    const char *start = line;
    while (isSpace(*start)) start++;
    const char *end = start + strlen(start);
    while (end > start && isSpace(end[-1])) end--;
    if (end == start || *start == ';') return 0;
    char listed[exclusionNameSize], program[exclusionNameSize];
    if (!foldedCopy(listed, sizeof listed, start, (int)(end - start))) return 0;
    if (!foldedCopy(program, sizeof program, programName, (int)strlen(programName))) return 0;
    return strcmp(listed, program) == 0;
}

// Room for the longest name, its surrounding spaces and the line break;
// a longer line is skipped whole, so that its tail is never taken for a
// line of its own.
enum { exclusionLineSize = exclusionNameSize + 64 };

// Notepad's UTF-8 files start with a byte-order mark.
static const char *afterByteOrderMark(const char *line)
{
    if ((unsigned char)line[0] == 0xEF && (unsigned char)line[1] == 0xBB && (unsigned char)line[2] == 0xBF)
        return line + 3;
    return line;
}

int exclusionListNames(FILE *list, const char *programName)
{
    char line[exclusionLineSize];
    int first = 1;
    while (fgets(line, sizeof line, list)) {
        size_t length = strlen(line);
        if (length && line[length - 1] != '\n' && !feof(list)) {
            int c;
            while ((c = fgetc(list)) != EOF && c != '\n') {
            }
            first = 0;
            continue;
        }
        const char *text = first ? afterByteOrderMark(line) : line;
        first = 0;
        if (exclusionLineNames(text, programName)) return 1;
    }
    return 0;
}

// Ctrl-Z: where a text-mode stream ends.
static const char textEndMark = 0x1A;

int exclusionTextNames(const char *text, int length, const char *programName)
{
    const char *end = (const char *)memchr(text, textEndMark, (size_t)length);
    if (end) length = (int)(end - text);
    char line[exclusionLineSize];
    for (int at = 0, first = 1; at < length; first = 0) {
        int stop = at;
        while (stop < length && text[stop] != '\n') stop++;
        int size = stop - at;
        // A text-mode stream reads CR LF as LF alone.
        if (stop < length && size > 0 && text[stop - 1] == '\r') size--;
        const int whole = size < (int)sizeof line - 1 && !memchr(text + at, 0, (size_t)size);
        if (whole) {
            memcpy(line, text + at, (size_t)size);
            line[size] = 0;
            if (exclusionLineNames(first ? afterByteOrderMark(line) : line, programName)) return 1;
        }
        at = stop + 1;
    }
    return 0;
}

int isProcessExcluded(const char *windowsDirectory)
{
    char text[engineFileSizeLimit];
    DWORD length = 0;
    if (readEngineFolderFile(windowsDirectory, exclusionListSuffix, text, &length) != fileRead) return 0;
    char module[MAX_PATH + 1];
    DWORD moduleLength = GetModuleFileNameA(NULL, module, MAX_PATH);
    module[moduleLength < MAX_PATH ? moduleLength : MAX_PATH] = 0;
    return moduleLength > 0 && exclusionTextNames(text, (int)length, programFileName(module));
}
