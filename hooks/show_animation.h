// The geometry of the zoom played when a window is shown: frame rectangles
// grow from the centre of the window's rectangle in steps of 1/24 of it.
#pragma once

#include <windows.h>

enum {
    zoomFrames = 13,     // frames 0..12, the last one the full rectangle
    zoomDivisions = 24,  // steps per axis
};

// Frame k (0..12) of the zoom over the window rectangle w, screen coordinates.
RECT zoomFrameRect(const RECT &w, int k);
// What is repainted after a menu's zoom: one step beyond the last frame on
// every side, so the raised edge left around the menu goes too.
RECT menuZoomRedrawRect(const RECT &w);

// How many zooms this process has played: each blocks its thread for
// zoomFrames sleeps, so a show that played two took twice as long.
extern volatile LONG showZoomsPlayed;

// The two variants: which windows being shown get a zoom.
int menuGetsZoom(const char *className, DWORD exStyle);
int mainWindowGetsZoom(DWORD style, DWORD exStyle);
