// Who the suites run as, read straight from the system: what the engine's
// and the loader's object names and descriptors are checked against.
#pragma once

#include <string>

// The user's SID as the system spells it ("S-1-5-21-..."); "" when the
// token cannot be read.
std::string userSid();
