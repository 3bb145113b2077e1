// Attaching the engine (the static library) to the test process with a test
// folder as its Windows directory (and loading the caption plug-in, as the
// first hook call of a process does), and detaching it again without the
// pauses.
#pragma once

#include <windows.h>

#include "support/test_folder.h"

BOOL attachEngine(const TestFolder &folder);
void detachEngine();
