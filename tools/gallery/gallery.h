// The gallery's windows and where they stand. The places keep every window
// clear of the others on a 1280x1024 screen and leave the lower right
// quarter free for a second program (scripts/run puts Notepad there).
#pragma once

#include <windows.h>

struct Placement {
    int x, y, width, height;
};

// The dialogs' sizes come from their templates and the dialog font, so the
// windows right of the main window are arranged once the dialogs exist:
// the controls dialog at the top, the help dialog under it, the tool window
// right of it.
const Placement mainWindowPlace = {10, 10, 620, 430};
const Placement dialogPlace = {650, 10, 0, 0};
const Placement toolWindowPlace = {0, 10, 270, 160};
const Placement mdiFramePlace = {10, 460, 620, 420};
enum { screenWidth = 1280, windowGap = 10 };

extern HINSTANCE galleryInstance;

// Each returns the top-level window it made (NULL on failure).
HWND createMainWindow();
HWND createControlsDialog();
HWND createHelpDialog();
HWND createMdiFrame();
HWND createToolWindow();

// The MDI client of the frame, for the message loop's MDI accelerators.
extern HWND mdiClient;

// Modeless dialogs still open, for the message loop's dialog navigation.
extern HWND controlsDialog;
extern HWND helpDialog;

// "/seconds N": the main window closes itself after N seconds.
void closeMainWindowAfter(HWND mainWindow, int seconds);

// The main window's closing ends the gallery: it destroys the other windows
// and posts the quit message.
void closeOtherWindows();
