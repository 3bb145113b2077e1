// The dialog templates of the settings window's pages, built in memory from
// the settings table: each page's groups as group boxes in two columns, a
// row per setting with its label (carrying a mnemonic), the preview's frame
// on the captions page, the exclusion list's controls on the windows page.
#pragma once

#include "tools/gallery/dialog_template.h"
#include "tools/settings/settings_edit.h"

// Page size in dialog units.
enum { pageWidth = 440, pageHeight = 252 };

// What every page shares: its margin and the height of a line of text, in
// dialog units, and the id of the labels no code addresses.
enum { pageMargin = 7, pageTextHeight = 9 };
enum : WORD { labelId = 0xFFFF };

// Starts a page's template: a control page of pageWidth x pageHeight in the
// sheet's font.
void beginPageTemplate(DialogTemplate *t, const char *title);

// Where the preview windows go on the captions page, in dialog units: below
// the groups, so its top is known once that page's template is built.
enum { previewLeft = 14, previewWidth = pageWidth - 28 };
extern short previewTop;

// What a page's help line says before a setting has the focus.
extern const char helpLineHint[];

void buildPageTemplate(SettingsPage page, DialogTemplate *t);
