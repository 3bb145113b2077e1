// The loader's side of the trust boundary: its named objects (the running
// mutex, the stop event, the info block) may be made first by any program,
// of any kind and content, or by another user; a pid in the info block may
// be forged or given to another process; the tray's dialogs must not hold
// up the loader's own thread. Each suite is one threat, played against the
// real vlload.exe in processes of its own. Runs alone: the loader's hooks
// reach every process of the prefix.
#include <gtest/gtest.h>

#include <string.h>

#include <iostream>
#include <string>
#include <vector>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "engine/loader_contract.h"
#include "engine/settings_generation.h"
#include "support/child_process.h"
#include "support/loader_runs.h"
#include "support/settings_file.h"
#include "support/test_folder.h"
#include "support/user_identity.h"
#include "tools/loader/loader_objects.h"
#include "tools/loader/loader_command_table.h"

namespace {

const DWORD startTimeout = 20000;
// Far below the 15 s /stop waits for a loader that does not end: an answer
// that comes within this came without waiting on anything.
const DWORD atOnce = 3000;

std::string loaderPath() { return buildFile("vlload.exe"); }

TestFolder &scratch()
{
    static TestFolder folder("loader-objects");
    return folder;
}

struct TimedResult {
    DWORD exitCode;
    std::string output;
    DWORD milliseconds;
};

// A start that should fail at once is given a few seconds, not the 30 a
// command gets.
TimedResult runLoader(const std::string &arguments, DWORD timeout = 30000)
{
    static int run;
    const std::string output = scratch().file("\\run" + std::to_string(++run) + ".txt");
    const DWORD start = GetTickCount();
    ChildResult r = runChild(quoted(loaderPath()) + (arguments.empty() ? "" : " " + arguments), output, timeout);
    return {r.exitCode, r.output, GetTickCount() - start};
}

// A run that ended with the code, at once (waiting on nothing), and saying
// what it says (when given).
void expectAnsweredAtOnce(const TimedResult &r, DWORD code, const char *says = NULL)
{
    EXPECT_EQ(code, r.exitCode) << r.output;
    if (says) EXPECT_NE(std::string::npos, r.output.find(says)) << r.output;
    EXPECT_GT(atOnce, r.milliseconds) << r.output;
}

std::string fullName(const char *stem)
{
    char name[MAX_PATH];
    loaderObjectName(stem, name, sizeof name);
    return name;
}

// The loader with its hooks in, or "" with what it wrote instead.
bool startLoader(ChildProcess *loader, const char *arguments = " /notray")
{
    static int run;
    return startChild(quoted(loaderPath()) + arguments, scratch().file("\\loader" + std::to_string(++run) + ".txt"),
                      loader) &&
           waitForOutput(*loader, "is hooked into", startTimeout);
}

void stopLoader(ChildProcess *loader)
{
    if (loader->process && waitForExit(*loader, 0) == STILL_ACTIVE) runLoader("/stop");
    endChild(loader);
}

// Every case starts and ends with no loader and the prefix's settings file
// holding settings the engine attaches with.
class LoaderThreat : public NoLoaderRunning {
protected:
    LoaderThreat() : NoLoaderRunning(prefixDefaultSettings) {}
    void TearDown() override
    {
        for (HANDLE h : held)
            if (h) CloseHandle(h);
    }
    HANDLE hold(HANDLE h)
    {
        held.push_back(h);
        return h;
    }
    std::vector<HANDLE> held;
};

HANDLE mappingOf(const std::string &name, DWORD size)
{
    return CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, size, name.c_str());
}

}  // namespace

// ---------------------------------------------------------------------------
// Threat: a program made an object of one of the loader's names first. An
// unowned mutex must not keep the loader out; anything it cannot use ends
// the start at once with its own exit code and the reason, never "already
// running", and /status says nothing runs.

class SquattedLoaderNames : public LoaderThreat {};

TEST_F(SquattedLoaderNames, AnUnownedMutexMadeEarlyDoesNotKeepTheLoaderOut)
{
    ASSERT_TRUE(hold(CreateMutexA(NULL, FALSE, fullName(loaderRunningName).c_str())));
    ChildProcess loader;
    EXPECT_TRUE(startLoader(&loader)) << childOutput(loader);
    TimedResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitOk, status.exitCode) << status.output;
    EXPECT_NE(std::string::npos, status.output.find("process id " + std::to_string(loader.id))) << status.output;
    TimedResult stop = runLoader("/stop");
    EXPECT_EQ((DWORD)exitOk, stop.exitCode) << stop.output;
    EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 10000)) << childOutput(loader);
    endChild(&loader);
}

TEST_F(SquattedLoaderNames, ObjectsOfAnotherKindOrContentEndTheStartWithItsOwnCode)
{
    struct Squat {
        const char *what;
        const char *stem;
        HANDLE (*make)(const std::string &name);
        const char *said;
    };
    const Squat squats[] = {
        {"an event in place of the running mutex", loaderRunningName,
         [](const std::string &n) { return CreateEventA(NULL, TRUE, FALSE, n.c_str()); }, "another kind"},
        {"a mutex in place of the stop event", loaderStopName,
         [](const std::string &n) { return CreateMutexA(NULL, FALSE, n.c_str()); }, "another kind"},
        {"shared memory reserved but not committed in place of the info block", loaderInfoName,
         [](const std::string &n) {
             return CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE | SEC_RESERVE, 0,
                                       sizeof(LoaderInfoBlock), n.c_str());
         },
         "committed"},
        {"another program's data in the info block", loaderInfoName,
         [](const std::string &n) {
             HANDLE h = mappingOf(n, sizeof(LoaderInfoBlock));
             void *view = h ? MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 0) : NULL;
             if (view) memset(view, 0xA5, sizeof(LoaderInfoBlock));
             if (view) UnmapViewOfFile(view);
             return h;
         },
         "another program's data"},
    };
    for (const Squat &squat : squats) {
        SCOPED_TRACE(squat.what);
        HANDLE object = squat.make(fullName(squat.stem));
        ASSERT_TRUE(object);
        TimedResult start = runLoader("/notray", 8000);
        expectAnsweredAtOnce(start, exitNameTaken, squat.said);
        EXPECT_NE(std::string::npos, start.output.find(fullName(squat.stem))) << start.output;
        TimedResult status = runLoader("/status");
        EXPECT_EQ((DWORD)exitNotRunning, status.exitCode) << status.output;
        CloseHandle(object);
        if (start.exitCode == STILL_ACTIVE || start.exitCode == exitOk) runLoader("/stop");
    }
}

// A program that owns the mutex and publishes no loader is not taken for a
// running loader: the start ends once the holder has had time to publish.
TEST_F(SquattedLoaderNames, AMutexOwnedByAProgramThatIsNoLoaderIsNotARunningLoader)
{
    ASSERT_TRUE(hold(CreateMutexA(NULL, TRUE, fullName(loaderRunningName).c_str())));
    TimedResult start = runLoader("/notray", 8000);
    EXPECT_EQ((DWORD)exitNameTaken, start.exitCode) << start.output;
    EXPECT_NE(std::string::npos, start.output.find("not a running loader")) << start.output;
    EXPECT_EQ(std::string::npos, start.output.find("already running")) << start.output;
    TimedResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitNotRunning, status.exitCode) << status.output;
}

// Another user's object: made here with SYSTEM as its owner, where the
// system lets a test name another owner.
TEST_F(SquattedLoaderNames, AnotherUsersMutexIsNeitherJoinedNorTakenForALoader)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("O:SYD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, NULL));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE mutex = hold(CreateMutexA(&attributes, FALSE, fullName(loaderRunningName).c_str()));
    LocalFree(descriptor);
    ASSERT_TRUE(mutex);
    PSID owner = NULL;
    PSECURITY_DESCRIPTOR read = NULL;
    ASSERT_EQ((DWORD)ERROR_SUCCESS, GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                                    NULL, NULL, NULL, &read));
    char *ownerText = NULL;
    ConvertSidToStringSidA(owner, &ownerText);
    const std::string ownerSid = ownerText ? ownerText : "";
    LocalFree(ownerText);
    LocalFree(read);
    if (ownerSid != "S-1-5-18") GTEST_SKIP() << "the system made the mutex with owner " << ownerSid;

    TimedResult start = runLoader("/notray", 8000);
    expectAnsweredAtOnce(start, exitNameTaken, "another user's");
    TimedResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitNotRunning, status.exitCode) << status.output;
    EXPECT_NE(std::string::npos, status.output.find("another user's")) << status.output;
}

// ---------------------------------------------------------------------------
// Threat: the info block names a process that is not the loader: an id
// someone wrote there, or a loader's id given to another process after it
// ended. /stop and /status answer at once that nothing runs, instead of
// waiting on that process.

class ForgedLoaderInfo : public LoaderThreat {
protected:
    // The loader's three objects as a forger makes them, the block naming
    // process id with the given creation time.
    void forge(DWORD id, LONG createdLow, LONG createdHigh)
    {
        ASSERT_TRUE(hold(CreateMutexA(NULL, FALSE, fullName(loaderRunningName).c_str())));
        ASSERT_TRUE(hold(CreateEventA(NULL, TRUE, FALSE, fullName(loaderStopName).c_str())));
        HANDLE info = hold(mappingOf(fullName(loaderInfoName), sizeof(LoaderInfoBlock)));
        ASSERT_TRUE(info);
        LoaderInfoBlock *block = (LoaderInfoBlock *)MapViewOfFile(info, FILE_MAP_WRITE, 0, 0, 0);
        ASSERT_TRUE(block);
        block->magic = loaderInfoMagic;
        block->layout = loaderInfoLayout;
        block->loader.id = (LONG)id;
        block->loader.createdLow = createdLow;
        block->loader.createdHigh = createdHigh;
        block->hooked = 1;
        lstrcpyA(block->enginePath, "C:\\forged\\varnel.dll");
        UnmapViewOfFile(block);
    }
    static void ownCreationTime(LONG *low, LONG *high)
    {
        FILETIME created, exited, kernel, user;
        ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
        *low = (LONG)created.dwLowDateTime;
        *high = (LONG)created.dwHighDateTime;
    }
};

// This test process never ends on its own: waiting on it is the 15 s.
TEST_F(ForgedLoaderInfo, AProcessOfTheIdMadeAtAnotherTimeIsNotTheLoader)
{
    LONG low, high;
    ownCreationTime(&low, &high);
    forge(GetCurrentProcessId(), low + 1, high);
    TimedResult stop = runLoader("/stop");
    expectAnsweredAtOnce(stop, exitNotRunning, "not running");
    TimedResult status = runLoader("/status");
    expectAnsweredAtOnce(status, exitNotRunning, "not running");
    std::cout << "[ figure   ] forged pid: /stop " << stop.milliseconds << " ms, /status " << status.milliseconds
              << " ms\n";
}

TEST_F(ForgedLoaderInfo, AnIdOfAProcessThatEndedNamesNobody)
{
    ChildProcess ended;
    ASSERT_TRUE(startChild(quoted(loaderPath()) + " /version", scratch().file("\\ended.txt"), &ended));
    FILETIME created, exited, kernel, user;
    ASSERT_TRUE(GetProcessTimes(ended.process, &created, &exited, &kernel, &user));
    ASSERT_EQ((DWORD)exitOk, waitForExit(ended, 10000));
    const DWORD id = ended.id;
    endChild(&ended);
    forge(id, (LONG)created.dwLowDateTime, (LONG)created.dwHighDateTime);
    expectAnsweredAtOnce(runLoader("/stop"), exitNotRunning);
}

// The same block with the right time names a running process: the check
// reads the block, it does not refuse every block.
TEST_F(ForgedLoaderInfo, TheRightCreationTimeNamesTheProcess)
{
    LONG low, high;
    ownCreationTime(&low, &high);
    forge(GetCurrentProcessId(), low, high);
    TimedResult status = runLoader("/status");
    EXPECT_EQ((DWORD)exitOk, status.exitCode) << status.output;
    EXPECT_NE(std::string::npos, status.output.find("process id " + std::to_string(GetCurrentProcessId())))
        << status.output;
}

// ---------------------------------------------------------------------------
// Threat: another user or another session reaching this user's loader. The
// names carry the session and the user; the objects the loader makes give
// access to the user and SYSTEM only, the user owns them, and from Vista on
// they carry a medium label (a loader started elevated stays reachable).

class LoaderObjectSecurity : public LoaderThreat {};

TEST_F(LoaderObjectSecurity, NamesCarryTheSessionAndTheUser)
{
    DWORD session = 0;
    ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
    const std::string sid = userSid();
    ASSERT_FALSE(sid.empty());
    for (const char *stem : {loaderRunningName, loaderStopName, loaderInfoName, loader64RunningName})
        EXPECT_EQ(std::string(stem) + " session " + std::to_string(session) + " " + sid, fullName(stem));
}

TEST_F(LoaderObjectSecurity, TheRunningLoadersObjectsAreTheUsersAndSystemsOnly)
{
    ChildProcess loader;
    ASSERT_TRUE(startLoader(&loader)) << childOutput(loader);
    struct Opened {
        const char *stem;
        HANDLE handle;
    } objects[] = {
        {loaderRunningName, OpenMutexA(READ_CONTROL, FALSE, fullName(loaderRunningName).c_str())},
        {loaderStopName, OpenEventA(READ_CONTROL, FALSE, fullName(loaderStopName).c_str())},
        {loaderInfoName, OpenFileMappingA(READ_CONTROL, FALSE, fullName(loaderInfoName).c_str())},
    };
    for (const Opened &o : objects) {
        SCOPED_TRACE(o.stem);
        ASSERT_TRUE(o.handle) << GetLastError();
        // Nothing under the bare stem, as before the names carried the user.
        HANDLE bare = OpenMutexA(SYNCHRONIZE, FALSE, o.stem);
        EXPECT_FALSE(bare);
        if (bare) CloseHandle(bare);
        const std::string sddl = securityText(o.handle, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
        // The user's and SYSTEM's entries: nobody else, not Everyone.
        EXPECT_EQ("", notUserAndSystemOnly(sddl));
        EXPECT_EQ(std::string::npos, sddl.find(";;;WD)")) << sddl;
        CloseHandle(o.handle);
    }
    stopLoader(&loader);
}

// The loader's engine joins the shared settings block from its library entry
// point, under the loader lock, where it takes advapi32 only as the process
// has it loaded: its name must carry the same session and user as the
// loader's objects, or the loader's engine, vlconf and the programs would
// each make a block of their own. The loader is found in the block's table
// of processes with the engine.
TEST_F(LoaderObjectSecurity, TheSharedBlockCarriesTheSameSessionAndUserAndHoldsTheLoader)
{
    ChildProcess loader;
    ASSERT_TRUE(startLoader(&loader)) << childOutput(loader);
    const std::string stem = loaderRunningName;
    const std::string objectName = fullName(loaderRunningName);
    ASSERT_EQ(0u, objectName.find(stem + " session "));
    char directory[MAX_PATH];
    ASSERT_TRUE(GetWindowsDirectoryA(directory, sizeof directory));
    std::string folder;
    for (const char *c = directory; *c; c++) folder += *c == '\\' ? '/' : (char)tolower((unsigned char)*c);
    char name[sharedBlockNameRoom];
    ASSERT_TRUE(sharedBlockName(NULL, name, sizeof name));
    EXPECT_EQ("VarnelSettingsGeneration" + objectName.substr(stem.size()) + " " + folder, name);

    GenerationView view = {NULL, NULL, NULL};
    SharedBlockState state = sharedBlockUsable;
    ASSERT_TRUE(openGenerationView(NULL, &view, &state)) << sharedBlockProblem(state);
    int counted = 0;
    for (const volatile SharedProcess &p : view.block->processes) counted |= p.id == (LONG)loader.id;
    closeGenerationView(&view);
    EXPECT_TRUE(counted) << "the loader's engine is not in the block this process computes";

    // Whoever made it made it for the user and SYSTEM only; a suite run
    // with the security functions hidden makes it with the default
    // security, which Wine keeps no owner for, and a program that lives on
    // (the desktop's) may hold that one since.
    HANDLE block = OpenFileMappingA(READ_CONTROL, FALSE, name);
    ASSERT_TRUE(block) << GetLastError();
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ASSERT_EQ((DWORD)ERROR_SUCCESS, GetSecurityInfo(block, SE_KERNEL_OBJECT,
                                                    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL,
                                                    NULL, NULL, NULL, &descriptor));
    char *text = NULL;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(
        descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, NULL);
    const std::string sddl = text ? text : "";
    LocalFree(text);
    LocalFree(descriptor);
    CloseHandle(block);
    std::cout << "[ figure   ] the prefix's shared block: " << (sddl.empty() ? "(default security)" : sddl) << "\n";
    if (!sddl.empty()) {
        const std::string sid = userSid();
        EXPECT_EQ(0u, sddl.find("O:" + sid)) << sddl;
        EXPECT_NE(std::string::npos, sddl.find(";;;" + sid + ")")) << sddl;
        EXPECT_NE(std::string::npos, sddl.find(";;;SY)")) << sddl;
        size_t entries = 0;
        for (size_t at = sddl.find("(A;"); at != std::string::npos; at = sddl.find("(A;", at + 1)) entries++;
        EXPECT_EQ(2u, entries) << sddl;
    }
    stopLoader(&loader);
}

// ---------------------------------------------------------------------------
// Threat: the tray's dialogs holding up the loader's own thread. The
// Exclude picker waits for a click, its questions for an answer; meanwhile
// the loader must still obey /stop (and answer its messages: a hook of the
// other bitness reaches programs through that thread).

class TrayDialogs : public LoaderThreat {};

// Each step of the picker: its first question shown, then the mouse held
// waiting for a click.
TEST_F(TrayDialogs, TheExcludePickerLeavesTheLoaderStoppable)
{
    for (int picking = 0; picking < 2; picking++) {
        SCOPED_TRACE(picking ? "waiting for the click" : "asking first");
        ChildProcess loader;
        ASSERT_TRUE(startLoader(&loader, "")) << childOutput(loader);
        HWND loaderWindow = FindWindowA(loaderWindowClassName, NULL);
        ASSERT_TRUE(loaderWindow);
        PostMessageA(loaderWindow, WM_COMMAND, trayExclude, 0);
        HWND dialog = waitForDialogOf(loader.id, 10000);
        EXPECT_TRUE(dialog) << "the loader showed no question";
        if (picking && dialog) {
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            const DWORD start = GetTickCount();
            while (IsWindow(dialog) && GetTickCount() - start < 5000) Sleep(20);
            EXPECT_FALSE(IsWindow(dialog));
        }
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutA(loaderWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));
        TimedResult stop = runLoader("/stop");
        expectAnsweredAtOnce(stop, exitOk);
        std::cout << "[ figure   ] /stop with the Exclude picker " << (picking ? "picking" : "asking") << ": "
                  << stop.milliseconds << " ms\n";
        EXPECT_EQ((DWORD)exitOk, waitForExit(loader, 5000)) << childOutput(loader);
        endChild(&loader);
    }
}
