// Bad files in the engine folder: thousands of generated settings files
// (empty, binary, CR LF, huge and negative numbers, a megabyte of digits,
// missing values, words), disable markers of the same kinds, corrupt, empty
// and huge skin bitmaps, and plug-ins that are no libraries or lack the entry
// points, each through the engine's attach and detach. None may crash, and
// each must give the documented result: the settings as the reader's rules
// make them from the bytes, a null handle and an all-zero record for a bitmap
// that does not load, and usePlugin 0 for a plug-in that cannot be used.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "caption/caption_repaint.h"
#include "engine/engine_lifecycle.h"
#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/small_files.h"
#include "support/engine_hooks.h"
#include "support/settings_file.h"
#include "support/soak.h"
#include "support/soak_windows.h"
#include "support/test_engine.h"
#include "support/test_folder.h"
#include "support/test_windows.h"

namespace {

// ---- What the reader's rules make of a file ----

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The holder after each of the 40 reads, by the documented rules: blanks are
// skipped, an optional sign and decimal digits make a number that wraps
// modulo 2^32; anything else stops the reading for good (the text-mode end
// of file, Ctrl-Z, stops it just the same), and every later position keeps
// the last value read, 0 when none was.
std::vector<int> holderValues(const std::string &bytes, int positions = settingsPositionCount)
{
    std::vector<int> values;
    size_t i = 0;
    unsigned holder = 0;
    bool stopped = false;
    for (int p = 0; p < positions; p++) {
        if (!stopped) {
            while (i < bytes.size() && isBlank((unsigned char)bytes[i])) i++;
            size_t j = i;
            bool negative = false;
            if (j < bytes.size() && (bytes[j] == '+' || bytes[j] == '-')) negative = bytes[j++] == '-';
            if (j < bytes.size() && isDigit((unsigned char)bytes[j])) {
                unsigned magnitude = 0;
                while (j < bytes.size() && isDigit((unsigned char)bytes[j])) magnitude = magnitude * 10u + (bytes[j++] - '0');
                holder = negative ? 0u - magnitude : magnitude;
                i = j;
            } else {
                stopped = true;
            }
        }
        values.push_back((int)holder);
    }
    return values;
}

// The record the rules give for those values, starting from the defaults:
// a usual flag is on unless the value is 1, position 34 is on only for 1, a
// byte keeps the low 8 bits; then the three forcings.
SettingsRecord expectedRecord(const std::vector<int> &v)
{
    SettingsRecord e;
    resetSettings(&e);
    for (const SettingPosition &p : settingPositions) {
        const int value = v[p.position - 1];
        if (p.field) {
            switch (p.kind) {
            case flagOffWhenOne: e.*p.field = value != 1; break;
            case flagOnWhenOne: e.*p.field = value == 1; break;
            case byteValue: e.*p.field = (unsigned char)value; break;
            case ignoredValue: break;
            }
        }
        if (p.field == &SettingsRecord::macButtons && value != 1) e.solidInactiveCaption = 0;
        if (p.field == &SettingsRecord::splitTitleFonts && e.centerCaptionText == 1) e.splitTitleFonts = 0;
    }
    if (e.animateMenus == 0 && e.animateMainWindows == 0) e.animateWindows = 0;
    // No plug-in marker in the folder.
    e.usePlugin = 0;
    return e;
}

// Names the first field where the engine's record differs, or "".
std::string firstDifference(const SettingsRecord &expected, const SettingsRecord &actual)
{
    for (const SettingPosition &p : settingPositions)
        if (p.field && expected.*p.field != actual.*p.field)
            return std::string(p.name) + " expected " + std::to_string(expected.*p.field) + " got " +
                   std::to_string(actual.*p.field);
    struct Extra {
        const char *name;
        int SettingsRecord::*field;
    };
    const Extra extras[] = {{"usePlugin", &SettingsRecord::usePlugin},
                            {"animateWindows", &SettingsRecord::animateWindows},
                            {"buttonClassPass", &SettingsRecord::buttonClassPass},
                            {"scrollBarBlackBoxes", &SettingsRecord::scrollBarBlackBoxes},
                            {"progressBitmap", &SettingsRecord::progressBitmap}};
    for (const Extra &x : extras)
        if (expected.*x.field != actual.*x.field)
            return std::string(x.name) + " expected " + std::to_string(expected.*x.field) + " got " +
                   std::to_string(actual.*x.field);
    return "";
}

// ---- Generated settings files ----

const char *const words[] = {"abc", "on", "off", "0x1F", "1e3", "+", "-", "--1", "+-2", ".5", "#", "; comment",
                             "true", "\xff\xfe", "NaN", "1,000", "\x1a"};

std::string separator(SoakRandom &r)
{
    static const char *const separators[] = {"\r\n", "\n", " ", "\t", "\r", "\v", "\f", "  \r\n\r\n", "\t \n"};
    return separators[r.below(9)];
}

std::string number(SoakRandom &r)
{
    switch (r.below(8)) {
    case 0: return std::to_string(r.between(-3, 3));
    case 1: return std::to_string(r.between(0, 300));
    case 2: return std::to_string((int)r.next());
    case 3: {
        // Outside the 32-bit range: 10 to 30 digits, perhaps signed.
        std::string s = r.chance(30) ? "-" : (r.chance(20) ? "+" : "");
        s += (char)('1' + r.below(9));
        int n = r.between(9, 29);
        for (int i = 0; i < n; i++) s += (char)('0' + r.below(10));
        return s;
    }
    case 4: {
        static const char *const edges[] = {"4294967296", "4294967297", "-4294967295", "2147483647", "2147483648",
                                            "-2147483648", "-2147483649", "18446744073709551617", "4294967551",
                                            "-1", "255", "256", "-256"};
        return edges[r.below(13)];
    }
    case 5: return std::string(r.between(1, 12), '0') + std::to_string(r.between(0, 9));
    case 6: return "+" + std::to_string(r.between(0, 5));
    default: return std::to_string(r.between(0, 1));
    }
}

std::string generatedSettings(SoakRandom &r, int *category)
{
    std::string text;
    *category = (int)r.below(12);
    switch (*category) {
    case 0: return "";
    case 1: {
        int n = r.between(1, 50);
        for (int i = 0; i < n; i++) text += separator(r);
        return text;
    }
    case 2: {
        int n = r.between(0, 2000);
        for (int i = 0; i < n; i++) text += (char)r.next();
        return text;
    }
    case 3: {
        // Numbers with a word somewhere among them.
        int n = r.between(0, 45), at = r.between(0, n);
        for (int i = 0; i < n; i++) {
            if (i == at) text += words[r.below(sizeof words / sizeof words[0])] + separator(r);
            text += number(r) + separator(r);
        }
        return text;
    }
    case 4: {
        // A dense mix of what numbers are made of and what stops them.
        static const char alphabet[] = "0123456789 -+\r\n\t\x1a\0a.";
        int n = r.between(1, 300);
        for (int i = 0; i < n; i++) text += alphabet[r.below(sizeof alphabet - 1)];
        return text;
    }
    case 5: {
        // Fewer values than positions.
        int n = r.between(1, 39);
        for (int i = 0; i < n; i++) text += number(r) + "\r\n";
        return text;
    }
    case 6: {
        // More values than positions.
        int n = r.between(41, 120);
        for (int i = 0; i < n; i++) text += number(r) + separator(r);
        return text;
    }
    default: {
        int n = 40;
        for (int i = 0; i < n; i++) text += number(r) + separator(r);
        return text;
    }
    }
}

// A megabyte of digits: one number that wraps many times, then more values;
// far over the bound the engine reads.
std::string megabyteOfDigits(SoakRandom &r)
{
    std::string text = r.chance(50) ? "-" : "";
    text.reserve(1 << 20);
    text += (char)('1' + r.below(9));
    while (text.size() < (1u << 20)) text += (char)('0' + r.below(10));
    text += "\r\n";
    for (int i = 0; i < 10; i++) text += number(r) + "\r\n";
    return text;
}

class BadFiles : public ::testing::Test {
protected:
    // Attach tries "vl.ini" in the current directory first.
    void SetUp() override
    {
        folder.reset(new CurrentTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }
    void TearDown() override { folder.reset(); }
    std::unique_ptr<CurrentTestFolder> folder;
};

TEST_F(BadFiles, GeneratedSettingsFilesGiveWhatTheReadersRulesSay)
{
    const int files = soakSize(2000, 20000);
    SoakRandom r(5);
    printf("bad settings: seed %u, %d files\n", r.seedUsed(), files);
    int failures = 0, tried = 0;
    int byCategory[13] = {};
    for (int i = 0; i < files; i++) {
        int category = 12;
        // A few files of a megabyte of digits; the rest small.
        std::string text = i % 500 == 7 ? megabyteOfDigits(r) : generatedSettings(r, &category);
        folder->write("\\varnels\\vl.ini", text);
        // A file over the bound is refused whole, as if it were not there:
        // with no other settings file the engine stays out.
        if (text.size() > engineFileSizeLimit) {
            EXPECT_FALSE(attachEngine(*folder)) << "a settings file of " << text.size() << " bytes";
            detachEngine();
            tried++;
            continue;
        }
        ASSERT_TRUE(attachEngine(*folder)) << "a settings file that opens always attaches";
        const SettingsRecord actual = Settings;
        detachEngine();
        const std::string difference = firstDifference(expectedRecord(holderValues(text)), actual);
        tried++;
        byCategory[category]++;
        if (!difference.empty()) {
            if (failures < 10) {
                std::string shown = text.substr(0, 120);
                for (char &c : shown)
                    if ((unsigned char)c < 32 || (unsigned char)c > 126) c = '.';
                ADD_FAILURE() << "file " << i << " (category " << category << ", " << text.size() << " bytes, \""
                              << shown << "\"): " << difference;
            }
            failures++;
        }
    }
    printf("bad settings: categories");
    for (int c = 0; c < 13; c++) printf(" %d", byCategory[c]);
    printf("\n");
    reportSoakItem("bad settings files", tried, failures);
}

TEST_F(BadFiles, GeneratedDisableMarkersDisableExactlyWhenTheFirstValueReadIsOne)
{
    const int files = soakSize(500, 5000);
    SoakRandom r(6);
    folder->write("\\varnels\\vl.ini", settingsFileFor({}));
    int failures = 0, disabled = 0;
    for (int i = 0; i < files; i++) {
        int category;
        std::string text;
        switch (r.below(4)) {
        case 0: text = std::string(r.below(4), ' ') + "1" + (r.chance(50) ? separator(r) : words[r.below(3)]); break;
        case 1: text = number(r) + separator(r) + number(r); break;
        default: text = generatedSettings(r, &category); break;
        }
        folder->write("\\varnels\\vldis.ini", text);
        ASSERT_TRUE(attachEngine(*folder));
        const SettingsRecord actual = Settings;
        const int disabledNow = EngineState.disabled;
        detachEngine();
        const bool wanted = holderValues(text, 1)[0] == 1;
        disabled += wanted;
        SettingsRecord expected;
        if (wanted) {
            // Nothing else is read: the defaults.
            resetSettings(&expected);
        } else {
            expected = expectedRecord(holderValues(settingsFileFor({})));
        }
        std::string difference = firstDifference(expected, actual);
        if (difference.empty() && disabledNow != (wanted ? 1 : 0))
            difference = "disabled expected " + std::to_string(wanted) + " got " + std::to_string(disabledNow);
        if (!difference.empty()) {
            if (failures < 10) ADD_FAILURE() << "marker \"" << text.substr(0, 60) << "\": " << difference;
            failures++;
        }
    }
    printf("bad markers: %d files, %d of them disable\n", files, disabled);
    reportSoakItem("bad disable markers", files, failures);
}

// ---- Bitmaps ----

struct BitmapCase {
    const char *name;
    std::string bytes;
};

std::string fileHeader(unsigned size, unsigned offset)
{
    BITMAPFILEHEADER h = {};
    h.bfType = 0x4D42;
    h.bfSize = size;
    h.bfOffBits = offset;
    return std::string((const char *)&h, sizeof h);
}

std::string infoHeader(int w, int h, int bits, unsigned compression = BI_RGB, unsigned used = 0)
{
    BITMAPINFOHEADER i = {};
    i.biSize = sizeof i;
    i.biWidth = w;
    i.biHeight = h;
    i.biPlanes = 1;
    i.biBitCount = (WORD)bits;
    i.biCompression = compression;
    i.biClrUsed = used;
    return std::string((const char *)&i, sizeof i);
}

std::string wholeBitmap(int w, int h, int bits, unsigned compression = BI_RGB, unsigned used = 0,
                        size_t pixelBytes = (size_t)-1)
{
    const size_t stride = ((size_t)(w < 0 ? -w : w) * bits + 31) / 32 * 4;
    if (pixelBytes == (size_t)-1) pixelBytes = stride * (size_t)(h < 0 ? -h : h);
    const unsigned palette = bits <= 8 ? (used ? used : (1u << bits)) * 4 : 0;
    const unsigned offset = (unsigned)(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + palette);
    std::string s = fileHeader(offset + (unsigned)pixelBytes, offset) + infoHeader(w, h, bits, compression, used);
    s += std::string(palette, '\x40');
    s += std::string(pixelBytes, '\x7f');
    return s;
}

std::vector<BitmapCase> bitmapCases(SoakRandom &r)
{
    std::vector<BitmapCase> cases;
    cases.push_back({"empty file", ""});
    cases.push_back({"one byte", "B"});
    cases.push_back({"file header only", fileHeader(14, 54)});
    cases.push_back({"truncated info header", fileHeader(100, 54) + infoHeader(8, 8, 24).substr(0, 20)});
    cases.push_back({"no pixels", fileHeader(54, 54) + infoHeader(8, 8, 24)});
    cases.push_back({"half the pixels", wholeBitmap(16, 16, 24).substr(0, 54 + 16 * 16 * 3 / 2)});
    cases.push_back({"zero width", wholeBitmap(0, 8, 24)});
    cases.push_back({"zero height", wholeBitmap(8, 0, 24)});
    cases.push_back({"top-down", wholeBitmap(8, -8, 24)});
    cases.push_back({"negative width", wholeBitmap(-8, 8, 24)});
    cases.push_back({"claims 100000 x 100000", fileHeader(70, 54) + infoHeader(100000, 100000, 24) + "xxxxxxxxxxxxxxxx"});
    cases.push_back({"claims 2^31 wide", fileHeader(70, 54) + infoHeader(0x7FFFFFFF, 1, 32) + "xxxxxxxxxxxxxxxx"});
    cases.push_back({"bit count 3", wholeBitmap(8, 8, 3)});
    cases.push_back({"bit count 0", wholeBitmap(8, 8, 0)});
    cases.push_back({"2^20 palette colours", wholeBitmap(8, 8, 8, BI_RGB, 1u << 20, 64)});
    cases.push_back({"RLE8 of noise", wholeBitmap(16, 16, 8, BI_RLE8, 0, 300)});
    cases.push_back({"RLE4 of noise", wholeBitmap(16, 16, 4, BI_RLE4, 0, 300)});
    cases.push_back({"unknown compression", wholeBitmap(8, 8, 24, 77)});
    cases.push_back({"offset past the end", fileHeader(54 + 192, 0x7FFFFFF0) + infoHeader(8, 8, 24) + std::string(192, 'x')});
    cases.push_back({"one pixel", wholeBitmap(1, 1, 24)});
    cases.push_back({"monochrome", wholeBitmap(33, 17, 1)});
    cases.push_back({"a large one", wholeBitmap(2000, 1500, 24)});
    std::string noise;
    for (int i = 0; i < 4000; i++) noise += (char)r.next();
    cases.push_back({"noise", noise});
    cases.push_back({"BM and noise", "BM" + noise});
    cases.push_back({"text", "this is not a picture\r\n"});
    return cases;
}

struct SkinFile {
    const char *suffix;
    SkinBitmap SharedResourcesRecord::*bitmap;
    UINT flags;
};

const SkinFile skinFiles[] = {
    {"\\varnels\\vl.bmp", &SharedResourcesRecord::backgroundBitmap, LR_LOADFROMFILE | LR_LOADMAP3DCOLORS},
    {"\\varnels\\vlmdi.bmp", &SharedResourcesRecord::mdiBitmap, LR_LOADFROMFILE | LR_LOADMAP3DCOLORS},
    {"\\varnels\\vlback.bmp", &SharedResourcesRecord::folderBitmap, LR_LOADFROMFILE},
    {"\\varnels\\vlprog.bmp", &SharedResourcesRecord::progressBitmap, LR_LOADFROMFILE},
    {"\\varnels\\vlscr.bmp", &SharedResourcesRecord::scrollBarBitmap, LR_LOADFROMFILE},
    {"\\varnels\\maccl.bmp", &SharedResourcesRecord::macCloseBitmap, LR_LOADFROMFILE},
    {"\\varnels\\macmx.bmp", &SharedResourcesRecord::macMaxBitmap, LR_LOADFROMFILE},
    {"\\varnels\\macmn.bmp", &SharedResourcesRecord::macMinBitmap, LR_LOADFROMFILE},
    {"\\varnels\\macmxd.bmp", &SharedResourcesRecord::macMaxDownBitmap, LR_LOADFROMFILE},
    {"\\varnels\\macmnd.bmp", &SharedResourcesRecord::macMinDownBitmap, LR_LOADFROMFILE},
};

bool allZero(const BITMAP &b)
{
    static const BITMAP zero = {};
    return memcmp(&b, &zero, sizeof b) == 0;
}

// Every drawing path that uses a skin bitmap, once, on real windows under the
// engine's hooks: tiled dialog, MDI client and tab backgrounds, striped
// captions with the box bitmaps, the scroll-bar brush and the progress bar.
void drawWithEveryBitmap()
{
    installEngineHooks();
    SoakWindows set;
    createSoakWindows(&set);
    for (HWND w : set.all()) {
        HDC dc = GetDC(w);
        SendMessageA(w, WM_ERASEBKGND, (WPARAM)dc, 0);
        ReleaseDC(w, dc);
        RedrawWindow(w, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        LONG style = GetWindowLongA(w, GWL_STYLE);
        if ((style & WS_CAPTION) == WS_CAPTION) {
            repaintCaption(w, style, 1);
            repaintCaption(w, style, 2);
        }
    }
    if (set.scrollBar) {
        HDC dc = GetDC(set.scrollBar);
        SendMessageA(set.dialog, WM_CTLCOLORSCROLLBAR, (WPARAM)dc, (LPARAM)set.scrollBar);
        ReleaseDC(set.scrollBar, dc);
    }
    for (HWND bar : {set.progress, set.dialogProgress}) {
        SendMessageA(bar, PBM_SETPOS, 60, 0);
        SendMessageA(bar, WM_PAINT, 0, 0);
    }
    pumpMessages();
    destroySoakWindows(&set);
    removeEngineHooks();
}

TEST_F(BadFiles, BitmapsThatDoNotLoadLeaveANullHandleAndAnAllZeroRecord)
{
    // Backgrounds, MDI background, folder background, scroll bars and the
    // striped caption's boxes on; the progress marker makes vlprog.bmp load.
    folder->write("\\varnels\\vl.ini", settingsFileFor({{"tileBackgrounds", 1},
                                                        {"folderBackground", 1},
                                                        {"macButtons", 1},
                                                        {"mdiBackground", 1},
                                                        {"skinScrollBars", 1}}));
    folder->write("\\varnels\\vlprog.ini", "");
    SoakRandom r(7);
    const std::vector<BitmapCase> cases = bitmapCases(r);
    const int rounds = soakSize(1, 5);
    int tried = 0, failures = 0, loaded = 0;
    for (int round = 0; round < rounds; round++) {
        for (size_t c = 0; c < cases.size(); c++) {
            // Each file gets a different case, so every case meets every use.
            for (size_t f = 0; f < sizeof skinFiles / sizeof skinFiles[0]; f++)
                folder->write(skinFiles[f].suffix, cases[(c + f + round) % cases.size()].bytes);
            ASSERT_TRUE(attachEngine(*folder));
            ASSERT_EQ(1, Settings.tileBackgrounds);
            ASSERT_EQ(1, Settings.macButtons);
            for (size_t f = 0; f < sizeof skinFiles / sizeof skinFiles[0]; f++) {
                const BitmapCase &bc = cases[(c + f + round) % cases.size()];
                const SkinBitmap &b = SharedResources.*skinFiles[f].bitmap;
                // Whether the file loads at all is the system's to say: ask
                // it with the same call.
                HBITMAP own = (HBITMAP)LoadImageA(NULL, folder->file(skinFiles[f].suffix).c_str(), IMAGE_BITMAP, 0,
                                                  0, skinFiles[f].flags);
                tried++;
                bool ok;
                if (!own) {
                    ok = b.handle == NULL && allZero(b.info);
                } else {
                    BITMAP info = {};
                    GetObjectA(own, sizeof info, &info);
                    ok = b.handle != NULL && b.info.bmWidth == info.bmWidth && b.info.bmHeight == info.bmHeight &&
                         b.info.bmBitsPixel == info.bmBitsPixel;
                    DeleteObject(own);
                    loaded++;
                }
                if (!ok) {
                    ADD_FAILURE() << skinFiles[f].suffix << " holding \"" << bc.name << "\": handle " << b.handle
                                  << ", record " << b.info.bmWidth << "x" << b.info.bmHeight;
                    failures++;
                }
            }
            const SkinBitmap &scroll = SharedResources.scrollBarBitmap;
            if (!scroll.handle && SharedResources.scrollBarBrush) {
                ADD_FAILURE() << "a pattern brush of a scroll-bar bitmap that did not load";
                failures++;
            }
            // The suite draws with every fifth set of files, the full run with all.
            if (soakFull() || c % 5 == 0) drawWithEveryBitmap();
            detachEngine();
        }
    }
    printf("bad bitmaps: %d files through attach, %d of them loaded\n", tried, loaded);
    reportSoakItem("bad and huge bitmaps", tried, failures);
}

// ---- Plug-ins ----

TEST_F(BadFiles, APlugInThatCannotBeUsedLeavesUsePluginZeroAndCaptionsPaintWithoutIt)
{
    struct PluginCase {
        const char *name;
        std::string source;  // a built file to copy, or "" for bytes
        std::string bytes;
        int usable;
    };
    std::string noise;
    SoakRandom r(8);
    for (int i = 0; i < 5000; i++) noise += (char)r.next();
    std::string plugin;
    {
        FILE *f = fopen(buildFile("vlplug.dll").c_str(), "rb");
        ASSERT_TRUE(f != NULL);
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) plugin.append(buffer, n);
        fclose(f);
    }
    const PluginCase cases[] = {
        {"an empty file", "", "", 0},
        {"noise", "", noise, 0},
        {"text", "", "not a library\r\n", 0},
        {"MZ and noise", "", "MZ" + noise, 0},
        {"the first half of the real plug-in", "", plugin.substr(0, plugin.size() / 2), 0},
        {"the first 64 bytes of the real plug-in", "", plugin.substr(0, 64), 0},
        {"a library without the entry points", "fixtures\\noentry.dll", "", 0},
        {"a program", "fixtures\\desktop_keeper.exe", "", 0},
        {"the real plug-in", "vlplug.dll", "", 1},
    };
    int tried = 0, failures = 0;
    const int rounds = soakSize(2, 20);
    HWND window = createTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    for (int round = 0; round < rounds; round++) {
        for (const PluginCase &c : cases) {
            // Each case under a name of its own: a library once loaded stays
            // loaded (the engine never frees it), and its file with it.
            TestFolder caseFolder(std::string("plugin-") + std::to_string(round) + "-" + std::to_string(&c - cases));
            caseFolder.write("\\varnels\\vl.ini", settingsFileFor({}));
            caseFolder.write("\\varnels\\vlplug.ini", "");
            if (!c.source.empty())
                caseFolder.copyIn(buildFile(c.source), "\\varnels\\vlplug.dll");
            else
                caseFolder.write("\\varnels\\vlplug.dll", c.bytes);
            ASSERT_TRUE(attachEngine(caseFolder)) << c.name;
            tried++;
            const bool usable = pluginInUse() && pluginMain != NULL && pluginTitle != NULL;
            if (usable != (c.usable == 1) || (!usable && pluginInUse())) {
                ADD_FAILURE() << c.name << ": plug-in in use " << pluginInUse() << ", entry points "
                              << (void *)pluginMain << " " << (void *)pluginTitle;
                failures++;
            }
            repaintCaption(window, GetWindowLongA(window, GWL_STYLE), 1);
            detachEngine();
            // The stand-in Windows directory goes; a library loaded from it
            // stays mapped, so its file may stay behind.
        }
    }
    DestroyWindow(window);
    reportSoakItem("bad plug-ins", tried, failures);
}

}  // namespace
