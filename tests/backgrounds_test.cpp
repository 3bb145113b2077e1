// Folder and dialog backgrounds: skin bitmaps tiled by the after-message hook
// into the DC a window was erased with. Each test bitmap is one colour with a
// marker pixel at its top-left corner, so every tile's origin can be found in
// the DC it was drawn into.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "hooks/backgrounds.h"
#include "hooks/hooks.h"
#include "support/after_hook_controls.h"
#include "support/test_windows.h"
#include "tools/gallery/dialog_template.h"

namespace {

struct TestTile {
    const char *file;
    int w, h;
    COLORREF body, marker;
    COLORREF at(int x, int y) const { return x == 0 && y == 0 ? marker : body; }
};

const TestTile dialogTile = {"\\varnels\\vl.bmp", 16, 12, RGB(30, 120, 200), RGB(250, 40, 20)};
const TestTile mdiTile = {"\\varnels\\vlmdi.bmp", 10, 10, RGB(90, 200, 60), RGB(200, 0, 200)};
const TestTile folderTile = {"\\varnels\\vlback.bmp", 14, 8, RGB(220, 180, 40), RGB(0, 0, 140)};
const COLORREF untouched = RGB(0, 255, 0);

void writeTile(const TestFolder &folder, const TestTile &tile)
{
    writePatternBitmap(folder.file(tile.file), tile.w, tile.h, [&](int x, int y) { return tile.at(x, y); });
}

// "" when the canvas holds exactly columns x rows tiles from its origin and
// nothing else; otherwise the first pixel that is wrong.
std::string tiledExactly(const Canvas &canvas, const TestTile &tile, int columns, int rows)
{
    for (int y = 0; y < canvas.height(); y++)
        for (int x = 0; x < canvas.width(); x++) {
            bool covered = x < columns * tile.w && y < rows * tile.h;
            COLORREF want = covered ? tile.at(x % tile.w, y % tile.h) : untouched;
            if (canvas.at(x, y) != want) {
                char text[160];
                snprintf(text, sizeof text, "pixel %d,%d is %06lx, expected %06lx (%d x %d tiles of %d x %d)", x, y,
                         (unsigned long)canvas.at(x, y), (unsigned long)want, columns, rows, tile.w, tile.h);
                return text;
            }
        }
    return "";
}

bool untouchedCanvas(const Canvas &canvas)
{
    for (int y = 0; y < canvas.height(); y++)
        for (int x = 0; x < canvas.width(); x++)
            if (canvas.at(x, y) != untouched) return false;
    return true;
}

SIZE windowSize(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// A canvas one tile larger each way than the tiles a window of this size
// gets, so that a tile too many would show; without the margin, exactly the
// tiles' area, for windows that erase the whole DC themselves first.
Canvas *canvasFor(HWND window, const TestTile &tile, bool margin = true)
{
    SIZE s = windowSize(window);
    int extra = margin ? 2 : 1;
    return new Canvas((s.cx / tile.w + extra) * tile.w, (s.cy / tile.h + extra) * tile.h, untouched);
}

// A window class that only calls DefWindowProcA, with no background brush:
// usable from several threads, and it draws nothing when erased.
const char *quietClass(const char *name) { return windowClass(name, DefWindowProcA, NULL, arrowCursor); }

INT_PTR CALLBACK quietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND createDialog(DWORD style)
{
    DialogTemplate t;
    beginDialogTemplate(&t, WS_POPUP | WS_VISIBLE | style, 0, 30, 30, 120, 60, "");
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplateData(t), NULL, quietDialogProc, 0);
    // The dialog manager may add DS_3DLOOK of its own accord: set exactly
    // what the test asks for.
    LONG now = GetWindowLongA(dialog, GWL_STYLE);
    SetWindowLongA(dialog, GWL_STYLE, (now & ~DS_3DLOOK) | (style & DS_3DLOOK));
    return dialog;
}

}  // namespace

TEST(TileCount, OneMoreThanFitWholeAndNoneForAnEmptyTile)
{
    struct {
        int extent, tile, count;
    } cases[] = {
        {0, 16, 1}, {1, 16, 1}, {15, 16, 1}, {16, 16, 2}, {31, 16, 2}, {32, 16, 3}, {33, 16, 3},
        {100, 1, 101}, {100, 0, 0}, {100, -4, 0}, {0, 0, 0},
    };
    for (auto &c : cases) EXPECT_EQ(c.count, tileCount(c.extent, c.tile)) << c.extent << " / " << c.tile;
}

class Backgrounds : public AfterHookControlsTest {
protected:
    void prepareFolder(const TestFolder &f) override
    {
        writeTile(f, dialogTile);
        writeTile(f, mdiTile);
        writeTile(f, folderTile);
    }
    void SetUp() override
    {
        AfterHookControlsTest::SetUp();
        ASSERT_EQ(dialogTile.w, SharedResources.backgroundBitmap.info.bmWidth);
        ASSERT_EQ(mdiTile.w, SharedResources.mdiBitmap.info.bmWidth);
        ASSERT_EQ(folderTile.w, SharedResources.folderBitmap.info.bmWidth);
    }
    HWND mdiClient(HWND frame, int w, int h)
    {
        CLIENTCREATESTRUCT ccs = {NULL, 1000};
        return track(CreateWindowExA(0, "MDIClient", NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, w, h, frame,
                                     NULL, GetModuleHandleA(NULL), &ccs));
    }
    // Erases the window through the hook procedure called directly, into a
    // fresh canvas; the hook's result and the canvas are checked by the caller.
    LRESULT eraseDirectly(HWND window, Canvas &canvas) { return callAfterHook(window, WM_ERASEBKGND, (WPARAM)canvas.dc()); }
    // The same, timed: the seconds it took.
    double timedErase(HWND window, Canvas &canvas)
    {
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        EXPECT_EQ(999, eraseDirectly(window, canvas));
        QueryPerformanceCounter(&end);
        return (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
    }
};

TEST_F(Backgrounds, WindowExactlyTwoTilesWideGetsThreeColumns)
{
    Settings.tileBackgrounds = 1;
    HWND parent = createParent();
    struct {
        int w, h, columns, rows;
    } cases[] = {
        {2 * dialogTile.w, dialogTile.h + 5, 3, 2},
        {2 * dialogTile.w - 1, dialogTile.h, 2, 2},
        {dialogTile.w / 2, dialogTile.h / 2, 1, 1},
        {3 * dialogTile.w + 1, 3 * dialogTile.h - 1, 4, 3},
    };
    for (auto &c : cases) {
        HWND tab = createChild(WC_TABCONTROLA, 0, parent, 5, 5, c.w, c.h);
        ASSERT_EQ(c.w, windowSize(tab).cx);
        Canvas canvas(5 * dialogTile.w, 5 * dialogTile.h, untouched);
        EXPECT_EQ(999, eraseDirectly(tab, canvas));
        EXPECT_EQ("", tiledExactly(canvas, dialogTile, c.columns, c.rows)) << c.w << " x " << c.h;
        DestroyWindow(tab);
    }
}

// With tileBackgrounds on, WM_ERASEBKGND of a tab control through the
// after-message hook ends with the background bitmap over whatever the tab
// control erased with itself.
TEST_F(Backgrounds, TabControlErasedThroughTheHookIsTiledWithTheBackgroundBitmap)
{
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 10, 10, 150, 60);
    std::unique_ptr<Canvas> canvas(canvasFor(tab, dialogTile, false));
    Settings.tileBackgrounds = 0;
    SendMessageA(tab, WM_ERASEBKGND, (WPARAM)canvas->dc(), 0);
    EXPECT_NE("", tiledExactly(*canvas, dialogTile, 150 / 16 + 1, 60 / 12 + 1)) << "switched off: no tiles";

    Settings.tileBackgrounds = 1;
    canvas->fill(untouched);
    SendMessageA(tab, WM_ERASEBKGND, (WPARAM)canvas->dc(), 0);
    EXPECT_EQ("", tiledExactly(*canvas, dialogTile, 150 / 16 + 1, 60 / 12 + 1));
    canvas->fill(untouched);
    EXPECT_EQ(999, eraseDirectly(tab, *canvas));
}

TEST_F(Backgrounds, BackgroundClassesAndTheirExceptions)
{
    Settings.tileBackgrounds = 1;
    HWND plain = createParent(NULL, 500, 300);
    HWND rebar = createChild(REBARCLASSNAME, 0, plain, 0, 0, 400, 60);
    HWND pager = createChild(WC_PAGESCROLLERA, 0, plain, 0, 100, 400, 60);
    HWND mdiFrame = createParent(NULL, 500, 300);

    struct Case {
        const char *why;
        HWND window;
        int mdiBackground;
        LRESULT result;
        const TestTile *tile;  // NULL: nothing drawn
    };
    HWND flatDialog = track(createDialog(0));
    HWND dialog = track(createDialog(DS_3DLOOK));
    ASSERT_EQ(0, GetClassLongA(dialog, GCL_HBRBACKGROUND)) << "the dialog class paints no brush of its own";
    Case cases[] = {
        {"tab control", createChild(WC_TABCONTROLA, 0, plain, 10, 10, 100, 40), 0, 999, &dialogTile},
        {"toolbar", createChild(TOOLBARCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN, plain, 10, 200, 100, 30), 0,
         999, &dialogTile},
        {"dialog with DS_3DLOOK", dialog, 0, 999, &dialogTile},
        {"dialog without DS_3DLOOK", flatDialog, 0, 999, NULL},
        {"toolbar in a rebar", createChild(TOOLBARCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN, rebar, 0, 0, 100, 30),
         0, 999, NULL},
        {"toolbar in a pager", createChild(TOOLBARCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN, pager, 0, 0, 100, 30),
         0, 999, NULL},
        {"control bar", createChild(quietClass("AfxControlBar40"), 0, plain, 200, 10, 90, 50), 0, 999,
         &dialogTile},
        {"scan disk dialog", createChild(quietClass("ScanDskWDlgClass"), 0, plain, 200, 70, 40, 30), 0, 999,
         &dialogTile},
        {"MDI client, MDI background off", mdiClient(mdiFrame, 120, 90), 0, 0, NULL},
        {"MDI client, MDI background on", mdiClient(mdiFrame, 120, 90), 1, 999, &mdiTile},
    };
    for (auto &c : cases) {
        ASSERT_TRUE(c.window != NULL) << c.why;
        Settings.mdiBackground = c.mdiBackground;
        const TestTile &layout = c.tile ? *c.tile : dialogTile;
        std::unique_ptr<Canvas> canvas(canvasFor(c.window, layout));
        EXPECT_EQ(c.result, eraseDirectly(c.window, *canvas)) << c.why;
        SIZE s = windowSize(c.window);
        if (c.tile)
            EXPECT_EQ("", tiledExactly(*canvas, *c.tile, s.cx / c.tile->w + 1, s.cy / c.tile->h + 1)) << c.why;
        else
            EXPECT_TRUE(untouchedCanvas(*canvas)) << c.why << ": nothing drawn";
    }
}

TEST_F(Backgrounds, DialogWithAClassBrushKeepsItsBackground)
{
    Settings.tileBackgrounds = 1;
    HWND dialog = track(createDialog(DS_3DLOOK));
    LONG previous = SetClassLongA(dialog, GCL_HBRBACKGROUND, (LONG)GetStockObject(LTGRAY_BRUSH));
    std::unique_ptr<Canvas> canvas(canvasFor(dialog, dialogTile));
    LRESULT result = eraseDirectly(dialog, *canvas);
    SetClassLongA(dialog, GCL_HBRBACKGROUND, previous);
    EXPECT_EQ(999, result);
    EXPECT_TRUE(untouchedCanvas(*canvas));
}

TEST_F(Backgrounds, OtherClassesAndSwitchedOffTilingDrawNothing)
{
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 10, 10, 100, 40);
    HWND other = createChild(quietClass("VarnelPlainChild"), 0, parent, 10, 60, 100, 40);
    Settings.tileBackgrounds = 1;
    std::unique_ptr<Canvas> canvas(canvasFor(other, dialogTile));
    EXPECT_NE(999, eraseDirectly(other, *canvas));
    EXPECT_TRUE(untouchedCanvas(*canvas)) << "not a background class";
    Settings.tileBackgrounds = 0;
    EXPECT_NE(999, eraseDirectly(tab, *canvas));
    EXPECT_TRUE(untouchedCanvas(*canvas)) << "tiling switched off";
}

TEST_F(Backgrounds, MdiClientThroughTheHookShowsItsOwnBackgroundUntilSwitchedOn)
{
    Settings.tileBackgrounds = 1;
    HWND frame = createParent(NULL, 400, 300);
    HWND client = mdiClient(frame, 90, 70);
    std::unique_ptr<Canvas> canvas(canvasFor(client, mdiTile, false));
    Settings.mdiBackground = 0;
    SendMessageA(client, WM_ERASEBKGND, (WPARAM)canvas->dc(), 0);
    EXPECT_EQ(GetSysColor(COLOR_APPWORKSPACE), canvas->at(5, 5)) << "the client's own erase stays";

    Settings.mdiBackground = 1;
    canvas->fill(untouched);
    SendMessageA(client, WM_ERASEBKGND, (WPARAM)canvas->dc(), 0);
    EXPECT_EQ("", tiledExactly(*canvas, mdiTile, 90 / 10 + 1, 70 / 10 + 1));
}

class FolderBackgrounds : public Backgrounds {
protected:
    // A folder window: a frame holding a shell view holding a list view;
    // under "Progman" it is the desktop's.
    void folderWindow(const char *frameClass, HWND *view, HWND *listView)
    {
        HWND frame = createParent(quietClass(frameClass), 400, 300);
        *view = createChild(quietClass("SHELLDLL_DefView"), 0, frame, 0, 0, 300, 200);
        *listView = createChild(WC_LISTVIEWA, LVS_REPORT, *view, 0, 0, 300, 200);
        SendMessageA(*listView, LVM_SETBKCOLOR, 0, listColour);
    }
    static COLORREF backgroundOf(HWND lv) { return (COLORREF)SendMessageA(lv, LVM_GETBKCOLOR, 0, 0); }
    const COLORREF listColour = RGB(250, 250, 240);
};

TEST_F(FolderBackgrounds, FolderListViewTurnsTransparentAndEndsTheHookWithZero)
{
    HWND view, lv;
    folderWindow("CabinetWClass", &view, &lv);
    Settings.folderBackground = 1;
    for (UINT message : {WM_WINDOWPOSCHANGED, WM_NCCALCSIZE, WM_NCPAINT}) {
        SendMessageA(lv, LVM_SETBKCOLOR, 0, listColour);
        EXPECT_EQ(0, callAfterHook(lv, message, 0, 0)) << std::hex << message;
        EXPECT_EQ(CLR_NONE, backgroundOf(lv)) << std::hex << message;
        EXPECT_EQ(0, callAfterHook(lv, message, 0, 0)) << "already transparent: still ends the hook";
    }
    SendMessageA(lv, LVM_SETBKCOLOR, 0, listColour);
    callAfterHook(lv, WM_PAINT, 0, 0);
    EXPECT_EQ(listColour, backgroundOf(lv)) << "other messages";

    // and through the hook, as a move of the list view delivers it
    SetWindowPos(lv, NULL, 0, 0, 280, 190, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(CLR_NONE, backgroundOf(lv));
}

TEST_F(FolderBackgrounds, DesktopAndOtherListViewsKeepTheirColour)
{
    HWND desktopView, desktopList, view, lv;
    folderWindow("Progman", &desktopView, &desktopList);
    folderWindow("CabinetWClass", &view, &lv);
    HWND parent = createParent();
    HWND loose = createChild(WC_LISTVIEWA, LVS_REPORT, parent, 0, 0, 200, 100);
    SendMessageA(loose, LVM_SETBKCOLOR, 0, listColour);

    Settings.folderBackground = 1;
    SendMessageA(desktopList, WM_NCPAINT, 1, 0);
    EXPECT_EQ(listColour, backgroundOf(desktopList)) << "the desktop's list view";
    SendMessageA(loose, WM_NCPAINT, 1, 0);
    EXPECT_EQ(listColour, backgroundOf(loose)) << "a list view outside a shell view";

    Settings.folderBackground = 0;
    SendMessageA(lv, WM_NCPAINT, 1, 0);
    EXPECT_EQ(listColour, backgroundOf(lv)) << "folder backgrounds switched off";

    // While hot tracking is on, a list view's WM_NCCALCSIZE ends the hook
    // before the folder stage.
    Settings.folderBackground = 1;
    Settings.listViewHotTrack = 1;
    RECT r = {0, 0, 100, 100};
    SendMessageA(lv, WM_NCCALCSIZE, FALSE, (LPARAM)&r);
    EXPECT_EQ(listColour, backgroundOf(lv)) << "WM_NCCALCSIZE with hot tracking";
    SendMessageA(lv, WM_NCPAINT, 1, 0);
    EXPECT_EQ(CLR_NONE, backgroundOf(lv)) << "WM_NCPAINT with hot tracking";
}

TEST_F(FolderBackgrounds, FolderViewIsTiledWithTheFolderBitmap)
{
    HWND view, lv, desktopView, desktopList;
    folderWindow("CabinetWClass", &view, &lv);
    folderWindow("Progman", &desktopView, &desktopList);
    Settings.folderBackground = 1;
    SIZE s = windowSize(view);

    std::unique_ptr<Canvas> canvas(canvasFor(view, folderTile));
    pumpMessages();
    ValidateRect(view, NULL);
    EXPECT_EQ(999, eraseDirectly(view, *canvas));
    EXPECT_EQ("", tiledExactly(*canvas, folderTile, s.cx / folderTile.w + 1, s.cy / folderTile.h + 1));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(view, &update, FALSE)) << "the view is painted again over its tiles";

    canvas->fill(untouched);
    SendMessageA(view, WM_ERASEBKGND, (WPARAM)canvas->dc(), 0);
    EXPECT_EQ("", tiledExactly(*canvas, folderTile, s.cx / folderTile.w + 1, s.cy / folderTile.h + 1))
        << "through the hook";

    canvas->fill(untouched);
    EXPECT_NE(999, eraseDirectly(desktopView, *canvas));
    EXPECT_TRUE(untouchedCanvas(*canvas)) << "the desktop's view is passed on";
}

// The files a test folder holds none of: every bitmap stays unloaded.
class MissingBitmaps : public Backgrounds {
protected:
    void prepareFolder(const TestFolder &) override {}
    void SetUp() override { AfterHookControlsTest::SetUp(); }
};

TEST_F(MissingBitmaps, TilingIsSkippedAndTheStageStillEndsTheHook)
{
    ASSERT_TRUE(SharedResources.backgroundBitmap.handle == NULL);
    ASSERT_EQ(0, SharedResources.backgroundBitmap.info.bmWidth);
    Settings.tileBackgrounds = 1;
    Settings.folderBackground = 1;
    Settings.mdiBackground = 1;
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 10, 10, 100, 40);
    HWND frame = createParent(NULL, 300, 200);
    HWND client = mdiClient(frame, 100, 80);
    HWND cabinet = createParent(quietClass("CabinetWClass"));
    HWND view = createChild(quietClass("SHELLDLL_DefView"), 0, cabinet, 0, 0, 100, 80);
    for (HWND w : {tab, client, view}) {
        Canvas canvas(120, 100, untouched);
        EXPECT_EQ(999, eraseDirectly(w, canvas));
        EXPECT_TRUE(untouchedCanvas(canvas));
    }
}

// ---- Tiles another program's skin could hold ----

// A one-pixel tile and a three-by-two one: what costs most per tile, and the
// smallest whose alignment shows.
const TestTile pixelTile = {"\\varnels\\vlmdi.bmp", 1, 1, RGB(40, 40, 160), RGB(40, 40, 160)};
const TestTile smallTile = {"\\varnels\\vl.bmp", 3, 2, RGB(200, 160, 20), RGB(10, 130, 90)};

class SmallTiles : public Backgrounds {
protected:
    void prepareFolder(const TestFolder &f) override
    {
        writeTile(f, pixelTile);
        writeTile(f, smallTile);
    }
    void SetUp() override { AfterHookControlsTest::SetUp(); }
};

// One erase of a screen-sized MDI client with a one-pixel tile is one fill's
// worth of work, not a copy a pixel; every pixel is still the tile's.
TEST_F(SmallTiles, APixelTileOnALargeMdiClientErasesQuickly)
{
    const double allowedSeconds = 0.020;
    Settings.tileBackgrounds = 1;
    Settings.mdiBackground = 1;
    HWND frame = createParent(NULL, 300, 200);
    HWND client = mdiClient(frame, 1280, 1024);
    ASSERT_EQ(1280, windowSize(client).cx);
    Canvas canvas(1282, 1026, untouched);
    const double seconds = timedErase(client, canvas);
    printf("one erase of a 1280 x 1024 MDI client with a 1 x 1 tile: %.4f s\n", seconds);
    EXPECT_LT(seconds, allowedSeconds);
    EXPECT_EQ("", tiledExactly(canvas, pixelTile, 1281, 1025));
}

// Only what the DC shows is tiled, with the tiles where whole tiles from the
// DC's origin put them.
TEST_F(SmallTiles, OnlyTheClipBoxIsTiledAndTheTilesLineUpWithTheOrigin)
{
    Settings.tileBackgrounds = 1;
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 5, 5, 200, 150);
    const RECT clips[] = {{0, 0, 200, 150}, {7, 5, 61, 40}, {130, 101, 203, 153}, {-5, -5, 4, 3}, {50, 50, 50, 60}};
    for (const RECT &c : clips) {
        SCOPED_TRACE(testing::Message() << c.left << "," << c.top << " - " << c.right << "," << c.bottom);
        Canvas canvas(210, 160, untouched);
        IntersectClipRect(canvas.dc(), c.left, c.top, c.right, c.bottom);
        EXPECT_EQ(999, eraseDirectly(tab, canvas));
        const int areaWidth = tileCount(200, smallTile.w) * smallTile.w, areaHeight = tileCount(150, smallTile.h) * smallTile.h;
        int wrong = 0;
        for (int y = 0; y < canvas.height(); y++)
            for (int x = 0; x < canvas.width(); x++) {
                const bool shown = x >= c.left && x < c.right && y >= c.top && y < c.bottom && x < areaWidth &&
                                   y < areaHeight;
                const COLORREF want = shown ? smallTile.at(x % smallTile.w, y % smallTile.h) : untouched;
                if (canvas.at(x, y) != want && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << canvas.at(x, y);
            }
        EXPECT_EQ(0, wrong);
    }
}

// A tile as large as the engine takes (a photograph as vl.bmp), every pixel
// of it telling where it is from.
COLORREF largeTileAt(int x, int y) { return RGB(x & 255, y & 255, (x >> 8) | (y >> 8) << 3); }
enum { largeTileSide = 2048 };

class LargeTiles : public Backgrounds {
protected:
    void prepareFolder(const TestFolder &f) override
    {
        writePatternBitmap(f.file("\\varnels\\vl.bmp"), largeTileSide, largeTileSide, largeTileAt);
    }
    void SetUp() override { AfterHookControlsTest::SetUp(); }
};

// An erase costs what the DC shows, not what the tile holds: a small window
// behind a tile of the largest size takes the few pixels it shows, at the
// places whole tiles from its origin put them, the tile's rows the right way
// up, and its edges where the tile's are.
TEST_F(LargeTiles, ASmallWindowPaysForWhatItShowsOfALargeTile)
{
    ASSERT_EQ(largeTileSide, SharedResources.backgroundBitmap.info.bmWidth);
    const double allowedSeconds = 0.003;
    Settings.tileBackgrounds = 1;
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 5, 5, 200, 150);
    Canvas canvas(210, 160, untouched);
    double best = 1;
    for (int round = 0; round < 5; round++) {
        canvas.fill(untouched);
        const double seconds = timedErase(tab, canvas);
        if (seconds < best) best = seconds;
    }
    printf("one erase of a 200 x 150 tab control with a %d x %d tile: %.5f s at best\n", largeTileSide,
           largeTileSide, best);
    EXPECT_LT(best, allowedSeconds);
    int wrong = 0;
    for (int y = 0; y < canvas.height(); y++)
        for (int x = 0; x < canvas.width(); x++)
            if (canvas.at(x, y) != largeTileAt(x, y) && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << canvas.at(x, y);
    EXPECT_EQ(0, wrong);
    // Clipped to the tile's far corner region of a canvas larger than the
    // tile: the tile's last rows and columns, then the next tile's first.
    Canvas wide(largeTileSide + 40, 60, untouched);
    IntersectClipRect(wide.dc(), largeTileSide - 20, 10, largeTileSide + 30, 50);
    HWND wideTab = createChild(WC_TABCONTROLA, 0, parent, 0, 0, largeTileSide + 40, 60);
    EXPECT_EQ(999, eraseDirectly(wideTab, wide));
    wrong = 0;
    for (int y = 0; y < wide.height(); y++)
        for (int x = 0; x < wide.width(); x++) {
            const bool shown = x >= largeTileSide - 20 && x < largeTileSide + 30 && y >= 10 && y < 50;
            const COLORREF want = shown ? largeTileAt(x % largeTileSide, y) : untouched;
            if (wide.at(x, y) != want && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << wide.at(x, y);
        }
    EXPECT_EQ(0, wrong);
}

// Skin bitmaps over 2048 pixels a side are refused at load; 2048 is taken.
class OversizedBitmaps : public Backgrounds {
protected:
    void prepareFolder(const TestFolder &f) override
    {
        writeSolidBitmap(f.file("\\varnels\\vl.bmp"), 2049, 1, RGB(1, 2, 3));
        writeSolidBitmap(f.file("\\varnels\\vlmdi.bmp"), 1, 2049, RGB(1, 2, 3));
        writeSolidBitmap(f.file("\\varnels\\vlback.bmp"), 2048, 2, RGB(1, 2, 3));
    }
    void SetUp() override { AfterHookControlsTest::SetUp(); }
};

TEST_F(OversizedBitmaps, OverTheSideBoundAreRefusedAtLoad)
{
    EXPECT_TRUE(SharedResources.backgroundBitmap.handle == NULL);
    EXPECT_EQ(0, SharedResources.backgroundBitmap.info.bmWidth);
    EXPECT_TRUE(SharedResources.mdiBitmap.handle == NULL);
    EXPECT_EQ(0, SharedResources.mdiBitmap.info.bmHeight);
    EXPECT_TRUE(SharedResources.folderBitmap.handle != NULL);
    EXPECT_EQ(2048, SharedResources.folderBitmap.info.bmWidth);
}

// The build's own skin: skingen's vl.bmp tiled behind a tab control.
class SkinBackground : public Backgrounds {
protected:
    void prepareFolder(const TestFolder &f) override { f.copyIn(buildFile("skin\\vl.bmp"), "\\varnels\\vl.bmp"); }
    void SetUp() override { AfterHookControlsTest::SetUp(); }
};

TEST_F(SkinBackground, TabControlIsTiledWithTheDefaultSkin)
{
    BitmapFile skin = readBitmapFile(folder->file("\\varnels\\vl.bmp"));
    ASSERT_GT(skin.width, 0) << "skingen wrote the build's skin";
    ASSERT_EQ(skin.width, SharedResources.backgroundBitmap.info.bmWidth);
    Settings.tileBackgrounds = 1;
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 10, 10, 2 * skin.width + 7, skin.height + 3);
    Canvas canvas(3 * skin.width, 2 * skin.height, untouched);
    SendMessageA(tab, WM_ERASEBKGND, (WPARAM)canvas.dc(), 0);
    int wrong = 0;
    for (int y = 0; y < canvas.height(); y++)
        for (int x = 0; x < canvas.width(); x++) wrong += canvas.at(x, y) != skin.at(x % skin.width, y % skin.height);
    EXPECT_EQ(0, wrong) << "every pixel of the canvas comes from the skin's tile";
    canvas.fill(untouched);
    EXPECT_EQ(999, eraseDirectly(tab, canvas));
}

// Two threads erase windows tiled with the same bitmap, each into its own
// DC, as fast as they can (windows of quiet classes: nothing records). A bitmap is selected into one DC at a time, so a
// thread that did not wait for the other would copy from an empty memory DC.
class TwoThreads : public Backgrounds {};

struct ThreadRun {
    const char *frameClass;
    const char *windowClass;
    const TestTile *tile;
    int rounds;
    HANDLE start;
    int wrong = 0;
    std::string first;
};

static void eraseManyTimes(ThreadRun *run)
{
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, SpyCallWndProc, NULL, GetCurrentThreadId());
    HWND frame = CreateWindowExA(0, run->frameClass, "Frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                 NULL, NULL, GetModuleHandleA(NULL), NULL);
    CLIENTCREATESTRUCT ccs = {NULL, 1000};
    HWND w = CreateWindowExA(0, run->windowClass, NULL, WS_CHILD | WS_VISIBLE, 0, 0, 150, 100, frame, NULL,
                             GetModuleHandleA(NULL), &ccs);
    SIZE s = windowSize(w);
    const TestTile &t = *run->tile;
    Canvas canvas((s.cx / t.w + 1) * t.w, (s.cy / t.h + 1) * t.h, untouched);
    WaitForSingleObject(run->start, INFINITE);
    for (int i = 0; i < run->rounds; i++) {
        canvas.fill(untouched);
        SendMessageA(w, WM_ERASEBKGND, (WPARAM)canvas.dc(), 0);
        std::string result = tiledExactly(canvas, t, s.cx / t.w + 1, s.cy / t.h + 1);
        if (!result.empty()) {
            run->wrong++;
            if (run->first.empty()) run->first = result;
        }
    }
    DestroyWindow(frame);
    UnhookWindowsHookEx(hook);
}

TEST_F(TwoThreads, TileTheSameBitmapOneAtATime)
{
    Settings.tileBackgrounds = 1;
    Settings.folderBackground = 1;
    Settings.mdiBackground = 1;
    struct {
        const char *frameClass, *windowClass;
        const TestTile *tile;
    } cases[] = {
        {quietClass("VarnelQuietFrame"), WC_TABCONTROLA, &dialogTile},
        {quietClass("VarnelQuietFrame"), "MDIClient", &mdiTile},
        {quietClass("CabinetWClass"), quietClass("SHELLDLL_DefView"), &folderTile},
    };
    for (auto &c : cases) {
        HANDLE start = CreateEventA(NULL, TRUE, FALSE, NULL);
        ThreadRun a{c.frameClass, c.windowClass, c.tile, 150, start};
        ThreadRun b{c.frameClass, c.windowClass, c.tile, 150, start};
        std::thread first(eraseManyTimes, &a), second(eraseManyTimes, &b);
        Sleep(50);
        SetEvent(start);
        first.join();
        second.join();
        CloseHandle(start);
        EXPECT_EQ(0, a.wrong) << c.windowClass << ": " << a.first;
        EXPECT_EQ(0, b.wrong) << c.windowClass << ": " << b.first;
    }
}

// A mirrored DC (the erase of a window with WS_EX_LAYOUTRTL) gets the tiles
// as BitBlt mirrors a bitmap there: read from the right, every pixel is the
// tile's pixel of its logical place, the marker at each tile's logical
// origin.
TEST_F(SmallTiles, AMirroredDcGetsTheTilesMirrored)
{
    Settings.tileBackgrounds = 1;
    HWND parent = createParent();
    HWND tab = createChild(WC_TABCONTROLA, 0, parent, 5, 5, 20, 10);
    Canvas canvas(30, 12, untouched);
    SetLayout(canvas.dc(), LAYOUT_RTL);
    EXPECT_EQ(999, eraseDirectly(tab, canvas));
    const int areaWidth = tileCount(20, smallTile.w) * smallTile.w;
    const int areaHeight = tileCount(10, smallTile.h) * smallTile.h;
    int wrong = 0;
    for (int y = 0; y < canvas.height(); y++)
        for (int x = 0; x < canvas.width(); x++) {
            const int logical = canvas.width() - 1 - x;
            const bool tiled = logical < areaWidth && y < areaHeight;
            const COLORREF want = tiled ? smallTile.at(logical % smallTile.w, y % smallTile.h) : untouched;
            if (canvas.at(x, y) != want && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << canvas.at(x, y);
        }
    EXPECT_EQ(0, wrong);
}
