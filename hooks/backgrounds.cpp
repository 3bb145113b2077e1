// Folder and dialog backgrounds: skin bitmaps tiled behind windows once they
// have erased their own background.
#include <string.h>

#include "hooks/after_hook_stages.h"

// The classes whose erased background gets the tiles, in test order.
static const char *const backgroundClasses[] = {
    "ScanDskWDlgClass", "#32770", "SysTabControl32", "ToolbarWindow32", "AfxControlBar40", "Shell_TrayWnd",
    "ToolbarWindow", "AfxControlBar", "AfxControlBar42", "Afx:400000:b:14c6:10:0", "MDIClient",
};

int isBackgroundClass(const char *className)
{
    for (const char *c : backgroundClasses)
        if (strcmp(className, c) == 0) return 1;
    return 0;
}

BackgroundOutcome paintFolderBackground(HWND window, UINT message, WPARAM wParam, const char *className)
{
    (void)window; (void)message; (void)wParam; (void)className;
    return backgroundNotHandled;
}

BackgroundOutcome tileControlBackground(HWND window, WPARAM wParam, const char *className)
{
    (void)window; (void)wParam; (void)className;
    return backgroundReturn999;
}
