// The shared resources record and the class-name tests that every hook, step
// and painter uses.
#include "engine/shared_resources.h"

#include <string.h>

SharedResourcesRecord SharedResources;

int windowClassIs(HWND window, const char *literal)
{
    char name[classNameSize];
    if (!GetClassNameA(window, name, classNameSize)) return 0;
    return strcmp(name, literal) == 0;
}

int windowClassIndex(HWND window, const char *const *literals)
{
    char name[classNameSize];
    if (!GetClassNameA(window, name, classNameSize)) return -1;
    for (int i = 0; literals[i]; i++)
        if (strcmp(name, literals[i]) == 0) return i;
    return -1;
}

float gradientStep(int captionComponent, int endComponent, int steps)
{
    steps &= 0xFF;
    if (steps == 0) return 0.0f;
    return (float)((captionComponent - endComponent) / steps);
}
