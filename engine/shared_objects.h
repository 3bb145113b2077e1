// The maker of the shared GDI objects every drawing path of a process reads:
// the caption fonts, the skin bitmaps the settings want and the scroll-bar
// pattern brush, with the metrics and caption colours beside them
// (engine/system_look.h), all into SharedResources. Attach and each set-up
// of the live path make them; the snapshot published with them owns them
// from then on (engine/settings_snapshot.h).
#pragma once

#include <windows.h>

// The metrics, caption fonts, colours and gradient steps and skin bitmaps,
// made from Settings and the system as they are now; the bitmaps from the
// engine folder under engineWindowsDirectory.
void makeSharedObjects();

// The GDI objects makeSharedObjects made (up to room of them into objects);
// returns how many.
int collectSharedObjects(HGDIOBJ *objects, int room);

// Deletes every object makeSharedObjects made, where no snapshot took them
// over; SharedResources names none of them afterwards.
void freeSharedObjects();
// SharedResources forgets them, deleting nothing (a snapshot deleted them).
void forgetSharedObjects();
