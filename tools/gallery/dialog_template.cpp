// DLGTEMPLATE layout: the header, then menu, class and title as WORD arrays,
// then (with DS_SETFONT) the point size and face; every item starts on a
// DWORD boundary and ends with a WORD of creation-data size.
#include "dialog_template.h"

static void putWord(DialogTemplate *t, WORD w) { t->words.push_back(w); }

static void putDword(DialogTemplate *t, DWORD d)
{
    putWord(t, LOWORD(d));
    putWord(t, HIWORD(d));
}

// ASCII texts only: each byte becomes one UTF-16 unit.
static void putText(DialogTemplate *t, const char *text)
{
    for (const char *c = text; *c; c++) putWord(t, (WORD)(unsigned char)*c);
    putWord(t, 0);
}

static void alignToDword(DialogTemplate *t)
{
    if (t->words.size() % 2) putWord(t, 0);
}

// The item count sits in the header at word 4 (after style and extended
// style); addDialogItem raises it.
enum { itemCountWord = 4 };

void beginDialogTemplate(DialogTemplate *t, DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                         const char *title, WORD pointSize, const char *face)
{
    t->words.clear();
    putDword(t, face ? style | DS_SETFONT : style);
    putDword(t, exStyle);
    putWord(t, 0);  // items
    putWord(t, (WORD)x);
    putWord(t, (WORD)y);
    putWord(t, (WORD)cx);
    putWord(t, (WORD)cy);
    putWord(t, 0);  // no menu
    putWord(t, 0);  // the dialog class
    putText(t, title);
    if (!face) return;
    putWord(t, pointSize);
    putText(t, face);
}

// Everything of an item up to its class, which the caller adds.
static void beginItem(DialogTemplate *t, DWORD style, DWORD exStyle, short x, short y, short cx, short cy, WORD id)
{
    alignToDword(t);
    putDword(t, style | WS_CHILD | WS_VISIBLE);
    putDword(t, exStyle);
    putWord(t, (WORD)x);
    putWord(t, (WORD)y);
    putWord(t, (WORD)cx);
    putWord(t, (WORD)cy);
    putWord(t, id);
}

static void endItem(DialogTemplate *t, const char *text)
{
    putText(t, text);
    putWord(t, 0);  // no creation data
    t->words[itemCountWord]++;
}

void addDialogItem(DialogTemplate *t, TemplateClass atom, DWORD style, DWORD exStyle, short x, short y, short cx,
                   short cy, WORD id, const char *text)
{
    beginItem(t, style, exStyle, x, y, cx, cy, id);
    putWord(t, 0xFFFF);  // a predefined class follows
    putWord(t, atom);
    endItem(t, text);
}

void addDialogItem(DialogTemplate *t, const char *className, DWORD style, DWORD exStyle, short x, short y, short cx,
                   short cy, WORD id, const char *text)
{
    beginItem(t, style, exStyle, x, y, cx, cy, id);
    putText(t, className);
    endItem(t, text);
}
