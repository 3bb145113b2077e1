// The block the engine shares with the loaders and the tools is named, so
// any program may hold its name first: an object of another type, a section
// too small, read-only or reserved only, or one filled with something else.
// The engine attaches anyway, programs are skinned, live settings are off
// and the trace says why; the tools are told too.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "engine/live_settings.h"
#include "engine/settings_generation.h"
#include "engine/trace.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

namespace {

std::vector<std::string> traced;
void WINAPI recordLine(const char *line) { traced.push_back(line); }

int runsTheEngine(HWND w) { return GetWindowLongPtrA(w, GWLP_WNDPROC) == (LONG_PTR)StaticWindowProc; }

HANDLE section(const char *name, DWORD protect, DWORD size)
{
    return CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, protect, 0, size, name);
}

HANDLE squatMutex(const char *name) { return CreateMutexA(NULL, FALSE, name); }
HANDLE squatTiny(const char *name) { return section(name, PAGE_READWRITE, 4); }
// Read-only pages: a file of the block's size that the squatter may only read.
HANDLE squatReadOnly(const char *name)
{
    char path[MAX_PATH], folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "vsq", 0, path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    static const char zeros[sizeof(SharedSettingsBlock)] = {0};
    DWORD written = 0;
    WriteFile(file, zeros, sizeof zeros, &written, NULL);
    CloseHandle(file);
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                       FILE_FLAG_DELETE_ON_CLOSE, NULL);
    HANDLE h = CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, name);
    CloseHandle(file);
    return h;
}
HANDLE squatReserved(const char *name)
{
    return section(name, PAGE_READWRITE | SEC_RESERVE, sizeof(SharedSettingsBlock));
}
// The right size, every byte another program's.
HANDLE squatGarbage(const char *name)
{
    HANDLE h = section(name, PAGE_READWRITE, sizeof(SharedSettingsBlock));
    void *view = h ? MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 0) : NULL;
    if (!view) return NULL;
    memset(view, 0xA5, sizeof(SharedSettingsBlock));
    UnmapViewOfFile(view);
    return h;
}

struct Squatter {
    const char *name;
    HANDLE (*squat)(const char *name);
    // Where the system refuses already, or where the check finds it; either
    // is a reason the trace gives.
    SharedBlockState refused[3];
};

const Squatter squatters[] = {
    {"Mutex", squatMutex, {sharedBlockNotASection, sharedBlockNotASection, sharedBlockNotASection}},
    {"FourByteSection", squatTiny, {sharedBlockNotMapped, sharedBlockTooSmall, sharedBlockTooSmall}},
    {"ReadOnlySection", squatReadOnly, {sharedBlockNotMade, sharedBlockNotMapped, sharedBlockNotWritable}},
    {"ReservedSection", squatReserved, {sharedBlockNotMapped, sharedBlockNotWritable, sharedBlockNotWritable}},
    {"SectionOfGarbage", squatGarbage, {sharedBlockNotUnderstood, sharedBlockNotUnderstood, sharedBlockNotUnderstood}},
};

int oneOf(SharedBlockState state, const Squatter &s)
{
    for (SharedBlockState refused : s.refused)
        if (state == refused) return 1;
    return 0;
}

// One folder per squatter, attached as a program's engine would be.
struct Attached {
    explicit Attached(const Squatter &s) : folder(std::string("squatted-") + s.name)
    {
        folder.write("\\varnels\\vl.ini", settingsFileFor({}));
        char name[MAX_PATH + 32];
        sharedBlockName(folder.path(), name, sizeof name);
        squatter = s.squat(name);
        traced.clear();
        engineTraceSink = recordLine;
        attached = attachEngine(folder);
        engineTraceSink = OutputDebugStringA;
        installEngineHooks();
    }
    ~Attached()
    {
        if (window) DestroyWindow(window);
        pumpMessages();
        removeEngineHooks();
        detachEngine();
        if (squatter) CloseHandle(squatter);
    }
    TestFolder folder;
    HANDLE squatter = NULL;
    BOOL attached = FALSE;
    HWND window = NULL;
};

TEST(SharedBlock, HeldByAnotherProgramTheEngineRunsWithoutLiveSettingsAndSaysWhy)
{
    for (const Squatter &s : squatters) {
        SCOPED_TRACE(s.name);
        Attached a(s);
        ASSERT_TRUE(a.squatter != NULL) << GetLastError();
        ASSERT_TRUE(a.attached);
        EXPECT_TRUE(liveGeneration == NULL) << "live settings from a block another program made";
        std::string why;
        for (const std::string &line : traced)
            if (line.find("live settings are off") != std::string::npos) why = line;
        EXPECT_FALSE(why.empty()) << "no trace line says why";
        int named = 0;
        for (SharedBlockState refused : s.refused) named |= why.find(sharedBlockProblem(refused)) != std::string::npos;
        EXPECT_TRUE(named) << why;

        a.window = CreateWindowExA(0, recordingClass(), "Squatted", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                                   200, NULL, NULL, GetModuleHandleA(NULL), NULL);
        pumpMessages();
        EXPECT_TRUE(runsTheEngine(a.window)) << "the program is still skinned";

        // The tools hear of it: a change is not announced, About counts no
        // one, the loader is told to enter by message hooks.
        SharedBlockState state = sharedBlockUsable;
        EXPECT_FALSE(announceSettingsChange(a.folder.path(), 0, &state));
        EXPECT_TRUE(oneOf(state, s)) << sharedBlockProblem(state);
        EXPECT_EQ(-1, processesWithEngine(a.folder.path()));
        EXPECT_FALSE(publishEntryByEvents(a.folder.path(), GetCurrentProcessId()));
        GenerationView view = {NULL, NULL, NULL};
        EXPECT_FALSE(openGenerationView(a.folder.path(), &view));
        EXPECT_FALSE(entryByEventsOn());
    }
}

// The loader's slot and the table name a process by its id and its
// creation time: an id written with another time (a killed process's id
// given to another, or one forged) names nobody.
volatile SharedProcess *ownTableEntry(volatile SharedSettingsBlock *b)
{
    for (volatile SharedProcess &p : b->processes)
        if (p.id == (LONG)GetCurrentProcessId()) return &p;
    return NULL;
}

TEST(SharedBlock, AProcessCountsOnlyWithTheCreationTimeRecordedBesideItsId)
{
    TestFolder folder("forged-ids");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    ASSERT_TRUE(attachEngine(folder));
    GenerationView view = {NULL, NULL, NULL};
    ASSERT_TRUE(openGenerationView(folder.path(), &view));
    volatile SharedProcess *entry = sizeof(void *) == 8 ? &view.block->entry64 : &view.block->entry32;
    volatile SharedProcess *own = ownTableEntry(view.block);
    ASSERT_TRUE(own != NULL);
    ASSERT_TRUE(publishEntryByEvents(folder.path(), GetCurrentProcessId()));
    const SharedProcess real = {entry->id, entry->createdLow, entry->createdHigh};
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    ASSERT_NE(0u, desktopProcess);
    ASSERT_NE(GetCurrentProcessId(), desktopProcess);

    struct Case {
        const char *what;
        SharedProcess named;
        int counts;
    } cases[] = {
        {"the process itself", real, 1},
        {"its id, another time", {real.id, real.createdLow ^ 1, real.createdHigh}, 0},
        {"its id, no time", {real.id, 0, 0}, 0},
        {"another running process's id", {(LONG)desktopProcess, real.createdLow, real.createdHigh}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        entry->createdLow = own->createdLow = c.named.createdLow;
        entry->createdHigh = own->createdHigh = c.named.createdHigh;
        entry->id = own->id = c.named.id;
        EXPECT_EQ(c.counts, entryByEventsOn()) << "the loader's slot";
        EXPECT_EQ(c.counts, processesWithEngine(folder.path())) << "the table of processes with the engine";
    }
    entry->createdLow = own->createdLow = real.createdLow;
    entry->createdHigh = own->createdHigh = real.createdHigh;
    entry->id = own->id = real.id;
    publishEntryByEvents(folder.path(), 0);
    EXPECT_FALSE(entryByEventsOn());
    closeGenerationView(&view);
    detachEngine();
}

}  // namespace
