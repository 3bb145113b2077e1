#include "support/test_engine.h"

#include "engine/engine_lifecycle.h"
#include "engine/plugin.h"

BOOL attachEngine(const TestFolder &folder)
{
    const BOOL attached = engineProcessAttach(folder.path());
    // As the first hook call of the process would.
    loadCaptionPluginOnFirstCall();
    return attached;
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
