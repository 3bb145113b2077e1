// In-memory dialog templates: the words of a DLGTEMPLATE and its items, so
// the gallery's dialogs come from the dialog manager (class "#32770") without
// a resource file.
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

// Starts a template with DS_SETFONT added to style; sizes in dialog units.
void beginDialogTemplate(DialogTemplate *t, DWORD style, DWORD exStyle, short cx, short cy, const char *title,
                         WORD pointSize, const char *face);

// Adds one control; WS_CHILD | WS_VISIBLE are added to style.
void addDialogItem(DialogTemplate *t, TemplateClass atom, DWORD style, DWORD exStyle, short x, short y, short cx,
                   short cy, WORD id, const char *text);

inline const DLGTEMPLATE *dialogTemplateData(const DialogTemplate &t)
{
    return (const DLGTEMPLATE *)t.words.data();
}
