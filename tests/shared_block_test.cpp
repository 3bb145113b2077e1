// The block the engine shares with the loaders and the tools is named, so
// any program may hold its name first: an object of another type, a section
// too small, read-only or reserved only, or one filled with something else,
// or another user's object. The engine attaches anyway, programs are
// skinned, live settings are off and the trace says why; the tools are told
// too. The name carries the session and the user, and the block the engine
// makes is the user's and SYSTEM's only.
#include <gtest/gtest.h>

#include <string.h>

#include <iostream>
#include <string>
#include <vector>

#include <aclapi.h>
#include <sddl.h>

#include "engine/live_settings.h"
#include "engine/loader_entry.h"
#include "engine/process_table.h"
#include "engine/settings_generation.h"
#include "engine/trace.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_windows.h"
#include "support/user_identity.h"

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

// Another user's section: owned by that user and open to all, or closed to
// this one. Wine lets a program name any owner (Windows would ask for the
// restore privilege) and enforces the access list.
HANDLE sectionWith(const char *name, const char *descriptorText)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptorText, SDDL_REVISION_1, &descriptor, NULL))
        return NULL;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, sizeof(SharedSettingsBlock), name);
    LocalFree(descriptor);
    return h;
}
const char otherUser[] = "S-1-5-21-1-2-3-1004";
HANDLE squatOtherOwner(const char *name) { return sectionWith(name, "O:S-1-5-21-1-2-3-1004D:(A;;GA;;;WD)"); }
HANDLE squatClosed(const char *name) { return sectionWith(name, "O:SYD:(A;;GA;;;SY)"); }

const Squatter squatters[] = {
    {"Mutex", squatMutex, {sharedBlockNotASection, sharedBlockNotASection, sharedBlockNotASection}},
    {"FourByteSection", squatTiny, {sharedBlockNotMapped, sharedBlockTooSmall, sharedBlockTooSmall}},
    {"ReadOnlySection", squatReadOnly, {sharedBlockNotMade, sharedBlockNotMapped, sharedBlockNotWritable}},
    {"ReservedSection", squatReserved, {sharedBlockNotMapped, sharedBlockNotWritable, sharedBlockNotWritable}},
    {"SectionOfGarbage", squatGarbage, {sharedBlockNotUnderstood, sharedBlockNotUnderstood, sharedBlockNotUnderstood}},
    {"AnotherUsersSectionOpenToAll", squatOtherOwner, {sharedBlockOtherOwner, sharedBlockOtherOwner, sharedBlockOtherOwner}},
    {"SectionClosedToThisUser", squatClosed, {sharedBlockOtherOwner, sharedBlockOtherOwner, sharedBlockOtherOwner}},
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
        char name[sharedBlockNameRoom];
        EXPECT_TRUE(sharedBlockName(folder.path(), name, sizeof name));
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


// --- The name and the security -----------------------------------------------

// The session as the system spells it.
std::string sessionText()
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return "";
    return std::to_string(session);
}

TEST(SharedBlockName, CarriesTheSessionTheUserAndTheFolderInOneSpelling)
{
    const std::string sid = userSid(), session = sessionText();
    ASSERT_FALSE(sid.empty());
    ASSERT_FALSE(session.empty());
    const std::string expected = "VarnelSettingsGeneration session " + session + " " + sid + " c:/varnel test/Ä";
    char name[sharedBlockNameRoom];
    ASSERT_TRUE(sharedBlockName("C:\\Varnel Test\\Ä", name, sizeof name));
    EXPECT_EQ(expected, name);
    ASSERT_TRUE(sharedBlockName("c:\\VARNEL TEST\\Ä", name, sizeof name));
    EXPECT_EQ(expected, name) << "the same folder spelt in another case";
    // Room for the whole name, and one character less: a name cut short
    // would be another folder's.
    std::vector<char> exact(expected.size() + 1);
    EXPECT_TRUE(sharedBlockName("C:\\Varnel Test\\Ä", exact.data(), (int)exact.size()));
    EXPECT_EQ(expected, exact.data());
    EXPECT_FALSE(sharedBlockName("C:\\Varnel Test\\Ä", exact.data(), (int)exact.size() - 1));
    EXPECT_FALSE(sharedBlockName("C:\\Varnel Test\\Ä", exact.data(), 24));
}

// What the engine makes at attach, inside the library's entry point in a
// program, as here: owned by the user, open to the user and SYSTEM only,
// under the name with the session and the user and under no other.
TEST(SharedBlockSecurity, TheEngineMakesTheBlockForTheUserAndSystemOnly)
{
    TestFolder folder("secured-block");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_TRUE(liveGeneration != NULL);
    char name[sharedBlockNameRoom];
    ASSERT_TRUE(sharedBlockName(folder.path(), name, sizeof name));
    HANDLE block = OpenFileMappingA(READ_CONTROL, FALSE, name);
    ASSERT_TRUE(block) << GetLastError();
    const std::string sddl = securityText(block, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
    CloseHandle(block);
    EXPECT_EQ("", notUserAndSystemOnly(sddl));
    // From Vista on the descriptor carries the medium label besides.
    EXPECT_EQ(LOBYTE(LOWORD(GetVersion())) >= 6 ? 2 : 1, sharedBlockSecurity());

    // Nothing under the name of old, which carried neither.
    std::string bare = "VarnelSettingsGeneration ";
    for (const char *c = folder.path(); *c; c++) bare += *c == '\\' ? '/' : (char)tolower((unsigned char)*c);
    HANDLE old = OpenFileMappingA(FILE_MAP_READ, FALSE, bare.c_str());
    EXPECT_FALSE(old);
    if (old) CloseHandle(old);

    // What the name, the descriptor and the owner's check add to an opening
    // (at attach, at each announcement): the block opened and mapped with
    // them, against a section of the bare name opened and mapped without.
    const int rounds = 200;
    LARGE_INTEGER frequency, start, middle, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rounds; i++) {
        GenerationView view = {NULL, NULL, NULL};
        ASSERT_TRUE(openGenerationView(folder.path(), &view));
        closeGenerationView(&view);
    }
    QueryPerformanceCounter(&middle);
    HANDLE bareHeld = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(SharedSettingsBlock),
                                         bare.c_str());
    for (int i = 0; i < rounds; i++) {
        HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(SharedSettingsBlock),
                                      bare.c_str());
        void *view = MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, sizeof(SharedSettingsBlock));
        UnmapViewOfFile(view);
        CloseHandle(h);
    }
    QueryPerformanceCounter(&end);
    CloseHandle(bareHeld);
    std::cout << "[ figure   ] opening the block: " << (middle.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart / rounds
              << " us with the user's name, descriptor and owner's check; "
              << (end.QuadPart - middle.QuadPart) * 1000000 / frequency.QuadPart / rounds << " us bare\n";
    detachEngine();
}

// SYSTEM may have made the block: trusted with everything of the user's
// anyway, it is no stranger; the engine uses its block.
TEST(SharedBlockSecurity, ABlockOwnedBySystemIsUsed)
{
    TestFolder folder("system-block");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    char name[sharedBlockNameRoom];
    ASSERT_TRUE(sharedBlockName(folder.path(), name, sizeof name));
    HANDLE made = sectionWith(name, "O:SYD:(A;;GA;;;WD)");
    ASSERT_TRUE(made);
    ASSERT_EQ("O:SY", securityText(made, OWNER_SECURITY_INFORMATION));
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_TRUE(liveGeneration != NULL);
    const LONG before = liveGeneration ? *liveGeneration : 0;
    SharedBlockState state = sharedBlockNotMade;
    EXPECT_TRUE(announceSettingsChange(folder.path(), 0, &state)) << sharedBlockProblem(state);
    if (liveGeneration) EXPECT_EQ(before + 1, *liveGeneration);
    EXPECT_EQ(1, processesWithEngine(folder.path()));
    detachEngine();
    CloseHandle(made);
}

// The other owner the table's squatter names is the one the system kept:
// the case tests the owner's check, not a refusal at making.
TEST(SharedBlockSecurity, TheOtherUsersSquatterKeepsItsOwner)
{
    TestFolder folder("other-owner");
    char name[sharedBlockNameRoom];
    ASSERT_TRUE(sharedBlockName(folder.path(), name, sizeof name));
    HANDLE squatter = squatOtherOwner(name);
    ASSERT_TRUE(squatter);
    EXPECT_EQ(std::string("O:") + otherUser, securityText(squatter, OWNER_SECURITY_INFORMATION));
    // Open to all: only the owner tells it from the user's own block.
    GenerationView view = {NULL, NULL, NULL};
    SharedBlockState state = sharedBlockUsable;
    EXPECT_FALSE(openGenerationView(folder.path(), &view, &state));
    EXPECT_EQ(sharedBlockOtherOwner, state) << sharedBlockProblem(state);
    CloseHandle(squatter);
}

}  // namespace
