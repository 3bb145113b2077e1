// skingen OUTDIR: writes the default skin's ten bitmaps into OUTDIR, drawn
// around the colours of the desktop it runs on.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include <windows.h>

#include "icon_file.h"
#include "scheme_art.h"
#include "skin_art.h"

enum { exitWritten = 0, exitFailed = 1, exitUsage = 2 };

// skingen /icon FILE: the loader's icon, which the build puts into vlload.
static int writeLoaderIcon(const char *path)
{
    if (!writeIconFile(path, {loaderIcon(16), loaderIcon(32)})) {
        fprintf(stderr, "skingen: cannot write \"%s\": %s\n", path, strerror(errno));
        return exitFailed;
    }
    printf("skingen: wrote the loader's icon to %s\n", path);
    return exitWritten;
}

// skingen /scheme NAME OUTDIR: the bitmaps a built-in scheme draws for
// itself (docs/schemes.md), the same ones vlconf puts into the scheme.
static int writeSchemeBitmaps(const char *scheme, std::string folder)
{
    std::vector<SchemeArtFile> files = schemeArtFiles(scheme, desktopSkinColours());
    if (files.empty()) {
        fprintf(stderr, "skingen: scheme \"%s\" draws no bitmaps of its own\n", scheme);
        return exitUsage;
    }
    if (!folder.empty() && folder[folder.size() - 1] != '\\' && folder[folder.size() - 1] != '/') folder += '\\';
    for (const SchemeArtFile &file : files) {
        std::string path = folder + file.name;
        if (!writeBitmapFile(path.c_str(), file.picture)) {
            fprintf(stderr, "skingen: cannot write \"%s\": %s\n", path.c_str(), strerror(errno));
            return exitFailed;
        }
    }
    printf("skingen: wrote %d bitmaps of scheme %s into %s\n", (int)files.size(), scheme, folder.c_str());
    return exitWritten;
}

int main(int argc, char **argv)
{
    if (argc == 3 && (!strcmp(argv[1], "/icon") || !strcmp(argv[1], "--icon"))) return writeLoaderIcon(argv[2]);
    if (argc == 4 && (!strcmp(argv[1], "/scheme") || !strcmp(argv[1], "--scheme")))
        return writeSchemeBitmaps(argv[2], argv[3]);
    if (argc != 2 || argv[1][0] == 0) {
        fprintf(stderr,
                "usage: skingen OUTDIR | skingen /icon FILE | skingen /scheme NAME OUTDIR\n"
                "Writes the default skin bitmaps (vl.bmp, vlmdi.bmp, vlback.bmp, vlprog.bmp, vlscr.bmp,\n"
                "maccl.bmp, macmx.bmp, macmn.bmp, macmxd.bmp, macmnd.bmp) into the folder OUTDIR,\n"
                "usually the varnels folder under the Windows directory.\n"
                "With /icon, writes the loader's tray icon (16 and 32 pixels, 16 colours) to FILE.\n"
                "With /scheme, writes the bitmaps built-in scheme NAME draws for itself into OUTDIR.\n");
        return exitUsage;
    }
    std::string folder = argv[1];
    // "C:\skin\" on a command line arrives as C:\skin" (the backslash
    // escapes the closing quote); no file name holds a quote, so drop it.
    while (!folder.empty() && folder[folder.size() - 1] == '"') folder.erase(folder.size() - 1);
    if (folder.empty()) {
        fprintf(stderr, "skingen: no output folder given\n");
        return exitUsage;
    }
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "skingen: output folder \"%s\" does not exist\n", folder.c_str());
        return exitFailed;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fprintf(stderr, "skingen: output folder \"%s\" is not a folder\n", folder.c_str());
        return exitFailed;
    }
    char last = folder[folder.size() - 1];
    if (last != '\\' && last != '/') folder += '\\';

    SkinColours colours = desktopSkinColours();
    for (const SkinFile &file : skinFiles) {
        std::string path = folder + file.name;
        if (!writeBitmapFile(path.c_str(), file.draw(colours))) {
            fprintf(stderr, "skingen: cannot write \"%s\": %s\n", path.c_str(), strerror(errno));
            return exitFailed;
        }
    }
    printf("skingen: wrote %d skin bitmaps into %s\n", (int)skinFileCount, argv[1]);
    return exitWritten;
}
