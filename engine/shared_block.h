// The block of memory shared by every process of one user's desktop that
// reads the same engine folder, 32-bit and 64-bit alike: the settings
// generation (engine/settings_generation.h), the table of processes with
// the engine (engine/process_table.h) and the loaders' slots
// (engine/loader_entry.h) live in it. Here: its layout, its name, and
// making or opening it with every check before the first read.
//
// The block is named, so any program of the desktop may have made an object
// of that name first, of any type, size, owner and content. The name
// carries the session and the user (engine/object_security.h), the block
// is made with this user's and SYSTEM's access only, and what is opened is
// checked before the first read: owned by this user or SYSTEM, a section,
// every page of the block committed and writable, the magic and layout
// below. A block that fails is not used: the engine runs without live
// settings and the tools say so.
#pragma once

#include <stddef.h>

#include <windows.h>

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
    sharedBlockNotUnderstood, // another magic or layout: a foreign or newer block
    sharedBlockOtherOwner,    // another user's object, or one this user may not open
    sharedBlockNoUser         // the user could not be read, so neither could the name
};
// A phrase for a trace line or a tool's note.
const char *sharedBlockProblem(SharedBlockState state);

// Room for the block's name: the stem, the session, the user's SID and the
// folder.
enum { sharedBlockNameRoom = MAX_PATH + 256 };

// The block's name for the engine folder under windowsDirectory (the
// system's Windows directory when NULL): "VarnelSettingsGeneration session
// <id> <SID> <folder>", the folder in lower case with forward slashes. The
// same in every process of the user's desktop, whatever its bitness and
// whatever the switch of engine/newer_functions.h hides. Returns 0 when the
// system keeps users but this one could not be read: that name would meet
// no other process's.
int sharedBlockName(const char *windowsDirectory, char *name, int size);

// Makes the block of the folder under windowsDirectory, or opens it when
// it exists (*existed then 1, when given), and maps it for writing. NULL
// when it cannot be used (*state says why, when given).
volatile SharedSettingsBlock *mapSharedBlock(const char *windowsDirectory, HANDLE *mapping,
                                             SharedBlockState *state = NULL, int *existed = NULL);
void unmapSharedBlock(volatile SharedSettingsBlock *block, HANDLE mapping);

// Whether some process holds the folder's block (only looked at, never
// made): 1 yes, 0 nobody, -1 the name is held by something this user may
// not use.
int sharedBlockExists(const char *windowsDirectory);

// 1 when the block gets the explicit security descriptor, 2 with the
// medium label besides; 0 with the default security.
int sharedBlockSecurity();
