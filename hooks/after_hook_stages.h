// The stage routines of the after-message hook that live in files of their
// own. The hook's dispatch (after_message_hook.cpp) decides when each runs.
#pragma once

#include <windows.h>

// List views, tab controls and toolbars.
void addListViewExtendedStyles(HWND window);                    // stage 2
void makeListViewTextTransparent(HWND window);                  // stage 9
void restyleTaskbarTabs(HWND window, UINT message);             // stage 16
void restyleToolbar(HWND window, UINT message);                 // stage 17

// Backgrounds. What the hook does after a background stage.
enum BackgroundOutcome {
    backgroundNotHandled,   // go on with the next stage
    backgroundPassOn,       // chain and return the chain's result
    backgroundReturnZero,   // chain, then return 0
    backgroundReturn999,    // chain, then return 999
};
// Stage 10: the folder list view and folder view.
BackgroundOutcome paintFolderBackground(HWND window, UINT message, WPARAM wParam, const char *className);
// Stage 11: dialogs, bars and MDI clients (WM_ERASEBKGND of the background set).
BackgroundOutcome tileControlBackground(HWND window, WPARAM wParam, const char *className);
// Whether a class is in the background set that stage 11 tiles.
int isBackgroundClass(const char *className);

// Stage 13: the zoom played when a window is shown, after the chain has run.
void playShowAnimation(HWND window, WPARAM shown, const char *className);

// Stage 5 (and the before-message hook's stage 2): the engine's progress bar.
void paintProgressBar(HWND window);
