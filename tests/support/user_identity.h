// Who the suites run as, read straight from the system: what the engine's
// and the loader's object names and descriptors are checked against.
#pragma once

#include <string>

#include <windows.h>

// The user's SID as the system spells it ("S-1-5-21-..."); "" when the
// token cannot be read.
std::string userSid();

// An object's security descriptor as SDDL text, the parts asked for;
// "(unreadable)" or "(unconvertible)" when the system gives none.
std::string securityText(HANDLE object, SECURITY_INFORMATION what);

// What is wrong with an owner and DACL in SDDL for an object meant for the
// user and SYSTEM alone: owned by the user, one allowing entry for each of
// them and none for anybody else. "" when nothing is.
std::string notUserAndSystemOnly(const std::string &sddl);
