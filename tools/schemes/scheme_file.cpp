// The scheme file: a version line, the name, the settings in the names of
// docs/settings.md and the bitmaps in base64, so that Notepad on Windows 95
// opens it and a mail program carries it unharmed.
#include "tools/schemes/scheme_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/engine_files.h"
#include "tools/vlconf/vlconf.h"

static const char versionWord[] = "varnel scheme";
static const char endLine[] = "[end]";
static const char settingsHeader[] = "[settings]";
static const char bitmapHeader[] = "[bitmap ";
enum { base64LineLength = 76 };

// The skin's bitmaps as the engine names them in its folder.
static const char *const skinBitmapSuffixes[] = {
    backgroundBitmapSuffix,   mdiBitmapSuffix,      folderBitmapSuffix,          progressBitmapSuffix,
    scrollBarBitmapSuffix,    closeBoxBitmapSuffix, zoomBoxBitmapSuffix,         minimiseBoxBitmapSuffix,
    zoomBoxDisabledBitmapSuffix, minimiseBoxDisabledBitmapSuffix,
};

static std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return s;
}

static int skinBitmapIndex(const std::string &file)
{
    const std::string wanted = lower(file);
    for (int i = 0; i < (int)(sizeof skinBitmapSuffixes / sizeof *skinBitmapSuffixes); i++) {
        const char *name = strrchr(skinBitmapSuffixes[i], '\\') + 1;
        if (wanted == name) return i;
    }
    return -1;
}

bool isSkinBitmapName(const std::string &file, std::string *canonical)
{
    if (skinBitmapIndex(file) < 0) return false;
    if (canonical) *canonical = lower(file);
    return true;
}

bool validSchemeName(const std::string &name, std::string *error)
{
    const std::string quoted = "scheme name \"" + name + "\"";
    if (name.empty()) {
        *error = "a scheme needs a name";
        return false;
    }
    if (name.size() > schemeNameLimit) {
        *error = quoted + " is longer than " + std::to_string((int)schemeNameLimit) + " characters";
        return false;
    }
    for (char c : name) {
        bool fine = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
                    c == '-' || c == '_';
        if (!fine) {
            std::string shown = (unsigned char)c < 32 ? "a control character" : std::string("'") + c + "'";
            *error = quoted + " holds " + shown + ": a name is letters, digits, spaces, '-' and '_'";
            return false;
        }
    }
    if (name[0] == ' ' || name[0] == '-' || name[0] == '_' || name[name.size() - 1] == ' ') {
        *error = quoted + " must start with a letter or digit and not end with a space";
        return false;
    }
    // The system's device names stay devices whatever extension follows.
    static const char *const devices[] = {"con", "prn", "aux", "nul", "clock"};
    const std::string l = lower(name);
    bool device = false;
    for (const char *d : devices) device = device || l == d;
    if (l.size() == 4 && (l.compare(0, 3, "com") == 0 || l.compare(0, 3, "lpt") == 0) && l[3] >= '0' && l[3] <= '9')
        device = true;
    if (device) {
        *error = quoted + " is a name the system keeps for a device";
        return false;
    }
    return true;
}

// ---- Bitmaps ---------------------------------------------------------------

// The engine's own bounds for a skin bitmap (engine/engine_lifecycle.cpp).
enum { skinBitmapSideLimit = 2048 };
static const unsigned long long skinBitmapPixelLimit = 16ull << 20;

enum { fileHeaderSize = 14, coreHeaderSize = 12, infoHeaderSize = 40 };
enum { uncompressed = 0, bitFields = 3 };

static unsigned long littleEndian(const std::string &b, size_t at, int bytes)
{
    unsigned long v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = (v << 8) | (unsigned char)b[at + i];
    return v;
}

bool checkSkinBitmap(const std::string &b, std::string *error)
{
    const unsigned long long length = b.size();
    if (length < fileHeaderSize + coreHeaderSize || b[0] != 'B' || b[1] != 'M') {
        *error = "is not a BMP file";
        return false;
    }
    const unsigned long declared = littleEndian(b, 2, 4), offset = littleEndian(b, 10, 4);
    const unsigned long headerSize = littleEndian(b, 14, 4);
    if (declared != 0 && declared != length) {
        *error = "says it is " + std::to_string(declared) + " bytes but holds " + std::to_string(length);
        return false;
    }
    if (headerSize != coreHeaderSize && headerSize != infoHeaderSize && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124) {
        *error = "has an unknown header size " + std::to_string(headerSize);
        return false;
    }
    if (fileHeaderSize + headerSize > length) {
        *error = "ends inside its header";
        return false;
    }
    const bool core = headerSize == coreHeaderSize;
    long long width, height;
    unsigned long planes, bits, compression = uncompressed, paletteCount = 0;
    if (core) {
        width = littleEndian(b, 18, 2), height = littleEndian(b, 20, 2);
        planes = littleEndian(b, 22, 2), bits = littleEndian(b, 24, 2);
    } else {
        width = (int)littleEndian(b, 18, 4), height = (int)littleEndian(b, 22, 4);
        planes = littleEndian(b, 26, 2), bits = littleEndian(b, 28, 2);
        compression = littleEndian(b, 30, 4), paletteCount = littleEndian(b, 46, 4);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0) {
        *error = "is " + std::to_string(width) + " x " + std::to_string(height) + " pixels: it has no picture";
        return false;
    }
    if (width > skinBitmapSideLimit || height > skinBitmapSideLimit) {
        *error = "is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, over the engine's " +
                 std::to_string((int)skinBitmapSideLimit) + " x " + std::to_string((int)skinBitmapSideLimit);
        return false;
    }
    if (planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        *error = "has " + std::to_string(planes) + " planes of " + std::to_string(bits) +
                 " bits: a BMP has one plane of 1, 4, 8, 16, 24 or 32 bits";
        return false;
    }
    if (compression != uncompressed && !(compression == bitFields && (bits == 16 || bits == 32))) {
        *error = "is compressed (method " + std::to_string(compression) + "): save it as an uncompressed BMP";
        return false;
    }
    const unsigned long long rowBytes = ((unsigned long long)width * bits + 31) / 32 * 4;
    const unsigned long long pixelBytes = rowBytes * (unsigned long long)height;
    if (pixelBytes > skinBitmapPixelLimit) {
        *error = "has " + std::to_string(pixelBytes) + " bytes of pixels, over the engine's 16 MB";
        return false;
    }
    if (bits <= 8 && paletteCount > (1ul << bits)) {
        *error = "claims " + std::to_string(paletteCount) + " palette colours for " + std::to_string(bits) + " bits";
        return false;
    }
    const unsigned long long masks = compression == bitFields && headerSize == infoHeaderSize ? 12 : 0;
    const unsigned long long palette =
        bits <= 8 ? (paletteCount ? paletteCount : 1ull << bits) * (core ? 3 : 4) : 0;
    if (offset < fileHeaderSize + headerSize + masks + palette || offset > length ||
        length - offset < pixelBytes) {
        *error = "does not hold its pixels: they would lie at bytes " + std::to_string(offset) + " to " +
                 std::to_string(offset + pixelBytes) + " of " + std::to_string(length);
        return false;
    }
    return true;
}

// ---- Base64 ----------------------------------------------------------------

static const char base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(const std::string &bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned long v = (unsigned char)bytes[i] << 16;
        if (i + 1 < bytes.size()) v |= (unsigned char)bytes[i + 1] << 8;
        if (i + 2 < bytes.size()) v |= (unsigned char)bytes[i + 2];
        out += base64Alphabet[(v >> 18) & 63];
        out += base64Alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? base64Alphabet[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? base64Alphabet[v & 63] : '=';
    }
    return out;
}

bool base64Decode(const std::string &text, std::string *bytes)
{
    bytes->clear();
    if (text.size() % 4) return false;
    for (size_t i = 0; i < text.size(); i += 4) {
        unsigned long v = 0;
        int padding = 0;
        for (int k = 0; k < 4; k++) {
            char c = text[i + k];
            const char *at = c ? strchr(base64Alphabet, c) : NULL;
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                padding++;
                v <<= 6;
                continue;
            }
            if (!at || padding) return false;
            v = (v << 6) | (unsigned long)(at - base64Alphabet);
        }
        bytes->push_back((char)(v >> 16));
        if (padding < 2) bytes->push_back((char)(v >> 8));
        if (padding < 1) bytes->push_back((char)v);
    }
    return true;
}

// ---- Settings --------------------------------------------------------------

static const int activeColourFirst = 6, inactiveColourFirst = 9;

static std::string colourText(const int *values, int first)
{
    char text[8];
    snprintf(text, sizeof text, "#%02X%02X%02X", values[first - 1] & 255, values[first] & 255,
             values[first + 1] & 255);
    return text;
}

std::string schemeSettingsLines(const Scheme &scheme)
{
    std::string text;
    for (const SettingPosition &p : settingPositions) {
        const int i = p.position - 1;
        if (!scheme.named[i] || !p.name) continue;
        if (p.position == activeColourFirst || p.position == inactiveColourFirst) {
            text += std::string(p.position == activeColourFirst ? "activeGradientEnd" : "inactiveGradientEnd") +
                    " = " + colourText(scheme.values, p.position) + "\n";
            continue;
        }
        if ((p.position > activeColourFirst && p.position < activeColourFirst + 3) ||
            (p.position > inactiveColourFirst && p.position < inactiveColourFirst + 3))
            continue;
        text += std::string(p.name) + " = " + namedValue(p, scheme.values[i]) + "\n";
    }
    return text;
}

void schemeFromValues(const std::string &name, const int values[settingsPositionCount], Scheme *scheme)
{
    scheme->name = name;
    scheme->bitmaps.clear();
    for (const SettingPosition &p : settingPositions) {
        const int i = p.position - 1;
        scheme->named[i] = p.kind != ignoredValue;
        scheme->values[i] = p.kind == ignoredValue ? 0 : settingFileValue(p, settingFieldValue(p, values[i]));
    }
}

void addSchemeBitmap(Scheme *scheme, const std::string &file, const std::string &bytes)
{
    const int index = skinBitmapIndex(file);
    std::vector<SchemeBitmap> &list = scheme->bitmaps;
    size_t at = 0;
    while (at < list.size() && skinBitmapIndex(list[at].file) < index) at++;
    if (at < list.size() && skinBitmapIndex(list[at].file) == index)
        list[at].bytes = bytes;
    else
        list.insert(list.begin() + at, SchemeBitmap{lower(file), bytes});
}

// ---- The file --------------------------------------------------------------

std::string schemeText(const Scheme &scheme)
{
    std::string text = std::string(versionWord) + " " + std::to_string((int)schemeFormatVersion) + "\n";
    text += "; A varnel scheme: \"vlconf scheme import FILE\" takes it in (docs/schemes.md).\n";
    text += "name = " + scheme.name + "\n\n";
    text += std::string(settingsHeader) + "\n" + schemeSettingsLines(scheme);
    for (const SchemeBitmap &b : scheme.bitmaps) {
        text += "\n" + std::string(bitmapHeader) + b.file + " " + std::to_string(b.bytes.size()) + "]\n";
        const std::string encoded = base64Encode(b.bytes);
        for (size_t i = 0; i < encoded.size(); i += base64LineLength)
            text += encoded.substr(i, base64LineLength) + "\n";
    }
    text += std::string(endLine) + "\n";
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 40);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}


static bool isPositionName(const std::string &name)
{
    if (lower(name).compare(0, 8, "position") != 0 || name.size() == 8) return false;
    return name.find_first_not_of("0123456789", 8) == std::string::npos;
}

// Where the parse stands: which section, what has been seen.
struct SchemeParse {
    enum Section { head, settings, bitmap } section = head;
    bool sawSettings = false;
    bool sawEnd = false;
    int setOnLine[settingsPositionCount] = {};
    std::string bitmapFile;
    unsigned long bitmapSize = 0;
    std::string base64;
    int bitmapLine = 0;
};

static bool finishBitmap(SchemeParse *parse, Scheme *scheme, std::string *error)
{
    if (parse->section != SchemeParse::bitmap) return true;
    const std::string where = "line " + std::to_string(parse->bitmapLine) + ": bitmap " + parse->bitmapFile + " ";
    std::string bytes;
    if (!base64Decode(parse->base64, &bytes)) {
        *error = where + "is not whole base64 (damaged or cut short)";
        return false;
    }
    if (bytes.size() != parse->bitmapSize) {
        *error = where + "holds " + std::to_string(bytes.size()) + " bytes, its header says " +
                 std::to_string(parse->bitmapSize) + " (damaged or cut short)";
        return false;
    }
    std::string problem;
    if (!checkSkinBitmap(bytes, &problem)) {
        *error = where + problem;
        return false;
    }
    addSchemeBitmap(scheme, parse->bitmapFile, bytes);
    parse->base64.clear();
    return true;
}

static bool startBitmap(const std::string &line, SchemeParse *parse, const Scheme &scheme, std::string *error)
{
    const std::string inside = line.substr(strlen(bitmapHeader), line.size() - strlen(bitmapHeader) - 1);
    const size_t space = inside.rfind(' ');
    const std::string file = trimmed(inside.substr(0, space == std::string::npos ? 0 : space));
    const std::string size = space == std::string::npos ? "" : inside.substr(space + 1);
    if (!isSkinBitmapName(file, NULL)) {
        *error = "bitmap \"" + file + "\" is not one of the skin's bitmaps (docs/skin.md names them)";
        return false;
    }
    for (const SchemeBitmap &b : scheme.bitmaps)
        if (b.file == lower(file)) {
            *error = "bitmap " + lower(file) + " is given twice";
            return false;
        }
    if (size.empty() || size.size() > 9 || size.find_first_not_of("0123456789") != std::string::npos) {
        *error = "\"" + line + "\" does not say the bitmap's size in bytes, as [bitmap NAME SIZE]";
        return false;
    }
    parse->section = SchemeParse::bitmap;
    parse->bitmapFile = lower(file);
    parse->bitmapSize = strtoul(size.c_str(), NULL, 10);
    if (parse->bitmapSize > schemeFileSizeLimit) {
        *error = "bitmap " + parse->bitmapFile + " says it is " + size + " bytes, more than a scheme file may hold";
        return false;
    }
    parse->base64.clear();
    return true;
}

static bool versionLine(const std::string &line, std::string *error)
{
    const size_t wordLength = strlen(versionWord);
    if (lower(line).compare(0, wordLength, versionWord) != 0) {
        *error = "this is not a varnel scheme file: its first line must be \"" + std::string(versionWord) + " " +
                 std::to_string((int)schemeFormatVersion) + "\"";
        return false;
    }
    const std::string number = trimmed(line.substr(wordLength));
    if (number.empty() || number.size() > 6 || number.find_first_not_of("0123456789") != std::string::npos ||
        atoi(number.c_str()) < 1) {
        *error = "line 1: \"" + line + "\" gives no format version";
        return false;
    }
    if (atoi(number.c_str()) > schemeFormatVersion) {
        *error = "the file is in scheme format " + number + ", made by a newer varnel; this one reads format " +
                 std::to_string((int)schemeFormatVersion) + " and older";
        return false;
    }
    return true;
}

static bool settingLine(const std::string &line, SchemeParse *parse, Scheme *scheme, int lineNumber,
                        std::string *error)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        *error = "\"" + line + "\" is not of the form name = value";
        return false;
    }
    const std::string name = trimmed(line.substr(0, equals)), value = trimmed(line.substr(equals + 1));
    if (isPositionName(name)) {
        *error = "\"" + name + "\": a scheme names its settings (docs/settings.md lists the names)";
        return false;
    }
    Assignment a;
    if (!parseAssignment(name, value, &a, error)) return false;
    for (int k = 0; k < a.count; k++) {
        const int i = a.positions[k] - 1;
        if (parse->setOnLine[i]) {
            *error = "\"" + name + "\" is already set on line " + std::to_string(parse->setOnLine[i]);
            return false;
        }
        parse->setOnLine[i] = lineNumber;
        scheme->values[i] = a.values[k];
        scheme->named[i] = true;
    }
    return true;
}

bool parseSchemeText(const std::string &text, Scheme *scheme, std::string *error)
{
    if (text.size() > schemeFileSizeLimit) {
        *error = "the file is " + std::to_string(text.size()) + " bytes; a scheme file is at most 4 MB";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        *error = "the file holds a zero byte: a scheme file is plain text";
        return false;
    }
    scheme->name.clear();
    scheme->bitmaps.clear();
    defaultFileValues(scheme->values);
    for (bool &n : scheme->named) n = false;
    SchemeParse parse;
    const std::vector<std::string> lines = trimmedLines(text);
    int lineNumber = 0;
    for (const std::string &line : lines) {
        lineNumber++;
        std::string message;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (lineNumber == 1) {
            if (!versionLine(line, error)) return false;
            continue;
        }
        if (parse.sawEnd) {
            if (!line.empty()) {
                *error = where + "text after the [end] line";
                return false;
            }
            continue;
        }
        if (parse.section == SchemeParse::bitmap && !line.empty() && line[0] != '[') {
            if (parse.base64.size() + line.size() > schemeFileSizeLimit) {
                *error = where + "bitmap " + parse.bitmapFile + " is larger than a scheme file may hold";
                return false;
            }
            parse.base64 += line;
            continue;
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (!finishBitmap(&parse, scheme, error)) return false;
            const std::string header = lower(line);
            if (header == endLine) {
                parse.sawEnd = true;
            } else if (header == settingsHeader) {
                if (parse.sawSettings) {
                    *error = where + "a second [settings] section";
                    return false;
                }
                parse.sawSettings = true;
                parse.section = SchemeParse::settings;
            } else if (header.compare(0, strlen(bitmapHeader), bitmapHeader) == 0 && header.back() == ']') {
                if (!startBitmap(line, &parse, *scheme, &message)) {
                    *error = where + message;
                    return false;
                }
                parse.bitmapLine = lineNumber;
            } else {
                *error = where + "unknown section \"" + line + "\"";
                return false;
            }
            continue;
        }
        if (parse.section == SchemeParse::head) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos || lower(trimmed(line.substr(0, equals))) != "name") {
                *error = where + "\"" + line + "\": before [settings] a scheme file holds only its name";
                return false;
            }
            if (!scheme->name.empty()) {
                *error = where + "the scheme is named twice";
                return false;
            }
            scheme->name = trimmed(line.substr(equals + 1));
            if (!validSchemeName(scheme->name, &message)) {
                *error = where + message;
                return false;
            }
            continue;
        }
        if (!settingLine(line, &parse, scheme, lineNumber, &message)) {
            *error = where + message;
            return false;
        }
    }
    if (lineNumber == 0) {
        *error = "the file is empty";
        return false;
    }
    if (!parse.sawEnd) {
        *error = "the file is cut short: it has no [end] line";
        return false;
    }
    if (scheme->name.empty()) {
        *error = "the file gives the scheme no name (a \"name = ...\" line)";
        return false;
    }
    if (!parse.sawSettings) {
        *error = "the file has no [settings] section";
        return false;
    }
    return true;
}
