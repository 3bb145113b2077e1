#include "skin_art.h"

#include <math.h>
#include <stdint.h>

#include <windows.h>

namespace {

const double pi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};

Colour fromColorref(unsigned long c)
{
    return {(double)(c & 0xFF), (double)((c >> 8) & 0xFF), (double)((c >> 16) & 0xFF)};
}

Colour mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour lift(Colour c, double amount) { return {c.r + amount, c.g + amount, c.b + amount}; }

Colour scaled(Colour c, double f) { return {c.r * f, c.g * f, c.b * f}; }

unsigned char channel(double v)
{
    if (v < 0) return 0;
    if (v > 255) return 255;
    return (unsigned char)lround(v);
}

// LR_LOADMAP3DCOLORS turns these three greys of a bitmap's colour table into
// the system's 3-D colours; a tile never carries them exactly, so it looks the
// same however it is loaded.
Pixel toPixel(Colour c)
{
    Pixel p = {channel(c.r), channel(c.g), channel(c.b)};
    if (p.r == p.g && p.g == p.b && (p.r == 128 || p.r == 192 || p.r == 223)) p.b += 1;
    return p;
}

// A repeatable hash of a lattice point, in [0, 1).
double hash01(int x, int y, uint32_t seed)
{
    uint32_t h = (uint32_t)x * 0x8DA6B343u ^ (uint32_t)y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / 16777216.0;
}

double smooth(double t) { return t * t * (3 - 2 * t); }

// Value noise on a lattice of cell-sized steps that wraps after period
// pixels (period a multiple of cell), so a tile built from it has no seam.
double tiledNoise(double x, double y, int cell, int period, uint32_t seed)
{
    int cells = period / cell;
    double fx = x / cell, fy = y / cell;
    int x0 = (int)floor(fx), y0 = (int)floor(fy);
    double tx = smooth(fx - x0), ty = smooth(fy - y0);
    auto at = [&](int i, int j) { return hash01(((i % cells) + cells) % cells, ((j % cells) + cells) % cells, seed); };
    double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
    double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
    return top + (bottom - top) * ty - 0.5;
}

// Per-pixel grain that repeats with the tile.
double grain(int x, int y, int w, int h, uint32_t seed) { return hash01(x % w, y % h, seed) - 0.5; }

}  // namespace

Picture dialogBackground(const SkinColours &c)
{
    // Two families of diagonal threads, eight pixels apart along each axis,
    // crossing over and under in turn like a basket weave. 64 is a multiple
    // of the thread pitch, so the weave runs on across tiles.
    enum { size = 64, pitch = 8 };
    const double amplitude = 7.0;
    Colour face = fromColorref(c.buttonFace);
    Picture p(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int u = (x + y) & (size - 1), v = (x - y + size) & (size - 1);
            int cu = u / pitch, cv = v / pitch;
            double fu = (u % pitch + 0.5) / pitch, fv = (v % pitch + 0.5) / pitch;
            double acrossU = sin(pi * fu), acrossV = sin(pi * fv);
            double shade;
            if (((cu + cv) & 1) == 0)
                shade = acrossU * (0.55 + 0.45 * sqrt(acrossV));  // the rising thread on top, dipping at its ends
            else
                shade = acrossV * (0.55 + 0.45 * sqrt(acrossU)) - 0.08;  // the falling thread, a touch darker
            double offset = amplitude * (shade - 0.5) + 1.6 * grain(x, y, size, size, 11);
            Colour px = lift(face, offset);
            px.r += 0.25 * offset;  // lit threads warm a little, shaded ones cool
            px.b -= 0.25 * offset;
            p.at(x, y) = toPixel(px);
        }
    return p;
}

Picture mdiBackground(const SkinColours &c)
{
    // Linen: every row and every column a thread of its own weight, a faint
    // cross-hatch between them, on a slate version of the workspace colour.
    enum { size = 64 };
    Colour workspace = fromColorref(c.appWorkspace);
    Colour base = {workspace.r - 6, workspace.g - 1, workspace.b + 10};
    Picture p(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double row = hash01(0, y, 21) - 0.5 + 0.3 * tiledNoise(0, y, 8, size, 22);
            double column = hash01(x, 0, 23) - 0.5 + 0.3 * tiledNoise(x, 0, 8, size, 24);
            double hatch = ((x + y) & 1) ? 0.8 : -0.8;
            double offset = 5.0 * row + 4.0 * column + hatch + 1.2 * grain(x, y, size, size, 25);
            p.at(x, y) = toPixel(lift(base, offset));
        }
    return p;
}

Picture folderBackground(const SkinColours &c)
{
    // Paper: the window colour toned a little towards cream, with a soft
    // cloud of fibres and a fine grain, quiet enough to read text on.
    enum { size = 128 };
    Colour window = fromColorref(c.window);
    Colour base = {window.r - 4, window.g - 6, window.b - 14};
    Picture p(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double clouds = 4.0 * tiledNoise(x, y, 32, size, 31) + 2.5 * tiledNoise(x, y, 8, size, 32);
            // fibres: short streaks along a shallow diagonal
            double fibre = tiledNoise(x * 0.5 + y * 0.25, y * 2.0 - x * 0.25, 4, size, 33);
            double fibres = fibre > 0.32 ? 3.0 * (fibre - 0.32) / 0.18 : 0.0;
            double offset = clouds - fibres + 1.2 * grain(x, y, size, size, 34);
            p.at(x, y) = toPixel(lift(base, offset));
        }
    return p;
}

Picture scrollBarPattern(const SkinColours &c)
{
    // Diagonal ribs, every fourth diagonal lit and the one between shaded:
    // gentler than the usual half-tone check, and it still tells the trough
    // from the thumb.
    enum { size = 8 };
    Colour face = fromColorref(c.buttonFace);
    Colour light = mix(face, fromColorref(c.buttonHighlight), 0.7);
    Colour dark = mix(face, fromColorref(c.buttonShadow), 0.22);
    Picture p(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int d = (x + y) & 3;
            Colour px = d == 0 ? light : d == 2 ? dark : face;
            p.at(x, y) = toPixel(px);
        }
    return p;
}

Picture progressStrip()
{
    // A gel bar in the blue of the progress fill: a bright gloss over the
    // upper half, deepening towards the bottom, with a thin reflected light
    // along the lower edge. Uniform across, since it is stretched sideways.
    enum { width = 8, height = 16 };
    const Colour fill = {128, 128, 255};
    const Colour gloss = {214, 214, 255};
    const Colour deep = {72, 72, 226};
    Picture p(width, height);
    for (int y = 0; y < height; y++) {
        double t = (y + 0.5) / height;
        Colour px;
        if (t < 0.45)
            px = mix(gloss, mix(gloss, fill, 0.55), t / 0.45);
        else
            px = mix(fill, deep, (t - 0.45) / 0.55);
        if (y == height - 2) px = mix(px, fill, 0.6);
        for (int x = 0; x < width; x++) p.at(x, y) = toPixel(px);
    }
    return p;
}

namespace {

double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    double dx = bx - ax, dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    if (t < 0) t = 0;
    if (t > 1) t = 1;
    double ex = ax + t * dx - px, ey = ay + t * dy - py;
    return sqrt(ex * ex + ey * ey);
}

// The glyph of a live box, as a distance from its strokes: a cross, a plus
// or a bar, small enough to sit inside the gem's body.
double glyphDistance(CaptionBox box, double x, double y)
{
    const double arm = 2.3;
    switch (box) {
    case closeBox: {
        double a = segmentDistance(x, y, -arm, -arm, arm, arm);
        double b = segmentDistance(x, y, -arm, arm, arm, -arm);
        return a < b ? a : b;
    }
    case zoomBox: {
        double a = segmentDistance(x, y, -arm - 0.4, 0, arm + 0.4, 0);
        double b = segmentDistance(x, y, 0, -arm - 0.4, 0, arm + 0.4);
        return a < b ? a : b;
    }
    case minimiseBox:
        return segmentDistance(x, y, -arm - 0.4, 0, arm + 0.4, 0);
    }
    return 1e9;
}

// The colour of one sample point of a gem whose centre is the origin.
Colour gemSample(double x, double y, double radius, Colour face, Colour body, int live, CaptionBox box)
{
    double d = sqrt(x * x + y * y);
    if (d > radius) return face;
    if (d > radius - 1.05) return scaled(body, live ? 0.52 : 0.72);  // the rim
    double ny = y / radius;
    // Light passes through the stone and gathers at its lower edge.
    double glow = ny > -0.2 ? (ny + 0.2) / 1.2 : 0.0;
    Colour px = mix(scaled(body, 0.8), mix(body, Colour{255, 255, 255}, 0.25), glow);
    // The highlight: an ellipse of reflected sky across the top.
    double ex = x / (0.62 * radius), ey = (y + 0.5 * radius) / (0.34 * radius);
    double e = ex * ex + ey * ey;
    if (e < 1) px = mix(px, Colour{255, 255, 255}, (live ? 0.78 : 0.55) * (1 - e * e));
    if (live) {
        double g = glyphDistance(box, x, y + 0.3);
        if (g < 0.75) px = mix(px, scaled(body, 0.32), 0.5);
    }
    return px;
}

}  // namespace

// The default skin's stones: ruby, emerald and amber.
const GemStones defaultGemStones = {{0x383ED0, 0x54A440, 0x28A6E4}};

Picture captionBox(const SkinColours &c, CaptionBox box, int live)
{
    return captionBoxOfStones(c, box, live, defaultGemStones);
}

Picture captionBoxOfStones(const SkinColours &c, CaptionBox box, int live, const GemStones &stones)
{
    Colour face = fromColorref(c.buttonFace);
    Colour body = fromColorref(stones.colour[box]);
    if (!live) {
        // A missing box: the same stone, drained to a grey a little below the face.
        double luma = 0.3 * body.r + 0.59 * body.g + 0.11 * body.b;
        body = mix(Colour{luma, luma, luma}, scaled(face, 0.82), 0.6);
    }
    const int size = captionBoxSize, samples = 4;
    const double centre = size / 2.0, radius = 6.7;
    Picture p(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            Colour sum = {0, 0, 0};
            for (int j = 0; j < samples; j++)
                for (int i = 0; i < samples; i++) {
                    double sx = x + (i + 0.5) / samples - centre, sy = y + (j + 0.5) / samples - centre;
                    Colour s = gemSample(sx, sy, radius, face, body, live, box);
                    sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b};
                }
            p.at(x, y) = toPixel(scaled(sum, 1.0 / (samples * samples)));
        }
    return p;
}

static Picture drawClose(const SkinColours &c) { return captionBox(c, closeBox, 1); }
static Picture drawZoom(const SkinColours &c) { return captionBox(c, zoomBox, 1); }
static Picture drawMinimise(const SkinColours &c) { return captionBox(c, minimiseBox, 1); }
static Picture drawZoomDown(const SkinColours &c) { return captionBox(c, zoomBox, 0); }
static Picture drawMinimiseDown(const SkinColours &c) { return captionBox(c, minimiseBox, 0); }
static Picture drawProgress(const SkinColours &) { return progressStrip(); }

const SkinFile skinFiles[skinFileCount] = {
    {"vl.bmp", dialogBackground},
    {"vlmdi.bmp", mdiBackground},
    {"vlback.bmp", folderBackground},
    {"vlprog.bmp", drawProgress},
    {"vlscr.bmp", scrollBarPattern},
    {"maccl.bmp", drawClose},
    {"macmx.bmp", drawZoom},
    {"macmn.bmp", drawMinimise},
    {"macmxd.bmp", drawZoomDown},
    {"macmnd.bmp", drawMinimiseDown},
};

SkinColours desktopSkinColours()
{
    SkinColours c;
    c.buttonFace = GetSysColor(COLOR_BTNFACE);
    c.buttonShadow = GetSysColor(COLOR_BTNSHADOW);
    c.buttonHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    c.appWorkspace = GetSysColor(COLOR_APPWORKSPACE);
    c.window = GetSysColor(COLOR_WINDOW);
    return c;
}
