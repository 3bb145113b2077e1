// The loader's named objects, made so that nobody else's object is taken
// for one of them. Any program may make an object of a loader's name first,
// of any kind, with any content; another user may try. So each name carries
// the session and the user (another session's or user's loader never meets
// this one's), each object is made with an explicit security descriptor
// (this user and SYSTEM only; from Vista on a medium label, so that a loader
// started elevated is still reached by a "vlload /stop" that is not), and
// an object found already there is checked: of the expected kind, owned by
// this user, and for the info block, every page of the block committed
// before the first read.
//
// The security functions (advapi32) came with NT and some with 2000 or
// Vista; they are looked up at run time from the system folder, and without
// them (Windows 95, 98, ME) objects get the default security and no owner
// is checked.
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

enum LoaderObjectKind { loaderMutex, loaderEvent, loaderMapping };

// Why an object could not be used.
enum LoaderObjectState {
    loaderObjectUsable,
    loaderObjectMissing,        // nobody holds the name
    loaderObjectOtherKind,      // the name is held by an object of another kind
    loaderObjectOtherOwner,     // another user's object, or one this user may not use
    loaderObjectNotMade,        // the system made nothing (no memory, no right)
    loaderObjectTooSmall,       // a mapping without every page of the block committed (or writable)
    loaderObjectNotUnderstood,  // a mapping that holds something else than a loader's block
};
// A phrase for a message: "is held by an object of another kind".
const char *loaderObjectProblem(LoaderObjectState state);

// The full name of a loader's object from its stem (engine/loader_contract.h):
// "<stem> session <id> <user's SID>", the SID as S-1-5-21-...; the session
// 0 where the system has none, the user left out where it has no security.
void loaderObjectName(const char *stem, char *name, int size);

// Makes the object, or opens it when it exists already (*existed then 1),
// with this user's and SYSTEM's access only. A mutex is made unowned, an
// event manual-reset and unsignalled, a mapping the size of a
// LoaderInfoBlock. NULL when it cannot be used (*state says why).
HANDLE createLoaderObject(LoaderObjectKind kind, const char *stem, LoaderObjectState *state, int *existed);

// Opens an existing object with access (READ_CONTROL is added, for the
// owner's check). NULL when it is missing or cannot be used.
HANDLE openLoaderObject(LoaderObjectKind kind, const char *stem, DWORD access, LoaderObjectState *state);

// Maps the info block of mapping for reading, or writing with write, once
// every page of it is committed (and writable, with write). For reading
// the block must carry a loader's magic and layout; for writing it must
// be a loader's or zeroed (newly made). NULL when not (*state says why).
volatile LoaderInfoBlock *mapLoaderInfo(HANDLE mapping, int write, LoaderObjectState *state);

// 1 when the objects get the explicit security descriptor, 2 with the
// medium label besides; 0 with the default security (no advapi32
// functions, or the system refused the descriptor).
int loaderObjectSecurity();
