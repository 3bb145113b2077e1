// The dialog templates of the settings window's pages, built in memory from
// the settings table: a row per setting with its name (carrying a mnemonic)
// and its explanation, the preview's frame on the captions page, the
// exclusion list's controls on the windows page.
#pragma once

#include "tools/gallery/dialog_template.h"
#include "tools/settings/settings_edit.h"

// Page size in dialog units.
enum { pageWidth = 440, pageHeight = 252 };

// Where the preview windows go on the captions page, in dialog units.
enum { previewLeft = 14, previewTop = 178, previewWidth = pageWidth - 28 };

void buildPageTemplate(SettingsPage page, DialogTemplate *t);
