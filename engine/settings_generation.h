// The settings generation: a counter in memory shared by every process on
// the desktop that reads the same engine folder, 32-bit and 64-bit alike. A
// tool that changes what the engine reads at attach (vl.ini, a marker file,
// a skin bitmap, the exclusion list) bumps it once the change is written;
// each process with the engine compares it with the one it set itself up for
// on its hook path, one read of memory, and sets itself up again when they
// differ.
//
// The block is named, so any program of the desktop may have made an object
// of that name first, of any type, size and content. What is mapped is
// checked before the first read (a section, every page of the block
// committed and writable, the magic and layout below); a block that fails
// is not used: the engine runs without live settings and the tools say so.
#pragma once

#include <stddef.h>

#include <windows.h>

// The broadcast that follows a bump: it wakes the threads of programs that
// get no other message, so that their hooks look at the counter.
#define settingsChangeMessageName "VarnelSettingsChanged"

// The shared block, the same in 32-bit and 64-bit processes (LONGs only).
// Whoever finds it zeroed, that is, newly made, writes the magic and layout;
// any other value means another program's object or another layout.
enum : LONG {
    sharedBlockMagic = 0x4C4E5256,  // "VRNL"
    sharedBlockLayout = 1,
    sharedProcessRoom = 512,
};
// A process named in the block: its id and its creation time (a FILETIME,
// 0 where the system keeps none), so that another process later given the
// same id, or an id another program wrote, is not taken for it.
struct SharedProcess {
    LONG id;
    LONG createdLow;
    LONG createdHigh;
};
struct SharedSettingsBlock {
    LONG magic;
    LONG layout;
    LONG generation;
    // The processes with the engine that found no room in the table.
    LONG overflow;
    // For each bitness, the loader that enters programs by window events.
    SharedProcess entry32;
    SharedProcess entry64;
    // Each process that has the engine, so that one that was killed, and
    // never took itself off, is not counted.
    SharedProcess processes[sharedProcessRoom];
};
static_assert(sizeof(LONG) == 4 && sizeof(SharedProcess) == 12, "the block is made of 32-bit fields in both bitnesses");
static_assert(offsetof(SharedSettingsBlock, generation) == 8, "the same offsets in both bitnesses");
static_assert(offsetof(SharedSettingsBlock, entry64) == 28, "the same offsets in both bitnesses");
static_assert(offsetof(SharedSettingsBlock, processes) == 40, "the same offsets in both bitnesses");
static_assert(sizeof(SharedSettingsBlock) == 40 + 12 * sharedProcessRoom, "the same size in both bitnesses");

// Why a block could not be used.
enum SharedBlockState {
    sharedBlockUsable,
    sharedBlockNotASection,   // the name is held by an object of another type
    sharedBlockNotMade,       // the system made no section (no memory, no right)
    sharedBlockNotMapped,     // a section that could not be mapped whole for writing
    sharedBlockTooSmall,      // fewer committed pages than the block needs
    sharedBlockNotWritable,   // pages that are reserved only, or read-only
    sharedBlockNotUnderstood  // another magic or layout: a foreign or newer block
};
// A phrase for a trace line or a tool's note.
const char *sharedBlockProblem(SharedBlockState state);

// The block's name for the engine folder under windowsDirectory (the
// system's Windows directory when NULL).
void sharedBlockName(const char *windowsDirectory, char *name, int size);

// Bumps the counter of the engine folder under windowsDirectory (the
// system's Windows directory when NULL), making it when no process holds it
// yet, and, with wake, broadcasts the change when some process follows the
// folder. Without wake, programs see it with their next message. Returns 0
// when the block could not be used (state says why, when given): running
// programs then keep their settings until they start again.
int announceSettingsChange(const char *windowsDirectory = NULL, int wake = 1, SharedBlockState *state = NULL);

// The counter of the engine folder under windowsDirectory, mapped until
// releaseSettingsGeneration; NULL when it could not be (state says why).
// Attach maps it, and counts its process among those that have the engine
// until the release.
volatile LONG *settingsGeneration(const char *windowsDirectory, SharedBlockState *state = NULL);
void releaseSettingsGeneration();

// How many processes have the engine of that folder now (the loader's own
// among them); 0 when none has. A process that was killed, and so never
// took itself off, is not counted, nor a later one given its id. -1 when the block exists but is not one
// the engine could use.
LONG processesWithEngine(const char *windowsDirectory = NULL);

// Whether the loader of this bitness enters programs by window events
// (hooks/thread_entry.h): that loader's process id while it runs, 0 after
// (in the block of the folder under windowsDirectory, the system's when
// NULL; the loader's own engine holds the block meanwhile). The engine in
// every program reads it when it enters a thread and at each change, and
// leaves when it is 0 or names a process that has ended (the creation time
// published beside the id must match). publishEntryByEvents
// returns 0 when the block could not be used: programs would never find the
// loader there, so it must enter them by message hooks instead.
int publishEntryByEvents(const char *windowsDirectory, DWORD loader);
int entryByEventsOn();

// The block for a tool or a test that watches it without counting as a
// process with the engine: mapped (made when missing) until closed.
struct GenerationView {
    HANDLE mapping;
    volatile LONG *generation;
    volatile SharedSettingsBlock *block;
};
int openGenerationView(const char *windowsDirectory, GenerationView *view, SharedBlockState *state = NULL);
void closeGenerationView(GenerationView *view);
