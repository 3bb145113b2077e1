// Converted buttons: their conversion, and their style given back at unload.
// A button the engine made owner-drawn is painted by the engine at its
// parent; once the engine has left, nobody would draw it and it would show
// blank. Each conversion keeps the style the button had in a window property
// (once per conversion, never on the path of ordinary messages), and unload
// puts it back.
#include "engine/converted_buttons.h"
#include "engine/window_classes.h"
#include "engine/window_table.h"

static const char buttonStyleProperty[] = "VarnelButtonStyle";

void convertButtonRememberingStyle(HWND button, LONG style)
{
    // A button converted again (the dialog manager resets the type of its
    // default button) still carries the mark bits of its first conversion:
    // which of them it had of its own is known from the first record.
    LONG kept = style;
    LONG_PTR earlier = (LONG_PTR)GetPropA(button, buttonStyleProperty);
    if (earlier) kept = (style & ~convertedButtonMark) | ((LONG)earlier & convertedButtonMark);
    // Stored before the style changes: the change sends WM_STYLECHANGED,
    // which already finds the button converted.
    SetPropA(button, buttonStyleProperty, (HANDLE)(LONG_PTR)(kept | convertedButtonKept));
    SetWindowLongA(button, GWL_STYLE, convertedButtonStyle(style));
}

int parentDrawsConvertedButton(HWND button)
{
    HWND parent = GetParent(button);
    return parent && findWindowSlot(parent) >= 0;
}

void forgetConvertedButton(HWND window, const char *className)
{
    if (classIsOneOf(className, convertedButtonClasses)) RemovePropA(window, buttonStyleProperty);
}

// Only what the conversion changed goes back: the type, and the mark bits the
// button did not have. Whatever else the program changed since (visibility,
// enabled state) stays as it is now.
static LONG styleWithoutConversion(LONG now, LONG kept)
{
    const LONG added = convertedButtonMark & ~kept;
    return (now & ~(BS_TYPEMASK | added)) | (kept & BS_TYPEMASK);
}

void restoreConvertedButtons()
{
    for (int slot = 0; slot < windowTableCapacity; slot++) {
        HWND window = windowHandles[slot];
        if (!window) continue;
        LONG_PTR kept = (LONG_PTR)RemovePropA(window, buttonStyleProperty);
        if (!kept) continue;
        LONG style = GetWindowLongA(window, GWL_STYLE);
        // A button the program has restyled since is the program's own.
        if (!carriesConvertedButtonMark(style) || (style & BS_TYPEMASK) != BS_OWNERDRAW) continue;
        const LONG original = styleWithoutConversion(style, (LONG)kept & ~convertedButtonKept);
        // Unload runs under the system's loader lock, and a style change sends
        // the button messages: a button of another thread is asked to change
        // its type itself, later. Only the type goes back there; the mark bits
        // it did not have stay.
        if (GetWindowThreadProcessId(window, NULL) != GetCurrentThreadId()) {
            PostMessageA(window, BM_SETSTYLE, (WPARAM)(original & BS_TYPEMASK), TRUE);
            continue;
        }
        SetWindowLongA(window, GWL_STYLE, original);
        InvalidateRect(window, NULL, TRUE);
    }
}
