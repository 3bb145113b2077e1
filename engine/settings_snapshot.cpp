// The published snapshots of settings and shared objects.
#include "engine/settings_snapshot.h"

#include <string.h>

#include "caption/strip_cache.h"
#include "engine/engine_lifecycle.h"

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

static SettingsSnapshot snapshots[snapshotPlaces];
static int currentPlace = -1;
volatile LONG snapshotObjectsDeleted;

// Held for a few instructions: finding the current place and counting a
// holder, or the swap. Windows 95 has no InterlockedCompareExchange in
// kernel32, so it is claimed by exchange alone.
static volatile LONG snapshotLock;
static void takeLock()
{
    while (InterlockedExchange(&snapshotLock, 1) != 0) Sleep(0);
}
static void dropLock() { InterlockedExchange(&snapshotLock, 0); }

// Held by a set-up from its first write of the globals to their publication
// (which may take a while: skin bitmaps are loaded meanwhile), and by a
// paint comparing them with the current snapshot, which only tries it.
static volatile LONG globalsTurn;
void takeGlobalsTurn()
{
    while (InterlockedExchange(&globalsTurn, 1) != 0) Sleep(1);
}
void dropGlobalsTurn() { InterlockedExchange(&globalsTurn, 0); }

// Outside the lock: nobody holds it and it is not current, so nobody can
// take it any more. A strip kept in the cache was composed with its fonts; a
// later font could be given the same handle, and the strip must not be
// taken for one of its.
static void freeSnapshot(SettingsSnapshot &s)
{
    for (int i = 0; i < s.ownedCount; i++)
        if (DeleteObject(s.owned[i])) InterlockedIncrement(&snapshotObjectsDeleted);
    s.ownedCount = 0;
    freeStripCache();
    takeLock();
    s.taken = 0;
    dropLock();
}

// Whether the globals still say what the current snapshot says; byte for
// byte, as publishing copies them.
static int globalsPublished()
{
    takeLock();
    const int place = currentPlace;
    dropLock();
    if (place < 0) return 1;
    const SettingsSnapshot &s = snapshots[place];
    return memcmp(&s.settings, &Settings, sizeof Settings) == 0 &&
           memcmp(&s.resources, &SharedResources, sizeof SharedResources) == 0;
}

PaintView holdPaintView()
{
    if (InterlockedExchange(&globalsTurn, 1) == 0) {
        if (!globalsPublished()) publishSettingsSnapshot();
        dropGlobalsTurn();
    }
    takeLock();
    const int place = currentPlace;
    if (place >= 0) snapshots[place].holders++;
    dropLock();
    if (place < 0) return {&Settings, &SharedResources, -1};
    return {&snapshots[place].settings, &snapshots[place].resources, place};
}

void releasePaintView(const PaintView &view)
{
    if (view.slot < 0) return;
    SettingsSnapshot &s = snapshots[view.slot];
    takeLock();
    const int last = --s.holders == 0 && view.slot != currentPlace;
    dropLock();
    if (last) freeSnapshot(s);
}

static int freePlace()
{
    for (int i = 0; i < snapshotPlaces; i++)
        if (!snapshots[i].taken) return i;
    return -1;
}

int settingsSnapshotRoomLeft()
{
    takeLock();
    const int place = freePlace();
    dropLock();
    return place >= 0;
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

int publishSettingsSnapshot()
{
    takeLock();
    const int place = freePlace();
    if (place >= 0) snapshots[place].taken = 1;
    dropLock();
    if (place < 0) return 0;
    SettingsSnapshot &s = snapshots[place];
    memcpy(&s.settings, &Settings, sizeof Settings);
    memcpy(&s.resources, &SharedResources, sizeof SharedResources);
    s.holders = 0;
    s.ownedCount = collectSharedObjects(s.owned, snapshotObjectRoom);
    takeLock();
    const int previous = currentPlace;
    currentPlace = place;
    int unheld = 0;
    if (previous >= 0) {
        disown(snapshots[previous], s);
        unheld = snapshots[previous].holders == 0;
    }
    dropLock();
    if (unheld) freeSnapshot(snapshots[previous]);
    return 1;
}

int dropSettingsSnapshots()
{
    takeLock();
    const int published = currentPlace >= 0;
    currentPlace = -1;
    dropLock();
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
    takeLock();
    for (const SettingsSnapshot &s : snapshots) kept += s.taken;
    dropLock();
    return kept;
}
