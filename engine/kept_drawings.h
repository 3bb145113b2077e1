// Drawings a layer above the engine keeps between paints, made with the
// shared objects (the caption's title strips keep the fonts they were drawn
// with by handle). The engine knows nothing of them; the layer that keeps
// them names here how to drop them, and the engine drops them whenever the
// objects they were made with may go or change: at each set-up, when a
// snapshot's objects are deleted, and at detach.
#pragma once

typedef void (*KeptDrawingsDropper)();

// Idempotent; the registration lasts for the life of the process. A layer
// registers before it first keeps anything, so that nothing it kept can
// outlive the objects it was drawn with. Returns 0 when every place is
// taken (there are places for every keeper the engine has).
int keepDrawingsDroppedBy(KeptDrawingsDropper dropper);

// Every registered keeper drops what it holds. Takes the engine lock itself
// and calls the droppers without it.
void dropKeptDrawings();
