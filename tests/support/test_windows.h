// Windows for tests: a registered class whose procedure records what it
// receives, and a message pump.
#pragma once

#include <windows.h>

// Dispatches every queued message of this thread.
void pumpMessages();

// Registers a window class of this program unless it is there, and returns
// its name: the procedure, and what each of its windows gets from
// the class, a background brush (or none) and the arrow cursor (or none).
enum ClassCursor { noCursor, arrowCursor };
const char *windowClass(const char *name, WNDPROC procedure, HBRUSH background = NULL, ClassCursor cursor = noCursor);

// Registers (once) a window class with the given name whose procedure is
// DefWindowProcA plus the message log (support/message_log.h); returns the
// class name.
const char *recordingClass(const char *name = "VarnelTestWindow");

// A top-level window of the recording class.
HWND createTestWindow(DWORD style, DWORD exStyle = 0, int w = 300, int h = 200, const char *title = "Test",
                      const char *className = NULL, HWND parent = NULL);

// A window's outer size as GetWindowRect gives it (frame and caption
// included).
int windowWidth(HWND window);
int windowHeight(HWND window);
