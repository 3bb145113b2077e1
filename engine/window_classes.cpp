// The class lists and class tests every hook, step and painter uses.
#include "engine/window_classes.h"

#include <string.h>

const char *const listViewClasses[] = {"ListViewWndClass", listViewClass, NULL};
const char *const progressBarClasses[] = {"ProgressBarWndClass", "msctls_progress32", NULL};
const char *const toolbarClasses[] = {"ToolbarWindow32", "ToolbarWndClass", NULL};
const char *const convertedButtonClasses[] = {buttonClass, "TButton", "ThunderRT5CommandButton",
                                              "ThunderRTCommandButton", "ThunderCommandButton", NULL};
const char *const passedButtonClasses[] = {"ThunderRT5CommandButton", "ThunderCommandButton", buttonClass, NULL};

int classIsOneOf(const char *className, const char *const *classes)
{
    for (int i = 0; classes[i]; i++)
        if (strcmp(className, classes[i]) == 0) return 1;
    return 0;
}

int windowClassIs(HWND window, const char *literal)
{
    char name[classNameSize];
    if (!GetClassNameA(window, name, classNameSize)) return 0;
    return strcmp(name, literal) == 0;
}

int windowClassIndex(HWND window, const char *const *literals)
{
    char name[classNameSize];
    if (!GetClassNameA(window, name, classNameSize)) return -1;
    for (int i = 0; literals[i]; i++)
        if (strcmp(name, literals[i]) == 0) return i;
    return -1;
}
