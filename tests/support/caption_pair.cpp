// The system's caption and the engine's, side by side on the screen.
#include "support/caption_pair.h"

#include <stdio.h>

#include "caption/caption_geometry.h"
#include "caption/system_caption_bar.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/gradient_strip.h"
#include "support/pixels.h"
#include "support/test_windows.h"

HICON opaqueTestIcon(int size)
{
    HDC screen = GetDC(NULL);
    HBITMAP colour = CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, NULL);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, colour);
    // Quarters of two colours no caption, frame or title uses.
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) SetPixel(memory, x, y, (x < size / 2) == (y < size / 2) ? RGB(201, 17, 143) : RGB(17, 199, 61));
    SelectObject(memory, mask);
    PatBlt(memory, 0, 0, size, size, BLACKNESS);  // all opaque
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

static HICON smallIcon() { static HICON i = opaqueTestIcon(GetSystemMetrics(SM_CXSMICON)); return i; }
static HICON bigIcon() { static HICON i = opaqueTestIcon(GetSystemMetrics(SM_CXICON)); return i; }

// A maximised window of a pair keeps the recipe's place and size: it answers
// WM_GETMINMAXINFO with its restored rectangle, so the two windows of a pair
// do not cover each other (or the screen) while their captions are read.
static void keepRestoredRectangle(HWND window, LPARAM lParam)
{
    WINDOWPLACEMENT p = {sizeof p};
    if (!GetWindowPlacement(window, &p)) return;
    const RECT &n = p.rcNormalPosition;
    if (n.right <= n.left || n.bottom <= n.top) return;
    MINMAXINFO *info = (MINMAXINFO *)lParam;
    info->ptMaxPosition.x = n.left;
    info->ptMaxPosition.y = n.top;
    info->ptMaxSize.x = n.right - n.left;
    info->ptMaxSize.y = n.bottom - n.top;
}

// The default procedure of the window's character set, with WM_GETMINMAXINFO
// answered as keepRestoredRectangle says.
static LRESULT answerKeepingRestoredRectangle(WNDPROC defaultProcedure, HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam)
{
    LRESULT result = defaultProcedure(window, message, wParam, lParam);
    if (message != WM_GETMINMAXINFO) return result;
    keepRestoredRectangle(window, lParam);
    return 0;
}

static LRESULT CALLBACK maximisedProcedureA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return answerKeepingRestoredRectangle(DefWindowProcA, window, message, wParam, lParam);
}

static LRESULT CALLBACK maximisedProcedureW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return answerKeepingRestoredRectangle(DefWindowProcW, window, message, wParam, lParam);
}

// What a recipe's class is, in either character set's class structure.
template <class ClassInfo>
static void describeRecipeClass(ClassInfo *c, WNDPROC procedure, CaptionIcon icon)
{
    c->lpfnWndProc = procedure;
    c->hInstance = GetModuleHandleA(NULL);
    c->hIcon = icon == classBigIcon ? bigIcon() : NULL;
    c->hIconSm = icon == classSmallIcon ? smallIcon() : NULL;
    c->hbrBackground = GetSysColorBrush(COLOR_WINDOW);
}

// One class per icon source, character set and place: a class's icons are
// the class's, whatever window uses it.
static const char *recipeClass(CaptionIcon icon, bool unicode, CaptionPlace place)
{
    static const char *iconParts[5] = {"", "ClassSmall", "ClassBig", "", ""};
    static const char *placeParts[3] = {"", "Maximised", "MdiChild"};
    static char names[3][5][2][64];
    char *name = names[place][icon][unicode];
    if (!name[0]) sprintf(name, "VarnelCaption%s%s%s", iconParts[icon], placeParts[place], unicode ? "W" : "A");
    WNDCLASSEXA existing = {sizeof existing};
    if (GetClassInfoExA(GetModuleHandleA(NULL), name, &existing)) return name;
    const bool mdiChild = place == mdiChildWindow, maximised = place == maximisedWindow;
    if (unicode) {
        WCHAR wide[64];
        MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 64);
        WNDCLASSEXW w = {sizeof w};
        describeRecipeClass(&w, mdiChild ? DefMDIChildProcW : maximised ? maximisedProcedureW : DefWindowProcW, icon);
        w.lpszClassName = wide;
        RegisterClassExW(&w);
    } else {
        WNDCLASSEXA a = {sizeof a};
        describeRecipeClass(&a, mdiChild ? DefMDIChildProcA : maximised ? maximisedProcedureA : DefWindowProcA, icon);
        a.lpszClassName = name;
        RegisterClassExA(&a);
    }
    return name;
}

// The MDI client an MDI child of the recipe goes into: a frame without
// caption or border at (x, y), of the recipe's size, and a client filling it
// that leaves the child's styles as given (MDIS_ALLCHILDSTYLES).
static HWND createMdiClient(const CaptionRecipe &r, int x, int y)
{
    const char *frameClass = windowClass("VarnelCaptionMdiFrame", DefWindowProcA, GetSysColorBrush(COLOR_APPWORKSPACE));
    HWND frame = CreateWindowExA(0, frameClass, "", WS_POPUP | WS_CLIPCHILDREN, x, y, r.width, r.height, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    if (!frame) return NULL;
    CLIENTCREATESTRUCT client = {NULL, 0xFF00};
    HWND mdiClient = CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | MDIS_ALLCHILDSTYLES,
                                     0, 0, r.width, r.height, frame, NULL, GetModuleHandleA(NULL), &client);
    if (!mdiClient) {
        DestroyWindow(frame);
        return NULL;
    }
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    return mdiClient;
}

static HWND createRecipeWindow(const CaptionRecipe &r, int x, int y)
{
    const char *className = recipeClass(r.icon, r.unicode, r.place);
    HWND parent = NULL;
    DWORD style = r.style & ~WS_VISIBLE, exStyle = r.exStyle;
    if (r.place == mdiChildWindow) {
        parent = createMdiClient(r, x, y);
        if (!parent) return NULL;
        x = y = 0;
        style |= WS_CHILD;
        exStyle |= WS_EX_MDICHILD;
    }
    if (r.place == maximisedWindow) style |= WS_MAXIMIZE;
    HWND window;
    if (r.unicode) {
        WCHAR wideClass[64], wideTitle[256];
        MultiByteToWideChar(CP_ACP, 0, className, -1, wideClass, 64);
        MultiByteToWideChar(CP_ACP, 0, r.title, -1, wideTitle, 256);
        window = CreateWindowExW(exStyle, wideClass, wideTitle, style, x, y, r.width, r.height, parent, NULL,
                                 GetModuleHandleA(NULL), NULL);
    } else {
        window = CreateWindowExA(exStyle, className, r.title, style, x, y, r.width, r.height, parent, NULL,
                                 GetModuleHandleA(NULL), NULL);
    }
    if (!window) {
        if (parent) DestroyWindow(GetParent(parent));
        return NULL;
    }
    if (r.icon == ownSmallIcon) SendMessageA(window, WM_SETICON, ICON_SMALL, (LPARAM)smallIcon());
    if (r.icon == ownBigIcon) SendMessageA(window, WM_SETICON, ICON_BIG, (LPARAM)bigIcon());
    // SW_SHOWNA keeps a maximised window maximised; SW_SHOWNOACTIVATE would
    // restore it.
    ShowWindow(window, r.place == maximisedWindow ? SW_SHOWNA : SW_SHOWNOACTIVATE);
    return window;
}

// The window and, for an MDI child, its frame.
static void destroyRecipeWindow(HWND window)
{
    if (window) DestroyWindow(GetAncestor(window, GA_ROOT));
}

struct PlainThreadStart {
    const CaptionRecipe *recipe;
    int x, y;
    HWND window;
    HANDLE made;
};

// The system's window lives on a thread the engine's hooks (thread hooks of
// the test's thread) never see, and nothing subclasses it.
static DWORD WINAPI plainThread(void *parameter)
{
    PlainThreadStart *start = (PlainThreadStart *)parameter;
    HWND window = createRecipeWindow(*start->recipe, start->x, start->y);
    start->window = window;
    SetEvent(start->made);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    destroyRecipeWindow(window);
    return 0;
}

CaptionPair::CaptionPair(const CaptionRecipe &recipe, int x, int y, int gap) : recipe_(recipe)
{
    PlainThreadStart start = {&recipe_, x, y, NULL, CreateEventA(NULL, TRUE, FALSE, NULL)};
    thread_ = CreateThread(NULL, 0, plainThread, &start, 0, &threadId_);
    WaitForSingleObject(start.made, 10000);
    CloseHandle(start.made);
    system_ = start.window;
    engine_ = createRecipeWindow(recipe_, x, y + recipe.height + gap);
    pumpMessages();
    repaintBoth();
}

CaptionPair::~CaptionPair()
{
    destroyRecipeWindow(engine_);
    pumpMessages();
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
}

void CaptionPair::repaintBoth()
{
    for (HWND w : {system_, engine_}) {
        if (!w) continue;
        SendMessageA(w, WM_NCPAINT, 1, 0);
        SendMessageA(w, WM_NCACTIVATE, recipe_.active ? TRUE : FALSE, 0);
    }
    pumpMessages();
    SendMessageA(system_, WM_NULL, 0, 0);
    GdiFlush();
}

ScreenPixels::ScreenPixels(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    w_ = r.right - r.left;
    h_ = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    DWORD *bits = NULL;
    HBITMAP section = createPixelSection(screen, w_, h_, &bits);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, w_, h_, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    bits_.assign(bits, bits + w_ * h_);
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}

// A mirrored DC maps x to width - 1 - x, the edges of a rectangle included:
// what is drawn at [left, right) shows at [width - 1 - right, width - 1 - left).
static RECT mirroredIf(bool mirrored, int width, RECT r)
{
    if (!mirrored || IsRectEmpty(&r)) return r;
    RECT m = {width - 1 - r.right, r.top, width - 1 - r.left, r.bottom};
    return m;
}

CaptionParts captionParts(HWND window, bool iconShown)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE), exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    RECT w;
    GetWindowRect(window, &w);
    const int width = w.right - w.left;
    RECT inside = {0, 0, width, w.bottom - w.top};
    const bool thick = (style & WS_THICKFRAME) && (style & (WS_DLGFRAME | WS_BORDER)) != WS_DLGFRAME;
    const bool dialogFrame = (exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME));
    if (thick) InflateRect(&inside, -GetSystemMetrics(SM_CXFRAME), -GetSystemMetrics(SM_CYFRAME));
    else if (dialogFrame) InflateRect(&inside, -GetSystemMetrics(SM_CXDLGFRAME), -GetSystemMetrics(SM_CYDLGFRAME));
    else InflateRect(&inside, -GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER));
    const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    const int captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    const int button = GetSystemMetrics(SM_CXSIZE), buttonHeight = GetSystemMetrics(SM_CYSIZE);
    const int icon = GetSystemMetrics(SM_CXSMICON);

    CaptionParts p = {};
    SetRect(&p.caption, inside.left, inside.top, inside.right, inside.top + captionHeight - 1);
    if (iconShown) {
        const int y = inside.top + (GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYSMICON)) / 2;
        SetRect(&p.icon, inside.left + 2, y, inside.left + 2 + icon, y + GetSystemMetrics(SM_CYSMICON));
    }
    if (style & WS_SYSMENU) {
        if (tool) {
            const int size = 11;
            const int top = inside.top + (captionHeight - 1 - size) / 2;
            const int left = inside.right - (captionHeight + 1 + size) / 2;
            SetRect(&p.boxes[0], left, top, left + size, top + size);
        } else {
            SetRect(&p.boxes[0], inside.right - button, inside.top + 2, inside.right - 2, inside.top + buttonHeight - 2);
            if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
                const int maxRight = inside.right - button;
                SetRect(&p.boxes[1], maxRight - button, inside.top + 2, maxRight - 2, inside.top + buttonHeight - 2);
                const int minRight = inside.right - button - (button - 2);
                SetRect(&p.boxes[2], minRight - button, inside.top + 2, minRight - 2, inside.top + buttonHeight - 2);
            }
        }
    }
    const bool mirrored = (exStyle & WS_EX_LAYOUTRTL) != 0;
    p.caption = mirroredIf(mirrored, width, p.caption);
    // The icon and the boxes are drawn by their pixels, not their edges: in
    // a mirrored DC each lands a pixel further right than a copied bitmap.
    p.icon = mirroredIf(mirrored, width, p.icon);
    if (mirrored) OffsetRect(&p.icon, 1, 0);
    for (RECT &b : p.boxes) {
        b = mirroredIf(mirrored, width, b);
        if (mirrored) OffsetRect(&b, 1, 0);
    }
    return p;
}

static bool inRect(const RECT &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The title as the engine should show it inside its strip: in its fonts, the
// caption text colour on the band colours, placed from the icon's side, in
// the window's reading order; drawn here black on white, as a mask.
// The engine's title fonts for the window: the caption font and its medium
// weight, or for a tool window the two at the small caption font's height
// where the engine made them (the caption font is larger than that).
static void titleFonts(HWND window, HFONT *font, HFONT *medium)
{
    const SharedResourcesRecord &r = SharedResources;
    const bool tool = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) && r.toolCaptionFont;
    *font = tool ? r.toolCaptionFont : r.captionFont;
    *medium = tool ? (r.toolCaptionFontMedium ? r.toolCaptionFontMedium : r.toolCaptionFont) : r.captionFontMedium;
}

// The cell height of a font on the screen.
static int fontHeight(HFONT font)
{
    HDC screen = GetDC(NULL);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA m = {};
    GetTextMetricsA(screen, &m);
    SelectObject(screen, previous);
    ReleaseDC(NULL, screen);
    return m.tmHeight;
}

static std::vector<bool> expectedTitleMask(HWND window, const char *title, CaptionTitleLook look, int width, int height)
{
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    HFONT font, medium;
    titleFonts(window, &font, &medium);
    const bool mirrored = (exStyle & WS_EX_LAYOUTRTL) != 0;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    if (exStyle & WS_EX_RTLREADING) format |= DT_RTLREADING;
    // Drawn through a DC of the screen: one made compatible with a mirrored
    // window's DC would be mirrored too.
    std::vector<COLORREF> drawn = drawnStrip(NULL, width, height, RGB(255, 255, 255), RGB(0, 0, 0),
        font, [&](HDC dc) {
            WCHAR wide[256];
            const int length = MultiByteToWideChar(CP_ACP, 0, title, -1, wide, 256) - 1;
            RECT text = {titleTextLeft, 0, width, height};
            if (mirrored) SetRect(&text, 0, 0, width - titleTextLeft, height);
            const int split = titleSplitIndex(wide, length);
            if (look == splitTitle && split < length) {
                SelectObject(dc, medium);
                SIZE second;
                GetTextExtentPoint32W(dc, wide + split, length - split, &second);
                SelectObject(dc, font);
                SIZE first;
                GetTextExtentPoint32W(dc, wide, split, &first);
                RECT a = text, b = text;
                if (mirrored) {
                    a.right = text.right - second.cx;
                    DrawTextW(dc, wide, split, &a, format | DT_RIGHT);
                    SelectObject(dc, medium);
                    DrawTextW(dc, wide + split, length - split, &b, format | DT_RIGHT);
                } else {
                    DrawTextW(dc, wide, split, &a, format);
                    SelectObject(dc, medium);
                    b.left = text.left + first.cx;
                    DrawTextW(dc, wide + split, length - split, &b, format);
                }
            } else {
                const UINT align = look == centredTitle ? DT_CENTER : mirrored ? DT_RIGHT : DT_LEFT;
                DrawTextW(dc, wide, length, &text, format | align);
            }
        });
    std::vector<bool> mask(drawn.size());
    for (size_t i = 0; i < drawn.size(); i++) mask[i] = (drawn[i] & 0xFFFFFF) != RGB(255, 255, 255);
    return mask;
}

// With VARNEL_CAPTION_DUMP naming a folder, each comparison writes the two
// captions there as PPM pictures, to look at what a failure saw.
static void dumpCaption(const ScreenPixels &p, const char *kind)
{
    char folder[260];
    if (!GetEnvironmentVariableA("VARNEL_CAPTION_DUMP", folder, sizeof folder)) return;
    static int count;
    char path[300];
    sprintf(path, "%s\\%03d-%s.ppm", folder, kind[0] == 's' ? count : count++, kind);
    FILE *f = fopen(path, "wb");
    if (!f) return;
    const int rows = p.height() < 40 ? p.height() : 40;
    fprintf(f, "P6 %d %d 255\n", p.width(), rows);
    for (int y = 0; y < rows; y++)
        for (int x = 0; x < p.width(); x++) {
            const COLORREF c = p.at(x, y);
            fputc(GetRValue(c), f), fputc(GetGValue(c), f), fputc(GetBValue(c), f);
        }
    fclose(f);
}

CaptionComparison compareCaptions(const CaptionPair &pair, CaptionTitleLook look, bool iconShown)
{
    CaptionComparison c;
    c.iconShown = iconShown;
    HWND engine = pair.engineWindow();
    const ScreenPixels s(pair.systemWindow()), e(engine);
    dumpCaption(s, "system");
    dumpCaption(e, "engine");
    if (s.width() != e.width() || s.height() != e.height()) {
        c.iconOrBoxesChanged = c.systemTitleLeft = c.titleDiffers = c.stripOffTheBar = 1;
        c.where = "the two windows differ in size";
        return c;
    }
    const int width = s.width();
    const LONG exStyle = GetWindowLongA(engine, GWL_EXSTYLE);
    const bool mirrored = (exStyle & WS_EX_LAYOUTRTL) != 0;
    const CaptionParts parts = captionParts(engine, iconShown);
    char note[160];

    // (b) the icon and the boxes.
    std::vector<RECT> kept = {parts.icon, parts.boxes[0], parts.boxes[1], parts.boxes[2]};
    for (const RECT &r : kept)
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                if (s.at(x, y) != e.at(x, y)) {
                    if (!c.iconOrBoxesChanged++) {
                        sprintf(note, "icon or box pixel %d,%d: system %06lx engine %06lx; ", x, y, s.at(x, y), e.at(x, y));
                        c.where += note;
                    }
                }

    // The engine's strip, in screen orientation.
    RECT strip = gradientStripRect(engine);
    strip = mirroredIf(mirrored, width, strip);

    // (a) the system's title where the engine paints the title: between the
    // frame (or the icon) and the first box, a pixel of the system's title
    // that is not the caption bar's colour in its column, still there.
    int zoneLeft = parts.caption.left, zoneRight = parts.caption.right;
    for (const RECT &b : parts.boxes) {
        if (IsRectEmpty(&b)) continue;
        if (mirrored) zoneLeft = b.right > zoneLeft ? b.right : zoneLeft;
        else zoneRight = b.left < zoneRight ? b.left : zoneRight;
    }
    for (int y = parts.caption.top + 1; y < parts.caption.bottom; y++)
        for (int x = zoneLeft; x < zoneRight; x++) {
            if (x >= parts.icon.left && x < parts.icon.right) continue;
            const bool glyph = s.at(x, y) != s.at(x, parts.caption.top);
            if (!glyph || inRect(strip, x, y)) continue;
            if (e.at(x, y) == s.at(x, y)) {
                if (!c.systemTitleLeft++) {
                    sprintf(note, "system title pixel left at %d,%d (strip %ld..%ld); ", x, y, strip.left, strip.right);
                    c.where += note;
                }
            }
        }

    // (d) the strip covers the caption bar's rows and no more: in each of
    // its columns, a row of the bar outside the strip shows the system's
    // caption where the engine paints its own (its colour is not the band's,
    // read from the strip's top row), and a row of the strip outside the bar
    // (the bottom line, the window below it) is not what the system shows.
    for (int x = strip.left; x < strip.right; x++) {
        if (x < parts.caption.left || x >= parts.caption.right) continue;
        const COLORREF band = e.at(x, strip.top);
        const int last = strip.bottom > parts.caption.bottom + 1 ? strip.bottom : parts.caption.bottom + 1;
        for (int y = parts.caption.top; y < last && y < e.height(); y++) {
            const bool inBar = y < parts.caption.bottom, inStrip = y >= strip.top && y < strip.bottom;
            const bool wrong = inBar ? !inStrip && e.at(x, y) != band : inStrip && e.at(x, y) != s.at(x, y);
            if (wrong && !c.stripOffTheBar++) {
                sprintf(note, "strip off the caption bar at %d,%d (bar rows %ld..%ld, strip rows %ld..%ld); ", x, y,
                        parts.caption.top, parts.caption.bottom - 1, strip.top, strip.bottom - 1);
                c.where += note;
            }
        }
    }

    // (c) the engine's title against the title drawn as it should read.
    const int sw = strip.right - strip.left, sh = strip.bottom - strip.top;
    if (sw > 0 && sh > 0) {
        char title[256];
        if (IsWindowUnicode(engine)) {
            WCHAR wide[256];
            GetWindowTextW(engine, wide, 256);
            WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof title, NULL, NULL);
        } else {
            GetWindowTextA(engine, title, sizeof title);
        }
        // The title's font fits the strip: a taller one is cut off at the
        // top and bottom (the system makes every caption tall enough for its
        // own font, a small caption only for the small caption font).
        HFONT font, medium;
        titleFonts(engine, &font, &medium);
        const int cell = fontHeight(font) > fontHeight(medium) ? fontHeight(font) : fontHeight(medium);
        if (cell > sh) {
            c.titleDiffers++;
            sprintf(note, "the title's font is %d pixels high, the strip %d rows: the title is cut off; ", cell, sh);
            c.where += note;
        }
        const std::vector<bool> expected = expectedTitleMask(engine, title, look, sw, sh);
        for (int y = 1; y < sh; y++)
            for (int x = 0; x < sw; x++) {
                const int sx = strip.left + x, sy = strip.top + y;
                const bool glyph = e.at(sx, sy) != e.at(sx, strip.top);
                if (glyph != expected[y * sw + x]) {
                    if (!c.titleDiffers++) {
                        sprintf(note, "title pixel %d,%d of the strip: %s; ", x, y, glyph ? "engine has a glyph pixel, the title drawn has none" : "engine has no glyph pixel where the title drawn has one");
                        c.where += note;
                    }
                }
            }
    }
    return c;
}

int activationDiffersFromFramePainting(HWND engineWindow, bool active, std::string *where)
{
    int differing = 0;
    for (BOOL state : {(BOOL)!active, (BOOL)active}) {
        const ScreenPixels *pictures[2] = {};
        // The same change twice: the system's part of the bar drawn by its
        // caption drawing, then by its frame painting.
        for (int redraw : {1, 0}) {
            systemCaptionBarRedraw = redraw;
            SendMessageA(engineWindow, WM_NCACTIVATE, state, 0);
            pumpMessages();
            GdiFlush();
            pictures[redraw] = new ScreenPixels(engineWindow);
        }
        systemCaptionBarRedraw = 1;
        const ScreenPixels &drawn = *pictures[1], &painted = *pictures[0];
        for (int y = 0; y < drawn.height() && y < painted.height(); y++)
            for (int x = 0; x < drawn.width() && x < painted.width(); x++) {
                if (drawn.at(x, y) == painted.at(x, y)) continue;
                if (differing++ == 0 && where) {
                    char text[160];
                    snprintf(text, sizeof text, "(e) %s: pixel %d,%d is %06lx, %06lx by the frame painting",
                             state ? "activated" : "deactivated", x, y, (unsigned long)drawn.at(x, y),
                             (unsigned long)painted.at(x, y));
                    *where += text;
                }
            }
        delete pictures[0];
        delete pictures[1];
    }
    return differing;
}
