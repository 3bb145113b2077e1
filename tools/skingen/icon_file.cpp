// The loader's icon and its .ico file.
#include "icon_file.h"

#include <errno.h>
#include <stdio.h>

static const Pixel transparent = {255, 0, 255};

static bool same(const Pixel &a, const Pixel &b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// The caption runs from the system's dark blue towards teal; on 16 colours
// the bands are navy, blue, teal and cyan.
Picture loaderIcon(int size)
{
    Picture p(size, size);
    const int frame = size >= 32 ? 2 : 1, caption = size >= 32 ? 9 : 5;
    const Pixel dark = {0, 0, 0}, body = {255, 255, 255}, grey = {192, 192, 192};
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            Pixel &px = p.at(x, y);
            const int top = size / 8, bottom = size - size / 8;
            if (y < top || y >= bottom) {
                px = transparent;
            } else if (x == 0 || x == size - 1 || y == top || y == bottom - 1) {
                px = dark;
            } else if (x < frame || x >= size - frame || y < top + frame) {
                px = grey;
            } else if (y < top + frame + caption) {
                const int band = (x - frame) * 4 / (size - 2 * frame);
                static const Pixel bands[4] = {{0, 0, 128}, {0, 0, 255}, {0, 128, 128}, {0, 255, 255}};
                px = bands[band < 4 ? band : 3];
            } else {
                px = body;
            }
        }
    return p;
}

// The 16 colours of the standard VGA palette, in their usual order.
static const Pixel vga[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

static int nearest(const Pixel &p)
{
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 16; i++) {
        const int dr = p.r - vga[i].r, dg = p.g - vga[i].g, db = p.b - vga[i].b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

static void put16(std::vector<unsigned char> &out, unsigned v)
{
    out.push_back((unsigned char)(v & 0xFF));
    out.push_back((unsigned char)(v >> 8));
}

static void put32(std::vector<unsigned char> &out, unsigned v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

static unsigned rowBytes(int width, int bits) { return (unsigned)((width * bits + 31) / 32 * 4); }

// BITMAPINFOHEADER (twice the height: colours over mask), the palette, the
// colour rows and the mask rows, bottom row first.
static std::vector<unsigned char> iconImage(const Picture &p)
{
    std::vector<unsigned char> out;
    const unsigned colourRow = rowBytes(p.width, 4), maskRow = rowBytes(p.width, 1);
    put32(out, 40);
    put32(out, (unsigned)p.width);
    put32(out, (unsigned)p.height * 2);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, (colourRow + maskRow) * (unsigned)p.height);
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (const Pixel &c : vga) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = p.height - 1; y >= 0; y--) {
        std::vector<unsigned char> row(colourRow, 0);
        for (int x = 0; x < p.width; x++) {
            const int index = same(p.at(x, y), transparent) ? 0 : nearest(p.at(x, y));
            row[x / 2] |= (unsigned char)(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = p.height - 1; y >= 0; y--) {
        std::vector<unsigned char> row(maskRow, 0);
        for (int x = 0; x < p.width; x++)
            if (same(p.at(x, y), transparent)) row[x / 8] |= (unsigned char)(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<unsigned char> iconFileBytes(const std::vector<Picture> &pictures)
{
    std::vector<unsigned char> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, (unsigned)pictures.size());
    std::vector<std::vector<unsigned char>> images;
    for (const Picture &p : pictures) images.push_back(iconImage(p));
    unsigned offset = 6 + 16 * (unsigned)pictures.size();
    for (size_t i = 0; i < pictures.size(); i++) {
        out.push_back((unsigned char)pictures[i].width);
        out.push_back((unsigned char)pictures[i].height);
        out.push_back(16);
        out.push_back(0);
        put16(out, 1);
        put16(out, 4);
        put32(out, (unsigned)images[i].size());
        put32(out, offset);
        offset += (unsigned)images[i].size();
    }
    for (const std::vector<unsigned char> &image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

int writeIconFile(const char *path, const std::vector<Picture> &pictures)
{
    const std::vector<unsigned char> bytes = iconFileBytes(pictures);
    FILE *f = fopen(path, "wb");
    if (!f) return 0;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (fclose(f) != 0 || !written) {
        const int why = errno;
        remove(path);
        errno = why;
        return 0;
    }
    return 1;
}
