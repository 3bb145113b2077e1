// Schemes: a named look (settings and, when it needs them, skin bitmaps) and
// the plain text file that carries one between machines (docs/schemes.md).
// Everything a file holds is checked when it is read, before anything is
// written anywhere: a refused file leaves no trace.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"

// The version of the format this code writes and the newest it reads.
enum { schemeFormatVersion = 1 };

// A scheme file is refused unread past this size.
static const unsigned long schemeFileSizeLimit = 4ul << 20;

// The longest scheme name: it becomes a file name on every system.
enum { schemeNameLimit = 32 };

struct SchemeBitmap {
    std::string file;   // one of the skin's file names, lower case ("maccl.bmp")
    std::string bytes;  // the whole BMP file
};

struct Scheme {
    std::string name;
    int values[settingsPositionCount];   // vl.ini values; the defaults where the scheme says nothing
    bool named[settingsPositionCount];   // the positions the scheme sets
    std::vector<SchemeBitmap> bitmaps;   // in the skin's file order
};

// A name a scheme may have: letters, digits, spaces, '-' and '_', starting
// with a letter or digit, at most schemeNameLimit characters, and not a name
// the system keeps for devices (CON, NUL, COM1...). False with the reason.
bool validSchemeName(const std::string &name, std::string *error);

// Whether a skin bitmap file may travel in a scheme: an uncompressed BMP with
// sound headers, whose pixels lie inside the file, and within the engine's
// limits (2048 x 2048 pixels, 16 MB of pixels). False with the reason.
bool checkSkinBitmap(const std::string &bytes, std::string *error);

// Whether file is one of the skin's bitmap names; *canonical gets it in lower case.
bool isSkinBitmapName(const std::string &file, std::string *canonical);

// Reads a scheme file's text. False with "line N: ..." or the reason when
// anything in it is refused; *scheme is then not to be used.
bool parseSchemeText(const std::string &text, Scheme *scheme, std::string *error);

// The file text of a scheme, Windows line breaks, bitmaps in base64.
std::string schemeText(const Scheme &scheme);

// The scheme's settings as "name = value" lines (newline-separated), for
// people and for the file.
std::string schemeSettingsLines(const Scheme &scheme);

// A scheme of vl.ini values as they stand: every position named, each value
// put as the engine takes it (a stray 7 at a flag becomes the on or off the
// engine makes of it), position 17 as 0.
void schemeFromValues(const std::string &name, const int values[settingsPositionCount], Scheme *scheme);

// Adds a bitmap, keeping the skin's file order; replaces one of that name.
void addSchemeBitmap(Scheme *scheme, const std::string &file, const std::string &bytes);

// Base64 (RFC 4648, '=' padding); decoding refuses anything else.
std::string base64Encode(const std::string &bytes);
bool base64Decode(const std::string &text, std::string *bytes);
