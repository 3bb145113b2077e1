// The loader's tray and program icon: a small window with a gradient
// caption, drawn at 16 and 32 pixels and written as a 16-colour .ico, the
// one icon format every system from Windows 95 and NT 4.0 on reads.
#pragma once

#include <vector>

#include "bitmap_file.h"

// The picture of the icon at size x size; transparent pixels are magenta.
Picture loaderIcon(int size);

// The bytes of an .ico file holding the pictures (each square, at most 255
// pixels), reduced to the 16 colours of the standard VGA palette with
// magenta as the transparent mask.
std::vector<unsigned char> iconFileBytes(const std::vector<Picture> &pictures);

// Writes the file; on failure removes what was written and returns 0 with
// errno telling why.
int writeIconFile(const char *path, const std::vector<Picture> &pictures);
