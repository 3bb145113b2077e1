// Paths of the engine's files.
#include "engine/engine_files.h"

#include <string.h>

char *engineFilePath(char *path, int size, const char *windowsDirectory, const char *suffix)
{
    path[0] = 0;
    int n = (int)strlen(windowsDirectory);
    int m = (int)strlen(suffix);
    if (n + m + 1 > size) return path;
    memcpy(path, windowsDirectory, n);
    memcpy(path + n, suffix, m + 1);
    return path;
}
