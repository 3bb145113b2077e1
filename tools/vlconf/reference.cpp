// The settings reference in Markdown, built from the engine's table of
// positions so that the document cannot drift from the code; docs/settings.md
// is this text, and a test holds the two equal.
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
    "arguments, names or values, 3 a file that cannot be read or written.\n";

static const char introduction[] =
    "# varnel settings reference\n"
    "\n"
    "<!-- Written by \"vlconf reference\" from the engine's table of positions; change\n"
    "     the table or the tool and regenerate, rather than editing this file. -->\n"
    "\n"
    "The engine reads its settings once in every program it is loaded into, when it\n"
    "loads, and never writes them. A change takes effect in programs started\n"
    "afterwards. All its files live in the folder `varnels` under the Windows\n"
    "directory (`%WINDIR%\\varnels`).\n"
    "\n"
    "## The settings file vl.ini\n"
    "\n"
    "The engine reads `vl.ini` from the program's current folder when that folder\n"
    "holds one, and otherwise `%WINDIR%\\varnels\\vl.ini`. When neither exists, the\n"
    "engine stays out of the program.\n"
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
    "- Values after position 40 are ignored, and a Ctrl-Z character ends the file.\n"
    "- Two positions override others: `macButtons` (27) on forces\n"
    "  `solidInactiveCaption` (15) off, and `centerCaptionText` (18) on forces\n"
    "  `splitTitleFonts` (38) off. With `animateMainWindows` (13) and `animateMenus`\n"
    "  (14) both off, the show animations are off altogether.\n"
    "\n"
    "`vlconf check` reports each of these with its line number.\n"
    "\n";

static std::string cell(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '|') out += "\\";
        out += c;
    }
    return out;
}

static std::string positionsTable()
{
    std::string text = "## Positions\n"
                       "\n"
                       "\"File value\" is what `vlconf new` writes to get the default.\n"
                       "\n"
                       "| Pos | Name | Kind | Default | File value | What it does |\n"
                       "|---:|---|---|---|---:|---|\n";
    for (const SettingPosition &p : settingPositions) {
        bool ignored = p.kind == ignoredValue;
        text += "| " + std::to_string(p.position) + " | " + (p.name ? "`" + std::string(p.name) + "`" : "(none)") +
                " | " + kindText(p.kind) + " | " + (ignored ? "-" : engineValueText(p, p.defaultValue)) + " | " +
                std::to_string(settingFileValue(p, p.defaultValue)) + " | " + cell(p.description) + " |\n";
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

static const char settingsWindowSection[] =
    "## The settings window\n"
    "\n"
    "`vlsettings.exe` is the same settings in a window, for people who would rather\n"
    "not count positions: a property sheet with four pages, Captions, Controls,\n"
    "Backgrounds and Windows, that between them show every position of `vl.ini` by\n"
    "its name, with the explanation of the table above. Flags are check boxes,\n"
    "bytes are numbers typed in, and the two gradient end colours are `#RRGGBB`\n"
    "values with a Choose... button that opens the system's colour dialog. A\n"
    "setting that another one overrides (`solidInactiveCaption` under\n"
    "`macButtons`, `splitTitleFonts` under `centerCaptionText`) is greyed out\n"
    "while it is overridden.\n"
    "\n"
    "The Captions page shows an active and an inactive caption painted by the\n"
    "engine's own caption painters with the values on the pages, before anything\n"
    "is written: every click and every digit typed shows at once. The Windows page\n"
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
    "settings, Alt with the underlined letter goes to one, Space switches a flag,\n"
    "Ctrl+Tab and Ctrl+Shift+Tab turn the pages, Alt+A applies, Enter applies and\n"
    "closes, Esc closes without writing.\n"
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
    return std::string(introduction) + positionsTable() + markerFiles + settingsWindowSection + toolSection + usageText +
           "```\n";
}
