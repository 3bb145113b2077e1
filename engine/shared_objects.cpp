// The shared GDI objects: caption fonts, skin bitmaps and the scroll-bar
// brush. Skin bitmaps are read from the engine folder with their size held
// to a bound before the system loads them.
#include "engine/shared_objects.h"

#include <string.h>

#include "engine/engine_files.h"
#include "engine/engine_state.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/skin_pixels.h"
#include "engine/small_files.h"
#include "engine/system_look.h"
#include "engine/trace.h"

// The largest skin bitmap the engine takes: every program holds its own
// copy, and a huge tile costs every erase behind it.
// Its pixels at most 16 MB; its file that and room for the headers and a
// palette.
enum { skinBitmapSideLimit = 2048 };
static const DWORD skinBitmapByteLimit = 16u << 20;
static const DWORD skinBitmapHeaderRoom = 4096;

// The first bytes of a bitmap file: the file header and the size fields of
// either info header.
enum { bitmapHeaderBytes = 26, bitmapCoreHeaderSize = 12 };

static int readLittleEndian(const unsigned char *at, int bytes)
{
    unsigned value = 0;
    for (int i = bytes - 1; i >= 0; i--) value = (value << 8) | at[i];
    return bytes == 2 ? (int)(unsigned short)value : (int)value;
}

static int withinSkinSize(long width, long height)
{
    if (width < 0) width = -width;
    if (height < 0) height = -height;
    return width <= skinBitmapSideLimit && height <= skinBitmapSideLimit;
}

// Whether the file may be handed to LoadImageA: an ordinary disk file within
// the byte bound whose header, when it is a bitmap's, claims no more than the
// side bound. What is no bitmap at all is LoadImageA's to refuse.
static int skinFileAcceptable(const char *path)
{
    unsigned char header[bitmapHeaderBytes];
    DWORD length = 0;
    const int found = readFileStart(path, skinBitmapByteLimit + skinBitmapHeaderRoom, (char *)header, sizeof header, &length);
    if (found != fileRead) return found == fileAbsent;
    if (length < sizeof header || header[0] != 'B' || header[1] != 'M') return 1;
    const int core = readLittleEndian(header + 14, 4) == bitmapCoreHeaderSize;
    const long width = core ? readLittleEndian(header + 18, 2) : readLittleEndian(header + 18, 4);
    const long height = core ? readLittleEndian(header + 20, 2) : readLittleEndian(header + 22, 4);
    if (withinSkinSize(width, height)) return 1;
    traceEngine("skin bitmap %s refused: %ld x %ld is over %d x %d", path, width, height, skinBitmapSideLimit,
                skinBitmapSideLimit);
    return 0;
}

static void loadSkinBitmap(SkinBitmap *bitmap, const char *suffix, UINT flags, SkinPixelsShape shape)
{
    char path[300];
    engineFilePath(path, sizeof path, engineWindowsDirectory, suffix);
    memset(bitmap, 0, sizeof *bitmap);
    if (!skinFileAcceptable(path)) return;
    bitmap->handle = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, flags);
    if (!bitmap->handle) {
        traceEngine("skin bitmap %s did not load (error %lu)", path, GetLastError());
        return;
    }
    GetObjectA(bitmap->handle, sizeof bitmap->info, &bitmap->info);
    const BITMAP &b = bitmap->info;
    if (!withinSkinSize(b.bmWidth, b.bmHeight) || (unsigned long long)b.bmWidthBytes * (unsigned long long)b.bmHeight > skinBitmapByteLimit) {
        traceEngine("skin bitmap %s refused: %ld x %ld, %ld bytes a row", path, b.bmWidth, b.bmHeight,
                    b.bmWidthBytes);
        DeleteObject(bitmap->handle);
        memset(bitmap, 0, sizeof *bitmap);
        return;
    }
    if (!makeSkinPixels(bitmap, shape)) traceEngine("skin bitmap %s: no room for its pixels", path);
}

// The skin bitmaps: each loaded only when the feature that shows it is on.
// The background tiles are loaded with the system's 3-D colours put in, and
// repeated to a block.
struct SkinBitmapFile {
    SkinBitmap SharedResourcesRecord::*bitmap;
    const char *suffix;
    int SettingsRecord::*wantedBy;
    UINT flags;
    SkinPixelsShape shape;
};

static const SkinBitmapFile skinBitmapFiles[] = {
    {&SharedResourcesRecord::backgroundBitmap, backgroundBitmapSuffix, &SettingsRecord::tileBackgrounds,
     LR_LOADFROMFILE | LR_LOADMAP3DCOLORS, pixelsRepeatedToABlock},
    {&SharedResourcesRecord::mdiBitmap, mdiBitmapSuffix, &SettingsRecord::tileBackgrounds,
     LR_LOADFROMFILE | LR_LOADMAP3DCOLORS, pixelsRepeatedToABlock},
    {&SharedResourcesRecord::folderBitmap, folderBitmapSuffix, &SettingsRecord::folderBackground, LR_LOADFROMFILE,
     pixelsRepeatedToABlock},
    {&SharedResourcesRecord::progressBitmap, progressBitmapSuffix, &SettingsRecord::progressBitmap, LR_LOADFROMFILE,
     pixelsAsTheyAre},
    {&SharedResourcesRecord::scrollBarBitmap, scrollBarBitmapSuffix, &SettingsRecord::skinScrollBars,
     LR_LOADFROMFILE, pixelsAsTheyAre},
    {&SharedResourcesRecord::macCloseBitmap, closeBoxBitmapSuffix, &SettingsRecord::macButtons, LR_LOADFROMFILE,
     pixelsAsTheyAre},
    {&SharedResourcesRecord::macMaxBitmap, zoomBoxBitmapSuffix, &SettingsRecord::macButtons, LR_LOADFROMFILE,
     pixelsAsTheyAre},
    {&SharedResourcesRecord::macMinBitmap, minimiseBoxBitmapSuffix, &SettingsRecord::macButtons, LR_LOADFROMFILE,
     pixelsAsTheyAre},
    {&SharedResourcesRecord::macMaxDownBitmap, zoomBoxDisabledBitmapSuffix, &SettingsRecord::macButtons,
     LR_LOADFROMFILE, pixelsAsTheyAre},
    {&SharedResourcesRecord::macMinDownBitmap, minimiseBoxDisabledBitmapSuffix, &SettingsRecord::macButtons,
     LR_LOADFROMFILE, pixelsAsTheyAre},
};

static void loadSkinBitmaps()
{
    SharedResourcesRecord &r = SharedResources;
    // Made again when settings change: a bitmap no longer wanted is not
    // left behind.
    for (const SkinBitmapFile &file : skinBitmapFiles) {
        if (Settings.*file.wantedBy == 1)
            loadSkinBitmap(&(r.*file.bitmap), file.suffix, file.flags, file.shape);
        else
            memset(&(r.*file.bitmap), 0, sizeof(SkinBitmap));
    }
    r.scrollBarBrush = r.scrollBarBitmap.handle ? CreatePatternBrush(r.scrollBarBitmap.handle) : NULL;
}

void makeSharedObjects()
{
    readMetrics();
    createCaptionFonts();
    readCaptionColours();
    loadSkinBitmaps();
}

int collectSharedObjects(HGDIOBJ *objects, int room)
{
    const SharedResourcesRecord &r = SharedResources;
    int taken = 0;
    const HGDIOBJ owned[] = {r.captionFont, r.captionFontMedium, r.toolCaptionFont, r.toolCaptionFontMedium,
                             r.scrollBarBrush};
    for (HGDIOBJ object : owned)
        if (object && taken < room) objects[taken++] = object;
    for (const SkinBitmapFile &file : skinBitmapFiles) {
        const SkinBitmap &bitmap = r.*file.bitmap;
        if (bitmap.handle && taken < room) objects[taken++] = bitmap.handle;
    }
    return taken;
}

static void deleteSkinBitmaps(int deleting)
{
    SharedResourcesRecord &r = SharedResources;
    for (const SkinBitmapFile &file : skinBitmapFiles) {
        SkinBitmap &bitmap = r.*file.bitmap;
        if (deleting && bitmap.handle) DeleteObject(bitmap.handle);
        memset(&bitmap, 0, sizeof bitmap);
    }
}

void freeSharedObjects()
{
    SharedResourcesRecord &r = SharedResources;
    // The brush first: it was made from the scroll-bar bitmap.
    if (r.scrollBarBrush) DeleteObject(r.scrollBarBrush);
    r.scrollBarBrush = NULL;
    freeCaptionFonts();
    deleteSkinBitmaps(1);
}

void forgetSharedObjects()
{
    SharedResourcesRecord &r = SharedResources;
    r.scrollBarBrush = NULL;
    r.captionFont = r.captionFontMedium = r.toolCaptionFont = r.toolCaptionFontMedium = NULL;
    deleteSkinBitmaps(0);
}
