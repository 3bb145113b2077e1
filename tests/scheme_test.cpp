// Schemes, through the real vlconf.exe: every built-in writes the vl.ini its
// settings say, a scheme survives export and import byte for byte, and every
// kind of bad scheme file is refused with its reason and nothing on disk
// changed.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "support/child_process.h"
#include "support/test_folder.h"
#include "tools/schemes/builtin_schemes.h"
#include "tools/schemes/scheme_file.h"
#include "tools/loader/tray_schemes.h"
#include "tools/schemes/scheme_store.h"
#include "tools/vlconf/vlconf.h"

// vlconf.exe run in a folder of its own, so no vl.ini of the current folder
// stands in for the engine folder's.
static ToolRun vlconf(const std::vector<std::string> &args)
{
    static TestFolder io("scheme-io");
    return runTool("vlconf.exe", args, io.path(), io.path());
}

static std::string engineFolder()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\varnels";
}

typedef std::map<std::string, std::string> FolderContents;

static void collect(const std::string &folder, const std::string &relative, FolderContents *contents)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + relative + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*contents)[path + "\\"] = "";
            collect(folder, path, contents);
        } else {
            (*contents)[path] = fileContent(folder + path);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

// Every file of the engine folder and below, by relative path.
static FolderContents engineFolderContents()
{
    FolderContents contents;
    collect(engineFolder(), "", &contents);
    return contents;
}

// The prefix's engine folder as the test found it, put back when it ends.
class SchemeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA(engineFolder().c_str(), NULL);
        saved_ = engineFolderContents();
    }
    void TearDown() override
    {
        FolderContents now = engineFolderContents();
        for (auto it = now.rbegin(); it != now.rend(); ++it)
            if (!saved_.count(it->first)) {
                std::string path = engineFolder() + it->first;
                if (path.back() == '\\')
                    RemoveDirectoryA(path.substr(0, path.size() - 1).c_str());
                else
                    DeleteFileA(path.c_str());
            }
        for (const auto &entry : saved_) {
            std::string path = engineFolder() + entry.first;
            if (path.back() == '\\')
                CreateDirectoryA(path.substr(0, path.size() - 1).c_str(), NULL);
            else if (now[entry.first] != entry.second)
                writeFileContent(path, entry.second);
        }
    }
    FolderContents saved_;
};

// A 24-bit bitmap file of w x h pixels, each from its position.
static std::string bitmapBytes(int w, int h, int seed)
{
    const int row = (w * 3 + 3) / 4 * 4;
    std::string b(54 + (size_t)row * h, '\0');
    auto put = [&](int at, unsigned v, int bytes) {
        for (int i = 0; i < bytes; i++) b[at + i] = (char)(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, (unsigned)b.size(), 4), put(10, 54, 4), put(14, 40, 4), put(18, w, 4), put(22, h, 4), put(26, 1, 2),
        put(28, 24, 2);
    for (size_t i = 54; i < b.size(); i++) b[i] = (char)(i * 7 + seed);
    return b;
}

static int engineValueAt(const std::string &text, int position)
{
    SettingsReader reader;
    beginSettingsTextRead(&reader, text.data(), (int)text.size());
    SettingsFileValues values = {};
    readSettingsValues(&reader, &values);
    return values.values[position - 1];
}

// The relative luminance of a colour, as contrast ratios are reckoned.
static double luminance(int r, int g, int b)
{
    auto linear = [](int c) {
        double s = c / 255.0;
        return s <= 0.03928 ? s / 12.92 : pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

TEST_F(SchemeTest, EveryBuiltInWritesTheSettingsItNamesAndDefaultsForTheRest)
{
    ASSERT_GE((int)builtinSchemeCount, 8);
    for (const BuiltinScheme &b : builtinSchemes) {
        SCOPED_TRACE(b.name);
        // What the named form of vl.ini makes of the same lines: the defaults
        // where they say nothing.
        int expected[settingsPositionCount];
        std::string error;
        ASSERT_TRUE(importNamedForm(b.settings, expected, &error)) << error;
        ToolRun run = vlconf({"scheme", "apply", b.name});
        ASSERT_EQ(0u, run.code) << run.err;
        EXPECT_EQ(canonicalSettingsText(expected), fileContent(engineFolder() + "\\vl.ini"));
    }
    // The last applied left its file; the showcase is the packaged one.
    std::string showcase = fileContent(engineFolder() + "\\vl.ini");
    EXPECT_EQ(0, engineValueAt(showcase, 23)) << "tileBackgrounds on";
    EXPECT_EQ(32, engineValueAt(showcase, 12));
}

// What the tray and the settings window check as the current scheme: the
// one whose settings vl.ini holds, the user's own too, and none once a
// setting differs from every scheme's.
TEST_F(SchemeTest, TheSchemeMatchingVlIniIsFoundByItsSettings)
{
    const std::string ini = engineFolder() + "\\vl.ini";
    for (const BuiltinScheme &b : builtinSchemes) {
        SCOPED_TRACE(b.name);
        ASSERT_EQ(0u, vlconf({"scheme", "apply", b.name}).code);
        EXPECT_EQ(b.name, schemeMatchingSettings(ini));
    }
    int values[settingsPositionCount];
    defaultFileValues(values);
    values[5] = 13, values[6] = 201, values[11] = 41;
    ASSERT_TRUE(writeFileContent(ini, canonicalSettingsText(values)));
    EXPECT_EQ("", schemeMatchingSettings(ini)) << "settings no scheme has";
    ASSERT_EQ(0u, vlconf({"scheme", "save", "Mine Now"}).code);
    EXPECT_EQ("Mine Now", schemeMatchingSettings(ini));
    ASSERT_EQ(0u, vlconf({"set", "gradientSteps=17"}).code);
    EXPECT_EQ("", schemeMatchingSettings(ini)) << "one setting changed";
    EXPECT_EQ("", schemeMatchingSettings(engineFolder() + "\\missing.ini"));
}

static std::string menuText(HMENU menu, int i)
{
    char text[64] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    return text;
}

// The loader's Schemes submenu (tools/loader/tray_schemes.cpp, compiled into
// this test): the built-ins in order, a line, the user's own; the one vl.ini
// holds checked; each entry's command applies its scheme.
TEST_F(SchemeTest, TraySubmenuListsChecksAndAppliesTheSchemes)
{
    const std::string ini = engineFolder() + "\\vl.ini";
    ASSERT_EQ(0u, vlconf({"scheme", "apply", "Sunset"}).code);
    ASSERT_EQ(0u, vlconf({"set", "gradientSteps=19"}).code);
    ASSERT_EQ(0u, vlconf({"scheme", "save", "Menu Test"}).code);
    HMENU menu = CreatePopupMenu();
    appendSchemesMenu(menu);
    HMENU schemes = GetSubMenu(menu, 0);
    ASSERT_TRUE(schemes != NULL);
    EXPECT_EQ("Sche&mes", menuText(menu, 0));
    ASSERT_EQ(builtinSchemeCount + 2, GetMenuItemCount(schemes)) << "the built-ins, a line, Menu Test";
    for (int i = 0; i < builtinSchemeCount; i++) {
        EXPECT_EQ(builtinSchemes[i].name, menuText(schemes, i));
        EXPECT_EQ((UINT)(traySchemeFirst + i), GetMenuItemID(schemes, i));
    }
    EXPECT_EQ((UINT)MF_SEPARATOR, GetMenuState(schemes, builtinSchemeCount, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ("Menu Test", menuText(schemes, builtinSchemeCount + 1));
    EXPECT_TRUE(GetMenuState(schemes, builtinSchemeCount + 1, MF_BYPOSITION) & MF_CHECKED) << "vl.ini holds it";
    for (int i = 0; i < builtinSchemeCount; i++) EXPECT_FALSE(GetMenuState(schemes, i, MF_BYPOSITION) & MF_CHECKED);
    DestroyMenu(menu);

    char error[256] = "";
    ASSERT_EQ(1, applySchemeCommand(traySchemeFirst + 1, error, sizeof error)) << error;
    EXPECT_EQ("Slate", schemeMatchingSettings(ini));
    EXPECT_EQ(0, applySchemeCommand(traySchemeFirst + builtinSchemeCount + 5, error, sizeof error));
    EXPECT_NE("", std::string(error)) << "a command past the list says why";
    EXPECT_EQ("Slate", schemeMatchingSettings(ini)) << "and writes nothing";
}

TEST_F(SchemeTest, StripesBringsItsOwnCaptionBoxesAndHighContrastKeepsWhiteTitlesReadable)
{
    ToolRun run = vlconf({"scheme", "apply", "stripes"});
    ASSERT_EQ(0u, run.code) << run.err;
    const char *boxes[] = {"maccl.bmp", "macmx.bmp", "macmn.bmp", "macmxd.bmp", "macmnd.bmp"};
    std::vector<std::string> seen;
    for (const char *box : boxes) {
        std::string bytes = fileContent(engineFolder() + "\\" + box), error;
        EXPECT_TRUE(checkSkinBitmap(bytes, &error)) << box << ": " << error;
        EXPECT_EQ(15, bytes.size() > 18 ? (int)(unsigned char)bytes[18] : 0) << box << " is 15 pixels wide";
        seen.push_back(bytes);
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    // skingen draws the very same boxes for the scheme.
    TestFolder drawn("scheme-skingen");
    std::string command = "\"" + buildFile("skingen.exe") + "\" /scheme Stripes \"" + drawn.path() + "\"";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) << command;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (size_t i = 0; i < seen.size(); i++)
        EXPECT_EQ(seen[i], fileContent(drawn.file(std::string("\\") + boxes[i]))) << boxes[i];
    EXPECT_EQ(0, engineValueAt(fileContent(engineFolder() + "\\vl.ini"), 27)) << "macButtons on";

    Scheme contrast;
    std::string error;
    ASSERT_TRUE(builtinScheme(*findBuiltinScheme("HighContrast"), &contrast, &error)) << error;
    for (int first : {6, 9}) {
        double end = luminance(contrast.values[first - 1], contrast.values[first], contrast.values[first + 1]);
        EXPECT_GE((1.0 + 0.05) / (end + 0.05), 7.0) << "white title on the gradient's end, position " << first;
    }
}

TEST_F(SchemeTest, SaveExportImportRoundTripsSettingsAndBitmapsByteForByte)
{
    int values[settingsPositionCount];
    defaultFileValues(values);
    values[5] = 12, values[6] = 200, values[7] = 99, values[11] = 40, values[18] = 1;
    ASSERT_TRUE(writeFileContent(engineFolder() + "\\vl.ini", canonicalSettingsText(values)));
    const std::string tile = bitmapBytes(33, 17, 5), box = bitmapBytes(15, 15, 9);
    ASSERT_TRUE(writeFileContent(engineFolder() + "\\vl.bmp", tile));
    ASSERT_TRUE(writeFileContent(engineFolder() + "\\maccl.bmp", box));

    ToolRun saved = vlconf({"scheme", "save", "Round Trip"});
    ASSERT_EQ(0u, saved.code) << saved.err;
    TestFolder files("scheme-files");
    const std::string exported = files.file("\\first.vls"), again = files.file("\\second.vls");
    ASSERT_EQ(0u, vlconf({"scheme", "export", "round trip", exported}).code);
    ASSERT_EQ(0u, vlconf({"scheme", "delete", "Round Trip"}).code);
    ASSERT_EQ(0u, vlconf({"scheme", "import", exported}).code);
    ASSERT_EQ(0u, vlconf({"scheme", "export", "Round Trip", again}).code);
    EXPECT_EQ(fileContent(exported), fileContent(again));

    // Applying it over other files gives back exactly what was saved.
    ASSERT_TRUE(writeFileContent(engineFolder() + "\\vl.bmp", bitmapBytes(8, 8, 1)));
    ASSERT_EQ(0u, vlconf({"scheme", "apply", "FlatButtons"}).code);
    ToolRun applied = vlconf({"scheme", "apply", "Round Trip"});
    ASSERT_EQ(0u, applied.code) << applied.err;
    EXPECT_EQ(canonicalSettingsText(values), fileContent(engineFolder() + "\\vl.ini"));
    EXPECT_EQ(tile, fileContent(engineFolder() + "\\vl.bmp"));
    EXPECT_EQ(box, fileContent(engineFolder() + "\\maccl.bmp"));

    // An existing name is replaced only when asked; built-ins never.
    ToolRun twice = vlconf({"scheme", "import", exported});
    EXPECT_EQ(2u, twice.code);
    EXPECT_NE(std::string::npos, twice.err.find("--replace")) << twice.err;
    EXPECT_EQ(0u, vlconf({"scheme", "import", exported, "--replace"}).code);
    ToolRun builtin = vlconf({"scheme", "delete", "classic"});
    EXPECT_EQ(2u, builtin.code);
    EXPECT_NE(std::string::npos, builtin.err.find("built in")) << builtin.err;
    ToolRun list = vlconf({"scheme", "list"});
    EXPECT_NE(std::string::npos, list.out.find("Round Trip")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find("Showcase")) << list.out;
}

// A scheme file around the given settings and bitmap section.
static std::string schemeFile(const std::string &name, const std::string &settings, const std::string &bitmaps = "",
                              const std::string &version = "1")
{
    return "varnel scheme " + version + "\r\nname = " + name + "\r\n[settings]\r\n" + settings + bitmaps +
           "[end]\r\n";
}

static std::string bitmapSection(const std::string &file, const std::string &bytes)
{
    return "[bitmap " + file + " " + std::to_string(bytes.size()) + "]\r\n" + base64Encode(bytes) + "\r\n";
}

// The bitmap with a little-endian field overwritten.
static std::string patched(std::string b, int at, unsigned value, int bytes)
{
    for (int i = 0; i < bytes; i++) b[at + i] = (char)(value >> (8 * i));
    return b;
}

TEST_F(SchemeTest, BadSchemeFilesAreRefusedWithTheirReasonAndNothingChanges)
{
    const std::string good = bitmapBytes(16, 16, 3);
    const std::string sound = schemeFile("Fine", "gradientSteps = 12\r\n", bitmapSection("vl.bmp", good));
    std::string hugeBitmap = bitmapBytes(4, 4, 1);
    hugeBitmap = patched(patched(hugeBitmap, 18, 4096, 4), 22, 4, 4);
    struct Case {
        const char *what;
        std::string text;
        const char *message;
    } cases[] = {
        {"empty", "", "empty"},
        {"not a scheme", "[settings]\r\n", "not a varnel scheme file"},
        {"future version", schemeFile("Fine", "", "", "2"), "newer varnel"},
        {"cut short", sound.substr(0, sound.size() - 40), "cut short"},
        {"base64 cut", schemeFile("Fine", "", "[bitmap vl.bmp 9999]\r\nQk0=\r\n"), "header says 9999"},
        {"over 4 MB", sound + std::string(4u << 20, ';'), "4 MB"},
        {"name with a path", schemeFile("..\\evil", ""), "holds '.'"},
        {"name with a colon", schemeFile("c:evil", ""), "holds ':'"},
        {"device name", schemeFile("con", ""), "device"},
        {"long name", schemeFile(std::string(40, 'a'), ""), "longer than"},
        {"built-in name", schemeFile("Classic", ""), "built-in"},
        {"unknown setting", schemeFile("Fine", "sparkle = on\r\n"), "sparkle"},
        {"raw position", schemeFile("Fine", "position17 = 5\r\n"), "names its settings"},
        {"byte out of range", schemeFile("Fine", "gradientSteps = 300\r\n"), "0 to 255"},
        {"flag not a flag", schemeFile("Fine", "macButtons = maybe\r\n"), "flag"},
        {"set twice", schemeFile("Fine", "macButtons = on\r\nmacButtons = off\r\n"), "already set"},
        {"bitmap of another name", schemeFile("Fine", "", bitmapSection("..\\..\\win.ini", good)), "not one of the skin"},
        {"bitmap too wide", schemeFile("Fine", "", bitmapSection("vl.bmp", hugeBitmap)), "over the engine's 2048"},
        {"not a BMP", schemeFile("Fine", "", bitmapSection("vl.bmp", "GIF89a" + good.substr(6))), "not a BMP"},
        {"pixels beyond the file", schemeFile("Fine", "", bitmapSection("vl.bmp", good.substr(0, 200))),
         "bytes but holds"},
        {"pixels past the end", schemeFile("Fine", "", bitmapSection("vl.bmp", patched(good, 10, 900, 4))),
         "does not hold its pixels"},
        {"compressed", schemeFile("Fine", "", bitmapSection("vl.bmp", patched(good, 30, 1, 4))), "compressed"},
        {"zero planes", schemeFile("Fine", "", bitmapSection("vl.bmp", patched(good, 26, 0, 2))), "planes"},
        {"bitmap twice", schemeFile("Fine", "", bitmapSection("vl.bmp", good) + bitmapSection("VL.BMP", good)),
         "given twice"},
        {"text after the end", sound + "more\r\n", "after the [end]"},
    };
    TestFolder files("scheme-bad");
    ASSERT_EQ(0u, vlconf({"scheme", "import", (files.write("\\sound.vls", sound), files.file("\\sound.vls"))}).code)
        << "the sound file the bad ones are cut from is taken";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        files.write("\\bad.vls", c.text);
        FolderContents before = engineFolderContents();
        ToolRun run = vlconf({"scheme", "import", files.file("\\bad.vls"), "--replace"});
        EXPECT_EQ(2u, run.code);
        EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
        EXPECT_NE(std::string::npos, run.err.find("nothing was imported")) << run.err;
        EXPECT_TRUE(before == engineFolderContents());
    }
    FolderContents unchanged = engineFolderContents();
    ToolRun missing = vlconf({"scheme", "import", files.file("\\absent.vls")});
    EXPECT_EQ(2u, missing.code);
    EXPECT_NE(std::string::npos, missing.err.find("cannot be opened")) << missing.err;
    ToolRun builtinName = vlconf({"scheme", "save", "sunset"});
    EXPECT_EQ(2u, builtinName.code);
    EXPECT_NE(std::string::npos, builtinName.err.find("built-in")) << builtinName.err;
    EXPECT_TRUE(unchanged == engineFolderContents());

    // A bad file among a user's schemes is listed as unusable and never applied.
    FolderContents before = engineFolderContents();
    writeFileContent(engineFolder() + "\\schemes\\Broken.vls", schemeFile("Broken", "gradientSteps = 999\r\n"));
    before = engineFolderContents();
    ToolRun apply = vlconf({"scheme", "apply", "broken"});
    EXPECT_EQ(2u, apply.code);
    EXPECT_NE(std::string::npos, apply.err.find("0 to 255")) << apply.err;
    EXPECT_TRUE(before == engineFolderContents());
    EXPECT_NE(std::string::npos, vlconf({"scheme", "list"}).out.find("cannot be used")) << "Broken listed";
}

TEST(SchemeFile, Base64DecodesOnlyWhatItEncodes)
{
    for (const std::string &bytes : {std::string(), std::string("a"), std::string("ab"), std::string("abc"),
                                     std::string("\0\xff\x80 \n", 5)}) {
        std::string back;
        ASSERT_TRUE(base64Decode(base64Encode(bytes), &back));
        EXPECT_EQ(bytes, back);
    }
    std::string out;
    for (const char *bad : {"QQ", "Q===", "QQ=A", "QQ==QQ==", "QQ*A"}) EXPECT_FALSE(base64Decode(bad, &out)) << bad;
}
