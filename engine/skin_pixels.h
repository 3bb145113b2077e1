// A skin bitmap's pixels as every paint reads them: a 32-bit DIB section,
// copied out with StretchDIBits straight from its bits. A bitmap can be selected into one DC at a time, and the paints of
// every thread of a program draw the same skin; reading the bits needs no
// DC, so no paint waits for another or copies the bitmap first. The bits
// never change once made, and the snapshot that owns the section keeps it
// until no paint holds it.
#pragma once

#include <windows.h>

#include "engine/shared_resources.h"

// Tiles narrower or lower than this are repeated into a block at least this
// large when loaded, so that a tiny tile costs a few copies per erase, not
// one a pixel. (A pattern brush would do it in one fill, but Windows 95 takes
// only the top-left 8 x 8 pixels of a brush's bitmap.)
enum { tileBlockMinimum = 128 };

// What a skin bitmap's pixels are made as.
enum SkinPixelsShape { pixelsAsTheyAre, pixelsRepeatedToABlock };

// Replaces the loaded bitmap (bitmap->handle, bitmap->info filled from it)
// with a DIB section of its pixels, for a tile repeated to the smallest
// multiple of it at least tileBlockMinimum each way. The loaded bitmap is
// deleted either way; returns 0 (bitmap all zero) when GDI could not make
// the section.
int makeSkinPixels(SkinBitmap *bitmap, SkinPixelsShape shape);

// Copies w x h pixels from (fromX, fromY) of the pixels, counted from their
// top-left corner, to (x, y) of dc.
void drawSkinPixels(HDC dc, int x, int y, int w, int h, const SkinBitmap &bitmap, int fromX, int fromY);

// Stretches all of the pixels over the rectangle at (x, y), w x h, of dc.
void stretchSkinPixels(HDC dc, int x, int y, int w, int h, const SkinBitmap &bitmap);
