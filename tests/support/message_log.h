// Message sequences in the manner of Wine's user32 tests: every recording
// procedure (the window's own procedure, the parent, hooks) appends
// {window, message, flags, wParam, lParam} to one log; a test clears the log,
// acts, and compares the log with an expected table.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <windows.h>

enum MessageFlags {
    messageFromOwnProcedure = 0x1,  // the window's own (recorded) procedure
    messageFromBeforeHook = 0x2,    // a test's WH_CALLWNDPROC hook
    messageFromAfterHook = 0x4,     // a test's WH_CALLWNDPROCRET hook
    messageFromParent = 0x8,        // the parent's procedure
    // Hooks installed after the engine's (installLateRecordingHooks): the
    // system calls them before the engine's hooks of the same type.
    messageFromLateBeforeHook = 0x10,
    messageFromLateAfterHook = 0x20,
    messageSourceMask = 0x3F,
    // Flags of expected entries only:
    matchWParam = 0x100,
    matchLParam = 0x200,
    optionalEntry = 0x400,
    matchResult = 0x800,
    matchSnapshot = 0x1000,
    // The message number and both parameters are given at run time
    // (withMessage).
    givenMessage = 0x2000,
    // The snapshot is given at run time (withSnapshot).
    givenSnapshot = 0x4000,
};

struct LoggedMessage {
    HWND window;
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;     // after-message hooks: the procedure's result; own procedures may set it
    LONG_PTR snapshot = 0;  // what the snapshot function (setMessageSnapshot) read at that moment
};

struct ExpectedMessage {
    UINT message;
    unsigned flags;  // source, plus matchWParam/matchLParam/optionalEntry/matchResult/matchSnapshot
    WPARAM wParam;
    LPARAM lParam;
    HWND window = NULL;     // when not NULL, the entry must be of this window
    LRESULT result = 0;     // compared with matchResult
    LONG_PTR snapshot = 0;  // compared with matchSnapshot
};

// Stand-ins for the windows a file-scope table cannot name: withWindows puts
// the n-th handle it is given where standInWindow(n) stands.
inline HWND standInWindow(int n) { return (HWND)(INT_PTR)(0x40 + n); }

// An expected table as the comparison takes it: a file-scope array, or a
// copy with its run-time parts filled in.
struct ExpectedSequence {
    template <size_t n>
    ExpectedSequence(const ExpectedMessage (&table)[n]) : entries(table), count((int)n)
    {
    }
    ExpectedSequence(const std::vector<ExpectedMessage> &table) : entries(table.data()), count((int)table.size()) {}
    const ExpectedMessage *entries;
    int count;
};

std::vector<ExpectedMessage> withWindows(ExpectedSequence table, std::initializer_list<HWND> windows);
std::vector<ExpectedMessage> withMessage(ExpectedSequence table, UINT message, WPARAM wParam, LPARAM lParam);
std::vector<ExpectedMessage> withSnapshot(ExpectedSequence table, LONG_PTR snapshot);

// The window's own procedure gets one message, the one given (withMessage),
// with both parameters as given.
extern const ExpectedMessage ownProcedureGetsOneSeq[1];

void recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned flags);
void recordMessageResult(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned flags,
                         LRESULT result);
void clearMessageLog();
const std::vector<LoggedMessage> &messageLog();
// Only the entries of one window, or only those with one message number.
std::vector<LoggedMessage> messagesOf(HWND window);
int countMessages(HWND window, UINT message, unsigned source);

// A function every record calls with the entry's window; what it returns is
// kept in the entry's snapshot (a window's procedure or style at the moment a
// recorder saw the message). NULL, the default, keeps 0.
typedef LONG_PTR (*MessageSnapshot)(HWND window);
void setMessageSnapshot(MessageSnapshot snapshot);

// Compares the log (entries whose source is in sourceMask and, when window is
// not NULL, of that window, and, when onlyMessages is not empty, with one of
// those message numbers) with the expected table. Returns "" when it
// matches, else both sequences side by side.
std::string compareMessageLog(ExpectedSequence expected, HWND window = NULL, unsigned sourceMask = messageSourceMask,
                              const std::vector<UINT> &onlyMessages = std::vector<UINT>());

// Installs WH_CALLWNDPROC / WH_CALLWNDPROCRET hooks on this thread that
// record into the log; removeRecordingHooks takes them away.
void installRecordingHooks();
void removeRecordingHooks();
// A second pair, recording as messageFromLateBeforeHook/messageFromLateAfterHook;
// installed after another pair of hooks, the system calls it before them.
void installLateRecordingHooks();
void removeLateRecordingHooks();

#define EXPECT_SEQUENCE(table, window, sources) EXPECT_EQ("", compareMessageLog(table, window, sources))

// The same, looking only at the listed message numbers ({WM_A, WM_B}).
#define EXPECT_SEQUENCE_OF(table, window, sources, ...) \
    EXPECT_EQ("", compareMessageLog(table, window, sources, std::vector<UINT>(__VA_ARGS__)))
