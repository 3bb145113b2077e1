// What a paint reads, fixed for the whole paint: the settings and the shared
// objects (caption fonts, skin bitmaps, the scroll-bar brush) of one set-up.
// Attach and each set-up of the live path (engine/live_settings.h) fill the
// globals Settings and SharedResources as before and then publish a copy of
// them, which takes over their GDI objects, as the current snapshot. A paint
// holds the current snapshot from its start to its end and reads only it;
// the objects of a snapshot are deleted when it is no longer current and no
// paint holds it. So any number of changes in the middle of a paint on
// another thread never take an object from under it, and nothing selected
// anywhere is deleted.
//
// The globals stay what the per-message paths read (flags, metrics), one
// whole field at a time, as before. Where nothing was published (the
// settings window's preview, which paints with the engine's painters in a
// process of its own) a paint reads the globals themselves. Where the
// globals were changed by hand since the last publication (the suites do,
// between paints), a paint that finds them so, and no set-up writing them,
// publishes them first.
#pragma once

#include <windows.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"

struct PaintView {
    const SettingsRecord *settings;
    const SharedResourcesRecord *resources;
    int slot;  // the snapshot held; -1: the globals, nothing being published
};

// Taken at the start of a paint, given back at its end, on every way out.
PaintView holdPaintView();
void releasePaintView(const PaintView &view);

// A set-up writes the globals and publishes them within the globals' turn,
// so that no paint takes a snapshot of them half written.
void takeGlobalsTurn();
void dropGlobalsTurn();

// Publishes the globals as they are now, their GDI objects with them; the
// previous snapshot keeps only the objects the new one does not have, and
// goes when nobody holds it. Returns 0, publishing nothing, when every place
// is taken by a snapshot some paint still holds (a paint that never ends):
// the caller then makes nothing new. Called within the globals' turn.
int publishSettingsSnapshot();
int settingsSnapshotRoomLeft();

// Detach: every snapshot's objects deleted, whoever holds them (no paint is
// left by then), and nothing current any more. Returns 0 when nothing had
// been published: the globals' objects are then still the caller's.
int dropSettingsSnapshots();

// For tests: the snapshots kept now (the current one and those still held),
// and the objects deleted with snapshots since the process began.
int settingsSnapshotsKept();
extern volatile LONG snapshotObjectsDeleted;
