// The settings window's first page: the schemes (built-ins, then the
// user's own), the selected one's description and its captions drawn by
// the engine's painters, and Apply scheme, Save current as, Rename and
// Delete. Applying writes the scheme into the vl.ini the window edits and
// the other pages then show its values.
#pragma once

#include <windows.h>

#include "tools/gallery/dialog_template.h"

// Control ids of the page.
enum {
    schemeListId = 1401,
    schemeDescriptionId = 1402,
    applySchemeId = 1403,
    saveSchemeId = 1404,
    renameSchemeId = 1405,
    deleteSchemeId = 1406,
    schemeNameId = 1407,
    schemeActivePreviewId = 1408,
    schemeInactivePreviewId = 1409,
};

extern const char schemesPageTitle[];

// The page's template and dialog procedure, for the sheet.
void buildSchemesPageTemplate(DialogTemplate *t);
INT_PTR CALLBACK schemesPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The page's window once the sheet has made it, else NULL.
extern HWND schemesPageWindow;
