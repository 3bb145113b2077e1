// Where the engine stands in this process.
#include "engine/engine_state.h"

EngineStateRecord EngineState;
int engineAttached;
volatile int engineDetached;
char engineWindowsDirectory[250];
