// This user's named objects: the shared settings block and the loader's
// mutex, event and info block. Any program of the desktop can guess a name
// and make an object of it first; another user of the same session may try.
// So a name carries the session and the user's SID (another session's or
// another user's objects never meet this user's), an object is made with an
// explicit security descriptor (this user and SYSTEM only; from Vista on a
// medium label, so that an elevated program of the same user still opens
// it), and an object found already there must be owned by this user.
//
// The security functions are advapi32's. The engine comes here from its
// library entry point, under the loader lock, where loading a library is
// not allowed: it takes only the advapi32 the process has loaded already
// (USER32 and GDI32, which the engine imports, import it themselves), and
// without it runs without what needs the user's name.
// A program outside any entry point may call loadSecurityLibrary first, to
// load it from the system folder (never the current one). Windows 95, 98 and
// ME keep no users: names carry the session only, objects get the default
// security and no owner is checked.
#pragma once

#include <windows.h>

// Loads advapi32 from the system folder, once; never from an entry point.
void loadSecurityLibrary();

// "<stem> session <id> <user's SID>", the SID as S-1-5-21-...; the session
// 0 where the system has none (95, 98, NT 4.0). Returns 0 when the system
// keeps users but this one could not be read (advapi32 not loaded, a token
// that cannot be queried): the name then lacks the user, and every other
// process of the user would compute another one. Where the system keeps
// none, the name without the user is the only one and 1 is returned.
int userObjectName(const char *stem, char *name, int size);

// The user's SID as text ("" when it could not be read).
const char *userSidText();

// An explicit descriptor for a new object: owner this user, access this
// user and SYSTEM, not inherited, from Vista on a medium no-write-up label.
// Fills attributes and returns 2 with the label, 1 without, or 0 when the
// system cannot make one (no functions, 95/98, NT 4.0, or hidden by the
// switch of engine/newer_functions.h), and the object gets the default
// security. freeObjectSecurity gives back what a non-zero answer made.
int makeObjectSecurity(SECURITY_ATTRIBUTES *attributes);
void freeObjectSecurity(SECURITY_ATTRIBUTES *attributes);

// Whether object (opened with READ_CONTROL) belongs to this user: owned by
// the user or by the owner the user's token gives new objects (the
// Administrators group, for an administrator of some systems), or with
// systemToo by SYSTEM. 1 too where nothing can be checked: no functions,
// or an object the system keeps no owner for (Wine's, made without a
// descriptor).
int ownedByThisUser(HANDLE object, int systemToo);
