// The Schemes submenu of the tray. Applying is a few small file writes and
// one announcement, quick enough for the loader's own thread.
#include "tray_schemes.h"

#include <string>
#include <vector>

#include "tools/schemes/scheme_store.h"
#include "tools/vlconf/vlconf.h"

// The names the menu last showed, so that a command applies the scheme the
// user saw even if the folder of schemes changed meanwhile.
static std::vector<std::string> shownNames;

static std::vector<std::string> namesOf(const std::vector<SchemeEntry> &list)
{
    std::vector<std::string> names;
    for (const SchemeEntry &entry : list) names.push_back(entry.name);
    return names;
}

void appendSchemesMenu(HMENU menu)
{
    HMENU schemes = CreatePopupMenu();
    if (!schemes) return;
    const std::vector<SchemeEntry> list = listSchemes();
    shownNames = namesOf(list);
    const std::string current = schemeMatchingSettings(engineSettingsPath());
    for (size_t i = 0; i < list.size() && i < traySchemeLimit; i++) {
        const SchemeEntry &entry = list[i];
        // The user's own after a line; one that cannot be read shows, greyed.
        if (i > 0 && !entry.builtin && list[i - 1].builtin) AppendMenuA(schemes, MF_SEPARATOR, 0, NULL);
        UINT flags = MF_STRING;
        if (!entry.readable) flags |= MF_GRAYED;
        if (!current.empty() && entry.name == current) flags |= MF_CHECKED;
        AppendMenuA(schemes, flags, traySchemeFirst + i, entry.name.c_str());
    }
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)schemes, "Sche&mes");
}

int applySchemeCommand(WPARAM command, char *error, int size)
{
    // A command sent without the menu (another program, a test) names the
    // scheme at that place now; built-ins never move.
    const std::vector<std::string> names = shownNames.empty() ? namesOf(listSchemes()) : shownNames;
    const size_t index = LOWORD(command) - traySchemeFirst;
    std::string problem;
    if (index >= names.size()) {
        problem = "there is no such scheme";
    } else {
        Scheme scheme;
        bool builtin;
        if (loadScheme(names[index], &scheme, &builtin, &problem) &&
            applyScheme(scheme, engineSettingsPath(), &problem))
            return 1;
    }
    lstrcpynA(error, problem.c_str(), size);
    return 0;
}
