// A picture held as 8-bit RGB pixels, top row first, and its 24-bit BMP file.
#pragma once

#include <stddef.h>

#include <vector>

struct Pixel {
    unsigned char r, g, b;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // row by row, the top row first

    Picture(int w, int h) : width(w), height(h), pixels((size_t)w * h, Pixel{0, 0, 0}) {}
    Pixel &at(int x, int y) { return pixels[(size_t)y * width + x]; }
    const Pixel &at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

// The bytes of an uncompressed 24-bit bottom-up BMP file of the picture:
// BITMAPFILEHEADER, BITMAPINFOHEADER, then rows padded to four bytes.
std::vector<unsigned char> bitmapFileBytes(const Picture &picture);

// Writes the file; on failure removes what was written and returns 0 with
// errno telling why.
int writeBitmapFile(const char *path, const Picture &picture);
