// Message sequences in the manner of Wine's user32 tests: every recording
// procedure (the window's own procedure, the parent, hooks) appends
// {window, message, flags, wParam, lParam} to one log; a test clears the log,
// acts, and compares the log with an expected table.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

enum MessageFlags {
    messageFromOwnProcedure = 0x1,  // the window's own (recorded) procedure
    messageFromBeforeHook = 0x2,    // a test's WH_CALLWNDPROC hook
    messageFromAfterHook = 0x4,     // a test's WH_CALLWNDPROCRET hook
    messageFromParent = 0x8,        // the parent's procedure
    messageSourceMask = 0xF,
    // Flags of expected entries only:
    matchWParam = 0x100,
    matchLParam = 0x200,
    optionalEntry = 0x400,
};

struct LoggedMessage {
    HWND window;
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
};

struct ExpectedMessage {
    UINT message;
    unsigned flags;  // source, plus matchWParam/matchLParam/optionalEntry
    WPARAM wParam;
    LPARAM lParam;
};

void recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned flags);
void clearMessageLog();
const std::vector<LoggedMessage> &messageLog();
// Only the entries of one window, or only those with one message number.
std::vector<LoggedMessage> messagesOf(HWND window);
int countMessages(HWND window, UINT message, unsigned source);

// Compares the log (entries whose source is in sourceMask and, when window is
// not NULL, of that window) with the expected table. Returns "" when it
// matches, else both sequences side by side.
std::string compareMessageLog(const ExpectedMessage *expected, int count, HWND window = NULL,
                              unsigned sourceMask = messageSourceMask);

// Installs WH_CALLWNDPROC / WH_CALLWNDPROCRET hooks on this thread that
// record into the log; removeRecordingHooks takes them away.
void installRecordingHooks();
void removeRecordingHooks();

#define EXPECT_SEQUENCE(table, window, sources)                                                          \
    do {                                                                                                 \
        std::string diff_ = compareMessageLog(table, (int)(sizeof(table) / sizeof((table)[0])), window, sources); \
        EXPECT_EQ("", diff_);                                                                            \
    } while (0)
