// The caption preview of the settings window: a small picture of a window
// whose title area is painted by the engine's own painters, with the settings
// being edited rather than those on disk.
//
// The picture is a child window without a caption of its own: the engine,
// when it runs in this process too, repaints the captions of captioned
// windows with the settings it read at start-up, and would paint over the
// preview. Frame, system caption and caption buttons are drawn here; the
// title area is the painters', at the place the caption layout gives a
// thick-framed top-level window of the same width.
#pragma once

#include <windows.h>

#include "caption/caption_layout.h"

#define captionPreviewClass "VarnelCaptionPreview"

// The style the preview's caption is laid out and painted for.
enum : DWORD { previewedStyle = WS_OVERLAPPEDWINDOW };

// Registers the class and prepares what the painters read in this process:
// metrics, caption fonts, the DC colour functions and the caption-box
// bitmaps of the engine folder. False when the class cannot be registered.
bool registerCaptionPreview(HINSTANCE instance);
// Gives back the fonts, bitmaps and kept strips.
void releaseCaptionPreview();

// One preview window, showing an active or an inactive caption; its height
// follows the caption metrics.
HWND createCaptionPreview(HWND parent, int id, int x, int y, int width, bool active);

// The title area the painters get, in the preview's own coordinates (its
// client and window coordinates are the same).
CaptionLayout captionPreviewLayout(HWND preview);

// Shows values (40 of vl.ini's, kept alive by the caller) instead of
// SettingsEdit's; NULL goes back to SettingsEdit's. Repaints.
void setCaptionPreviewValues(HWND preview, const int *values);

// Puts values (NULL: SettingsEdit's) into the painters' settings, with the
// system's caption colours as they are now and the gradient steps worked out
// from them. Every preview paint does this first.
void usePreviewSettings(const int *values = NULL);
