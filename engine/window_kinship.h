// Which windows the engine may reach from the thread of the window it is
// handling. A handle read from a message, from GetParent (which names a
// top-level window's owner) or from another window's answer can belong to
// any program: a message sent to it would wait on that program, and a style
// written to it would change that program's window.
#pragma once

#include <windows.h>

// The window belongs to this process (a NULL or dead handle does not).
int windowOfThisProcess(HWND window);

// Sends a message the engine's handling needs (a repaint) to a window of
// this process: straight to one of the calling thread, with a bound to one
// of another thread, which may be busy or waiting on this one; a window of
// another process is sent nothing. Returns the answer, 0 when none came.
LRESULT sendWithinProcess(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// window is an MDI child: WS_CHILD and WS_EX_MDICHILD, under a parent of its
// own thread. Only then is the parent the MDI client the engine asks for the
// active child.
int isMdiChildOfOwnThread(HWND window);

// candidate is an MDI child under the same parent as window and on window's
// thread: a sibling the engine may repaint and restyle as it does window.
int isMdiSibling(HWND candidate, HWND window);
