// The exclusion list read at attach, before anything else is prepared.
#include "engine/program_exclusion.h"

#include <string.h>

#include <windows.h>

#include "engine/engine_files.h"
#include "engine/settings.h"


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

int exclusionListNames(FILE *list, const char *programName)
{
    // Room for the longest name, its surrounding spaces and the line break;
    // a longer line is skipped whole, so that its tail is never taken for a
    // line of its own.
    char line[exclusionNameSize + 64];
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
        // Notepad's UTF-8 files start with a byte-order mark.
        const char *text = line;
        if (first && (unsigned char)line[0] == 0xEF && (unsigned char)line[1] == 0xBB &&
            (unsigned char)line[2] == 0xBF)
            text += 3;
        first = 0;
        if (exclusionLineNames(text, programName)) return 1;
    }
    return 0;
}

int isProcessExcluded(const char *windowsDirectory)
{
    char path[300];
    FILE *list = fopen(engineFilePath(path, sizeof path, windowsDirectory, exclusionListSuffix), "r");
    if (!list) return 0;
    char module[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(NULL, module, MAX_PATH);
    module[length < MAX_PATH ? length : MAX_PATH] = 0;
    int excluded = length > 0 && exclusionListNames(list, programFileName(module));
    fclose(list);
    return excluded;
}
