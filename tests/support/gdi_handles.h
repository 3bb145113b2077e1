// Counting the GDI handles a process has left, for leak tests: GetGuiResources
// is a stub under Wine, so the count is taken by creating pens until the
// process's handle table is full and deleting them again (about 0.2 s).
#pragma once

#include <functional>
#include <string>

// The number of GDI objects this process could still create. Run it with no
// other thread of the process creating GDI objects.
int freeGdiHandles();

// A paint repeated many times leaves the count of free handles as it found
// it: paint(i) runs a few times first (so that the caches of the system and
// the engine are filled), then times times between two counts, which must
// agree; a leak of one object per paint shows at once.
void expectPaintsKeepGdiHandles(int times, const std::function<void(int i)> &paint);

// The process's GDI objects by kind, read from the handle table the system
// shares with the process (the table the PEB points to; Wine's layout). The
// kinds tell the engine's own objects (pens, brushes, fonts, memory DCs)
// from the window DCs, regions and bitmaps the system keeps in caches of its
// own as windows come and go.
struct GdiObjectCounts {
    int windowDcs = 0, memoryDcs = 0, regions = 0, surfaces = 0, bitmaps = 0, fonts = 0, brushes = 0, pens = 0,
        others = 0;
};
// False when the table is not there to read.
bool countGdiObjects(GdiObjectCounts *counts);
// "kind: before -> after" for each kind that changed; "" when none did.
std::string gdiCountChanges(const GdiObjectCounts &before, const GdiObjectCounts &after);
