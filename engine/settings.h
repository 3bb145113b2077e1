// The engine's settings: one process-wide record filled at process attach
// from "vl.ini" (40 bare integers whose meaning is their position) and the
// marker files of the engine folder, then only read, but for the live path
// (engine/live_settings.h), which fills it again when a tool announces a
// change.
#pragma once

#include <stdio.h>

struct SettingsRecord {
    // Positions of vl.ini, in file order.
    int paintCaptions;          // 1
    int listViewHotTrack;       // 2
    int flatToolbars;           // 3
    int skinButtons;            // 4
    int flatTabs;               // 5
    int activeGradientEndR;     // 6
    int activeGradientEndG;     // 7
    int activeGradientEndB;     // 8
    int inactiveGradientEndR;   // 9
    int inactiveGradientEndG;   // 10
    int inactiveGradientEndB;   // 11
    int gradientSteps;          // 12
    int animateMainWindows;     // 13
    int animateMenus;           // 14
    int solidInactiveCaption;   // 15
    int animationDelay;         // 16
    int centerCaptionText;      // 18
    int mirroredGradient;       // 19
    int skinMdiChildren;        // 20
    int controlBarGrippers;     // 21
    int tabDesktopBackground;   // 22
    int tileBackgrounds;        // 23
    int transparentListText;    // 24
    int folderBackground;       // 25
    int listViewGridLines;      // 26
    int macButtons;             // 27
    int forceClientEdge;        // 28
    int unusedFlag29;           // 29: read and stored, never used
    int unusedFlag30;           // 30: read and stored, never used
    int pageKeyScroll;          // 31
    int rightClickRollUp;       // 32
    int roundedWindows;         // 33
    int skipToolWindowCaptions; // 34
    int subclassWindows;        // 35
    int mdiBackground;          // 36
    int skinScrollBars;         // 37
    int splitTitleFonts;        // 38
    int ownerDrawnButtons;      // 39
    int subclassOnActivate;     // 40

    // Fields no vl.ini position sets.
    int usePlugin;
    int animateWindows;
    int buttonClassPass;
    int scrollBarBlackBoxes;
    int progressBitmap;
};

extern SettingsRecord Settings;

// How a position's value becomes its field.
enum SettingKind {
    flagOffWhenOne,   // the usual flag: a 1 in the file switches the feature off
    flagOnWhenOne,    // position 34: a 1 switches the feature on
    byteValue,        // the low 8 bits, unsigned
    ignoredValue,     // position 17: read and dropped
};

// The pages of the settings window (tools/settings), in their order.
enum SettingPage { noPage = -1, captionsPage, controlsPage, backgroundsPage, windowsPage, settingsPageCount };
extern const char *const settingPageTitles[settingsPageCount];

// The groups of those pages: each on one page, shown in this order.
enum SettingGroup {
    noGroup = -1,
    whichCaptionsGroup,
    captionColoursGroup,
    titleTextGroup,
    stripedCaptionsGroup,
    pushButtonsGroup,
    barsGroup,
    listsGroup,
    scrollBarsGroup,
    picturesGroup,
    whichWindowsGroup,
    motionGroup,
    mouseAndKeysGroup,
    menusGroup,
    notUsedGroup,
    settingGroupCount
};
struct SettingGroupEntry {
    SettingPage page;
    const char *title;
};
extern const SettingGroupEntry settingGroups[settingGroupCount];

// The two colours of vl.ini, each three byte positions in a row (red, green,
// blue) that people set as one #RRGGBB value under the colour's name.
enum SettingColour { noColour = -1, activeEndColour, inactiveEndColour, settingColourCount };
struct SettingColourEntry {
    const char *name;   // as vlconf and the named form take it
    const char *label;  // for people, as the settings window shows it
    const char *help;
};
extern const SettingColourEntry settingColours[settingColourCount];

// When running programs follow a change (engine/live_settings.h).
enum SettingLive {
    liveNever,          // no effect at all
    liveAtOnce,         // on the next repaint or message, either way
    liveOnKeepsOff,     // switched on at once; switched off, windows already changed keep it
};

struct SettingPosition {
    int position;                       // 1..40
    const char *name;                   // field name, or NULL for position 17
    SettingKind kind;
    int defaultValue;                   // field value before any file is read
    int SettingsRecord::*field;         // NULL for position 17
    const char *description;            // help text: one line for people
    const char *label;                  // what a Windows user would read in Display Properties
    SettingGroup group;                 // where the settings window shows it (the group gives the page)
    SettingColour colour;               // the colour it is one third of, or noColour
    int forcedOffBy;                    // a flag whose being on holds this one off; 0 when none
    const char *forcedOffWhy;           // why, for people; NULL when none
    SettingLive live;
};

enum { settingsPositionCount = 40 };
extern const SettingPosition settingPositions[settingsPositionCount];

// The page a position is shown on, noPage for position 17.
SettingPage settingPage(const SettingPosition &position);

// The three positions of a colour, red first.
void settingColourPositions(SettingColour colour, int positions[3]);

// A colour by name, ignoring case; noColour when none has it.
SettingColour findSettingColour(const char *name);

// The record as it is before any file is read.
void resetSettings(SettingsRecord *settings);

// The field value a position's rule gives for a value read from the file.
int settingFieldValue(const SettingPosition &position, int value);

// The inverse for tools that write vl.ini: the file value that gives a field
// the value wanted (0/1 for flags, 0..255 for bytes): 0 switches a usual
// flag on and 1 off, position 34 the other way round, a byte is itself.
// Position 17 gets 0.
int settingFileValue(const SettingPosition &position, int fieldValue);

// The table entry of a field name, compared ignoring case; NULL when no
// position has that name (position 17 has none).
const SettingPosition *findSettingPosition(const char *name);

// Reads the next decimal integer as "%d" would, into *holder. A failed read
// (end of file, or a token that is not a number) leaves *holder unchanged and
// consumes nothing, so every later read fails the same way. A number outside
// the 32-bit range keeps its low 32 bits (it wraps modulo 2^32), so byte
// positions still see the number modulo 256. *line, when given, counts the
// line breaks passed, so tools can say where a value stands.
struct SettingsReader {
    FILE *file;        // NULL when reading text already in memory
    const char *text;  // the engine's files are read whole first (engine/small_files.h)
    int textLength;
    int textAt;
    int line;          // 1-based line of the last value read or of the stop
    int stuck;         // 1 once a read has failed
    int stoppedAtWord; // 1 when the stop was a token that is not a number
    int stopSign;      // '+' or '-' when a sign came just before that token, else 0
    int wrapped;       // 1 when the last value read did not fit 32 bits
};
void beginSettingsRead(SettingsReader *reader, FILE *file);
// The same over the bytes of a file read whole, as a text-mode stream gives
// them: a Ctrl-Z ends them.
void beginSettingsTextRead(SettingsReader *reader, const char *text, int length);
int readSettingsValue(SettingsReader *reader, int *holder);

// The 40 values the holder carries after each position's read, before any
// rule is applied, and the line each came from.
struct SettingsFileValues {
    int values[settingsPositionCount];  // index 0 is position 1
    int lines[settingsPositionCount];   // line of the value taken; 0 when none was read yet
    int wrapped[settingsPositionCount]; // 1 where the value taken did not fit 32 bits
    int ownValues;                      // positions that read a value of their own (0..40)
};
void readSettingsValues(SettingsReader *reader, SettingsFileValues *values);

// The rules and the forcings of the table (forcedOffBy), applied to the
// 40 holder values into a record (which keeps its other fields).
void applySettingsValues(const int values[settingsPositionCount], SettingsRecord *settings);

// Reads the 40 positions from an open vl.ini with the rules and the
// forcings.
void readSettingsFile(FILE *file, SettingsRecord *settings);


// Attach step 2 (docs/design.md): reads the disable marker. Returns 1 when
// it holds 1.
int readDisableMarker(const char *windowsDirectory);

// Attach step 6 (docs/design.md): plug-in and progress markers, then vl.ini
// from the current directory, else the engine folder. Returns 0 when neither
// settings file opens. Each is read through engine/small_files.h: a file
// refused there counts as absent, and the current directory only counts on
// a local drive.
int loadSettings(const char *windowsDirectory, SettingsRecord *settings);
