// List views, the taskbar's tab control and toolbars restyled from outside
// once they have handled a message.
#include "hooks/after_hook_stages.h"

void addListViewExtendedStyles(HWND window) { (void)window; }
void makeListViewTextTransparent(HWND window) { (void)window; }
void restyleTaskbarTabs(HWND window, UINT message) { (void)window; (void)message; }
void restyleToolbar(HWND window, UINT message) { (void)window; (void)message; }
