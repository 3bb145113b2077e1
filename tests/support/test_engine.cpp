#include "support/test_engine.h"

#include "engine/engine_lifecycle.h"

BOOL attachEngine(const TestFolder &folder)
{
    return engineProcessAttach(folder.path());
}

void detachEngine()
{
    DWORD pause = detachPause, unroll = unrollPause;
    detachPause = 0;
    unrollPause = 0;
    engineProcessDetach(false);
    detachPause = pause;
    unrollPause = unroll;
}
