// The loaders' slots in the shared block (loader_entry.h).
#include "engine/loader_entry.h"

#include "engine/process_table.h"
#include "engine/settings_generation.h"
#include "engine/shared_block.h"

static volatile SharedProcess *ownEntry(volatile SharedSettingsBlock *b)
{
    return sizeof(void *) == 8 ? &b->entry64 : &b->entry32;
}

int publishEntryByEvents(const char *windowsDirectory, DWORD loader)
{
    HANDLE mapping;
    volatile SharedSettingsBlock *b = mapSharedBlock(windowsDirectory, &mapping);
    if (!b) return 0;
    if (loader)
        nameProcess(ownEntry(b), loader);
    else
        InterlockedExchange((LONG *)&ownEntry(b)->id, 0);
    unmapSharedBlock(b, mapping);
    return 1;
}

// A loader that was killed never cleared its slot.
int entryByEventsOn()
{
    volatile SharedSettingsBlock *b = heldSharedBlock();
    return b && namedProcessRuns(ownEntry(b));
}
