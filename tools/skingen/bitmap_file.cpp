#include "bitmap_file.h"

#include <errno.h>
#include <stdio.h>

enum { fileHeaderSize = 14, infoHeaderSize = 40, pixelsPerMetre = 2835 /* 72 dpi */ };

static void put16(std::vector<unsigned char> &out, unsigned v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

static void put32(std::vector<unsigned char> &out, unsigned v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::vector<unsigned char> bitmapFileBytes(const Picture &picture)
{
    unsigned stride = ((unsigned)picture.width * 3 + 3) & ~3u;
    unsigned imageSize = stride * (unsigned)picture.height;
    std::vector<unsigned char> out;
    out.reserve(fileHeaderSize + infoHeaderSize + imageSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, fileHeaderSize + infoHeaderSize + imageSize);
    put32(out, 0);  // two reserved words
    put32(out, fileHeaderSize + infoHeaderSize);
    put32(out, infoHeaderSize);
    put32(out, (unsigned)picture.width);
    put32(out, (unsigned)picture.height);  // positive: the bottom row comes first
    put16(out, 1);                          // planes
    put16(out, 24);                         // bits per pixel
    put32(out, 0);                          // BI_RGB
    put32(out, imageSize);
    put32(out, pixelsPerMetre);
    put32(out, pixelsPerMetre);
    put32(out, 0);  // colours used
    put32(out, 0);  // important colours
    for (int y = picture.height - 1; y >= 0; y--) {
        for (int x = 0; x < picture.width; x++) {
            const Pixel &p = picture.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (unsigned pad = (unsigned)picture.width * 3; pad < stride; pad++) out.push_back(0);
    }
    return out;
}

int writeBitmapFile(const char *path, const Picture &picture)
{
    std::vector<unsigned char> bytes = bitmapFileBytes(picture);
    FILE *file = fopen(path, "wb");
    if (!file) return 0;
    size_t written = fwrite(bytes.data(), 1, bytes.size(), file);
    int saved = errno;
    int closed = fclose(file) == 0;
    if (written == bytes.size() && closed) return 1;
    if (written == bytes.size()) saved = errno;
    if (saved == 0) saved = EIO;
    remove(path);
    errno = saved;
    return 0;
}
