// vlload's commands come from one table: every option of it is listed by a
// real "vlload /?" with its text and accepted by a real vlload, the usage
// lists no option the table lacks, and the tray menu shows the table's
// entries, each id leading back to its row. Starts real loaders: runs alone.
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "engine/engine_files.h"
#include "engine/loader_contract.h"
#include "support/child_process.h"
#include "support/loader_runs.h"
#include "support/settings_file.h"
#include "support/test_folder.h"
#include "tools/loader/loader_command_table.h"

namespace {

const DWORD startTimeout = 20000;

std::string loaderPath() { return buildFile("vlload.exe"); }

TestFolder &scratch()
{
    static TestFolder folder("command-table");
    return folder;
}

ChildResult runLoader(const std::string &arguments)
{
    static int run;
    const std::string output = scratch().file("\\run" + std::to_string(++run) + ".txt");
    return runChild(quoted(loaderPath()) + (arguments.empty() ? "" : " " + arguments), output);
}

// The row's options one by one: "?|help|h" is "?", "help", "h".
std::vector<std::string> optionsOf(const LoaderCommand &command)
{
    std::vector<std::string> options;
    std::stringstream all(command.options);
    std::string option;
    while (std::getline(all, option, '|')) options.push_back(option);
    if (options.empty()) options.push_back("");
    return options;
}

std::string firstUsageLine(const LoaderCommand &command)
{
    char text[512];
    snprintf(text, sizeof text, command.usage, "varnel.dll");
    const std::string usage = text;
    return usage.substr(0, usage.find('\n'));
}

std::string menuString(HMENU menu, int i)
{
    char text[128] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    return text;
}

char mnemonicOf(const std::string &text)
{
    const size_t at = text.find('&');
    return at == std::string::npos || at + 1 >= text.size() ? 0 : (char)tolower((unsigned char)text[at + 1]);
}

// The engine's pause marker, set or taken away for a case and put back as
// it was.
class PauseMarker {
public:
    PauseMarker() : path_(windowsDirectory() + disableMarkerSuffix), had_(readFileContent(path_, &previous_)) {}
    ~PauseMarker()
    {
        if (had_)
            writeFileContent(path_, previous_);
        else
            DeleteFileA(path_.c_str());
    }
    void set(bool paused)
    {
        if (paused)
            writeFileContent(path_, "1\n");
        else
            DeleteFileA(path_.c_str());
    }

private:
    std::string path_;
    std::string previous_;
    bool had_;
};

}  // namespace

class CommandTable : public NoLoaderRunning {
protected:
    CommandTable() : NoLoaderRunning(prefixDefaultSettings) {}
};

// Each row with an option has its line in "vlload /?", the option then the
// first line of its text; every option line there belongs to a row.
TEST_F(CommandTable, UsageListsEveryOptionOfTheTableAndNoOther)
{
    ChildResult usage = runLoader("/?");
    ASSERT_EQ((DWORD)exitOk, usage.exitCode) << usage.output;
    int rowsWithOptions = 0;
    for (int i = 0; i < loaderCommandCount; i++) {
        const LoaderCommand &command = loaderCommands[i];
        if (!command.options) continue;
        rowsWithOptions++;
        const std::string option = optionsOf(command)[0];
        const std::string name = option.empty() ? "vlload " : "vlload /" + option + " ";
        const size_t at = usage.output.find("  " + name);
        ASSERT_NE(std::string::npos, at) << name << "\n" << usage.output;
        const std::string line = usage.output.substr(at, usage.output.find('\n', at) - at);
        EXPECT_NE(std::string::npos, line.find(firstUsageLine(command))) << line;
    }
    EXPECT_LE(10, rowsWithOptions);

    std::stringstream lines(usage.output);
    std::string line;
    int listed = 0;
    while (std::getline(lines, line)) {
        if (line.compare(0, 10, "  vlload /") != 0) continue;
        const std::string option = "/" + line.substr(10, line.find(' ', 10) - 10);
        listed++;
        EXPECT_TRUE(commandOfOption(option.c_str())) << option << " is in the usage but not in the table";
    }
    EXPECT_EQ(rowsWithOptions - 1, listed) << "one line per row with an option, vlload alone aside";
}

// With a loader running, every option of the table, each spelling, is taken
// by a real vlload: none is refused as unknown, and the ones that start a
// loader find the running one. Stop comes last and ends it.
TEST_F(CommandTable, ARunningLoaderTakesEveryOptionOfTheTable)
{
    PauseMarker marker;
    marker.set(false);
    ChildProcess loader;
    ASSERT_TRUE(startChild(quoted(loaderPath()) + " /notray", scratch().file("\\loader.txt"), &loader));
    ASSERT_TRUE(waitForOutput(loader, "is hooked into", startTimeout)) << childOutput(loader);
    HWND loaderWindow = FindWindowA(loaderWindowClassName, NULL);
    ASSERT_TRUE(loaderWindow);

    const LoaderCommand *stop = commandOfOption("/stop");
    ASSERT_TRUE(stop);
    for (int i = 0; i < loaderCommandCount; i++) {
        const LoaderCommand &command = loaderCommands[i];
        if (!command.options || &command == stop) continue;
        for (const std::string &option : optionsOf(command)) {
            for (const char *prefix : {"/", "-"}) {
                const std::string argument = option.empty() ? "" : prefix + option;
                if (option.empty() && prefix[0] == '-') continue;
                SCOPED_TRACE("vlload " + argument);
                EXPECT_EQ(&command, commandOfOption(option.empty() ? NULL : argument.c_str()));
                ChildResult r = runLoader(argument);
                EXPECT_NE((DWORD)exitUsage, r.exitCode) << r.output;
                EXPECT_EQ(std::string::npos, r.output.find("unknown option '")) << r.output;
                if (command.starts) EXPECT_EQ((DWORD)exitAlreadyRunning, r.exitCode) << r.output;
                // The menu shown at the pointer closes with Esc.
                if (command.handler && commandHasOption(command, "menu")) {
                    Sleep(300);
                    PostMessageA(loaderWindow, WM_KEYDOWN, VK_ESCAPE, 0);
                    PostMessageA(loaderWindow, WM_CANCELMODE, 0, 0);
                }
                DWORD_PTR answer = 0;
                EXPECT_TRUE(SendMessageTimeoutA(loaderWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer))
                    << "the loader stopped answering";
            }
        }
    }
    marker.set(false);
    EXPECT_EQ(nullptr, commandOfOption("/bogus"));
    EXPECT_EQ(nullptr, commandOfOption("/"));
    EXPECT_EQ(nullptr, commandOfOption("pause")) << "an option starts with / or -";

    ChildResult stopped = runLoader("-STOP");
    EXPECT_EQ((DWORD)exitOk, stopped.exitCode) << stopped.output;
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 5000)) << childOutput(loader);
    endChild(&loader);
}

// The menu built from the table: the entries shown now, in table order,
// each id leading back to its row; Pause and Resume share one place and
// follow the marker; the default entry is the one double-clicks run; no two
// entries share a mnemonic.
TEST_F(CommandTable, MenuShowsTheTablesEntriesAndTheirIdsLeadBack)
{
    PauseMarker marker;
    for (int paused = 0; paused < 2; paused++) {
        SCOPED_TRACE(paused ? "paused" : "running");
        marker.set(paused != 0);
        HMENU menu = CreatePopupMenu();
        appendCommandMenu(menu);
        const int count = GetMenuItemCount(menu);
        int position = 0, rowsInMenu = 0;
        std::set<char> mnemonics;
        for (int i = 0; i < loaderCommandCount; i++) {
            const LoaderCommand &command = loaderCommands[i];
            if (!command.menuText && !command.appendEntry) continue;
            const bool shown = !command.shownNow || command.shownNow();
            if (command.menuId == trayPauseOrResume)
                EXPECT_EQ(shown, commandHasOption(command, paused ? "resume" : "pause") != 0) << command.menuText;
            if (!shown) continue;
            rowsInMenu++;
            if (command.placement & menuLineBefore) {
                ASSERT_LT(position, count);
                EXPECT_TRUE(GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR);
                position++;
            }
            ASSERT_LT(position, count);
            const std::string text = menuString(menu, position);
            if (command.menuText) {
                EXPECT_EQ(command.menuText, text);
                EXPECT_EQ((UINT)command.menuId, GetMenuItemID(menu, position));
            } else {
                EXPECT_TRUE(GetSubMenu(menu, position)) << text << ": a row that appends its own entry, a submenu";
            }
            EXPECT_TRUE(mnemonics.insert(mnemonicOf(text)).second) << text << ": a mnemonic taken twice";
            EXPECT_NE(0, mnemonicOf(text)) << text;
            for (WORD id = command.menuId; id < command.menuId + command.menuIdCount; id++)
                EXPECT_EQ(&command, commandOfMenuId(id)) << id;
            if (command.placement & menuDefault)
                EXPECT_EQ((UINT)command.menuId, GetMenuDefaultItem(menu, FALSE, 0));
            position++;
        }
        EXPECT_EQ(count, position) << "entries the table does not have";
        EXPECT_LE(6, rowsInMenu);
        EXPECT_EQ(traySettings, (int)GetMenuDefaultItem(menu, FALSE, 0)) << "a double-click runs Settings";
        EXPECT_EQ(nullptr, commandOfMenuId(traySettings - 1));
        DestroyMenu(menu);
    }
}

// The real loader's menu, opened with "vlload /menu", carries the About
// entry under its mnemonic: the key brings the About box up.
TEST_F(CommandTable, RunningLoadersMenuAnswersTheTablesMnemonic)
{
    const LoaderCommand *about = commandOfMenuId(trayAbout);
    ASSERT_TRUE(about && about->menuText);
    const char key = mnemonicOf(about->menuText);
    ChildProcess loader;
    ASSERT_TRUE(startChild(quoted(loaderPath()) + " /notray", scratch().file("\\menu-loader.txt"), &loader));
    ASSERT_TRUE(waitForOutput(loader, "is hooked into", startTimeout)) << childOutput(loader);
    HWND loaderWindow = FindWindowA(loaderWindowClassName, NULL);
    ASSERT_TRUE(loaderWindow);
    ChildResult shown = runLoader("/menu");
    EXPECT_EQ((DWORD)exitOk, shown.exitCode) << shown.output;
    HWND popup = NULL;
    for (int i = 0; i < 100 && !popup; i++) {
        HWND found = FindWindowA("#32768", NULL);
        DWORD owner = 0;
        if (found) GetWindowThreadProcessId(found, &owner);
        if (found && owner == loader.id && IsWindowVisible(found)) popup = found;
        if (!popup) Sleep(50);
    }
    EXPECT_TRUE(popup) << "no menu within 5 s";
    PostMessageA(loaderWindow, WM_CHAR, (WPARAM)(BYTE)key, 0);
    HWND box = waitForDialogOf(loader.id, 10000);
    EXPECT_TRUE(box) << "no About box after '" << key << "'";
    if (box) {
        char title[64] = "";
        GetWindowTextA(box, title, sizeof title);
        EXPECT_STREQ("About varnel", title);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    ChildResult stopped = runLoader("/stop");
    EXPECT_EQ((DWORD)exitOk, stopped.exitCode) << stopped.output;
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 5000)) << childOutput(loader);
    endChild(&loader);
}
