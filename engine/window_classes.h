// The window classes the engine recognises windows by. Every test compares,
// exactly and case-sensitively, with the name GetClassNameA reads into a
// buffer of the caller's own (two threads never share one).
#pragma once

#include <windows.h>

// The size the engine reads class names with.
enum { classNameSize = 260 };

// Classes tested in more than one place.
inline constexpr char buttonClass[] = "Button";
inline constexpr char popupMenuClass[] = "#32768";
inline constexpr char dialogClass[] = "#32770";
inline constexpr char listViewClass[] = "SysListView32";
inline constexpr char tabControlClass[] = "SysTabControl32";
inline constexpr char mdiClientClass[] = "MDIClient";

// Families of classes, each list ended by NULL: Visual Basic's controls
// beside the common controls they stand for.
extern const char *const listViewClasses[];
extern const char *const progressBarClasses[];
extern const char *const toolbarClasses[];
// Push buttons the engine converts to owner-drawn.
extern const char *const convertedButtonClasses[];
// Buttons the after-message hook hands on untouched.
extern const char *const passedButtonClasses[];

// Whether a class name read already is one of a list.
int classIsOneOf(const char *className, const char *const *classes);

// Reads the window's class name and compares it with the literal.
int windowClassIs(HWND window, const char *literal);
// The same against a list; returns the index of the first match or -1.
int windowClassIndex(HWND window, const char *const *literals);
