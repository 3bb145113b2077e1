// The windows a skinned desktop is made of, built for the endurance tests:
// captioned top-level windows of every frame the caption layout knows, a
// dialog ("#32770") with the usual controls, the common controls in a window
// of their own, and an MDI frame with its client and children. Their own
// procedures swallow WM_CLOSE, so nothing a test sends closes them; what
// still destroys one is the test's own doing.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "tools/gallery/dialog_template.h"

struct SoakWindows {
    // Top-level windows of this program's classes.
    HWND thick = NULL;      // WS_OVERLAPPEDWINDOW
    HWND thin = NULL;       // caption and system menu, no sizing frame
    HWND tool = NULL;       // WS_EX_TOOLWINDOW
    HWND help = NULL;       // WS_EX_CONTEXTHELP, no minimise/maximise box
    HWND bare = NULL;       // WS_POPUP | WS_BORDER: no caption
    HWND controlsFrame = NULL;  // holds the common controls
    // The dialog and its controls.
    HWND dialog = NULL;
    HWND pushButton = NULL, defaultButton = NULL, checkBox = NULL, radioButton = NULL, groupBox = NULL;
    HWND label = NULL, notifyLabel = NULL, iconLabel = NULL;
    HWND edit = NULL, readOnlyEdit = NULL, clientEdgeEdit = NULL;
    HWND scrollBar = NULL, dialogProgress = NULL, dialogTab = NULL;
    // Common controls in controlsFrame.
    HWND listView = NULL, toolbar = NULL, tab = NULL, progress = NULL;
    // MDI.
    HWND mdiFrame = NULL, mdiClient = NULL;
    HWND mdiChildren[3] = {NULL, NULL, NULL};
    HMENU mdiWindowMenu = NULL;

    // Every window above that exists, top-level windows first.
    std::vector<HWND> all() const;
    // Every handle above, whether its window still exists or not.
    std::vector<HWND> everyHandle() const;
    // The windows that parent controls (for WM_CTLCOLOR*, WM_DRAWITEM).
    std::vector<HWND> parents() const;
    // The top-level windows of this program's own classes (safe targets for
    // WM_CREATE and WM_NCCREATE, whose procedures only pass them on).
    std::vector<HWND> ownClassWindows() const;
    std::vector<HWND> buttons() const;
};

// The first id an MDI client gives its children's Window-menu entries; the
// tests keep WM_COMMAND ids far below it (the "More windows" entry opens a
// modal dialog).
enum { soakMdiFirstChild = 50000 };

// Registers the classes (once) and creates the whole set, visible, without
// activating anything. Common controls are registered first.
void createSoakWindows(SoakWindows *set);
// Destroys whatever of the set still exists (top-level windows take their
// children with them) and clears the handles.
void destroySoakWindows(SoakWindows *set);
// Creates again any window of the set that no longer exists (and, for a lost
// container, its children). Returns how many were made again.
int recreateLostSoakWindows(SoakWindows *set);

// A dialog procedure that handles WM_INITDIALOG, WM_CLOSE and WM_COMMAND and
// ends nothing.
INT_PTR CALLBACK keepOpenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The class names of this program's windows.
extern const char soakFrameClass[];      // top-level windows
extern const char soakMdiFrameClass[];
extern const char soakMdiChildClass[];
