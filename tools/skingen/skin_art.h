// The default skin, drawn from code: background tiles that stay close to the
// desktop's own colours, a progress strip, a scroll-bar pattern and the gem
// caption boxes of the striped caption.
#pragma once

#include "bitmap_file.h"

// The system colours the art is built around (COLORREF values, red in the
// low byte), read from the desktop that skingen or vlconf runs on.
struct SkinColours {
    unsigned long buttonFace;
    unsigned long buttonShadow;
    unsigned long buttonHighlight;
    unsigned long appWorkspace;
    unsigned long window;
};
// Those colours of the desktop this program runs on.
SkinColours desktopSkinColours();

// Tiles: every one repeats without a seam, so its right edge meets its left
// and its bottom its top.
Picture dialogBackground(const SkinColours &c);   // vl.bmp: a soft diagonal weave around the button face
Picture mdiBackground(const SkinColours &c);      // vlmdi.bmp: cool linen around the MDI workspace colour
Picture folderBackground(const SkinColours &c);   // vlback.bmp: paper grain a shade below the window colour
Picture scrollBarPattern(const SkinColours &c);   // vlscr.bmp: 8 x 8 pattern-brush ribs

// Stretched over the filled part of a progress bar: a glossy blue strip.
Picture progressStrip();

// Caption boxes, copied opaque onto the button-face bar of the striped
// caption at 17-pixel steps: a round gem on button face. live 0 gives the
// greyed box shown where a window lacks the zoom or minimise style.
enum CaptionBox { closeBox, zoomBox, minimiseBox };
Picture captionBox(const SkinColours &c, CaptionBox box, int live);

// The same gem in other stones, one COLORREF for each box in CaptionBox
// order; the schemes draw their own caption boxes with it.
struct GemStones {
    unsigned long colour[3];
};
extern const GemStones defaultGemStones;
Picture captionBoxOfStones(const SkinColours &c, CaptionBox box, int live, const GemStones &stones);

// The size of a caption box: 15 x 15, leaving two pixels between boxes.
enum { captionBoxSize = 15 };

struct SkinFile {
    const char *name;
    Picture (*draw)(const SkinColours &c);
};
// The ten files of the skin, in the order skingen writes them.
enum { skinFileCount = 10 };
extern const SkinFile skinFiles[skinFileCount];
