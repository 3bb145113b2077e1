#include "support/frame_top_check.h"

#include <stdio.h>

#include "caption/frame_top.h"
#include "support/caption_pair.h"
#include "support/test_windows.h"

int frameTopDiffersFromFramePainting(HWND engineWindow, std::string *where, int *drawn)
{
    const ScreenPixels *pictures[2] = {};
    const unsigned before = frameTopsPainted;
    for (int byEngine : {1, 0}) {
        frameTopByEngine = byEngine;
        SendMessageA(engineWindow, WM_NCPAINT, 1, 0);
        pumpMessages();
        GdiFlush();
        pictures[byEngine] = new ScreenPixels(engineWindow);
    }
    frameTopByEngine = 1;
    if (drawn) *drawn = (int)(frameTopsPainted - before);
    const ScreenPixels &engine = *pictures[1], &system = *pictures[0];
    int differing = 0;
    for (int y = 0; y < engine.height() && y < system.height(); y++)
        for (int x = 0; x < engine.width() && x < system.width(); x++) {
            if (engine.at(x, y) == system.at(x, y)) continue;
            if (differing++ == 0 && where) {
                char text[160];
                snprintf(text, sizeof text, "(f) pixel %d,%d is %06lx, %06lx by the frame painting", x, y,
                         (unsigned long)engine.at(x, y), (unsigned long)system.at(x, y));
                *where += text;
            }
        }
    delete pictures[0];
    delete pictures[1];
    return differing;
}
