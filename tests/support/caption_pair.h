// The system's caption beside the engine's: the same window made twice, once
// on a thread of its own that the engine's hooks never see (what the system
// draws) and once on the calling thread under the hooks, both read back from
// the screen. What a caption is made of is a CaptionRecipe; CaptionComparison
// says where the two differ in the ways that matter.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

enum CaptionIcon { noOwnIcon, classSmallIcon, classBigIcon, ownSmallIcon, ownBigIcon };
enum CaptionTitleLook { plainTitle, centredTitle, splitTitle };
// Where the window stands: a top-level window; a top-level window maximised
// (to the recipe's own place and size, which it answers in WM_GETMINMAXINFO,
// so that the two of a pair stay side by side on the screen); an MDI child
// filling the MDI client of a frame without caption or border.
enum CaptionPlace { topLevelWindow, maximisedWindow, mdiChildWindow };

struct CaptionRecipe {
    DWORD style;
    DWORD exStyle;
    CaptionIcon icon;
    bool unicode;
    bool active;
    const char *title;  // ASCII, made Unicode for Unicode windows
    int width, height;
    CaptionPlace place;  // topLevelWindow unless given
};

// A window of the recipe on the calling thread (a class per icon source,
// character set and place; DefWindowProc, or DefMDIChildProc for an MDI
// child, as its procedure), shown without activation,
// at (x, y) on the screen, and one on a thread of its own; each is
// destroyed on its own thread when the pair goes.
class CaptionPair {
public:
    CaptionPair(const CaptionRecipe &recipe, int x, int y, int gap = 12);
    ~CaptionPair();
    HWND systemWindow() const { return system_; }
    HWND engineWindow() const { return engine_; }
    // Both repainted the same way (WM_NCPAINT, then WM_NCACTIVATE in the
    // recipe's state), each by its own thread, and the system's thread done.
    void repaintBoth();

private:
    CaptionRecipe recipe_;
    HWND system_ = NULL, engine_ = NULL;
    HANDLE thread_ = NULL;
    DWORD threadId_ = 0;
};

// A window as the screen shows it, in screen orientation (a mirrored window
// reads right to left here as on the screen).
class ScreenPixels {
public:
    explicit ScreenPixels(HWND window);
    COLORREF at(int x, int y) const { return bits_[y * w_ + x] & 0xFFFFFF; }
    int width() const { return w_; }
    int height() const { return h_; }

private:
    int w_ = 0, h_ = 0;
    std::vector<DWORD> bits_;
};

// The caption's parts as the system lays them out (Wine's geometry, which is
// Windows' for these): the inside of the frame, the caption rows, the icon's
// place and the caption boxes, in screen orientation.
struct CaptionParts {
    RECT caption;       // the caption bar without its bottom line
    RECT icon;          // empty when there is no icon place
    RECT boxes[3];      // close, maximise, minimise; empty where none is drawn
};
CaptionParts captionParts(HWND window, bool iconShown);

// What one pair shows: (a) pixels of the system's title still showing
// where the engine paints its title, (b) pixels of the icon or a caption box
// that are not the system's, (c) pixels of the engine's title that differ
// from the title drawn in the engine's font and direction where the engine's
// strip is; (d) the strip short of the caption bar's rows or past them.
struct CaptionComparison {
    int systemTitleLeft = 0;
    int iconOrBoxesChanged = 0;
    int titleDiffers = 0;
    // (d) pixels of the caption bar the engine's strip leaves to the system,
    // or of the strip outside the bar.
    int stripOffTheBar = 0;
    bool iconShown = false;
    std::string where;  // the first pixel found of each kind, for a failure message
};
// iconShown: whether the system draws an icon for the recipe.
CaptionComparison compareCaptions(const CaptionPair &pair, CaptionTitleLook look, bool iconShown);

// (e) The engine's window after an activation change, both ways and back to
// active, with the system's part of the caption bar drawn again by its
// caption drawing, against the same change left to its frame painting: the
// pixels that differ, and in where the first of them.
int activationDiffersFromFramePainting(HWND engineWindow, bool active, std::string *where);

// A 16x16 / 32x32 icon, opaque in every pixel, in colours no caption uses:
// an icon place covered by the strip shows at once.
HICON opaqueTestIcon(int size);
