// The settings record and the reader of vl.ini. The table of positions is the
// one place where every fact about a setting lives: name, kind, default,
// what forces it off, the colour it is a third of, its label and help for
// people and where the settings window shows it. The engine's reader,
// vlconf, the settings window and docs/settings.md (which vlconf writes) all
// walk it, so a new setting is one row here and its use.
#include "engine/settings.h"

#include <string.h>

#include "engine/engine_files.h"
#include "engine/small_files.h"

SettingsRecord Settings;

#define FIELD(name) &SettingsRecord::name

const char *const settingPageTitles[settingsPageCount] = {"Captions", "Controls", "Backgrounds", "Windows"};

const SettingGroupEntry settingGroups[settingGroupCount] = {
    {captionsPage, "Which title bars"},
    {captionsPage, "Colours"},
    {captionsPage, "Title text"},
    {captionsPage, "Striped title bars"},
    {controlsPage, "Push buttons"},
    {controlsPage, "Toolbars and taskbar"},
    {controlsPage, "Lists"},
    {controlsPage, "Scroll bars"},
    {backgroundsPage, "Pictures behind windows"},
    {windowsPage, "Which windows"},
    {windowsPage, "Motion"},
    {windowsPage, "Mouse and keyboard"},
    {windowsPage, "Menus"},
    {windowsPage, "Not used"},
};

const SettingColourEntry settingColours[settingColourCount] = {
    {"activeGradientEnd", "Active title bar fades to", "the colour the active caption gradient runs to"},
    {"inactiveGradientEnd", "Inactive title bar fades to", "the colour the inactive caption gradient runs to"},
};

// Shorthands for the columns that most rows leave empty.
#define ALONE noColour, 0, NULL
#define ACTIVE activeEndColour, 0, NULL
#define INACTIVE inactiveEndColour, 0, NULL

// Position, name, kind, default, field, help, label, group, colour, forced
// off by and why, live.
const SettingPosition settingPositions[settingsPositionCount] = {
    {1, "paintCaptions", flagOffWhenOne, 1, FIELD(paintCaptions), "the engine paints the captions of captioned windows",
     "Paint title bars", whichCaptionsGroup, ALONE, liveAtOnce},
    {2, "listViewHotTrack", flagOffWhenOne, 1, FIELD(listViewHotTrack),
     "list views get hot tracking and header drag-and-drop", "Highlight list items under the mouse", listsGroup, ALONE,
     liveOnKeepsOff},
    {3, "flatToolbars", flagOffWhenOne, 1, FIELD(flatToolbars), "toolbars become flat with tooltips",
     "Flat toolbars with tooltips", barsGroup, ALONE, liveOnKeepsOff},
    {4, "skinButtons", flagOffWhenOne, 1, FIELD(skinButtons), "push buttons are restyled before their own handling",
     "Restyle push buttons", pushButtonsGroup, ALONE, liveOnKeepsOff},
    {5, "flatTabs", flagOffWhenOne, 1, FIELD(flatTabs), "the taskbar's tab buttons become flat and hot-tracking",
     "Flat taskbar buttons", barsGroup, ALONE, liveOnKeepsOff},
    {6, "activeGradientEndR", byteValue, 0, FIELD(activeGradientEndR),
     "red of the colour the active caption gradient runs to", "Active title bar fades to: red", captionColoursGroup,
     ACTIVE, liveAtOnce},
    {7, "activeGradientEndG", byteValue, 0, FIELD(activeGradientEndG),
     "green of the colour the active caption gradient runs to", "Active title bar fades to: green",
     captionColoursGroup, ACTIVE, liveAtOnce},
    {8, "activeGradientEndB", byteValue, 0, FIELD(activeGradientEndB),
     "blue of the colour the active caption gradient runs to", "Active title bar fades to: blue", captionColoursGroup,
     ACTIVE, liveAtOnce},
    {9, "inactiveGradientEndR", byteValue, 128, FIELD(inactiveGradientEndR),
     "red of the colour the inactive caption gradient runs to", "Inactive title bar fades to: red",
     captionColoursGroup, INACTIVE, liveAtOnce},
    {10, "inactiveGradientEndG", byteValue, 128, FIELD(inactiveGradientEndG),
     "green of the colour the inactive caption gradient runs to", "Inactive title bar fades to: green",
     captionColoursGroup, INACTIVE, liveAtOnce},
    {11, "inactiveGradientEndB", byteValue, 128, FIELD(inactiveGradientEndB),
     "blue of the colour the inactive caption gradient runs to", "Inactive title bar fades to: blue",
     captionColoursGroup, INACTIVE, liveAtOnce},
    {12, "gradientSteps", byteValue, 0, FIELD(gradientSteps), "number of colour bands of a gradient caption",
     "Colour bands in a title bar", captionColoursGroup, ALONE, liveAtOnce},
    {13, "animateMainWindows", flagOffWhenOne, 1, FIELD(animateMainWindows), "top-level windows zoom open when shown",
     "Zoom windows open", motionGroup, ALONE, liveAtOnce},
    {14, "animateMenus", flagOffWhenOne, 1, FIELD(animateMenus), "popup menus zoom open when shown",
     "Zoom menus open", motionGroup, ALONE, liveAtOnce},
    {15, "solidInactiveCaption", flagOffWhenOne, 1, FIELD(solidInactiveCaption),
     "inactive captions are one solid band (striped: bare)", "Inactive title bars in one colour", captionColoursGroup,
     noColour, 27, "striped captions have no solid inactive look", liveAtOnce},
    {16, "animationDelay", byteValue, 0, FIELD(animationDelay), "milliseconds between the frames of the show animations",
     "Zoom frame delay (ms)", motionGroup, ALONE, liveAtOnce},
    {17, NULL, ignoredValue, 0, NULL, "read and ignored", "Not used", noGroup, ALONE, liveNever},
    {18, "centerCaptionText", flagOffWhenOne, 0, FIELD(centerCaptionText), "caption title centred (in one font)",
     "Centre the title", titleTextGroup, ALONE, liveAtOnce},
    {19, "mirroredGradient", flagOffWhenOne, 0, FIELD(mirroredGradient),
     "gradient reaches its end colour in the middle and runs back", "Fade to the middle and back",
     captionColoursGroup, ALONE, liveAtOnce},
    {20, "skinMdiChildren", flagOffWhenOne, 0, FIELD(skinMdiChildren), "MDI child windows get the engine's captions too",
     "Also paint document windows (MDI)", whichCaptionsGroup, ALONE, liveAtOnce},
    {21, "controlBarGrippers", flagOffWhenOne, 0, FIELD(controlBarGrippers),
     "a gripper on toolbars inside control bars", "Grippers on docked toolbars", barsGroup, ALONE, liveAtOnce},
    {22, "tabDesktopBackground", flagOffWhenOne, 0, FIELD(tabDesktopBackground),
     "the desktop picture behind the taskbar's flat tabs", "Desktop picture behind taskbar buttons", picturesGroup,
     ALONE, liveAtOnce},
    {23, "tileBackgrounds", flagOffWhenOne, 0, FIELD(tileBackgrounds),
     "vl.bmp and vlmdi.bmp tiled behind dialogs, bars and MDI clients", "Picture behind dialogs and bars",
     picturesGroup, ALONE, liveAtOnce},
    {24, "transparentListText", flagOffWhenOne, 0, FIELD(transparentListText),
     "list views draw their text on a transparent background", "List text without a background", listsGroup, ALONE,
     liveOnKeepsOff},
    {25, "folderBackground", flagOffWhenOne, 0, FIELD(folderBackground), "vlback.bmp tiled behind folder views",
     "Picture behind folder views", picturesGroup, ALONE, liveAtOnce},
    {26, "listViewGridLines", flagOffWhenOne, 0, FIELD(listViewGridLines), "list views also get grid lines",
     "Grid lines in lists", listsGroup, ALONE, liveOnKeepsOff},
    {27, "macButtons", flagOffWhenOne, 0, FIELD(macButtons),
     "striped captions with caption-box bitmaps, close box at the left", "Striped title bars, close box at the left",
     stripedCaptionsGroup, ALONE, liveAtOnce},
    {28, "forceClientEdge", flagOffWhenOne, 0, FIELD(forceClientEdge),
     "the striped painter gives some windows a client edge", "Sunken edge inside striped windows",
     stripedCaptionsGroup, ALONE, liveOnKeepsOff},
    {29, "unusedFlag29", flagOffWhenOne, 0, FIELD(unusedFlag29), "read and stored, never used", "Unused position 29",
     notUsedGroup, ALONE, liveNever},
    {30, "unusedFlag30", flagOffWhenOne, 0, FIELD(unusedFlag30), "read and stored, never used", "Unused position 30",
     notUsedGroup, ALONE, liveNever},
    {31, "pageKeyScroll", flagOffWhenOne, 0, FIELD(pageKeyScroll), "Page Up/Down and page scrolls replayed as line steps",
     "Page keys scroll line by line", mouseAndKeysGroup, ALONE, liveAtOnce},
    {32, "rightClickRollUp", flagOffWhenOne, 1, FIELD(rightClickRollUp),
     "right click on a border rolls a window up to its caption", "Right-click a border to roll a window up",
     mouseAndKeysGroup, ALONE, liveOnKeepsOff},
    {33, "roundedWindows", flagOffWhenOne, 0, FIELD(roundedWindows), "popup menus get rounded corners",
     "Rounded menu corners", menusGroup, ALONE, liveOnKeepsOff},
    {34, "skipToolWindowCaptions", flagOnWhenOne, 1, FIELD(skipToolWindowCaptions),
     "captions of tool windows are left to the system", "Leave tool-window captions alone", whichCaptionsGroup,
     ALONE, liveAtOnce},
    {35, "subclassWindows", flagOffWhenOne, 1, FIELD(subclassWindows), "windows are subclassed by the engine",
     "Follow each window's own messages", whichWindowsGroup, ALONE, liveOnKeepsOff},
    {36, "mdiBackground", flagOffWhenOne, 0, FIELD(mdiBackground), "vlmdi.bmp tiled behind MDI clients",
     "Picture behind document areas (MDI)", picturesGroup, ALONE, liveAtOnce},
    {37, "skinScrollBars", flagOffWhenOne, 1, FIELD(skinScrollBars), "scroll bars painted with vlscr.bmp",
     "Patterned scroll bars", scrollBarsGroup, ALONE, liveAtOnce},
    {38, "splitTitleFonts", flagOffWhenOne, 1, FIELD(splitTitleFonts), "title drawn in two fonts, split at the first \"-\"",
     "Two fonts, split at the first \"-\"", titleTextGroup, noColour, 18, "a centred title is drawn in one font",
     liveAtOnce},
    {39, "ownerDrawnButtons", flagOffWhenOne, 0, FIELD(ownerDrawnButtons), "push buttons made owner-drawn and painted flat",
     "Flat push buttons", pushButtonsGroup, ALONE, liveOnKeepsOff},
    {40, "subclassOnActivate", flagOffWhenOne, 0, FIELD(subclassOnActivate), "windows are also subclassed on activation",
     "Also follow windows when activated", whichWindowsGroup, ALONE, liveOnKeepsOff},
};

#undef ALONE
#undef ACTIVE
#undef INACTIVE

SettingPage settingPage(const SettingPosition &position)
{
    return position.group == noGroup ? noPage : settingGroups[position.group].page;
}

void settingColourPositions(SettingColour colour, int positions[3])
{
    int found = 0;
    for (const SettingPosition &p : settingPositions)
        if (p.colour == colour && found < 3) positions[found++] = p.position;
}

void resetSettings(SettingsRecord *settings)
{
    memset(settings, 0, sizeof *settings);
    for (const SettingPosition &p : settingPositions)
        if (p.field) settings->*p.field = p.defaultValue;
    settings->usePlugin = 1;
    settings->animateWindows = 1;
    settings->buttonClassPass = 1;
    settings->scrollBarBlackBoxes = 0;
    settings->progressBitmap = 0;
}

int settingFieldValue(const SettingPosition &position, int value)
{
    switch (position.kind) {
    case flagOffWhenOne: return value != 1 ? 1 : 0;
    case flagOnWhenOne: return value == 1 ? 1 : 0;
    case byteValue: return value & 0xFF;
    case ignoredValue: break;
    }
    return 0;
}

int settingFileValue(const SettingPosition &position, int fieldValue)
{
    switch (position.kind) {
    case flagOffWhenOne: return fieldValue ? 0 : 1;
    case flagOnWhenOne: return fieldValue ? 1 : 0;
    case byteValue: return fieldValue & 0xFF;
    case ignoredValue: break;
    }
    return 0;
}

// Field names are plain ASCII; locale rules have no say in them.
static int sameNameIgnoringCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        int x = (unsigned char)*a, y = (unsigned char)*b;
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return 0;
        if (!x) return 1;
    }
}

const SettingPosition *findSettingPosition(const char *name)
{
    if (!name) return NULL;
    for (const SettingPosition &p : settingPositions)
        if (p.name && sameNameIgnoringCase(p.name, name)) return &p;
    return NULL;
}

SettingColour findSettingColour(const char *name)
{
    if (!name) return noColour;
    for (int c = 0; c < settingColourCount; c++)
        if (sameNameIgnoringCase(settingColours[c].name, name)) return (SettingColour)c;
    return noColour;
}

static int isBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void beginSettingsRead(SettingsReader *reader, FILE *file)
{
    reader->file = file;
    reader->text = NULL;
    reader->textLength = 0;
    reader->textAt = 0;
    reader->line = 1;
    reader->stuck = 0;
    reader->stoppedAtWord = 0;
    reader->stopSign = 0;
    reader->wrapped = 0;
}

// Ctrl-Z: where a text-mode stream ends.
static const int textEndMark = 0x1A;

void beginSettingsTextRead(SettingsReader *reader, const char *text, int length)
{
    beginSettingsRead(reader, NULL);
    reader->text = text;
    reader->textLength = length;
    for (int i = 0; i < length; i++) {
        if ((unsigned char)text[i] == textEndMark) {
            reader->textLength = i;
            break;
        }
    }
}

static int nextChar(SettingsReader *reader)
{
    if (reader->file) return fgetc(reader->file);
    if (reader->textAt >= reader->textLength) return EOF;
    return (unsigned char)reader->text[reader->textAt++];
}

static void putBack(SettingsReader *reader, int c)
{
    if (reader->file)
        ungetc(c, reader->file);
    else
        reader->textAt--;
}

int readSettingsValue(SettingsReader *reader, int *holder)
{
    if (reader->stuck) return 0;
    int c = nextChar(reader);
    while (c != EOF && isBlank(c)) {
        if (c == '\n') reader->line++;
        c = nextChar(reader);
    }
    if (c == EOF) {
        reader->stuck = 1;
        return 0;
    }
    int sign = 0;
    if (c == '-' || c == '+') {
        sign = c;
        c = nextChar(reader);
    }
    if (c < '0' || c > '9') {
        // Not a number: leave the token where it stands; every later read
        // stops here too.
        if (c != EOF) putBack(reader, c);
        reader->stuck = 1;
        reader->stoppedAtWord = 1;
        reader->stopSign = sign;
        return 0;
    }
    unsigned int magnitude = 0;
    int wrapped = 0;
    while (c >= '0' && c <= '9') {
        unsigned int digit = (unsigned int)(c - '0');
        if (magnitude > (0xFFFFFFFFu - digit) / 10u) wrapped = 1;
        magnitude = magnitude * 10u + digit;
        c = nextChar(reader);
    }
    if (c != EOF) putBack(reader, c);
    if (sign == '-') {
        if (magnitude > 0x80000000u) wrapped = 1;
        magnitude = 0u - magnitude;
    } else if (magnitude > 0x7FFFFFFFu) {
        wrapped = 1;
    }
    reader->wrapped = wrapped;
    *holder = (int)magnitude;
    return 1;
}

void readSettingsValues(SettingsReader *reader, SettingsFileValues *values)
{
    int holder = 0;
    int line = 0;
    int wrapped = 0;
    values->ownValues = 0;
    for (int i = 0; i < settingsPositionCount; i++) {
        if (readSettingsValue(reader, &holder)) {
            line = reader->line;
            wrapped = reader->wrapped;
            values->ownValues++;
        }
        values->values[i] = holder;
        values->lines[i] = line;
        values->wrapped[i] = wrapped;
    }
}

void applySettingsValues(const int values[settingsPositionCount], SettingsRecord *settings)
{
    for (const SettingPosition &p : settingPositions)
        if (p.field) settings->*p.field = settingFieldValue(p, values[p.position - 1]);
    // Every value is in first, so the order of the table does not matter.
    for (const SettingPosition &p : settingPositions)
        if (p.forcedOffBy && settings->*settingPositions[p.forcedOffBy - 1].field == 1) settings->*p.field = 0;
    if (settings->animateMenus == 0 && settings->animateMainWindows == 0)
        settings->animateWindows = 0;
}

void readSettingsFile(FILE *file, SettingsRecord *settings)
{
    SettingsReader reader;
    beginSettingsRead(&reader, file);
    SettingsFileValues values;
    readSettingsValues(&reader, &values);
    applySettingsValues(values.values, settings);
}

// A marker counts by being there: an ordinary disk file within the bound.
static int fileExists(const char *path)
{
    DWORD length = 0;
    return readFileStart(path, engineFileSizeLimit, NULL, 0, &length) == fileRead;
}

int readDisableMarker(const char *windowsDirectory)
{
    char text[engineFileSizeLimit];
    DWORD length = 0;
    if (readEngineFolderFile(windowsDirectory, disableMarkerSuffix, text, &length) != fileRead) return 0;
    SettingsReader reader;
    beginSettingsTextRead(&reader, text, (int)length);
    int value = 0;
    readSettingsValue(&reader, &value);
    return value == 1;
}

int loadSettings(const char *windowsDirectory, SettingsRecord *settings)
{
    char path[300];
    if (!fileExists(engineFilePath(path, sizeof path, windowsDirectory, pluginMarkerSuffix)))
        settings->usePlugin = 0;
    // The progress bitmap has no vl.ini position; a marker switches it on, as
    // the plug-in's marker does.
    if (fileExists(engineFilePath(path, sizeof path, windowsDirectory, progressMarkerSuffix)))
        settings->progressBitmap = 1;
    char text[engineFileSizeLimit];
    DWORD length = 0;
    int found = currentFolderIsLocal() ? readEngineFile(settingsFileName, text, &length) : fileAbsent;
    if (found != fileRead)
        found = readEngineFolderFile(windowsDirectory, settingsFileSuffix, text, &length);
    if (found != fileRead) return 0;
    SettingsReader reader;
    beginSettingsTextRead(&reader, text, (int)length);
    SettingsFileValues values;
    readSettingsValues(&reader, &values);
    applySettingsValues(values.values, settings);
    return 1;
}
