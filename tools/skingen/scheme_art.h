// The bitmaps of the built-in schemes that need their own: drawn from code
// like the default skin, in colour families of their own.
#pragma once

#include <vector>

#include "skin_art.h"

struct SchemeArtFile {
    const char *name;  // the skin file it stands for ("maccl.bmp")
    Picture picture;
};

// The pictures a built-in scheme draws for itself (compared ignoring case);
// empty for a scheme that has none.
std::vector<SchemeArtFile> schemeArtFiles(const char *scheme, const SkinColours &c);
