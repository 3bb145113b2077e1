// Controls on real windows with the engine attached and its two hooks on this
// thread, every stage switched off but the ones a test turns on: for the tests
// of push buttons, control colours and progress bars. Windows created while
// the hooks are on are subclassed by the before-message hook, as in any
// hooked process.
#pragma once

#include <windows.h>

#include "support/engine_test.h"

class SkinnedControlsTest : public EngineTest {
protected:
    SkinnedControlsTest() : EngineTest(bothEngineHooks) { parentStyle |= WS_CLIPCHILDREN; }
    void SetUp() override;
};

// A class of the given name that is the system's "Button" under another
// name, as Delphi's "TButton" and Visual Basic's command buttons are.
const char *buttonSuperclass(const char *name);

// The colour a pixel of a window shows on this display for a colour drawn.
COLORREF displayed(COLORREF colour);
