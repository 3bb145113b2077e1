// The gallery's windows and where they stand. The places keep every window
// clear of the others on a 1280x1024 screen and leave the lower right
// quarter free for a second program (scripts/run puts Notepad there); the
// three caption cases stand in a row below both.
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
// The three caption cases along the bottom, under the MDI frame and Notepad.
const Placement mirroredWindowPlace = {10, 895, 400, 110};
const Placement sizableDialogPlace = {420, 895, 400, 110};
const Placement iconDialogPlace = {830, 895, 0, 0};
enum { screenWidth = 1280, windowGap = 10 };

extern HINSTANCE galleryInstance;

// Registers one of the gallery's window classes: the arrow cursor, icon (NULL
// for none) and the system colour background as the class brush.
void registerGalleryClass(const char *name, WNDPROC procedure, HICON icon, int background);

// The closing the gallery's modeless dialogs share: closeId or Escape
// (IDCANCEL) and the caption's close box destroy the dialog, and its
// destruction clears *held, the handle the message loop and
// closeOtherWindows use. Returns TRUE when message was one of these.
INT_PTR closeModelessDialog(HWND dialog, UINT message, WPARAM wParam, WORD closeId, HWND *held);

// Each returns the top-level window it made (NULL on failure).
HWND createMainWindow();
HWND createControlsDialog();
HWND createHelpDialog();
HWND createMdiFrame();
HWND createToolWindow();
// tools/gallery/caption_windows.cpp: a mirrored window, a sizable dialog
// with a modal frame and no icon, a dialog with its own icon.
HWND createMirroredWindow();
HWND createSizableDialog();
HWND createIconDialog();

// The MDI client of the frame, for the message loop's MDI accelerators.
extern HWND mdiClient;

// Modeless dialogs still open, for the message loop's dialog navigation.
extern HWND controlsDialog;
extern HWND helpDialog;
extern HWND iconDialog;
extern HWND mirroredWindow;
extern HWND sizableDialog;

// "/seconds N": the main window closes itself after N seconds.
void closeMainWindowAfter(HWND mainWindow, int seconds);

// The main window's closing ends the gallery: it destroys the other windows
// and posts the quit message.
void closeOtherWindows();
