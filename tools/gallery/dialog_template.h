// In-memory dialog templates: the words of a DLGTEMPLATE and its items, so
// dialogs come from the dialog manager (class "#32770") without a resource
// file. The gallery's dialogs are built with it, and so are the tests'.
#pragma once

#include <vector>

#include <windows.h>

// The predefined control classes a template names by atom.
enum TemplateClass : WORD {
    buttonAtom = 0x0080,
    editAtom = 0x0081,
    staticAtom = 0x0082,
};

struct DialogTemplate {
    std::vector<WORD> words;
};

// Starts a template; position and size in dialog units. With a face, the
// dialog's font: DS_SETFONT is added to style.
void beginDialogTemplate(DialogTemplate *t, DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                         const char *title, WORD pointSize = 0, const char *face = NULL);

// Adds one control of a predefined class, or of a class by name;
// WS_CHILD | WS_VISIBLE are added to style.
void addDialogItem(DialogTemplate *t, TemplateClass atom, DWORD style, DWORD exStyle, short x, short y, short cx,
                   short cy, WORD id, const char *text);
void addDialogItem(DialogTemplate *t, const char *className, DWORD style, DWORD exStyle, short x, short y, short cx,
                   short cy, WORD id, const char *text);

// The template starts on a DWORD boundary: the vector's storage does.
inline const DLGTEMPLATE *dialogTemplateData(const DialogTemplate &t)
{
    return (const DLGTEMPLATE *)t.words.data();
}
