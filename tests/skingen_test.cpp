// skingen.exe, the default skin's generator, run as a program: the files it
// writes, what the pictures are like, and how it fails.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "support/after_hook_controls.h"
#include "support/test_folder.h"

namespace {

struct SkinFileSpec {
    const char *name;
    int w, h;
};

const SkinFileSpec skinFiles[] = {
    {"vl.bmp", 64, 64},     {"vlmdi.bmp", 64, 64},  {"vlback.bmp", 128, 128}, {"vlprog.bmp", 8, 16},
    {"vlscr.bmp", 8, 8},    {"maccl.bmp", 15, 15},  {"macmx.bmp", 15, 15},    {"macmn.bmp", 15, 15},
    {"macmxd.bmp", 15, 15}, {"macmnd.bmp", 15, 15},
};

struct SkingenRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and standard error together
};

// Runs skingen.exe with the given command-line arguments and collects what
// it prints.
SkingenRun runSkingen(const std::string &arguments)
{
    SkingenRun run;
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    std::string exe = buildFile("skingen.exe");
    std::string commandLine = "skingen.exe " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    BOOL started = CreateProcessA(exe.c_str(), line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi);
    CloseHandle(writeEnd);
    if (started) {
        char chunk[512];
        DWORD got;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, NULL) && got) run.output.append(chunk, got);
        WaitForSingleObject(pi.hProcess, 30000);
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    return run;
}

std::string inQuotes(const std::string &s) { return "\"" + s + "\""; }

int channelDistance(COLORREF a, COLORREF b)
{
    int d = abs(GetRValue(a) - GetRValue(b));
    d = d > abs(GetGValue(a) - GetGValue(b)) ? d : abs(GetGValue(a) - GetGValue(b));
    return d > abs(GetBValue(a) - GetBValue(b)) ? d : abs(GetBValue(a) - GetBValue(b));
}

class Skingen : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.reset(new TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        out = folder->file("\\varnels");
    }
    BitmapFile written(const char *name) { return readBitmapFile(out + "\\" + name); }
    std::unique_ptr<TestFolder> folder;
    std::string out;
};

}  // namespace

TEST_F(Skingen, WritesTheTenSkinBitmapsAs24BitFilesTheEngineCanLoad)
{
    SkingenRun run = runSkingen(inQuotes(out));
    ASSERT_EQ(0u, run.exitCode) << run.output;
    for (auto &f : skinFiles) {
        BitmapFile bmp = written(f.name);
        EXPECT_EQ(24, bmp.bitCount) << f.name;
        EXPECT_EQ(f.w, bmp.width) << f.name;
        EXPECT_EQ(f.h, bmp.height) << f.name;
        HBITMAP loaded = (HBITMAP)LoadImageA(NULL, (out + "\\" + f.name).c_str(), IMAGE_BITMAP, 0, 0,
                                             LR_LOADFROMFILE | LR_LOADMAP3DCOLORS);
        ASSERT_TRUE(loaded != NULL) << f.name;
        BITMAP info;
        GetObjectA(loaded, sizeof info, &info);
        EXPECT_EQ(f.w, info.bmWidth) << f.name;
        EXPECT_EQ(f.h, info.bmHeight) << f.name;
        DeleteObject(loaded);
    }
}

TEST_F(Skingen, AFolderWithATrailingSeparatorWorksToo)
{
    SkingenRun run = runSkingen(inQuotes(out + "\\"));
    ASSERT_EQ(0u, run.exitCode) << run.output;
    EXPECT_EQ(64, written("vl.bmp").width);
}

TEST_F(Skingen, DrawsTheSamePicturesEveryTime)
{
    TestFolder second("second");
    ASSERT_EQ(0u, runSkingen(inQuotes(out)).exitCode);
    ASSERT_EQ(0u, runSkingen(inQuotes(second.file("\\varnels"))).exitCode);
    for (auto &f : skinFiles) {
        std::string a = fileContent(out + "\\" + f.name), b = fileContent(second.file("\\varnels\\") + f.name);
        EXPECT_FALSE(a.empty()) << f.name;
        EXPECT_TRUE(a == b) << f.name;
    }
}

TEST_F(Skingen, BackgroundTilesStayCloseToTheirSystemColoursYetAreNotFlat)
{
    ASSERT_EQ(0u, runSkingen(inQuotes(out)).exitCode);
    struct {
        const char *name;
        int colourIndex;
        int within;
    } cases[] = {
        {"vl.bmp", COLOR_BTNFACE, 10},
        {"vlmdi.bmp", COLOR_APPWORKSPACE, 20},
        {"vlback.bmp", COLOR_WINDOW, 24},
        {"vlscr.bmp", COLOR_BTNFACE, 24},
    };
    for (auto &c : cases) {
        BitmapFile bmp = written(c.name);
        ASSERT_GT(bmp.width, 0) << c.name;
        COLORREF system = GetSysColor(c.colourIndex);
        int farthest = 0;
        COLORREF lowest = bmp.pixels[0], highest = bmp.pixels[0];
        for (COLORREF p : bmp.pixels) {
            int d = channelDistance(p, system);
            farthest = d > farthest ? d : farthest;
            if (GetGValue(p) < GetGValue(lowest)) lowest = p;
            if (GetGValue(p) > GetGValue(highest)) highest = p;
        }
        EXPECT_LE(farthest, c.within) << c.name << " strays from its system colour";
        EXPECT_GE(GetGValue(highest) - GetGValue(lowest), 2) << c.name << " has a pattern";
    }
}

// Tiled, the last column meets the first and the last row the first: the
// step across that joint is no larger than the steps inside the tile.
TEST_F(Skingen, TilesRepeatWithoutSeams)
{
    ASSERT_EQ(0u, runSkingen(inQuotes(out)).exitCode);
    for (const char *name : {"vl.bmp", "vlmdi.bmp", "vlback.bmp", "vlscr.bmp"}) {
        BitmapFile bmp = written(name);
        ASSERT_GT(bmp.width, 1) << name;
        int insideX = 0, jointX = 0, insideY = 0, jointY = 0;
        for (int y = 0; y < bmp.height; y++)
            for (int x = 0; x < bmp.width; x++) {
                int right = channelDistance(bmp.at(x, y), bmp.at((x + 1) % bmp.width, y));
                int below = channelDistance(bmp.at(x, y), bmp.at(x, (y + 1) % bmp.height));
                if (x == bmp.width - 1)
                    jointX = right > jointX ? right : jointX;
                else
                    insideX = right > insideX ? right : insideX;
                if (y == bmp.height - 1)
                    jointY = below > jointY ? below : jointY;
                else
                    insideY = below > insideY ? below : insideY;
            }
        EXPECT_LE(jointX, insideX) << name << ": left and right edges";
        EXPECT_LE(jointY, insideY) << name << ": top and bottom edges";
    }
}

TEST_F(Skingen, ProgressStripIsBlueAndEvenAcross)
{
    ASSERT_EQ(0u, runSkingen(inQuotes(out)).exitCode);
    BitmapFile bmp = written("vlprog.bmp");
    ASSERT_GT(bmp.width, 0);
    for (int y = 0; y < bmp.height; y++) {
        COLORREF first = bmp.at(0, y);
        EXPECT_GT(GetBValue(first), GetRValue(first)) << "row " << y;
        for (int x = 1; x < bmp.width; x++) EXPECT_EQ(first, bmp.at(x, y)) << "row " << y << " is stretched sideways";
    }
    EXPECT_GT(GetRValue(bmp.at(0, 0)), GetRValue(bmp.at(0, bmp.height - 1))) << "lighter at the top";
}

TEST_F(Skingen, CaptionBoxesAreGemsOnButtonFaceThatFitTheStripedCaption)
{
    ASSERT_EQ(0u, runSkingen(inQuotes(out)).exitCode);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    struct {
        const char *name;
        int live;
        int dominant;  // 0 red, 1 green, 2 red over green over blue (amber)
    } cases[] = {
        {"maccl.bmp", 1, 0}, {"macmx.bmp", 1, 1}, {"macmn.bmp", 1, 2}, {"macmxd.bmp", 0, 0}, {"macmnd.bmp", 0, 0},
    };
    for (auto &c : cases) {
        BitmapFile bmp = written(c.name);
        ASSERT_GT(bmp.width, 0) << c.name;
        EXPECT_LE(bmp.width, 16) << c.name << ": boxes stand 17 pixels apart";
        EXPECT_LE(bmp.height + 2, GetSystemMetrics(SM_CYCAPTION)) << c.name << ": copied at y = 1 into the caption";
        for (POINT corner : {POINT{0, 0}, POINT{bmp.width - 1, 0}, POINT{0, bmp.height - 1},
                             POINT{bmp.width - 1, bmp.height - 1}})
            EXPECT_EQ(face, bmp.at(corner.x, corner.y)) << c.name << ": copied opaque onto the button-face bar";
        // The stone's colour: the mean of the pixels that are not button face.
        double r = 0, g = 0, b = 0;
        int n = 0;
        for (COLORREF p : bmp.pixels)
            if (p != face) {
                r += GetRValue(p);
                g += GetGValue(p);
                b += GetBValue(p);
                n++;
            }
        ASSERT_GT(n, bmp.width * bmp.height / 2) << c.name << ": a round stone filling the box";
        r /= n;
        g /= n;
        b /= n;
        if (!c.live) {
            EXPECT_LT(std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)), 12) << c.name << " is grey";
        } else if (c.dominant == 0) {
            EXPECT_TRUE(r > g + 40 && r > b + 40) << c.name << " is red";
        } else if (c.dominant == 1) {
            EXPECT_TRUE(g > r + 40 && g > b + 40) << c.name << " is green";
        } else {
            EXPECT_TRUE(r > g && g > b + 40) << c.name << " is amber";
        }
    }
}

TEST_F(Skingen, WrittenByTheBuild)
{
    for (auto &f : skinFiles) {
        BitmapFile bmp = readBitmapFile(buildFile("skin\\") + f.name);
        EXPECT_EQ(24, bmp.bitCount) << f.name;
        EXPECT_EQ(f.w, bmp.width) << f.name;
    }
}

TEST_F(Skingen, WithoutAFolderItShowsHowToCallIt)
{
    SkingenRun run = runSkingen("");
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("usage: skingen OUTDIR")) << run.output;
    EXPECT_EQ(2u, runSkingen(inQuotes(out) + " " + inQuotes(out)).exitCode) << "one folder only";
}

TEST_F(Skingen, AMissingFolderOrAFileInsteadIsAnError)
{
    std::string missing = out + "\\nowhere";
    SkingenRun run = runSkingen(inQuotes(missing));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find(missing)) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("does not exist")) << run.output;

    folder->write("\\varnels\\plain.txt", "not a folder");
    std::string file = out + "\\plain.txt";
    run = runSkingen(inQuotes(file));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("is not a folder")) << run.output;
}

TEST_F(Skingen, AFileThatCannotBeWrittenIsNamedAndStopsTheRun)
{
    // A folder where the close box should go: that file cannot be created.
    ASSERT_TRUE(CreateDirectoryA((out + "\\maccl.bmp").c_str(), NULL));
    SkingenRun run = runSkingen(inQuotes(out));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("cannot write")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("maccl.bmp")) << run.output;
    EXPECT_EQ(64, written("vl.bmp").width) << "files before it were written";
    EXPECT_EQ(0, written("macmx.bmp").width) << "nothing after it";
    RemoveDirectoryA((out + "\\maccl.bmp").c_str());
}

// The loader's icon: both sizes load as icons, transparent outside the
// window, the caption's bands running from navy to cyan, the body white; the
// loader carries it as its first icon resource.
TEST_F(Skingen, LoaderIconLoadsAtBothSizesWithItsCaptionBands)
{
    const std::string icon = out + "\\vlload.ico";
    SkingenRun run = runSkingen("/icon " + inQuotes(icon));
    ASSERT_EQ(0u, run.exitCode) << run.output;
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        HICON loaded = (HICON)LoadImageA(NULL, icon.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
        ASSERT_NE((HICON)NULL, loaded);
        HDC screen = GetDC(NULL);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        RECT all = {0, 0, size, size};
        HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(memory, &all, magenta);
        DeleteObject(magenta);
        ASSERT_TRUE(DrawIconEx(memory, 0, 0, loaded, size, size, 0, NULL, DI_NORMAL));
        const int captionRow = size / 8 + (size >= 32 ? 5 : 2);
        EXPECT_EQ(RGB(255, 0, 255), GetPixel(memory, size / 2, 0) & 0xFFFFFF) << "transparent above";
        EXPECT_EQ(RGB(0, 0, 128), GetPixel(memory, size / 8 + 1, captionRow) & 0xFFFFFF) << "navy first";
        EXPECT_EQ(RGB(0, 255, 255), GetPixel(memory, size - size / 8 - 1, captionRow) & 0xFFFFFF) << "cyan last";
        EXPECT_EQ(RGB(255, 255, 255), GetPixel(memory, size / 2, size * 5 / 8) & 0xFFFFFF) << "white body";
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(NULL, screen);
        DestroyIcon(loaded);
    }
    HMODULE loader = LoadLibraryExA(buildFile("vlload.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE((HMODULE)NULL, loader);
    EXPECT_NE((HRSRC)NULL, FindResourceA(loader, MAKEINTRESOURCEA(1), RT_GROUP_ICON));
    FreeLibrary(loader);
}
