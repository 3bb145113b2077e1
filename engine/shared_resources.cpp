// The shared resources record.
#include "engine/shared_resources.h"

SharedResourcesRecord SharedResources;

float gradientStep(int captionComponent, int endComponent, int steps)
{
    steps &= 0xFF;
    if (steps == 0) return 0.0f;
    return (float)((captionComponent - endComponent) / steps);
}
