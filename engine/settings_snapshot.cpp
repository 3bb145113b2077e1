// The published snapshots of settings and shared objects.
#include "engine/settings_snapshot.h"

#include <string.h>

#include "engine/engine_lock.h"
#include "engine/kept_drawings.h"
#include "engine/shared_objects.h"

// The current snapshot and those retired while a paint held them. A paint
// that never ends keeps one place; with every place taken, settings stay as
// they are until one is given back.
enum { snapshotPlaces = 8, snapshotObjectRoom = 16 };

struct SettingsSnapshot {
    SettingsRecord settings;
    SharedResourcesRecord resources;
    LONG holders;
    int taken;
    HGDIOBJ owned[snapshotObjectRoom];
    int ownedCount;
};

// Every field below, and each snapshot's holders and taken, is read and
// written under the engine lock (engine/engine_lock.h), which is held for a
// few steps: finding the current place and counting a holder, or a copy of
// the globals and the swap.
static SettingsSnapshot snapshots[snapshotPlaces];
static int currentPlace = -1;
volatile LONG snapshotObjectsDeleted;

// 1 while a set-up writes the globals, from its first write to their
// publication (which may take a while: skin bitmaps are loaded meanwhile).
// Set-ups come one at a time (attach, then the live path's own turn,
// engine/live_settings.cpp), so this is a mark, not a lock: a paint that
// finds it set reads the current snapshot without comparing the globals
// with it.
static int globalsBeingWritten;

void takeGlobalsTurn()
{
    takeEngineLock();
    globalsBeingWritten = 1;
    dropEngineLock();
}

void dropGlobalsTurn()
{
    takeEngineLock();
    globalsBeingWritten = 0;
    dropEngineLock();
}

// Outside the lock: nobody holds it and it is not current, so nobody can
// take it any more. A strip kept in the cache was composed with its fonts; a
// later font could be given the same handle, and the strip must not be
// taken for one of its.
static void freeSnapshot(SettingsSnapshot &s)
{
    for (int i = 0; i < s.ownedCount; i++)
        if (DeleteObject(s.owned[i])) InterlockedIncrement(&snapshotObjectsDeleted);
    s.ownedCount = 0;
    dropKeptDrawings();
    takeEngineLock();
    s.taken = 0;
    dropEngineLock();
}

// Whether the globals still say what the current snapshot says; byte for
// byte, as publishing copies them. Under the lock.
static int globalsPublished()
{
    if (currentPlace < 0) return 1;
    const SettingsSnapshot &s = snapshots[currentPlace];
    return memcmp(&s.settings, &Settings, sizeof Settings) == 0 &&
           memcmp(&s.resources, &SharedResources, sizeof SharedResources) == 0;
}

static int freePlace()
{
    for (int i = 0; i < snapshotPlaces; i++)
        if (!snapshots[i].taken) return i;
    return -1;
}

// The objects the new snapshot took over are no longer the old one's to
// delete (a set-up that made no new font hands its font on).
static void disown(SettingsSnapshot &old, const SettingsSnapshot &fresh)
{
    int kept = 0;
    for (int i = 0; i < old.ownedCount; i++) {
        int adopted = 0;
        for (int j = 0; j < fresh.ownedCount; j++) adopted |= old.owned[i] == fresh.owned[j];
        if (!adopted) old.owned[kept++] = old.owned[i];
    }
    old.ownedCount = kept;
}

// Under the lock: the globals copied into a free place, which becomes the
// current one. Returns 0 when there is no free place; *retired is the place
// that stopped being current with no holder left, for the caller to free
// once the lock is dropped, or -1.
static int publishLocked(int *retired)
{
    *retired = -1;
    const int place = freePlace();
    if (place < 0) return 0;
    SettingsSnapshot &s = snapshots[place];
    s.taken = 1;
    memcpy(&s.settings, &Settings, sizeof Settings);
    memcpy(&s.resources, &SharedResources, sizeof SharedResources);
    s.holders = 0;
    s.ownedCount = collectSharedObjects(s.owned, snapshotObjectRoom);
    const int previous = currentPlace;
    currentPlace = place;
    if (previous >= 0) {
        disown(snapshots[previous], s);
        if (snapshots[previous].holders == 0) *retired = previous;
    }
    return 1;
}

PaintView holdPaintView()
{
    int retired = -1;
    takeEngineLock();
    if (!globalsBeingWritten && !globalsPublished()) publishLocked(&retired);
    const int place = currentPlace;
    if (place >= 0) snapshots[place].holders++;
    dropEngineLock();
    if (retired >= 0) freeSnapshot(snapshots[retired]);
    if (place < 0) return {&Settings, &SharedResources, -1};
    return {&snapshots[place].settings, &snapshots[place].resources, place};
}

void releasePaintView(const PaintView &view)
{
    if (view.slot < 0) return;
    SettingsSnapshot &s = snapshots[view.slot];
    takeEngineLock();
    const int last = --s.holders == 0 && view.slot != currentPlace;
    dropEngineLock();
    if (last) freeSnapshot(s);
}

int settingsSnapshotRoomLeft()
{
    takeEngineLock();
    const int place = freePlace();
    dropEngineLock();
    return place >= 0;
}

int publishSettingsSnapshot()
{
    int retired = -1;
    takeEngineLock();
    const int published = publishLocked(&retired);
    dropEngineLock();
    if (retired >= 0) freeSnapshot(snapshots[retired]);
    return published;
}

int dropSettingsSnapshots()
{
    takeEngineLock();
    const int published = currentPlace >= 0;
    currentPlace = -1;
    dropEngineLock();
    for (SettingsSnapshot &s : snapshots) {
        if (!s.taken) continue;
        s.holders = 0;
        freeSnapshot(s);
    }
    return published;
}

int settingsSnapshotsKept()
{
    int kept = 0;
    takeEngineLock();
    for (const SettingsSnapshot &s : snapshots) kept += s.taken;
    dropEngineLock();
    return kept;
}
