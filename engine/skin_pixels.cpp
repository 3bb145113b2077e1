// Skin bitmaps made into DIB sections at load and drawn from their bits.
#include "engine/skin_pixels.h"

#include <string.h>

// The smallest multiple of tile that is at least tileBlockMinimum.
static int blockExtent(int tile) { return tile >= tileBlockMinimum ? tile : (tileBlockMinimum + tile - 1) / tile * tile; }

// Repeats the tile at the block's top left corner over the block (selected
// into target): each copy doubles what is filled, along x and then along y.
static void repeatTile(HDC target, int tileWidth, int tileHeight, int blockWidth, int blockHeight)
{
    for (int filled = tileWidth; filled < blockWidth; filled *= 2)
        BitBlt(target, filled, 0, filled < blockWidth - filled ? filled : blockWidth - filled, tileHeight, target, 0,
               0, SRCCOPY);
    for (int filled = tileHeight; filled < blockHeight; filled *= 2)
        BitBlt(target, 0, filled, blockWidth, filled < blockHeight - filled ? filled : blockHeight - filled, target,
               0, 0, SRCCOPY);
}

int makeSkinPixels(SkinBitmap *bitmap, SkinPixelsShape shape)
{
    const HBITMAP loaded = bitmap->handle;
    const int width = bitmap->info.bmWidth, height = bitmap->info.bmHeight;
    const int repeat = shape == pixelsRepeatedToABlock;
    BITMAPINFOHEADER pixels = {};
    pixels.biSize = sizeof pixels;
    pixels.biWidth = repeat ? blockExtent(width) : width;
    // Bottom-up, the row order every system takes.
    pixels.biHeight = repeat ? blockExtent(height) : height;
    pixels.biPlanes = 1;
    pixels.biBitCount = 32;
    pixels.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP section = NULL;
    if (loaded && width > 0 && height > 0)
        section = CreateDIBSection(NULL, (BITMAPINFO *)&pixels, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC from = section ? CreateCompatibleDC(NULL) : NULL;
    HDC to = from ? CreateCompatibleDC(NULL) : NULL;
    int made = 0;
    if (to) {
        const HGDIOBJ previousFrom = SelectObject(from, loaded), previousTo = SelectObject(to, section);
        if (previousFrom && previousTo) {
            made = BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
            if (made && repeat) repeatTile(to, width, height, pixels.biWidth, pixels.biHeight);
        }
        if (previousFrom) SelectObject(from, previousFrom);
        if (previousTo) SelectObject(to, previousTo);
        // Every paint reads the bits directly from now on.
        GdiFlush();
    }
    if (to) DeleteDC(to);
    if (from) DeleteDC(from);
    if (loaded) DeleteObject(loaded);
    if (!made) {
        if (section) DeleteObject(section);
        memset(bitmap, 0, sizeof *bitmap);
        return 0;
    }
    bitmap->handle = section;
    bitmap->bits = bits;
    bitmap->pixels = pixels;
    return 1;
}

void drawSkinPixels(HDC dc, int x, int y, int w, int h, const SkinBitmap &bitmap, int fromX, int fromY)
{
    if (!bitmap.bits || w <= 0 || h <= 0) return;
    // The source's y counts from the bottom row of bottom-up bits. A copy at
    // the same size, through StretchDIBits rather than SetDIBitsToDevice: it
    // is mirrored in a mirrored DC as BitBlt is, and Wine's
    // SetDIBitsToDevice is not.
    const int fromBottom = bitmap.pixels.biHeight - fromY - h;
    StretchDIBits(dc, x, y, w, h, fromX, fromBottom, w, h, bitmap.bits, (const BITMAPINFO *)&bitmap.pixels,
                  DIB_RGB_COLORS, SRCCOPY);
}

void stretchSkinPixels(HDC dc, int x, int y, int w, int h, const SkinBitmap &bitmap)
{
    if (!bitmap.bits) return;
    StretchDIBits(dc, x, y, w, h, 0, 0, bitmap.pixels.biWidth, bitmap.pixels.biHeight, bitmap.bits,
                  (const BITMAPINFO *)&bitmap.pixels, DIB_RGB_COLORS, SRCCOPY);
}
