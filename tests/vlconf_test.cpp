// vlconf, the settings tool, run as the real vlconf.exe: it writes what the
// engine reads back as asked, reports what will surprise with line numbers,
// converts to the named form and back without loss, refuses bad input
// without touching the file, and its reference is docs/settings.md.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "engine/newer_functions.h"
#include "engine/program_exclusion.h"
#include "engine/settings.h"
#include "engine/settings_generation.h"
#include "support/child_process.h"
#include "support/settings_file.h"
#include "support/test_folder.h"
#include "tools/vlconf/vlconf.h"

static std::string readBytes(const std::string &path)
{
    std::string content;
    return readFileContent(path, &content) ? content : "<missing>";
}

// Runs vlconf.exe with its output in files, in currentDirectory when given,
// with extraVariable ("NAME=value") added to its environment when given.
static ToolRun vlconf(const std::vector<std::string> &args, const char *currentDirectory = NULL,
                      const char *extraVariable = NULL)
{
    static TestFolder io("io");
    return runTool("vlconf.exe", args, io.path(), currentDirectory, extraVariable);
}

static SettingsFileValues engineValues(const std::string &path)
{
    SettingsFileValues values = {};
    FILE *f = fopen(path.c_str(), "r");
    EXPECT_TRUE(f != NULL) << path;
    if (!f) return values;
    SettingsReader reader;
    beginSettingsRead(&reader, f);
    readSettingsValues(&reader, &values);
    fclose(f);
    return values;
}

static SettingsRecord engineRecord(const std::string &path)
{
    SettingsRecord record;
    resetSettings(&record);
    FILE *f = fopen(path.c_str(), "r");
    EXPECT_TRUE(f != NULL) << path;
    if (f) {
        readSettingsFile(f, &record);
        fclose(f);
    }
    return record;
}

// The canonical vl.ini of the values the engine reads from a file.
static std::string canonicalOf(const std::string &path)
{
    SettingsFileValues values = engineValues(path);
    std::string text;
    for (int v : values.values) text += std::to_string(v) + "\r\n";
    return text;
}

static std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

static int countFiles(const TestFolder &folder, const char *pattern)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(folder.file(std::string("\\") + pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do n++;
    while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
}

// ---- new, set, show ---------------------------------------------------------

struct ShowRow {
    std::string name;
    int file;
    std::string engine;
};

static std::map<int, ShowRow> showRows(const std::string &out)
{
    std::map<int, ShowRow> rows;
    for (const std::string &line : lines(out)) {
        int position, file;
        char name[64], engine[16];
        if (sscanf(line.c_str(), "%d %63s %d %15s", &position, name, &file, engine) == 4)
            rows[position] = {name, file, engine};
    }
    return rows;
}

static std::string expectedEngineText(const SettingPosition &p, const SettingsRecord &r, int fileValue)
{
    if (!p.field) return "-";
    int field = r.*p.field;
    std::string text = p.kind == byteValue ? std::to_string(field) : field ? "on" : "off";
    if (field != settingFieldValue(p, fileValue)) text += "*";
    return text;
}

TEST(VlconfFile, NewSetShowRoundTrip)
{
    TestFolder folder("roundtrip");
    std::string path = folder.file("\\vl.ini");
    ASSERT_EQ(0u, vlconf({"new", path}).code);
    EXPECT_EQ(settingsFileFor({}), readBytes(path)) << "new writes the engine's defaults, one value a line";

    ToolRun set = vlconf({"set", "gradientSteps=32", "macButtons=on", path});
    ASSERT_EQ(0u, set.code) << set.err;
    EXPECT_EQ(settingsFileFor({{"gradientSteps", 32}, {"macButtons", 1}}), readBytes(path))
        << "only the two positions change";
    SettingsRecord engine = engineRecord(path);
    EXPECT_EQ(32, engine.gradientSteps);
    EXPECT_EQ(1, engine.macButtons);
    EXPECT_EQ(0, engine.solidInactiveCaption) << "striped captions force it off";
    EXPECT_NE(std::string::npos, set.out.find("solidInactiveCaption stays off")) << set.out;

    ToolRun show = vlconf({"show", path});
    ASSERT_EQ(0u, show.code) << show.err;
    std::map<int, ShowRow> rows = showRows(show.out);
    ASSERT_EQ(40u, rows.size()) << show.out;
    SettingsFileValues file = engineValues(path);
    for (const SettingPosition &p : settingPositions) {
        const ShowRow &row = rows[p.position];
        EXPECT_EQ(p.name ? p.name : "(ignored)", row.name) << p.position;
        EXPECT_EQ(file.values[p.position - 1], row.file) << p.position;
        EXPECT_EQ(expectedEngineText(p, engine, file.values[p.position - 1]), row.engine) << p.position;
    }
    EXPECT_EQ("32", rows[settingPosition("gradientSteps")].engine);
    EXPECT_EQ("on", rows[settingPosition("macButtons")].engine);
    EXPECT_EQ("off*", rows[settingPosition("solidInactiveCaption")].engine);
    EXPECT_EQ(0, countFiles(folder, "*.tmp")) << "no temporary file is left behind";
}

// Running programs learn of a change through the settings generation: every
// command that writes what the engine reads bumps it once the file is in
// place. Other tests' runs may bump it too, so only a rise is looked for.
TEST(VlconfFile, EveryWriteBumpsTheSettingsGeneration)
{
    TestFolder folder("generation");
    const std::string path = folder.file("\\vl.ini"), list = folder.file("\\vlexcl.ini"),
                      named = folder.file("\\named.txt");
    GenerationView held;
    ASSERT_TRUE(openGenerationView(NULL, &held));
    const std::vector<std::vector<std::string>> writes = {
        {"new", path},
        {"set", "gradientSteps=12", path},
        {"export", path, named},
        {"import", named, path},
        {"exclude", "game.exe", list},
        {"include", "game.exe", list},
    };
    for (const std::vector<std::string> &args : writes) {
        const LONG before = *held.generation;
        ToolRun run = vlconf(args);
        ASSERT_EQ(0u, run.code) << args[0] << ": " << run.err;
        if (args[0] == "export")
            continue;  // the named form is not read by the engine
        EXPECT_GT(*held.generation, before) << args[0];
    }
    closeGenerationView(&held);
}

TEST(VlconfFile, NewRefusesToOverwriteUnlessForced)
{
    TestFolder folder("new");
    std::string path = folder.file("\\vl.ini");
    folder.write("\\vl.ini", "1 2 3\n");
    ToolRun refused = vlconf({"new", path});
    EXPECT_NE(0u, refused.code);
    EXPECT_NE(std::string::npos, refused.err.find("--force")) << refused.err;
    EXPECT_EQ("1 2 3\n", readBytes(path));
    EXPECT_EQ(0u, vlconf({"new", "--force", path}).code);
    EXPECT_EQ(settingsFileFor({}), readBytes(path));
}

TEST(VlconfFile, ColourNamesAndRawPositions)
{
    TestFolder folder("colour");
    std::string path = folder.file("\\vl.ini");
    folder.write("\\vl.ini", settingsFileFor({}));
    ToolRun run = vlconf({"set", "activeGradientEnd=#0A1b2C", "inactiveGradientEnd=#FFFFFF", "position17=9",
                      "position1=7", "skipToolWindowCaptions=no", "listViewHotTrack=FALSE", path});
    ASSERT_EQ(0u, run.code) << run.err;
    EXPECT_EQ(settingsFileFor({{"activeGradientEndR", 10},
                               {"activeGradientEndG", 27},
                               {"activeGradientEndB", 44},
                               {"inactiveGradientEndR", 255},
                               {"inactiveGradientEndG", 255},
                               {"inactiveGradientEndB", 255},
                               fileValue("position17", 9),
                               fileValue("paintCaptions", 7),
                               {"skipToolWindowCaptions", 0},
                               {"listViewHotTrack", 0}}),
              readBytes(path));
}

TEST(VlconfFile, SetRewritesAnOddFileKeepingWhatTheEngineReads)
{
    TestFolder folder("odd");
    std::string path = folder.file("\\vl.ini");
    folder.write("\\vl.ini", "0 0\t1\n300 -1 0 0 0\r\n128 128 128 4 junk 9 9 9\n");
    SettingsFileValues before = engineValues(path);
    ToolRun run = vlconf({"set", "gradientSteps=5", path});
    ASSERT_EQ(0u, run.code) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("40 values, one a line")) << run.out;
    SettingsFileValues after = engineValues(path);
    EXPECT_EQ(40, after.ownValues);
    for (int i = 0; i < settingsPositionCount; i++)
        EXPECT_EQ(i + 1 == settingPosition("gradientSteps") ? 5 : before.values[i], after.values[i])
            << "position " << i + 1;
}

// ---- Mistakes leave the file untouched ---------------------------------------

TEST(VlconfErrors, UnknownNameFailsWithNearestNamesAndLeavesFileUntouched)
{
    TestFolder folder("unknown");
    std::string path = folder.file("\\vl.ini");
    const std::string odd = "0 0 1\n300\n";  // any rewrite would show
    folder.write("\\vl.ini", odd);
    ToolRun run = vlconf({"set", "gradientSteps=3", "gradiantSteps=4", path});
    EXPECT_NE(0u, run.code);
    EXPECT_NE(std::string::npos, run.err.find("\"gradiantSteps\"")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("did you mean gradientSteps")) << run.err;
    EXPECT_EQ(odd, readBytes(path));
    EXPECT_EQ(0, countFiles(folder, "*.tmp"));
}

struct BadArguments {
    std::vector<std::string> args;
    const char *named;  // what the message must name
};

TEST(VlconfErrors, BadValuesAreNamedAndChangeNothing)
{
    TestFolder folder("bad");
    std::string path = folder.file("\\vl.ini");
    const std::string text = settingsFileFor({{"gradientSteps", 7}});
    folder.write("\\vl.ini", text);
    const BadArguments cases[] = {
        {{"set", "gradientSteps=256"}, "gradientSteps=256"},
        {{"set", "gradientSteps=-1"}, "0 to 255"},
        {{"set", "gradientSteps=12abc"}, "gradientSteps=12abc"},
        {{"set", "macButtons=maybe"}, "macButtons=maybe"},
        {{"set", "macButtons="}, "on or off"},
        {{"set", "activeGradientEnd=#12345"}, "#RRGGBB"},
        {{"set", "inactiveGradientEnd=blue"}, "inactiveGradientEnd=blue"},
        {{"set", "position41=0"}, "position41"},
        {{"set", "position3=x"}, "position3=x"},
        {{"set", "=5"}, "unknown setting \"\""},
        {{"set", "gradientSteps=3", "gradientSteps=4"}, "set twice"},
        {{"set", "activeGradientEnd=#000000", "activeGradientEndG=3"}, "set twice"},
        {{"set"}, "NAME=VALUE"},
    };
    for (const BadArguments &c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back(path);
        ToolRun run = vlconf(args);
        EXPECT_EQ((DWORD)exitUsage, run.code) << c.named;
        EXPECT_NE(std::string::npos, run.err.find(c.named)) << run.err;
        EXPECT_EQ(text, readBytes(path)) << c.named;
    }
    EXPECT_EQ(0, countFiles(folder, "*.tmp"));
}

TEST(VlconfErrors, MissingFileAndBadCommandsFail)
{
    TestFolder folder("missing");
    ToolRun missing = vlconf({"set", "gradientSteps=3", folder.file("\\none.ini")});
    EXPECT_EQ((DWORD)exitFileError, missing.code);
    EXPECT_NE(std::string::npos, missing.err.find("none.ini")) << missing.err;
    EXPECT_EQ("<missing>", readBytes(folder.file("\\none.ini"))) << "set does not create a file";

    ToolRun typo = vlconf({"shwo"});
    EXPECT_EQ((DWORD)exitUsage, typo.code);
    EXPECT_NE(std::string::npos, typo.err.find("did you mean show")) << typo.err;
    EXPECT_EQ((DWORD)exitUsage, vlconf({}).code);
    EXPECT_EQ((DWORD)exitUsage, vlconf({"check", "a.ini", "b.ini"}).code);
}

TEST(VlconfErrors, FailedReplaceLeavesNoTemporaryFile)
{
    TestFolder folder("replace");
    // A folder where the file should be: the new file cannot take its place.
    CreateDirectoryA(folder.file("\\vl.ini").c_str(), NULL);
    ToolRun run = vlconf({"new", "--force", folder.file("\\vl.ini")});
    EXPECT_EQ((DWORD)exitFileError, run.code) << run.out;
    EXPECT_NE(std::string::npos, run.err.find("vl.ini")) << run.err;
    EXPECT_EQ(0, countFiles(folder, "*.tmp"));
}

// A settings file being read is never lost to another tool's write: every
// program reads vl.ini as it starts, and the system refuses to replace a
// file that is open, so a write waits for the reader to let go (here a
// fifth of a second) instead of failing. The reader reads the text it
// opened, line breaks and Ctrl-Z as a text-mode stream gives them. A file
// that is not there says so.
static DWORD WINAPI closeAfterAWhile(void *stream)
{
    Sleep(200);
    fclose((FILE *)stream);
    return 0;
}

TEST(VlconfErrors, AWriteWaitsForAReaderToLetGo)
{
    TestFolder folder("sharing");
    const std::string path = folder.file("\\vl.ini");
    FILE *old = fopen(path.c_str(), "wb");
    ASSERT_TRUE(old);
    fputs("3\r\n7\x1a" "9\r\n", old);
    fclose(old);

    std::string error;
    FILE *reading = openTextForReading(path, &error);
    ASSERT_TRUE(reading) << error;
    char text[32] = {};
    const size_t n = fread(text, 1, sizeof text - 1, reading);
    EXPECT_EQ("3\n7", std::string(text, n));
    HANDLE closer = CreateThread(NULL, 0, closeAfterAWhile, reading, 0, NULL);
    ASSERT_TRUE(closer);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(replaceFile(path, "5\r\n", &error)) << error;
    const DWORD waited = GetTickCount() - start;
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_EQ("5\r\n", readBytes(path));
    // Where MoveFileExA replaces, the write waits for the reader; where the
    // old file is moved aside first (Windows 95, 98 and ME), a reader that
    // shares deletion is no obstacle.
    EXPECT_LT(waited, 1000u);
    EXPECT_EQ(0, countFiles(folder, "*.tmp"));

    EXPECT_FALSE(openTextForReading(folder.file("\\none.ini"), &error));
    EXPECT_NE(std::string::npos, error.find("none.ini")) << error;
}

// ---- Replacing without MoveFileExA (Windows 95, 98 and ME) -------------------

static const std::string hideNewerFunctions = std::string(newerFunctionsSwitch) + "=1";

static ToolRun vlconfWithoutNewerFunctions(const std::vector<std::string> &args)
{
    return vlconf(args, NULL, hideNewerFunctions.c_str());
}

TEST(VlconfOldSystems, SetReplacesThroughABackupAndLeavesNothingBehind)
{
    TestFolder folder("oldset");
    std::string path = folder.file("\\vl.ini");
    ToolRun created = vlconfWithoutNewerFunctions({"new", path});
    ASSERT_EQ(0u, created.code) << created.err;
    EXPECT_EQ(settingsFileFor({}), readBytes(path)) << "a first write needs no backup";

    ToolRun set = vlconfWithoutNewerFunctions({"set", "gradientSteps=32", "macButtons=on", path});
    ASSERT_EQ(0u, set.code) << set.err;
    EXPECT_EQ(settingsFileFor({{"gradientSteps", 32}, {"macButtons", 1}}), readBytes(path));
    ToolRun again = vlconfWithoutNewerFunctions({"set", "gradientSteps=8", path});
    ASSERT_EQ(0u, again.code) << again.err;
    EXPECT_EQ(settingsFileFor({{"gradientSteps", 8}, {"macButtons", 1}}), readBytes(path));
    EXPECT_EQ(0, countFiles(folder, "*.tmp")) << "neither the temporary nor the backup is left behind";
    EXPECT_EQ(1, countFiles(folder, "vl.ini*"));
}

// A vl.ini of one changed setting in a folder of the test's own: what the
// failing replacements below must leave as it was.
struct KeptFile {
    explicit KeptFile(const char *folderName) : folder(folderName), path(folder.file("\\vl.ini"))
    {
        folder.write("\\vl.ini", original);
    }
    TestFolder folder;
    const std::string path;
    const std::string original = settingsFileFor({{"gradientSteps", 3}});
};

// A change vlconf refused with a file error naming why: the file as it was,
// and no temporary or backup left beside it.
static void expectRefusedAndKept(const ToolRun &run, const char *why, const KeptFile &kept)
{
    EXPECT_EQ((DWORD)exitFileError, run.code) << run.out;
    EXPECT_NE(std::string::npos, run.err.find(why)) << run.err;
    EXPECT_EQ(kept.original, readBytes(kept.path));
    EXPECT_EQ(0, countFiles(kept.folder, "*.tmp"));
}

// MoveFileExA refuses to replace a read-only file on Windows (Wine replaces
// it anyway, so this also shows that the switch took the backup way).
TEST(VlconfOldSystems, ReadOnlyFileIsRefusedAndKept)
{
    const KeptFile kept("oldreadonly");
    ASSERT_TRUE(SetFileAttributesA(kept.path.c_str(), FILE_ATTRIBUTE_READONLY));
    ToolRun run = vlconfWithoutNewerFunctions({"set", "gradientSteps=32", kept.path});
    SetFileAttributesA(kept.path.c_str(), FILE_ATTRIBUTE_NORMAL);
    expectRefusedAndKept(run, "vl.ini", kept);
}

TEST(VlconfOldSystems, FileThatCannotBeMovedAsideIsKept)
{
    const KeptFile kept("oldbusy");
    // Open without FILE_SHARE_DELETE: the file cannot be renamed to the backup.
    HANDLE busy = CreateFileA(kept.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, busy);
    ToolRun run = vlconfWithoutNewerFunctions({"set", "gradientSteps=32", kept.path});
    CloseHandle(busy);
    expectRefusedAndKept(run, "cannot replace", kept);
}

// The step in the middle fails: the temporary cannot take the old file's
// place once that has been moved aside. The backup goes back under the old
// name, and the temporary stays for the caller to delete.
TEST(VlconfOldSystems, BackupIsPutBackWhenTheTemporaryCannotTakeItsPlace)
{
    const KeptFile kept("oldrestore");
    const TestFolder &folder = kept.folder;
    const std::string &path = kept.path;
    std::string error;
    EXPECT_FALSE(replaceThroughBackup(folder.file("\\missing.tmp"), path, &error));
    EXPECT_NE(std::string::npos, error.find("cannot replace " + path)) << error;
    EXPECT_EQ(std::string::npos, error.find("old content is in")) << error;
    EXPECT_EQ(kept.original, readBytes(path));
    EXPECT_EQ(0, countFiles(folder, "*.tmp")) << "no backup is left behind";

    folder.write("\\new.tmp", "new text");
    EXPECT_TRUE(replaceThroughBackup(folder.file("\\new.tmp"), path, &error)) << error;
    EXPECT_EQ("new text", readBytes(path));
    EXPECT_EQ(0, countFiles(folder, "*.tmp"));
}

// ---- check ------------------------------------------------------------------

struct Expected {
    int line;
    const char *says;
};

struct CheckCase {
    const char *what;
    std::string text;
    std::vector<Expected> findings;  // all of them
};

static std::string firstLines(int count)
{
    std::vector<std::string> all = lines(settingsFileFor({}));
    std::string text;
    for (int i = 0; i < count; i++) text += all[i] + "\r\n";
    return text;
}

static std::string defaultsWithLine(int line, const std::string &value)
{
    std::vector<std::string> all = lines(settingsFileFor({}));
    all[line - 1] = value;
    std::string text;
    for (const std::string &l : all) text += l + "\r\n";
    return text;
}

TEST(VlconfCheck, ReportsEachSurpriseWithItsLineAndChangesNothing)
{
    std::string tail;
    for (int i = 12; i <= 40; i++) tail += "0\r\n";
    const CheckCase cases[] = {
        {"39 values and a stray word", firstLines(39) + "junk\r\n",
         {{39, "only 39 values are read: position 40 (subclassOnActivate) repeats"},
          {40, "\"junk\" is not a number"}}},
        {"39 values", firstLines(39), {{39, "only 39 values are read"}}},
        {"a word in the middle", firstLines(10) + "eleven\r\n" + tail,
         {{10, "positions 11 to 40 repeat this line's value, 128"},
          {10, "macButtons (position 27) is on (128)"},
          {10, "centerCaptionText (position 18) is on (128)"},
          {11, "\"eleven\" is not a number: the engine stops reading here, so the 29 numbers after it are never read"}}},
        {"bytes cut", settingsFileFor({fileValue("activeGradientEndR", 300), fileValue("gradientSteps", -1)}),
         {{6, "position 6 (activeGradientEndR) is 300, which the engine stores as 44"},
          {12, "position 12 (gradientSteps) is -1, which the engine stores as 255"}}},
        {"values past 40", settingsFileFor({}) + "5\r\n\r\nsix\r\n", {{41, "2 more values after position 40"}}},
        {"macButtons forces solid inactive captions off", settingsFileFor({{"macButtons", 1}}),
         {{27, "forces solidInactiveCaption (position 15, line 15) off"}}},
        {"centred text forces one font", settingsFileFor({fileValue("centerCaptionText", 2)}),
         {{18, "forces splitTitleFonts (position 38, line 38) off"}}},
        {"number past 32 bits", defaultsWithLine(3, "4294967297"), {{3, "does not fit 32 bits: the engine reads it as 1"}}},
        {"Ctrl-Z", firstLines(20) + "\x1a" + "\r\n" + tail,
         {{20, "only 20 values are read"}, {21, "Ctrl-Z character ends the file"}}},
    };
    for (const CheckCase &c : cases) {
        TestFolder folder("check");
        std::string path = folder.file("\\vl.ini");
        folder.write("\\vl.ini", c.text);
        ToolRun run = vlconf({"check", path});
        EXPECT_EQ((DWORD)exitFindings, run.code) << c.what;
        std::vector<std::string> reported = lines(run.out);
        EXPECT_EQ(c.findings.size(), reported.size()) << c.what << ":\n" << run.out;
        for (const Expected &e : c.findings) {
            std::string prefix = path + ":" + std::to_string(e.line) + ": ";
            bool found = false;
            for (const std::string &line : reported)
                found = found || (line.compare(0, prefix.size(), prefix) == 0 && line.find(e.says) != std::string::npos);
            EXPECT_TRUE(found) << c.what << ": no line " << e.line << " saying \"" << e.says << "\" in\n" << run.out;
        }
        EXPECT_EQ(c.text, readBytes(path)) << c.what << ": check changes nothing";
    }
}

TEST(VlconfCheck, DefaultFileIsClean)
{
    TestFolder folder("clean");
    std::string path = folder.file("\\vl.ini");
    folder.write("\\vl.ini", settingsFileFor({{"gradientSteps", 32}, {"activeGradientEndR", 255}}));
    ToolRun run = vlconf({"check", path});
    EXPECT_EQ(0u, run.code) << run.out;
    EXPECT_EQ(1u, lines(run.out).size()) << run.out;
}

// ---- Named form ---------------------------------------------------------------

static std::string withoutSourceLine(const std::string &named)
{
    std::string out;
    for (const std::string &line : lines(named))
        if (line.compare(0, 15, "# Exported from") != 0) out += line + "\n";
    return out;
}

TEST(VlconfNamedForm, ExportThenImportIsLossless)
{
    std::string spread;
    for (int i = 0; i < 40; i++) spread += std::to_string(i * 7 - 20) + (i % 3 ? " " : "\n");
    const std::pair<const char *, std::string> files[] = {
        {"defaults", settingsFileFor({})},
        {"odd values", "7 0 1 -3 2 300 -1 4294967297 255 256 0 32 1 1 1 1 9 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 5 -7\n"},
        {"single two", "2\n"},
        {"empty", ""},
        {"39 values and a word", firstLines(39) + "junk\r\n"},
        {"word in the middle", "1 1 1 oops 0 0 0\n"},
        {"past 40", settingsFileFor({}) + "1 2 3\n"},
        {"mixed spacing and signs", spread + "+5 -0\n"},
        {"huge negative", "-99999999999999999999 0 0\n"},
    };
    for (const auto &file : files) {
        TestFolder folder("lossless");
        folder.write("\\vl.ini", file.second);
        std::string ini = folder.file("\\vl.ini"), named = folder.file("\\named.txt");
        std::string back = folder.file("\\back.ini"), named2 = folder.file("\\named2.txt");
        ASSERT_EQ(0u, vlconf({"export", ini, named}).code) << file.first;
        ToolRun import = vlconf({"import", named, back});
        ASSERT_EQ(0u, import.code) << file.first << ": " << import.err;
        EXPECT_EQ(canonicalOf(ini), readBytes(back)) << file.first;
        ASSERT_EQ(0u, vlconf({"export", back, named2}).code) << file.first;
        EXPECT_EQ(withoutSourceLine(readBytes(named)), withoutSourceLine(readBytes(named2))) << file.first;
        ToolRun printed = vlconf({"export", ini});
        EXPECT_EQ(readBytes(named), printed.out) << file.first << ": printed and written forms agree";
    }
}

TEST(VlconfNamedForm, NamesWhatNamesCanSayAndKeepsTheRestRaw)
{
    TestFolder folder("names");
    folder.write("\\vl.ini", settingsFileFor({fileValue("paintCaptions", 7),
                                              {"listViewHotTrack", 0},
                                              fileValue("activeGradientEndR", 300),
                                              {"gradientSteps", 32},
                                              fileValue("position17", 4),
                                              {"skipToolWindowCaptions", 1}}));
    ToolRun run = vlconf({"export", folder.file("\\vl.ini")});
    ASSERT_EQ(0u, run.code) << run.err;
    std::vector<std::string> named = lines(run.out);
    auto has = [&](const std::string &line) {
        for (const std::string &l : named)
            if (l == line) return true;
        return false;
    };
    EXPECT_TRUE(has("position1 = 7")) << run.out;
    EXPECT_FALSE(has("paintCaptions = on"));
    EXPECT_TRUE(has("listViewHotTrack = off"));
    EXPECT_TRUE(has("flatToolbars = on"));
    EXPECT_TRUE(has("position6 = 300"));
    EXPECT_TRUE(has("gradientSteps = 32"));
    EXPECT_TRUE(has("position17 = 4"));
    EXPECT_TRUE(has("skipToolWindowCaptions = on"));
    EXPECT_TRUE(has("# 12. byte, default 0: number of colour bands of a gradient caption"));
}

TEST(VlconfNamedForm, ImportTakesDefaultsCommentsAndColours)
{
    TestFolder folder("import");
    folder.write("\\mine.txt",
                 "; my settings\n# more\n\n  gradientSteps = 12  \r\nMACBUTTONS=yes\nactiveGradientEnd = #010203\n");
    ToolRun run = vlconf({"import", folder.file("\\mine.txt"), folder.file("\\vl.ini")});
    ASSERT_EQ(0u, run.code) << run.err;
    EXPECT_EQ(settingsFileFor({{"gradientSteps", 12},
                               {"macButtons", 1},
                               {"activeGradientEndR", 1},
                               {"activeGradientEndG", 2},
                               {"activeGradientEndB", 3}}),
              readBytes(folder.file("\\vl.ini")));
    EXPECT_NE(std::string::npos, run.err.find("solidInactiveCaption stays off")) << run.err;
}

TEST(VlconfNamedForm, ImportNamesTheBadLineAndWritesNothing)
{
    const std::pair<std::string, const char *> cases[] = {
        {"# x\ngradientSteps = 3\n\ngradiantSteps = 4\n", "line 4: unknown setting \"gradiantSteps\"; did you mean gradientSteps?"},
        {"macButtons = on\nmacButtons = off\n", "line 2: position 27 (macButtons) is already set on line 1"},
        {"activeGradientEnd = #000000\nposition7 = 1\n", "line 2: position 7"},
        {"gradientSteps 3\n", "line 1: \"gradientSteps 3\" is not of the form name = value"},
        {"gradientSteps = 32 # many\n", "line 1: \"gradientSteps=32 # many\""},
    };
    for (const auto &c : cases) {
        TestFolder folder("import-bad");
        folder.write("\\mine.txt", c.first);
        folder.write("\\vl.ini", "untouched");
        ToolRun run = vlconf({"import", folder.file("\\mine.txt"), folder.file("\\vl.ini")});
        EXPECT_EQ((DWORD)exitUsage, run.code) << c.second;
        EXPECT_NE(std::string::npos, run.err.find(c.second)) << run.err;
        EXPECT_EQ("untouched", readBytes(folder.file("\\vl.ini")));
    }
}

// What scripts hand on to "vlconf set": the settings as written, checked by
// the same parser, and nothing written anywhere.
TEST(VlconfNamedForm, AssignmentsListTheSettingsAsWrittenAndWriteNothing)
{
    TestFolder folder("assignments");
    folder.write("\\mine.txt", "; mine\n\n  gradientSteps = 12  \r\nMACBUTTONS=yes\nactiveGradientEnd = #010203\n");
    ToolRun run = vlconf({"import", folder.file("\\mine.txt"), "--assignments"});
    ASSERT_EQ(0u, run.code) << run.err;
    EXPECT_EQ((std::vector<std::string>{"gradientSteps=12", "MACBUTTONS=yes", "activeGradientEnd=#010203"}),
              lines(run.out));
    EXPECT_EQ("", run.err) << "no forcing notes: nothing is imported";

    // A line vlconf cannot take fails the whole list rather than being left out.
    folder.write("\\bad.txt", "gradientSteps = 12\ngradientSteps = 32 # many\n");
    run = vlconf({"import", folder.file("\\bad.txt"), "--assignments"});
    EXPECT_EQ((DWORD)exitUsage, run.code);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("line 2")) << run.err;

    run = vlconf({"import", folder.file("\\mine.txt"), folder.file("\\vl.ini"), "--assignments"});
    EXPECT_EQ((DWORD)exitUsage, run.code) << "a list is printed, never written";
    EXPECT_FALSE(fileExists(folder.file("\\vl.ini")));
}

// scripts/run and scripts/real-programs write the showcase as "new", then
// "set" with these assignments; the setup program's vl.ini is "import" of
// the same file. The two must agree.
TEST(VlconfNamedForm, ShowcaseAssignmentsSetOnTheDefaultsEqualItsImport)
{
    TestFolder folder("showcase");
    const std::string showcase = std::string(VARNEL_SOURCE_DIR) + "/packaging/showcase.txt";
    ToolRun listed = vlconf({"import", showcase, "--assignments"});
    ASSERT_EQ(0u, listed.code) << listed.err;
    ASSERT_FALSE(lines(listed.out).empty());
    ASSERT_EQ(0u, vlconf({"new", folder.file("\\set.ini")}).code);
    std::vector<std::string> setArgs = {"set"};
    for (const std::string &a : lines(listed.out)) setArgs.push_back(a);
    setArgs.push_back(folder.file("\\set.ini"));
    ToolRun set = vlconf(setArgs);
    ASSERT_EQ(0u, set.code) << set.err;
    ASSERT_EQ(0u, vlconf({"import", showcase, folder.file("\\imported.ini")}).code);
    EXPECT_EQ(readBytes(folder.file("\\imported.ini")), readBytes(folder.file("\\set.ini")));
}

// ---- Exclusion list -----------------------------------------------------------

TEST(VlconfExclusion, ExcludeAndIncludeKeepEveryOtherLine)
{
    TestFolder folder("exclude");
    std::string list = folder.file("\\vlexcl.ini");
    const std::string original = "; programs that draw their own captions\r\n\r\n  calc.exe \r\ngameplus.exe\r\n";
    folder.write("\\vlexcl.ini", original);

    ASSERT_EQ(0u, vlconf({"exclude", "game.exe", list}).code);
    EXPECT_EQ(original + "game.exe\r\n", readBytes(list));
    FILE *f = fopen(list.c_str(), "r");
    ASSERT_TRUE(f != NULL);
    EXPECT_EQ(1, exclusionListNames(f, "GAME.exe")) << "the engine finds what the tool wrote";
    fclose(f);

    ToolRun again = vlconf({"exclude", "GAME.EXE", list});
    EXPECT_EQ(0u, again.code);
    EXPECT_NE(std::string::npos, again.out.find("already")) << again.out;
    EXPECT_EQ(original + "game.exe\r\n", readBytes(list));

    EXPECT_EQ(0u, vlconf({"include", "gam.exe", list}).code) << "a prefix names nothing";
    EXPECT_EQ(original + "game.exe\r\n", readBytes(list));
    EXPECT_EQ(0u, vlconf({"include", "Game.Exe", list}).code);
    EXPECT_EQ(original, readBytes(list));
    EXPECT_EQ(0u, vlconf({"include", "CALC.EXE", list}).code);
    EXPECT_EQ("; programs that draw their own captions\r\n\r\ngameplus.exe\r\n", readBytes(list));
}

TEST(VlconfExclusion, AppendsAfterALastLineWithoutBreakAndCreatesAList)
{
    TestFolder folder("exclude-append");
    folder.write("\\a.ini", "calc.exe");
    ASSERT_EQ(0u, vlconf({"exclude", "game.exe", folder.file("\\a.ini")}).code);
    EXPECT_EQ("calc.exe\r\ngame.exe\r\n", readBytes(folder.file("\\a.ini")));
    folder.write("\\b.ini", "calc.exe\n");
    ASSERT_EQ(0u, vlconf({"exclude", "game.exe", folder.file("\\b.ini")}).code);
    EXPECT_EQ("calc.exe\ngame.exe\n", readBytes(folder.file("\\b.ini"))) << "the list's own line breaks";
    ASSERT_EQ(0u, vlconf({"exclude", "game.exe", folder.file("\\new.ini")}).code);
    EXPECT_EQ("game.exe\r\n", readBytes(folder.file("\\new.ini")));
}

TEST(VlconfExclusion, RejectsWhatTheListCannotMatch)
{
    TestFolder folder("exclude-bad");
    folder.write("\\vlexcl.ini", "calc.exe\r\n");
    for (const char *name : {"C:\\games\\game.exe", "game", "game.", ";game.exe", "ga*me.exe", ""}) {
        ToolRun run = vlconf({"exclude", name, folder.file("\\vlexcl.ini")});
        EXPECT_EQ((DWORD)exitUsage, run.code) << name;
        EXPECT_FALSE(run.err.empty()) << name;
        EXPECT_EQ("calc.exe\r\n", readBytes(folder.file("\\vlexcl.ini"))) << name;
    }
}

// ---- Reference and defaults -------------------------------------------------

TEST(VlconfReference, IsTheCommittedDocument)
{
    ToolRun run = vlconf({"reference"});
    ASSERT_EQ(0u, run.code);
    std::string document = readBytes(std::string(VARNEL_SOURCE_DIR) + "/docs/settings.md");
    EXPECT_TRUE(run.out == document)
        << "docs/settings.md differs from \"vlconf reference\"; regenerate it with: wine vlconf.exe reference "
           "docs/settings.md";
    for (const SettingPosition &p : settingPositions)
        if (p.name) EXPECT_NE(std::string::npos, run.out.find("`" + std::string(p.name) + "`")) << p.name;
    for (const char *marker : {"vldis.ini", "vlplug.ini", "vlprog.ini", "vlexcl.ini"})
        EXPECT_NE(std::string::npos, run.out.find(marker)) << marker;
}

static std::vector<std::string> tabFields(const std::string &line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

TEST(VlconfReference, TsvGivesEveryPositionsFactsInTwelveFields)
{
    ToolRun run = vlconf({"reference", "--tsv"});
    ASSERT_EQ(0u, run.code) << run.err;
    const std::vector<std::string> rows = lines(run.out);
    ASSERT_EQ((size_t)settingsPositionCount, rows.size());
    std::map<std::string, std::vector<std::string>> byName;
    for (size_t i = 0; i < rows.size(); i++) {
        const std::vector<std::string> f = tabFields(rows[i]);
        ASSERT_EQ(12u, f.size()) << rows[i];
        EXPECT_EQ(std::to_string(i + 1), f[0]);
        for (const std::string &field : f) EXPECT_FALSE(field.empty()) << rows[i] << ": an empty field is \"-\"";
        const SettingPosition &p = settingPositions[i];
        EXPECT_EQ(p.name ? p.name : "-", f[1]);
        EXPECT_EQ(p.label, f[10]);
        EXPECT_EQ(p.description, f[11]);
        byName[f[1]] = f;
    }
    // Facts a script relies on, as people know them.
    EXPECT_EQ("flag-1-on", byName["skipToolWindowCaptions"][2]) << "position 34: 1 switches it on";
    EXPECT_EQ("flag-1-off", byName["paintCaptions"][2]);
    EXPECT_EQ("byte", byName["gradientSteps"][2]);
    EXPECT_EQ("ignored", byName["-"][2]) << "position 17";
    EXPECT_EQ("-", byName["-"][5]) << "position 17 is on no page";
    EXPECT_EQ("128", byName["inactiveGradientEndB"][3]);
    EXPECT_EQ("on", byName["paintCaptions"][3]);
    EXPECT_EQ("0", byName["paintCaptions"][4]) << "the file value of the default";
    EXPECT_EQ("1", byName["macButtons"][4]);
    EXPECT_EQ("Captions", byName["gradientSteps"][5]);
    EXPECT_EQ("Windows", byName["animationDelay"][5]);
    EXPECT_EQ("activeGradientEnd", byName["activeGradientEndG"][7]);
    EXPECT_EQ("inactiveGradientEnd", byName["inactiveGradientEndR"][7]);
    EXPECT_EQ("-", byName["gradientSteps"][7]);
    EXPECT_EQ("macButtons", byName["solidInactiveCaption"][8]);
    EXPECT_EQ("centerCaptionText", byName["splitTitleFonts"][8]);
    EXPECT_EQ("-", byName["macButtons"][8]);
    EXPECT_EQ("never", byName["unusedFlag29"][9]);
    EXPECT_EQ("at-once", byName["gradientSteps"][9]);

    // Written to a file, the same; an option it does not know is refused.
    TestFolder folder("tsv");
    ASSERT_EQ(0u, vlconf({"reference", "--tsv", folder.file("\\table.tsv")}).code);
    EXPECT_EQ(lines(run.out), lines(readBytes(folder.file("\\table.tsv"))));
    ToolRun wrong = vlconf({"reference", "--csv"});
    EXPECT_EQ((DWORD)exitUsage, wrong.code);
    EXPECT_NE(std::string::npos, wrong.err.find("--csv")) << wrong.err;
}

TEST(VlconfDefaults, ShowWithoutFileReadsTheCurrentFolder)
{
    TestFolder folder("cwd");
    folder.write("\\vl.ini", settingsFileFor({{"gradientSteps", 77}}));
    ToolRun run = vlconf({"show"}, folder.path());
    ASSERT_EQ(0u, run.code) << run.err;
    EXPECT_EQ(77, showRows(run.out)[settingPosition("gradientSteps")].file) << run.out;
    EXPECT_NE(std::string::npos, lines(run.out)[0].find("vl.ini")) << "names the file it read";
}

// ---- The pieces, directly -------------------------------------------------------

TEST(VlconfNames, EditDistanceAndNearestNames)
{
    EXPECT_EQ(0, editDistance("gradientSteps", "GRADIENTSTEPS"));
    EXPECT_EQ(1, editDistance("gradientStep", "gradientSteps"));
    EXPECT_EQ(1, editDistance("gradiantSteps", "gradientSteps"));
    EXPECT_EQ(3, editDistance("kitten", "sitting"));
    EXPECT_EQ(4, editDistance("", "abcd"));
    EXPECT_EQ(std::vector<std::string>{"macButtons"}, nearestSettingNames("macbutton"));
    std::vector<std::string> colours = nearestSettingNames("activeGradientEn");
    EXPECT_EQ("activeGradientEnd", colours.at(0));
}

struct AssignmentCase {
    const char *name;
    const char *value;
    bool ok;
    int position;
    int fileValue;
    int field;  // what the engine takes from fileValue; -1: not looked at
};

TEST(VlconfNames, AssignmentsGiveTheFileValueOfTheirEffect)
{
    const AssignmentCase cases[] = {
        {"paintCaptions", "off", true, 1, 1, 0},
        {"paintCaptions", "on", true, 1, 0, 1},
        {"PaintCaptions", "Yes", true, 1, 0, 1},
        {"macButtons", "true", true, 27, 0, 1},
        {"macButtons", "0", true, 27, 1, 0},
        {"skipToolWindowCaptions", "on", true, 34, 1, 1},
        {"skipToolWindowCaptions", "off", true, 34, 0, 0},
        {"unusedFlag29", "on", true, 29, 0, 1},
        {"gradientSteps", "255", true, 12, 255, 255},
        {"gradientSteps", "0", true, 12, 0, 0},
        {"position17", "-5", true, 17, -5, -1},
        {"position12", "300", true, 12, 300, 44},
        {"position40", "2147483647", true, 40, 2147483647, 1},
        {"gradientSteps", "256", false, 0, 0, -1},
        {"gradientSteps", "", false, 0, 0, -1},
        {"macButtons", "2", false, 0, 0, -1},
        {"position0", "1", false, 0, 0, -1},
        {"position17", "2147483648", false, 0, 0, -1},
        {"nothing", "on", false, 0, 0, -1},
    };
    for (const AssignmentCase &c : cases) {
        Assignment a;
        std::string error;
        bool ok = parseAssignment(c.name, c.value, &a, &error);
        EXPECT_EQ(c.ok, ok) << c.name << "=" << c.value << " " << error;
        EXPECT_EQ(ok, error.empty()) << c.name << "=" << c.value;
        if (!ok || !c.ok) continue;
        ASSERT_EQ(1, a.count);
        EXPECT_EQ(c.position, a.positions[0]) << c.name;
        EXPECT_EQ(c.fileValue, a.values[0]) << c.name << "=" << c.value;
        if (c.field >= 0)
            EXPECT_EQ(c.field, settingFieldValue(settingPositions[c.position - 1], a.values[0])) << c.name;
    }
}

// ---- The engine's table as the tool uses it -----------------------------------

TEST(VlconfTable, FileValueGivesTheFieldValueAsked)
{
    for (const SettingPosition &p : settingPositions) {
        if (p.kind == ignoredValue) continue;
        int most = p.kind == byteValue ? 255 : 1;
        for (int wanted = 0; wanted <= most; wanted++)
            EXPECT_EQ(wanted, settingFieldValue(p, settingFileValue(p, wanted))) << p.name << " " << wanted;
    }
    EXPECT_EQ(1, settingFileValue(*findSettingPosition("skipToolWindowCaptions"), 1))
        << "position 34: 1 switches it on";
    EXPECT_EQ(1, settingFileValue(*findSettingPosition("paintCaptions"), 0)) << "elsewhere 1 switches off";
}

TEST(VlconfTable, NamesAreFoundIgnoringCaseAndPositionSeventeenHasNone)
{
    EXPECT_EQ(&settingPositions[11], findSettingPosition("gradientSteps"));
    EXPECT_EQ(&settingPositions[11], findSettingPosition("GRADIENTSTEPS"));
    EXPECT_TRUE(findSettingPosition("gradientStep") == NULL);
    EXPECT_TRUE(findSettingPosition("") == NULL);
    EXPECT_TRUE(findSettingPosition(NULL) == NULL);
}

TEST(VlconfTable, ReaderRecordsLinesRepeatsAndWraps)
{
    TestFolder folder("reader");
    folder.write("\\vl.ini", "5\r\n\r\n6 4294967297\n7\n");
    SettingsFileValues read = engineValues(folder.file("\\vl.ini"));
    EXPECT_EQ(4, read.ownValues);
    const int values[] = {5, 6, 1, 7, 7};
    const int lineOf[] = {1, 3, 3, 4, 4};
    const int wrapped[] = {0, 0, 1, 0, 0};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(values[i], read.values[i]) << i;
        EXPECT_EQ(lineOf[i], read.lines[i]) << i;
        EXPECT_EQ(wrapped[i], read.wrapped[i]) << i;
    }
    EXPECT_EQ(7, read.values[39]) << "the last value repeats to position 40";
    // The same values through the engine's own path give the same record.
    SettingsRecord direct = engineRecord(folder.file("\\vl.ini"));
    SettingsRecord applied;
    resetSettings(&applied);
    applySettingsValues(read.values, &applied);
    EXPECT_EQ(0, memcmp(&direct, &applied, sizeof direct));
}
