// Process attach and detach: settings, metrics, fonts, caption colours and
// gradient steps, skin bitmaps and the plug-in; at detach everything given
// back in its order.
#include "engine/engine_lifecycle.h"

#include <string.h>

#include "caption/caption_geometry.h"
#include "caption/strip_cache.h"
#include "engine/converted_buttons.h"
#include "engine/engine_files.h"
#include "engine/engine_state.h"
#include "engine/loader_contract.h"
#include "engine/live_settings.h"
#include "engine/newer_functions.h"
#include "engine/plugin.h"
#include "engine/program_exclusion.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/small_files.h"
#include "engine/trace.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_shade.h"

EngineStateRecord EngineState;
int engineAttached;
volatile int engineDetached;
DWORD detachPause = 1000;
DWORD unrollPause = 50;
char engineWindowsDirectory[250];

// The size of NONCLIENTMETRICSA the engine asks for: the record without the
// iPaddedBorderWidth field that later systems added.
enum { nonClientMetricsSize = 340 };

void readMetrics()
{
    SharedResourcesRecord &r = SharedResources;
    memset(&r.nonClientMetrics, 0, sizeof r.nonClientMetrics);
    r.nonClientMetrics.cbSize = nonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, nonClientMetricsSize, &r.nonClientMetrics, 0);
    r.smallIconWidth = GetSystemMetrics(SM_CXSMICON);
    r.frameWidth = GetSystemMetrics(SM_CXFRAME);
    r.frameHeight = GetSystemMetrics(SM_CYFRAME);
    r.captionButtonWidth = GetSystemMetrics(SM_CXSIZE);
    r.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    r.edgeWidth = GetSystemMetrics(SM_CXEDGE);
    r.edgeHeight = GetSystemMetrics(SM_CYEDGE);
    r.smallCaptionHeight = GetSystemMetrics(SM_CYSMCAPTION);
}

int nonClientMetricsChanged()
{
    const SharedResourcesRecord &r = SharedResources;
    NONCLIENTMETRICSA now;
    memset(&now, 0, sizeof now);
    now.cbSize = r.nonClientMetrics.cbSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, now.cbSize, &now, 0)) return 0;
    return memcmp(&now, &r.nonClientMetrics, now.cbSize) != 0;
}

void createCaptionFonts()
{
    SharedResourcesRecord &r = SharedResources;
    LOGFONTA font = r.nonClientMetrics.lfCaptionFont;
    r.captionFont = CreateFontIndirectA(&font);
    font.lfWeight = 500;
    r.captionFontMedium = CreateFontIndirectA(&font);
    const LONG toolHeight = toolCaptionFontHeight(r.nonClientMetrics.lfCaptionFont.lfHeight,
                                                  r.nonClientMetrics.lfSmCaptionFont.lfHeight);
    r.toolCaptionFont = r.toolCaptionFontMedium = NULL;
    if (toolHeight) {
        font = r.nonClientMetrics.lfCaptionFont;
        font.lfHeight = toolHeight;
        font.lfWidth = 0;
        r.toolCaptionFont = CreateFontIndirectA(&font);
        font.lfWeight = 500;
        r.toolCaptionFontMedium = CreateFontIndirectA(&font);
    }
}

void freeCaptionFonts()
{
    SharedResourcesRecord &r = SharedResources;
    const HFONT fonts[] = {r.captionFont, r.captionFontMedium, r.toolCaptionFont, r.toolCaptionFontMedium};
    for (HFONT font : fonts)
        if (font) DeleteObject(font);
    r.captionFont = r.captionFontMedium = r.toolCaptionFont = r.toolCaptionFontMedium = NULL;
}

void readCaptionColours() { readCaptionColoursFor(Settings, &SharedResources); }

void readCaptionColoursFor(const SettingsRecord &s, SharedResourcesRecord *into)
{
    SharedResourcesRecord &r = *into;
    COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION);
    r.activeCaptionR = GetRValue(active);
    r.activeCaptionG = GetGValue(active);
    r.activeCaptionB = GetBValue(active);
    r.inactiveCaptionR = GetRValue(inactive);
    r.inactiveCaptionG = GetGValue(inactive);
    r.inactiveCaptionB = GetBValue(inactive);
    r.activeStepR = gradientStep(r.activeCaptionR, s.activeGradientEndR, s.gradientSteps);
    r.activeStepG = gradientStep(r.activeCaptionG, s.activeGradientEndG, s.gradientSteps);
    r.activeStepB = gradientStep(r.activeCaptionB, s.activeGradientEndB, s.gradientSteps);
    r.inactiveStepR = gradientStep(r.inactiveCaptionR, s.inactiveGradientEndR, s.gradientSteps);
    r.inactiveStepG = gradientStep(r.inactiveCaptionG, s.inactiveGradientEndG, s.gradientSteps);
    r.inactiveStepB = gradientStep(r.inactiveCaptionB, s.inactiveGradientEndB, s.gradientSteps);
}

typedef COLORREF(WINAPI *SetDCColourFunction)(HDC dc, COLORREF colour);
typedef DWORD(WINAPI *GetLayoutFunction)(HDC dc);
typedef DWORD(WINAPI *SetLayoutFunction)(HDC dc, DWORD layout);

void findNewerDCFunctions()
{
    SharedResources.setDCBrushColor = (SetDCColourFunction)findNewerFunction("gdi32.dll", "SetDCBrushColor");
    SharedResources.setDCPenColor = (SetDCColourFunction)findNewerFunction("gdi32.dll", "SetDCPenColor");
    SharedResources.getLayout = (GetLayoutFunction)findNewerFunction("gdi32.dll", "GetLayout");
    SharedResources.setLayout = (SetLayoutFunction)findNewerFunction("gdi32.dll", "SetLayout");
}

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

static void loadSkinBitmap(SkinBitmap *bitmap, const char *suffix, UINT flags)
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
    }
}

// The skin bitmaps: each loaded only when the feature that shows it is on.
// The background tiles are loaded with the system's 3-D colours put in.
struct SkinBitmapFile {
    SkinBitmap SharedResourcesRecord::*bitmap;
    const char *suffix;
    int SettingsRecord::*wantedBy;
    UINT flags;
};

static const SkinBitmapFile skinBitmapFiles[] = {
    {&SharedResourcesRecord::backgroundBitmap, backgroundBitmapSuffix, &SettingsRecord::tileBackgrounds,
     LR_LOADFROMFILE | LR_LOADMAP3DCOLORS},
    {&SharedResourcesRecord::mdiBitmap, mdiBitmapSuffix, &SettingsRecord::tileBackgrounds,
     LR_LOADFROMFILE | LR_LOADMAP3DCOLORS},
    {&SharedResourcesRecord::folderBitmap, folderBitmapSuffix, &SettingsRecord::folderBackground, LR_LOADFROMFILE},
    {&SharedResourcesRecord::progressBitmap, progressBitmapSuffix, &SettingsRecord::progressBitmap, LR_LOADFROMFILE},
    {&SharedResourcesRecord::scrollBarBitmap, scrollBarBitmapSuffix, &SettingsRecord::skinScrollBars,
     LR_LOADFROMFILE},
    {&SharedResourcesRecord::macCloseBitmap, closeBoxBitmapSuffix, &SettingsRecord::macButtons, LR_LOADFROMFILE},
    {&SharedResourcesRecord::macMaxBitmap, zoomBoxBitmapSuffix, &SettingsRecord::macButtons, LR_LOADFROMFILE},
    {&SharedResourcesRecord::macMinBitmap, minimiseBoxBitmapSuffix, &SettingsRecord::macButtons, LR_LOADFROMFILE},
    {&SharedResourcesRecord::macMaxDownBitmap, zoomBoxDisabledBitmapSuffix, &SettingsRecord::macButtons,
     LR_LOADFROMFILE},
    {&SharedResourcesRecord::macMinDownBitmap, minimiseBoxDisabledBitmapSuffix, &SettingsRecord::macButtons,
     LR_LOADFROMFILE},
};

static void loadSkinBitmaps()
{
    SharedResourcesRecord &r = SharedResources;
    // Made again when settings change: a bitmap no longer wanted is not
    // left behind.
    for (const SkinBitmapFile &file : skinBitmapFiles) {
        if (Settings.*file.wantedBy == 1)
            loadSkinBitmap(&(r.*file.bitmap), file.suffix, file.flags);
        else
            memset(&(r.*file.bitmap), 0, sizeof(SkinBitmap));
    }
    r.scrollBarBrush = r.scrollBarBitmap.handle ? CreatePatternBrush(r.scrollBarBitmap.handle) : NULL;
}

// What attach sets up once the markers let the engine in; the live path
// runs it too, for a program that started while the engine was paused.
BOOL setUpEngine()
{
    clearWindowTable();
    takeGlobalsTurn();
    readMetrics();
    if (!loadSettings(engineWindowsDirectory, &Settings)) {
        dropGlobalsTurn();
        traceEngine("no settings file opens (vl.ini here or in %s\\varnels): the engine stays out",
                    engineWindowsDirectory);
        return FALSE;
    }
    SharedResources.nullBrush = (HBRUSH)GetStockObject(NULL_BRUSH);
    findNewerDCFunctions();
    makeSharedObjects();
    // The first snapshot, which the painters hold from now on; there is
    // always room for it, as none is held yet.
    publishSettingsSnapshot();
    dropGlobalsTurn();
    if (Settings.usePlugin == 1) wantCaptionPlugin(engineWindowsDirectory);
    engineAttached = 1;
    return TRUE;
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

BOOL engineProcessAttach(const char *windowsDirectory)
{
    engineAttached = 0;
    engineDetached = 0;
    readNewerFunctionsSwitch();
    lstrcpynA(engineWindowsDirectory, windowsDirectory, sizeof engineWindowsDirectory);
    resetSettings(&Settings);
    memset(&SharedResources, 0, sizeof SharedResources);
    memset(&EngineState, 0, sizeof EngineState);
    EngineState.inLoader = GetEnvironmentVariableA(loaderProcessSwitch, NULL, 0) != 0;
    InterlockedExchange(&pluginLoadState, pluginNotWanted);
    watchSettingsGeneration();
    if (readDisableMarker(engineWindowsDirectory)) {
        traceEngine("the disable marker holds 1: every hook only chains");
        EngineState.disabled = 1;
        return TRUE;
    }
    // A program its owner listed is left exactly as with the disable marker.
    if (isProcessExcluded(engineWindowsDirectory)) {
        traceEngine("this program is on the exclusion list: every hook only chains");
        EngineState.disabled = 1;
        return TRUE;
    }
    return setUpEngine();
}

static void deleteSkinBitmap(SkinBitmap *bitmap, int deleting)
{
    if (deleting && bitmap->handle) DeleteObject(bitmap->handle);
    memset(bitmap, 0, sizeof *bitmap);
}

void engineProcessDetach(bool processTerminating)
{
    stopWatchingSettingsGeneration();
    if (!engineAttached || EngineState.disabled == 1) return;
    engineAttached = 0;
    engineDetached = 1;
    SharedResourcesRecord &r = SharedResources;
    // The snapshots own every object the globals name, and those of
    // earlier set-ups still held.
    const int owned = dropSettingsSnapshots();
    if (!owned && r.scrollBarBrush) DeleteObject(r.scrollBarBrush);
    r.scrollBarBrush = NULL;
    if (!owned) freeCaptionFonts();
    r.captionFont = r.captionFontMedium = r.toolCaptionFont = r.toolCaptionFontMedium = NULL;
    for (const SkinBitmapFile &file : skinBitmapFiles) deleteSkinBitmap(&(r.*file.bitmap), !owned);
    freeStripCache();
    if (tellPluginDetach() && !processTerminating) Sleep(detachPause);
    // Windows subclassed before an excluded class switched subclassing off
    // are still in the table and must get their procedures back as well:
    // left alone they would call into a library that is no longer there.
    if (Settings.subclassWindows == 1 || findWindowSlotInUse() >= 0) {
        EngineState.shuttingDown = 1;
        if (!processTerminating) Sleep(detachPause);
        restoreAllWindows();
        unrollAllWindows(processTerminating ? 0 : unrollPause);
        if (!processTerminating) {
            // With their own procedures back, buttons restyled now are not
            // converted again on their way.
            EngineState.buttonsGivenBack = 1;
            restoreConvertedButtons();
        }
    }
}
