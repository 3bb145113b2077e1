// What the engine reads of the system's look and makes from it: the system
// and non-client metrics, the caption fonts, the caption colours with the
// gradient steps towards Settings' ends, and the DC functions of later
// systems. Filled into SharedResources (engine/shared_resources.h). The
// settings window's preview, which paints with the engine's painters in a
// process of its own, uses these alone.
#pragma once

#include <windows.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"

void readMetrics();
// 1 when the system's caption font or non-client sizes are no longer those
// readMetrics took (Display properties changed them since).
int nonClientMetricsChanged();
// The caption fonts (normal and medium weight, and the two for tool windows
// where the caption font is too large for their small caption).
void createCaptionFonts();
// Deletes the caption fonts createCaptionFonts made (tool windows' too).
void freeCaptionFonts();
void readCaptionColours();
// The same for a record of settings and the objects that paint with them
// (the settings window's preview keeps its own).
void readCaptionColoursFor(const SettingsRecord &s, SharedResourcesRecord *into);
// SetDCBrushColor, SetDCPenColor, GetLayout and SetLayout where the system
// has them.
void findNewerDCFunctions();

// Tool windows: the system makes a small caption as tall as its small
// caption font needs, so a caption font larger than that (a large font in
// the display settings) would be cut off at the top and bottom there. The
// height (a LOGFONT lfHeight) the caption font takes in tool windows, or 0
// when it fits as it is. Heights of one sign compare by size (negative: the
// character height, positive: the cell height); a default height (0) or
// heights of different signs are left alone.
LONG toolCaptionFontHeight(LONG captionHeight, LONG smallCaptionHeight);
