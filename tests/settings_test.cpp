// The settings file: positions, the two rules, the forcings and what a
// broken file gives.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "engine/settings.h"
#include "engine/small_files.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_folder.h"

static SettingsRecord readText(const std::string &text)
{
    TestFolder folder("read");
    folder.write("\\vl.ini", text);
    SettingsRecord s;
    resetSettings(&s);
    FILE *f = fopen(folder.file("\\vl.ini").c_str(), "r");
    EXPECT_TRUE(f != NULL);
    if (f) {
        readSettingsFile(f, &s);
        fclose(f);
    }
    // The engine reads the same bytes whole into memory first: it must make
    // the same record of them.
    TestFolder engineFolder("read-engine");
    engineFolder.write("\\varnels\\vl.ini", text);
    SettingsRecord engine;
    resetSettings(&engine);
    const int loaded = loadSettings(engineFolder.path(), &engine);
    engine.usePlugin = s.usePlugin;
    if (text.size() <= engineFileSizeLimit) {
        EXPECT_EQ(1, loaded);
        EXPECT_EQ(0, memcmp(&s, &engine, sizeof s)) << "the engine's reading differs from the stream's";
    }
    return s;
}

static std::string values(std::initializer_list<int> list)
{
    std::string text;
    for (int v : list) text += std::to_string(v) + "\n";
    return text;
}

TEST(Settings, DefaultsBeforeAnyFile)
{
    SettingsRecord s;
    resetSettings(&s);
    EXPECT_EQ(1, s.paintCaptions);
    EXPECT_EQ(128, s.inactiveGradientEndB);
    EXPECT_EQ(1, s.rightClickRollUp);
    EXPECT_EQ(1, s.skipToolWindowCaptions);
    EXPECT_EQ(0, s.macButtons);
    EXPECT_EQ(1, s.usePlugin);
    EXPECT_EQ(1, s.animateWindows);
    EXPECT_EQ(1, s.buttonClassPass);
    EXPECT_EQ(0, s.progressBitmap);
}

TEST(Settings, SingleValueTwoReachesEveryPosition)
{
    SettingsRecord s = readText("2\n");
    // Every flag of the form "value != 1" is on, position 34 is off, every
    // byte is 2; but striped captions (27) force solidInactiveCaption off and
    // centred text (18) forces splitTitleFonts off.
    for (const SettingPosition &p : settingPositions) {
        if (!p.field) continue;
        int expected = p.kind == byteValue ? 2 : p.kind == flagOnWhenOne ? 0 : 1;
        if (p.field == &SettingsRecord::solidInactiveCaption || p.field == &SettingsRecord::splitTitleFonts)
            expected = 0;
        EXPECT_EQ(expected, s.*p.field) << p.name;
    }
    EXPECT_EQ(1, s.animateWindows);
}

TEST(Settings, ThirtyNineValuesRepeatTheLastIntoPositionForty)
{
    std::string text;
    for (int i = 1; i <= 38; i++) text += "0\n";
    text += "1\n";  // position 39: owner-drawn buttons off
    SettingsRecord s = readText(text);
    EXPECT_EQ(0, s.ownerDrawnButtons);
    EXPECT_EQ(0, s.subclassOnActivate) << "position 40 takes position 39's 1";
}

TEST(Settings, OneSwitchesFeaturesOffButPositionThirtyFourOn)
{
    SettingsRecord s =
        readText(settingsFileFor({{"skipToolWindowCaptions", 1}, {"paintCaptions", 0}, {"rightClickRollUp", 0}}));
    EXPECT_EQ(1, s.skipToolWindowCaptions);
    EXPECT_EQ(0, s.paintCaptions);
    EXPECT_EQ(0, s.rightClickRollUp);
    s = readText(settingsFileFor({{"skipToolWindowCaptions", 0}}));
    EXPECT_EQ(0, s.skipToolWindowCaptions);
}

TEST(Settings, StripedCaptionsForceSolidInactiveCaptionOff)
{
    SettingsRecord s = readText(settingsFileFor({{"solidInactiveCaption", 1}, {"macButtons", 1}}));
    EXPECT_EQ(1, s.macButtons);
    EXPECT_EQ(0, s.solidInactiveCaption);
    s = readText(settingsFileFor({{"solidInactiveCaption", 1}, {"macButtons", 0}}));
    EXPECT_EQ(0, s.macButtons);
    EXPECT_EQ(1, s.solidInactiveCaption);
}

TEST(Settings, CentredTextForcesOneFont)
{
    SettingsRecord s = readText(settingsFileFor({{"centerCaptionText", 1}, {"splitTitleFonts", 1}}));
    EXPECT_EQ(1, s.centerCaptionText);
    EXPECT_EQ(0, s.splitTitleFonts);
    s = readText(settingsFileFor({{"centerCaptionText", 0}, {"splitTitleFonts", 1}}));
    EXPECT_EQ(1, s.splitTitleFonts);
}

TEST(Settings, NoAnimationSwitchesTheMasterOff)
{
    EXPECT_EQ(0, readText(settingsFileFor({{"animateMainWindows", 0}, {"animateMenus", 0}})).animateWindows);
    EXPECT_EQ(1, readText(settingsFileFor({{"animateMainWindows", 0}, {"animateMenus", 1}})).animateWindows);
}

TEST(Settings, WordStopsReadingAndLaterPositionsRepeatTheLastValue)
{
    SettingsRecord s = readText("0 0 12 junk 1 1 1\n");
    EXPECT_EQ(1, s.flatToolbars);
    EXPECT_EQ(1, s.skinButtons);                   // position 4 repeats 12 (not 1): on
    EXPECT_EQ(12, s.activeGradientEndR);           // position 6 repeats 12
    EXPECT_EQ(12, s.gradientSteps);
    EXPECT_EQ(1, s.rightClickRollUp);              // 12 != 1
}

TEST(Settings, EmptyFileGivesZeroEverywhere)
{
    SettingsRecord s = readText("");
    EXPECT_EQ(1, s.paintCaptions);
    EXPECT_EQ(0, s.gradientSteps);
    EXPECT_EQ(0, s.inactiveGradientEndR);
    EXPECT_EQ(0, s.skipToolWindowCaptions);
    EXPECT_EQ(1, s.macButtons);
}

TEST(Settings, BytesKeepTheirLowEightBitsAndHugeNumbersWrap)
{
    SettingsRecord s = readText(values({0, 0, 0, 0, 0, 300, -1, 256}));
    EXPECT_EQ(44, s.activeGradientEndR);
    EXPECT_EQ(255, s.activeGradientEndG);
    EXPECT_EQ(0, s.activeGradientEndB);
    // 4294967297 is 2^32 + 1: it wraps to 1, and 1 at a flag switches it off.
    s = readText("4294967297\n");
    EXPECT_EQ(0, s.paintCaptions);
    EXPECT_EQ(1, s.gradientSteps);
    // Twenty digits still give the number modulo 2^32, never a crash.
    s = readText("-99999999999999999999\n");
    unsigned int wrapped = 0;
    for (const char *d = "99999999999999999999"; *d; d++) wrapped = wrapped * 10u + (unsigned)(*d - '0');
    EXPECT_EQ((int)((0u - wrapped) & 0xFF), s.gradientSteps);
}

TEST(Settings, CrLfAndSignsAreNumbers)
{
    SettingsRecord s = readText("+1\r\n-0\r\n1\r\n");
    EXPECT_EQ(0, s.paintCaptions);
    EXPECT_EQ(1, s.listViewHotTrack);
    EXPECT_EQ(0, s.flatToolbars);
}

TEST(Settings, ReaderCountsLinesAndReportsTheWord)
{
    TestFolder folder("lines");
    folder.write("\\x.ini", "1\n2\n\nabc\n5\n");
    FILE *f = fopen(folder.file("\\x.ini").c_str(), "r");
    ASSERT_TRUE(f != NULL);
    SettingsReader reader;
    beginSettingsRead(&reader, f);
    int holder = 0;
    EXPECT_EQ(1, readSettingsValue(&reader, &holder));
    EXPECT_EQ(1, readSettingsValue(&reader, &holder));
    EXPECT_EQ(2, reader.line);
    EXPECT_EQ(0, readSettingsValue(&reader, &holder));
    EXPECT_EQ(2, holder) << "a failed read leaves the holder alone";
    EXPECT_EQ(4, reader.line);
    EXPECT_EQ(1, reader.stoppedAtWord);
    EXPECT_EQ(0, readSettingsValue(&reader, &holder)) << "the word is never consumed";
    fclose(f);
}

TEST(Settings, CurrentDirectoryWinsOverTheEngineFolder)
{
    TestFolder folder("cwd");
    CurrentTestFolder current("cwd-current");
    folder.write("\\varnels\\vl.ini", settingsFileFor({{"gradientSteps", 7}}));

    SettingsRecord s;
    resetSettings(&s);
    EXPECT_EQ(1, loadSettings(folder.path(), &s));
    EXPECT_EQ(7, s.gradientSteps) << "engine folder when the current directory has none";

    current.write("\\vl.ini", settingsFileFor({{"gradientSteps", 9}}));
    resetSettings(&s);
    EXPECT_EQ(1, loadSettings(folder.path(), &s));
    EXPECT_EQ(9, s.gradientSteps);

    folder.remove("\\varnels\\vl.ini");
    current.remove("\\vl.ini");
    resetSettings(&s);
    EXPECT_EQ(0, loadSettings(folder.path(), &s)) << "neither place";
}

TEST(Settings, MarkersSwitchThePlugInAndTheProgressBitmap)
{
    TestFolder folder("markers");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    SettingsRecord s;
    resetSettings(&s);
    loadSettings(folder.path(), &s);
    EXPECT_EQ(0, s.usePlugin);
    EXPECT_EQ(0, s.progressBitmap);
    folder.write("\\varnels\\vlplug.ini", "");
    folder.write("\\varnels\\vlprog.ini", "");
    resetSettings(&s);
    loadSettings(folder.path(), &s);
    EXPECT_EQ(1, s.usePlugin);
    EXPECT_EQ(1, s.progressBitmap);
}

TEST(Settings, DisableMarkerHoldsOneOrNot)
{
    TestFolder folder("disable");
    EXPECT_EQ(0, readDisableMarker(folder.path()));
    folder.write("\\varnels\\vldis.ini", "1\n");
    EXPECT_EQ(1, readDisableMarker(folder.path()));
    folder.write("\\varnels\\vldis.ini", "");
    EXPECT_EQ(0, readDisableMarker(folder.path()));
    folder.write("\\varnels\\vldis.ini", "2");
    EXPECT_EQ(0, readDisableMarker(folder.path()));
}

// ---- What another program can leave in the current folder ----

// Writes size bytes of blanks: a file the reader must walk through whole
// before it finds no value.
static void writeBlanks(const std::string &path, DWORD size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::vector<char> chunk(1 << 20, ' ');
    for (DWORD written = 0; written < size;) {
        DWORD part = std::min<DWORD>((DWORD)chunk.size(), size - written), done = 0;
        ASSERT_TRUE(WriteFile(file, chunk.data(), part, &done, NULL));
        written += done;
    }
    CloseHandle(file);
}

// A vl.ini the engine cannot take counts as absent: the engine folder's
// settings apply. One of exactly the bound is still read.
TEST(Settings, ACurrentFolderFileTooLargeOrNoFileIsPassedOver)
{
    TestFolder folder("hostile");
    CurrentTestFolder current("hostile-current");
    folder.write("\\varnels\\vl.ini", settingsFileFor({{"gradientSteps", 7}}));
    const std::string own = settingsFileFor({{"gradientSteps", 9}});
    struct Case {
        const char *what;
        std::string content;  // "" with directory: a folder named vl.ini
        bool directory;
        int gradientSteps;
    } cases[] = {
        {"just within the bound", own + std::string(engineFileSizeLimit - own.size(), ' '), false, 9},
        {"one byte over the bound", own + std::string(engineFileSizeLimit - own.size() + 1, ' '), false, 7},
        {"a megabyte of settings", own + std::string(1 << 20, ' '), false, 7},
        {"a directory named vl.ini", "", true, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.directory)
            ASSERT_TRUE(CreateDirectoryA(current.file("\\vl.ini").c_str(), NULL));
        else
            current.write("\\vl.ini", c.content);
        SettingsRecord s;
        resetSettings(&s);
        EXPECT_EQ(1, loadSettings(folder.path(), &s));
        EXPECT_EQ(c.gradientSteps, s.gradientSteps);
        if (c.directory)
            RemoveDirectoryA(current.file("\\vl.ini").c_str());
        else
            current.remove("\\vl.ini");
    }
}

static double attachSeconds(const TestFolder &folder)
{
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    EXPECT_TRUE(attachEngine(folder));
    QueryPerformanceCounter(&end);
    detachEngine();
    return (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

// The least of the rounds: what the file itself costs, with the machine's
// other work left out as far as can be.
static double leastOf(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }

// Attach runs under the loader lock of every program the engine enters: a
// huge vl.ini or a folder of that name in the program's current folder adds
// next to nothing to it.
TEST(Settings, AHugeOrFolderVlIniInTheCurrentFolderDoesNotSlowAttach)
{
    const double allowedSeconds = 0.005;
    const DWORD hugeSize = 64u << 20;
    TestFolder folder("attach-time");
    CurrentTestFolder current("attach-time-current");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    std::vector<double> without, huge, directory;
    writeBlanks(current.file("\\vl.ini"), hugeSize);
    for (int round = 0; round < 5; round++) {
        huge.push_back(attachSeconds(folder));
        MoveFileA(current.file("\\vl.ini").c_str(), current.file("\\blanks").c_str());
        without.push_back(attachSeconds(folder));
        CreateDirectoryA(current.file("\\vl.ini").c_str(), NULL);
        directory.push_back(attachSeconds(folder));
        RemoveDirectoryA(current.file("\\vl.ini").c_str());
        MoveFileA(current.file("\\blanks").c_str(), current.file("\\vl.ini").c_str());
    }
    current.remove("\\vl.ini");
    printf("attach: without %.4f s, 64 MB of blanks %.4f s, a directory %.4f s\n", leastOf(without), leastOf(huge),
           leastOf(directory));
    EXPECT_LT(leastOf(huge) - leastOf(without), allowedSeconds);
    EXPECT_LT(leastOf(directory) - leastOf(without), allowedSeconds);
}
