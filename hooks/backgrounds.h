// The tiling geometry of the folder and dialog backgrounds, apart from any
// window or DC.
#pragma once

// How many tiles of size tile cover extent pixels from the origin: one more
// than fit whole, so the last may reach past the edge (a window exactly two
// tiles wide gets three columns, the third starting at its right edge). 0
// when the tile has no size, as a bitmap that failed to load.
int tileCount(int extent, int tile);
