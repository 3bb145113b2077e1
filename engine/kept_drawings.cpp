// The keepers of drawings made with the shared objects.
#include "engine/kept_drawings.h"

#include "engine/engine_lock.h"

enum { keeperRoom = 4 };

static KeptDrawingsDropper keepers[keeperRoom];
static int keeperCount;

int keepDrawingsDroppedBy(KeptDrawingsDropper dropper)
{
    int kept = 0;
    takeEngineLock();
    for (int i = 0; i < keeperCount; i++) kept |= keepers[i] == dropper;
    if (!kept && keeperCount < keeperRoom) {
        keepers[keeperCount++] = dropper;
        kept = 1;
    }
    dropEngineLock();
    return kept;
}

void dropKeptDrawings()
{
    KeptDrawingsDropper now[keeperRoom];
    takeEngineLock();
    const int count = keeperCount;
    for (int i = 0; i < count; i++) now[i] = keepers[i];
    dropEngineLock();
    // A dropper takes the lock for its own bookkeeping and frees GDI
    // objects after dropping it.
    for (int i = 0; i < count; i++) now[i]();
}
