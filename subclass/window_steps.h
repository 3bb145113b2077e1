// The steps of StaticWindowProc, in dispatch order. Each step looks at the
// message and either finishes it (returns 1 with *result set) or lets the
// dispatch go on (returns 0).
#pragma once

#include <windows.h>

struct WindowMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int slot;   // the window's slot in the table
    int unicode;   // 1: a Unicode window; the message's text is Unicode
};

int keepEngineStyleChange(const WindowMessage &m, LRESULT *result);        // 0
int convertPushButton(const WindowMessage &m, LRESULT *result);            // 1, never finishes
int paintOwnerDrawnButton(const WindowMessage &m, LRESULT *result);        // 2
int eraseBehindStatic(const WindowMessage &m, LRESULT *result);            // 3
int overrideCaptionHitTest(const WindowMessage &m, LRESULT *result);       // 4
int answerScrollBarColour(const WindowMessage &m, LRESULT *result);        // 5
int forgetRegionOnResize(const WindowMessage &m, LRESULT *result);         // 6, never finishes
int roundPopupMenu(const WindowMessage &m, LRESULT *result);               // 7, never finishes
int boxVerticalScrollArrows(const WindowMessage &m, LRESULT *result);      // 8
int toggleWindowShade(const WindowMessage &m, LRESULT *result);            // 9
int replayPageAsLines(const WindowMessage &m, LRESULT *result);            // 10
int handleCaptionMessage(const WindowMessage &m, LRESULT *result);         // 11
int answerButtonColour(const WindowMessage &m, LRESULT *result);           // 12
int answerStaticColour(const WindowMessage &m, LRESULT *result);           // 13

// The window's own procedure, the one recorded in its slot. Can re-enter
// the engine.
LRESULT callOwnProcedure(const WindowMessage &m, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT passOnMessage(const WindowMessage &m)
{
    return callOwnProcedure(m, m.message, m.wParam, m.lParam);
}
// The window's own procedure with the message unchanged, called while the
// window has no WS_VISIBLE, so that the default handling draws nothing on
// the screen; the style is put back afterwards, and neither change reaches
// the window's procedure as a style-change message (step 0).
LRESULT callOwnProcedureUnseen(const WindowMessage &m);
// The same with a second window of this thread kept from drawing meanwhile
// (a maximised MDI child's frame, whose caption shows the child's title).
LRESULT callOwnProcedureUnseenWith(const WindowMessage &m, HWND alsoHidden);
