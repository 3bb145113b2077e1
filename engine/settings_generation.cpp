// The shared settings generation (settings_generation.h).
#include "engine/settings_generation.h"

#include "engine/process_table.h"

static HANDLE mapping;
static volatile SharedSettingsBlock *block;

int announceSettingsChange(const char *windowsDirectory, int wake, SharedBlockState *state)
{
    HANDLE made;
    int watched;
    volatile SharedSettingsBlock *b = mapSharedBlock(windowsDirectory, &made, state, &watched);
    if (!b) return 0;
    InterlockedIncrement((LONG *)&b->generation);
    unmapSharedBlock(b, made);
    // Not waited for: a hung program must not hold up the tool. Nobody to
    // wake when no program follows the folder.
    if (watched && wake) SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA(settingsChangeMessageName), 0, 0);
    return 1;
}

volatile LONG *settingsGeneration(const char *windowsDirectory, SharedBlockState *state)
{
    releaseSettingsGeneration();
    block = mapSharedBlock(windowsDirectory, &mapping, state);
    if (!block) return NULL;
    joinProcessTable(block);
    return &block->generation;
}

volatile SharedSettingsBlock *heldSharedBlock() { return block; }

void releaseSettingsGeneration()
{
    if (block) leaveProcessTable(block);
    unmapSharedBlock(block, mapping);
    block = NULL;
    mapping = NULL;
}

int openGenerationView(const char *windowsDirectory, GenerationView *view, SharedBlockState *state)
{
    view->block = mapSharedBlock(windowsDirectory, &view->mapping, state);
    view->generation = view->block ? &view->block->generation : NULL;
    return view->block != NULL;
}

void closeGenerationView(GenerationView *view)
{
    unmapSharedBlock(view->block, view->mapping);
    view->block = NULL;
    view->generation = NULL;
    view->mapping = NULL;
}
