// The settings reference in Markdown, built from the engine's table of
// positions so that the document cannot drift from the code; docs/settings.md
// is this text, and a test holds the two equal. The same table for scripts,
// as tab-separated lines.
#include "engine/program_exclusion.h"
#include "tools/vlconf/vlconf.h"

const char usageText[] =
    "usage: vlconf COMMAND [ARGUMENTS]\n"
    "\n"
    "  show [FILE]                every position: the file's value, what the engine\n"
    "                             takes from it, and what it does\n"
    "  set NAME=VALUE ... [FILE]  change settings by name\n"
    "  new [FILE] [--force]       write a vl.ini with the engine's defaults\n"
    "  check [FILE]               report what in the file the engine reads\n"
    "                             differently than it looks (exit 1 if anything)\n"
    "  export FILE [OUT]          vl.ini to the named form (to OUT, else printed)\n"
    "  import FILE [OUT]          the named form to vl.ini (to OUT, else printed)\n"
    "  exclude PROGRAM [LIST]     keep the engine out of a program (e.g. game.exe)\n"
    "  include PROGRAM [LIST]     let the engine into that program again\n"
    "  reference [OUT]            this tool's settings reference in Markdown\n"
    "  reference --tsv [OUT]      the settings table for scripts: a line per\n"
    "                             position, its fields separated by tabs (below)\n"
    "  import FILE --assignments  the named form's settings as NAME=VALUE lines,\n"
    "                             as set takes them (nothing is written)\n"
    "  scheme list | show NAME | apply NAME | save NAME [--replace] | delete NAME\n"
    "         | export NAME FILE | import FILE [--replace]\n"
    "                             named looks: the built-in ones and your own\n"
    "                             (docs/schemes.md; vlconf scheme help)\n"
    "  --version                  the version of varnel this vlconf belongs to\n"
    "\n"
    "Without FILE, vlconf uses the vl.ini the engine reads: vl.ini in the current\n"
    "folder when there is one, else %WINDIR%\\varnels\\vl.ini (which new writes).\n"
    "Without LIST, the engine's %WINDIR%\\varnels\\vlexcl.ini.\n"
    "After writing a file (set, new, import to a file, exclude, include), vlconf\n"
    "tells the programs running with the engine, which take the change up again.\n"
    "The same settings in a window, with a preview of the captions: vlsettings.exe.\n"
    "Values: flags on or off (also 1/0, true/false, yes/no); bytes 0 to 255;\n"
    "activeGradientEnd and inactiveGradientEnd #RRGGBB; positionN the raw number\n"
    "for position N.\n"
    "Exit codes: 0 done (check: nothing found), 1 check found something, 2 bad\n"
    "arguments, names or values, 3 a file that cannot be read or written.\n"
    "The fields of reference --tsv, \"-\" where one has nothing: 1 position,\n"
    "2 name, 3 kind (flag-1-off, flag-1-on, byte, ignored), 4 default as the\n"
    "engine takes it (on, off, a number), 5 the file value that gives the\n"
    "default, 6 the settings window's page, 7 the group on that page, 8 the\n"
    "colour the position is a third of (red, green, blue in position order),\n"
    "9 the flag whose being on forces it off, 10 when running programs follow a\n"
    "change (at-once; on-at-once: switched off, windows already changed keep\n"
    "it; never), 11 the label the settings window shows, 12 what it does.\n";

static const char introduction[] =
    "# varnel settings reference\n"
    "\n"
    "<!-- Written by \"vlconf reference\" from the engine's table of positions; change\n"
    "     the table or the tool and regenerate, rather than editing this file. -->\n"
    "\n"
    "The engine reads its settings in every program it is loaded into, when it\n"
    "loads, and never writes them. A change written by vlconf, by the settings\n"
    "window or by the loader's Pause and Resume reaches the programs already running\n"
    "too (see \"Live changes\" below). All its files live in the folder `varnels`\n"
    "under the Windows directory (`%WINDIR%\\varnels`).\n"
    "\n"
    "## Live changes\n"
    "\n"
    "Each tool that writes what the engine reads (`vl.ini`, `vlexcl.ini`, the\n"
    "marker files) then bumps the settings generation, a counter in memory that\n"
    "every program with the engine shares, and broadcasts a message that wakes\n"
    "programs that are idle. Each program compares the counter on its next message,\n"
    "one read of memory, and when it moved, one of its threads reads the files\n"
    "again, makes the caption fonts, colours, gradient steps and skin bitmaps again,\n"
    "loads the plug-in if it is now wanted, and repaints its windows: within a\n"
    "second on an idle desktop. The fonts and bitmaps of the previous settings are\n"
    "deleted only at the following change, since another thread may be painting\n"
    "with them.\n"
    "\n"
    "- Turning a feature off stops it for new work. Windows already subclassed stay\n"
    "  so, converted buttons stay owner-drawn, and a window rolled up before\n"
    "  `rightClickRollUp` was switched off still unrolls with a right click.\n"
    "- `vldis.ini` holding 1 (`vlload /pause`, the tray menu's Pause) turns every\n"
    "  feature off in running programs (their captions are the system's on their\n"
    "  next repaint) and keeps programs that start meanwhile out altogether; taking\n"
    "  it away (`vlload /resume`) brings the engine back in both, a program that\n"
    "  started while paused being set up on its next message.\n"
    "- A program newly on the exclusion list turns every feature off at once and\n"
    "  keeps the engine out from its next start.\n"
    "- A change of the system's caption colours or caption font (Display\n"
    "  properties: WM_SYSCOLORCHANGE, WM_SETTINGCHANGE) makes the colours, steps and\n"
    "  fonts again from the same settings.\n"
    "- A `vl.ini` in a program's current folder is read first, as at start; a\n"
    "  vlconf write anywhere outside an engine folder is announced to the programs\n"
    "  of the system's engine folder for that reason.\n"
    "\n"
    "## The settings file vl.ini\n"
    "\n"
    "The engine reads `vl.ini` from the program's current folder when that folder\n"
    "holds one, and otherwise `%WINDIR%\\varnels\\vl.ini`. When neither exists, the\n"
    "engine stays out of the program. A current folder on a network share, a\n"
    "removable or a CD drive is never read. Every file the engine reads here\n"
    "(`vl.ini`, the markers and `vlexcl.ini`) must be an ordinary file of at most\n"
    "8192 bytes: a larger one, or a folder of that name, counts as missing.\n"
    "\n"
    "The file holds 40 decimal integers separated by spaces or line breaks, usually\n"
    "one a line. There are no names and no comments: a value's meaning is its\n"
    "position. Two rules hold for every position:\n"
    "\n"
    "1. **A 1 switches a flag off.** At a flag position the value 1 turns the\n"
    "   feature off and any other value turns it on. Position 34\n"
    "   (`skipToolWindowCaptions`) is the one exception: there 1 turns it on and any\n"
    "   other value off.\n"
    "2. **A byte keeps its low 8 bits.** A byte position stores the value modulo\n"
    "   256: 300 gives 44, and -1 gives 255.\n"
    "\n"
    "The file is read as it stands, without complaint, which can surprise:\n"
    "\n"
    "- With fewer than 40 values, the missing positions all take the last value\n"
    "  read; an empty file gives 0 everywhere (so most features on).\n"
    "- A word that is not a number stops the reading: the position it stands at and\n"
    "  every later one take the last value read, and nothing after the word counts.\n"
    "- Values after position 40 are ignored, and a Ctrl-Z character ends the file.\n";

static const char afterForcings[] =
    "\n"
    "`vlconf check` reports each of these with its line number.\n"
    "\n";

// Words filled into lines of at most 80 characters, the first starting with
// first and the others with rest.
static std::string filled(const std::string &text, const std::string &first, const std::string &rest)
{
    std::string out, line = first;
    bool bare = true;  // no word on the line yet
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        at = end + 1;
        if (!bare && line.size() + 1 + word.size() > 80) {
            out += line + "\n";
            line = rest;
            bare = true;
        }
        line += (bare ? "" : " ") + word;
        bare = false;
    }
    return out + line + "\n";
}

// The overrides, from the table's forcedOffBy.
static std::string forcingsItem()
{
    std::string text;
    int count = 0;
    for (const SettingPosition &p : settingPositions) count += p.forcedOffBy != 0;
    int said = 0;
    for (const SettingPosition &p : settingPositions) {
        if (!p.forcedOffBy) continue;
        const SettingPosition &by = settingPositions[p.forcedOffBy - 1];
        text += said == 0 ? "" : said + 1 == count ? ", and " : ", ";
        text += "`" + std::string(by.name) + "` (" + std::to_string(by.position) + ") on forces `" + p.name + "` (" +
                std::to_string(p.position) + ") off (" + p.forcedOffWhy + ")";
        said++;
    }
    return filled("Positions that override others: " + text +
                      ". With `animateMainWindows` (13) and `animateMenus` (14) both off, the show animations are "
                      "off altogether.",
                  "- ", "  ");
}

static std::string positionsTable()
{
    std::string text = "## Positions\n"
                       "\n"
                       "\"File value\" is what `vlconf new` writes to get the default.\n"
                       "\n"
                       "\"Label\" is what the settings window calls it; \"Live\" says when programs\n"
                       "already running follow a change (see Live changes). `vlconf reference --tsv`\n"
                       "gives the same facts for scripts, with the window's page and group of each.\n"
                       "\n"
                       "| Pos | Name | Label | Kind | Default | File value | Live | What it does |\n"
                       "|---:|---|---|---|---|---:|---|---|\n";
    for (const SettingPosition &p : settingPositions) {
        bool ignored = p.kind == ignoredValue;
        text += "| " + std::to_string(p.position) + " | " + (p.name ? "`" + std::string(p.name) + "`" : "(none)") +
                " | " + markedBefore(p.label, '|', '\\') + " | " + kindText(p.kind) + " | " +
                (ignored ? "-" : engineValueText(p, p.defaultValue)) + " | " +
                std::to_string(settingFileValue(p, p.defaultValue)) + " | " + liveText(p.live) + " | " +
                markedBefore(p.description, '|', '\\') + " |\n";
    }
    text += "\nThe gradient end colours are each three byte positions that vlconf, the named\n"
            "form and the settings window take as one `#RRGGBB` value:\n\n";
    for (int c = 0; c < settingColourCount; c++) {
        int positions[3];
        settingColourPositions((SettingColour)c, positions);
        text += filled("`" + std::string(settingColours[c].name) + "` (" + std::to_string(positions[0]) + " to " +
                           std::to_string(positions[2]) + "), \"" + settingColours[c].label +
                           "\": " + settingColours[c].help,
                       "- ", "  ");
    }
    return text + "\n";
}

static const char markerFiles[] =
    "## Marker files\n"
    "\n"
    "Beside `vl.ini`, the engine looks for four small files in `%WINDIR%\\varnels`:\n"
    "\n"
    "| File | Content | Effect |\n"
    "|---|---|---|\n"
    "| `vldis.ini` | one number | 1 switches the engine off in every program: it prepares nothing and passes every message on (any other number, or an empty file, leaves it on) |\n"
    "| `vlplug.ini` | anything; only its presence counts | the caption plug-in `vlplug.dll` in the same folder is loaded (without this file it is not) |\n"
    "| `vlprog.ini` | anything; only its presence counts | progress bars are painted with `vlprog.bmp` |\n"
    "| `vlexcl.ini` | program file names, one a line | the engine stays out of the programs listed (below) |\n"
    "\n"
    "## Keeping the engine out of a program\n"
    "\n"
    "`vlexcl.ini` lists programs by the file name of their executable, without its\n"
    "folder, one a line, such as `game.exe`. Case does not matter, spaces around a\n"
    "name are trimmed, and blank lines and lines starting with `;` are ignored. In a\n"
    "listed program the engine behaves as if `vldis.ini` held 1: it prepares nothing,\n"
    "changes no window and passes every message on. Like the settings, the list is\n"
    "read when a program starts.\n"
    "\n"
    "    ; programs that draw their own captions\n"
    "    game.exe\n"
    "    Editor.EXE\n"
    "\n"
    "`vlconf exclude game.exe` adds a name and `vlconf include game.exe` removes it,\n"
    "keeping the comments and other lines of the list.\n"
    "\n";

static const char settingsWindowStart[] =
    "## The settings window\n"
    "\n"
    "`vlsettings.exe` is the same settings in a window, for people who would rather\n"
    "not count positions: a property sheet that opens on its Schemes page (a\n"
    "whole look chosen, saved, renamed or deleted by name, with its title bars\n"
    "previewed: [schemes.md](schemes.md)), followed by four pages that between\n"
    "them show every position of `vl.ini` by its label (the table above), in\n"
    "groups:\n"
    "\n";

static std::string pagesList()
{
    std::string text;
    for (int page = 0; page < settingsPageCount; page++) {
        std::string groups;
        for (const SettingGroupEntry &g : settingGroups) {
            if (g.page != page) continue;
            groups += (groups.empty() ? "" : ", ") + std::string(g.title);
        }
        text += filled(std::string("**") + settingPageTitles[page] + "**: " + groups, "- ", "  ");
    }
    return text + "\n";
}

static const char settingsWindowRest[] =
    "Resting the mouse on a setting shows its name, as `vl.ini`'s named form and\n"
    "vlconf write it, and what it does; so does the line below the groups for the\n"
    "setting that has the focus. Flags are check boxes, bytes are numbers\n"
    "typed in, and the two gradient end colours are `#RRGGBB` values with a\n"
    "Choose... button that opens the system's colour dialog. A setting that\n"
    "another one overrides (above) is greyed out while it is overridden.\n"
    "\n"
    "The Captions page shows an active and an inactive caption painted by the\n"
    "engine's own caption painters with the values on the pages, before anything\n"
    "is written: every click and every digit typed shows at once, and so does a\n"
    "new caption colour or caption font chosen in the system's Display\n"
    "properties while the window is open. The Windows page\n"
    "holds the exclusion list: Add (or Enter) takes the program file name typed\n"
    "beside it, Remove (or the Delete key in the list) takes out the selected one.\n"
    "\n"
    "Apply, or OK, first checks every value typed; one out of range (a byte above\n"
    "255, a colour not written `#RRGGBB`) is named in a message, with the values it\n"
    "takes, and nothing is written. Otherwise `vl.ini` (40 values, one a line) and\n"
    "`vlexcl.ini`, where they changed, are written the way vlconf writes them:\n"
    "beside the old file, which they replace only once complete. Then the change is\n"
    "announced through the settings generation, a counter that every program\n"
    "running with the engine can see, as vlconf does after each write.\n"
    "\n"
    "Everything works from the keyboard: Tab and Shift+Tab move between the\n"
    "settings, down the left column of groups and then the right one, Alt with\n"
    "the underlined letter goes to one, Space switches a flag, Ctrl+Tab and\n"
    "Ctrl+Shift+Tab turn the pages, Alt+A applies, Enter applies and closes, Esc\n"
    "closes without writing.\n"
    "\n"
    "    vlsettings                     the vl.ini the engine reads, and its list\n"
    "    vlsettings mine.ini list.ini   another settings file and list\n"
    "\n"
    "Without a settings file the window starts from the engine's defaults, and\n"
    "Apply writes `%WINDIR%\\varnels\\vl.ini`, making the folder when needed.\n"
    "Apply writes every position as the value that gives what the engine takes\n"
    "from it (300 in a byte position as 44, a flag that another one overrides as\n"
    "off), so that `vlconf check` finds nothing to report. Opened without files\n"
    "while a settings window is open, it brings that window to the front.\n"
    "\n"
    "On the Schemes page, Apply scheme (Alt+H, or Space in the list) writes the\n"
    "selected scheme into the `vl.ini` the window edits and tells running\n"
    "programs at once; the other pages then show its values. Save current as\n"
    "(Alt+V) keeps the values the pages hold, typed but not yet applied, under\n"
    "the name typed beside it; Rename to and Delete take only your own schemes\n"
    "and are greyed for a built-in.\n"
    "\n";

static const char toolSection[] =
    "## vlconf\n"
    "\n"
    "`vlconf.exe` reads `vl.ini` exactly as the engine does and writes it whole: a\n"
    "changed file is written beside the old one and replaces it only once complete.\n"
    "On an error (an unknown name, a value out of range) it names the culprit,\n"
    "suggests the nearest names, and leaves the file untouched.\n"
    "\n"
    "    vlconf new\n"
    "    vlconf set gradientSteps=32 activeGradientEnd=#000080 macButtons=on\n"
    "    vlconf show\n"
    "    vlconf check\n"
    "    vlconf export C:\\windows\\varnels\\vl.ini mine.txt\n"
    "    vlconf import mine.txt C:\\windows\\varnels\\vl.ini\n"
    "\n"
    "`show` marks with `*` a value the engine takes differently from what the file\n"
    "says because another position forces it.\n"
    "\n"
    "The named form that `export` writes and `import` reads has one `name = value`\n"
    "a line, with `#` or `;` starting comment lines; names left out take their\n"
    "defaults. A value no name can express, such as 7 at a flag position, is kept as\n"
    "`positionN = 7`, so a file survives export and import unchanged.\n"
    "\n"
    "```\n";

std::string settingsReference()
{
    return std::string(introduction) + forcingsItem() + afterForcings + positionsTable() + markerFiles +
           settingsWindowStart + pagesList() + settingsWindowRest + toolSection + usageText + "```\n";
}

// Tabs and line breaks cannot stand inside a field; no text of the table
// has one, but a field must never split a line.
static std::string field(const std::string &text)
{
    if (text.empty()) return "-";
    std::string out = text;
    for (char &c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}

std::string settingsTable()
{
    std::string text;
    for (const SettingPosition &p : settingPositions) {
        const bool ignored = p.kind == ignoredValue;
        const SettingPage page = settingPage(p);
        const std::string fields[] = {
            std::to_string(p.position),
            p.name ? p.name : "",
            kindToken(p.kind),
            ignored ? "" : engineValueText(p, p.defaultValue),
            std::to_string(settingFileValue(p, p.defaultValue)),
            page == noPage ? "" : settingPageTitles[page],
            p.group == noGroup ? "" : settingGroups[p.group].title,
            p.colour == noColour ? "" : settingColours[p.colour].name,
            p.forcedOffBy ? settingPositions[p.forcedOffBy - 1].name : "",
            liveToken(p.live),
            p.label,
            p.description,
        };
        std::string line;
        for (const std::string &f : fields) line += (line.empty() ? "" : "\t") + field(f);
        text += line + "\n";
    }
    return text;
}
