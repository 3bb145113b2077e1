// The processes with the engine, in the shared block (engine/shared_block.h):
// each process that attaches takes a place in the table, naming itself by
// its id and creation time, and frees it at detach; one that finds every
// place naming a process that runs is counted in the overflow instead. The
// tools count them (vlload's About, "nobody to wake"), and a process that
// was killed, and so never took itself off, is not counted, nor a later one
// given its id.
#pragma once

#include <windows.h>

#include "engine/shared_block.h"

// A process named in the block runs when a process of its id runs and was
// made at the time recorded beside the id (Windows 95 and 98 keep no
// creation time: there the id alone counts, and so it does for another
// user's or an elevated process that refuses the query).
int namedProcessRuns(const volatile SharedProcess *p);
// Names process id in p: the times first, then the id, so that a reader
// never finds the id with another process's time.
void nameProcess(volatile SharedProcess *p, DWORD id);

// Takes this process's place in block (or counts it in the overflow) until
// leaveProcessTable with the same block.
void joinProcessTable(volatile SharedSettingsBlock *block);
void leaveProcessTable(volatile SharedSettingsBlock *block);
// 1 when the table had no place for this process: it is counted in the
// overflow instead, and works as any other.
int processInOverflow();

// How many processes have the engine of that folder now (the loader's own
// among them); 0 when none has; -1 when the block exists but is not one the
// engine could use.
LONG processesWithEngine(const char *windowsDirectory = NULL);
