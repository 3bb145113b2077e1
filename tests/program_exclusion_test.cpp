// The exclusion list "\varnels\vlexcl.ini": which lines name a program, and
// that attach in a listed program prepares nothing and leaves the hooks to
// chain, as with the disable marker.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "engine/engine_lifecycle.h"
#include "engine/engine_state.h"
#include "engine/program_exclusion.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_table.h"
#include "hooks/hooks.h"
#include "subclass/static_window_proc.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_folder.h"
#include "support/test_windows.h"

struct LineCase {
    const char *line;
    const char *program;
    int names;
};

TEST(ExclusionLine, MatchesWholeTrimmedNamesIgnoringCase)
{
    const LineCase cases[] = {
        {"game.exe", "game.exe", 1},
        {"GAME.EXE", "game.exe", 1},
        {"game.exe", "Game.Exe", 1},
        {"  game.exe  ", "game.exe", 1},
        {"\tgame.exe\r\n", "game.exe", 1},
        {"game.exe\n", "game.exe", 1},
        {"my game.exe", "my game.exe", 1},
        {"my  game.exe", "my game.exe", 0},
        {"game.ex", "game.exe", 0},
        {"game.exe", "game.ex", 0},
        {"game", "game.exe", 0},
        {"game.exe2", "game.exe", 0},
        {"agame.exe", "game.exe", 0},
        {"; game.exe", "game.exe", 0},
        {";game.exe", "game.exe", 0},
        {"  ;game.exe", "game.exe", 0},
        {"game.exe ; the game", "game.exe", 0},
        {"", "game.exe", 0},
        {"   \r\n", "game.exe", 0},
        {"", "", 0},
        {"C:\\games\\game.exe", "game.exe", 0},
    };
    for (const LineCase &c : cases)
        EXPECT_EQ(c.names, exclusionLineNames(c.line, c.program)) << "\"" << c.line << "\" vs " << c.program;
}

TEST(ExclusionLine, NameLongerThanAnyFileNameMatchesNothing)
{
    std::string longName(exclusionNameSize, 'a');
    longName += ".exe";
    EXPECT_EQ(0, exclusionLineNames(longName.c_str(), longName.c_str()));
}

TEST(ProgramFileName, TakesWhatFollowsTheFolder)
{
    EXPECT_STREQ("game.exe", programFileName("C:\\Games\\Deep\\game.exe"));
    EXPECT_STREQ("b.exe", programFileName("Z:/work/a/b.exe"));
    EXPECT_STREQ("game.exe", programFileName("game.exe"));
    EXPECT_STREQ("game.exe", programFileName("C:game.exe"));
    EXPECT_STREQ("", programFileName("C:\\dir\\"));
}

static int listNames(const std::string &text, const char *program)
{
    TestFolder folder("list");
    folder.write("\\vlexcl.ini", text);
    FILE *f = fopen(folder.file("\\vlexcl.ini").c_str(), "r");
    EXPECT_TRUE(f != NULL);
    if (!f) return -1;
    int names = exclusionListNames(f, program);
    fclose(f);
    // The engine reads the list whole first and must find the same.
    EXPECT_EQ(names, exclusionTextNames(text.data(), (int)text.size(), program)) << "read whole";
    return names;
}

struct ListCase {
    const char *what;
    std::string text;
    const char *program;
    int names;
};

TEST(ExclusionList, CommentsBlankLinesPrefixesAndLineBreaks)
{
    const std::string overlong = std::string(400, 'x') + "game.exe\r\n";
    const ListCase cases[] = {
        {"listed among others", "; left alone\r\n\r\nwinword.exe\r\n  Game.EXE  \r\ncalc.exe\r\n", "game.exe", 1},
        {"only in a comment", "; game.exe\r\n;game.exe\r\n", "game.exe", 0},
        {"a longer name that starts with it", "gameplus.exe\ngame.exe.bak\n", "game.exe", 0},
        {"a shorter name it starts with", "game.ex\ngame\n", "game.exe", 0},
        {"last line without a line break", "calc.exe\ngame.exe", "game.exe", 1},
        {"Unix line breaks", "calc.exe\ngame.exe\n", "game.exe", 1},
        {"empty list", "", "game.exe", 0},
        {"only blank lines", "\n\n   \n\t\n", "game.exe", 0},
        {"byte-order mark before the first name", "\xEF\xBB\xBFgame.exe\r\n", "game.exe", 1},
        {"an overlong line's tail is not a name", overlong, "game.exe", 0},
        {"a name after an overlong line", overlong + "game.exe\r\n", "game.exe", 1},
    };
    for (const ListCase &c : cases) EXPECT_EQ(c.names, listNames(c.text, c.program)) << c.what;
}

static std::string ownProgramName()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    return programFileName(path);
}

static std::string upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return text;
}

TEST(ExcludedAttach, ListedProgramPreparesNothing)
{
    TestFolder folder("listed");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    folder.write("\\varnels\\vlexcl.ini", "; keep the engine out of the tests\r\n\r\n   " + upper(ownProgramName()) + "  \r\n");
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_EQ(1, EngineState.disabled);
    EXPECT_EQ(0, engineAttached);
    EXPECT_EQ(0, SharedResources.captionHeight) << "no metrics read";
    EXPECT_TRUE(SharedResources.captionFont == NULL) << "no fonts created";
    detachEngine();
    EXPECT_EQ(1, EngineState.disabled) << "detach of an excluded process does nothing";
}

TEST(ExcludedAttach, ListedProgramNeedsNoSettingsFile)
{
    // Like the disable marker, the list is read before vl.ini is looked for.
    TestFolder folder("listed-nofile");
    CurrentTestFolder current("listed-nofile-cwd");
    folder.write("\\varnels\\vlexcl.ini", ownProgramName() + "\r\n");
    EXPECT_TRUE(attachEngine(folder));
    EXPECT_EQ(1, EngineState.disabled);
    detachEngine();
}

TEST(ExcludedAttach, UnlistedProgramAttaches)
{
    std::string own = ownProgramName();
    std::string stem = own.substr(0, own.rfind('.'));
    TestFolder folder("unlisted");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    // Near misses only: the stem, a longer name, the name in a comment.
    folder.write("\\varnels\\vlexcl.ini", stem + "\r\n" + own + ".old\r\nx" + own + "\r\n; " + own + "\r\n");
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_EQ(0, EngineState.disabled);
    EXPECT_EQ(1, engineAttached);
    EXPECT_GT(SharedResources.captionHeight, 0);
    detachEngine();
}

// The before-message hook, called as the system would call it for WM_CREATE.
static void sendCreateThroughHook(HWND window)
{
    CWPSTRUCT call = {};
    call.hwnd = window;
    call.message = WM_CREATE;
    SpyCallWndProc2(HC_ACTION, 0, (LPARAM)&call);
}

TEST(ExcludedAttach, HooksOnlyChainInAListedProgram)
{
    TestFolder folder("hooks");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));  // subclassing on
    HWND window = createTestWindow(WS_OVERLAPPEDWINDOW);
    LONG_PTR own = GetWindowLongPtrA(window, GWLP_WNDPROC);

    folder.write("\\varnels\\vlexcl.ini", ownProgramName() + "\r\n");
    ASSERT_TRUE(attachEngine(folder));
    sendCreateThroughHook(window);
    EXPECT_EQ(own, GetWindowLongPtrA(window, GWLP_WNDPROC)) << "excluded: the window keeps its procedure";
    EXPECT_LT(findWindowSlot(window), 0);
    detachEngine();

    // The same window and hook call subclass once the program is not listed,
    // so the check above is not vacuous.
    folder.remove("\\varnels\\vlexcl.ini");
    ASSERT_TRUE(attachEngine(folder));
    sendCreateThroughHook(window);
    EXPECT_EQ((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(window, GWLP_WNDPROC));
    detachEngine();
    EXPECT_EQ(own, GetWindowLongPtrA(window, GWLP_WNDPROC));
    DestroyWindow(window);
}
