#include "support/message_log.h"

#include <stdio.h>

static std::vector<LoggedMessage> logged;
static MessageSnapshot snapshotFunction;

void setMessageSnapshot(MessageSnapshot snapshot) { snapshotFunction = snapshot; }

void recordMessageResult(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned flags,
                         LRESULT result)
{
    LoggedMessage entry = {window, message, flags, wParam, lParam};
    entry.result = result;
    if (snapshotFunction) entry.snapshot = snapshotFunction(window);
    logged.push_back(entry);
}

void recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned flags)
{
    recordMessageResult(window, message, wParam, lParam, flags, 0);
}

void clearMessageLog() { logged.clear(); }

const std::vector<LoggedMessage> &messageLog() { return logged; }

std::vector<LoggedMessage> messagesOf(HWND window)
{
    std::vector<LoggedMessage> out;
    for (auto &m : logged)
        if (m.window == window) out.push_back(m);
    return out;
}

int countMessages(HWND window, UINT message, unsigned source)
{
    int n = 0;
    for (auto &m : logged)
        if ((!window || m.window == window) && m.message == message && (m.flags & source)) n++;
    return n;
}

static std::string describe(HWND window, UINT message, unsigned flags, WPARAM wParam, LPARAM lParam,
                            LRESULT result, LONG_PTR snapshot, bool expected)
{
    char text[200];
    const char *source = (flags & messageFromOwnProcedure)     ? "own"
                         : (flags & messageFromBeforeHook)     ? "before"
                         : (flags & messageFromAfterHook)      ? "after"
                         : (flags & messageFromParent)         ? "parent"
                         : (flags & messageFromLateBeforeHook) ? "lbefore"
                         : (flags & messageFromLateAfterHook)  ? "lafter"
                                                               : "?";
    int n = snprintf(text, sizeof text, "%-7s %04x wp=%08llx lp=%08llx", source, message, (unsigned long long)wParam,
                     (unsigned long long)(ULONG_PTR)lParam);
    if (window) n += snprintf(text + n, sizeof text - n, " w=%p", (void *)window);
    if (!expected || (flags & matchResult)) n += snprintf(text + n, sizeof text - n, " r=%llx", (unsigned long long)(ULONG_PTR)result);
    if (!expected || (flags & matchSnapshot))
        n += snprintf(text + n, sizeof text - n, " s=%llx", (unsigned long long)(ULONG_PTR)snapshot);
    if (flags & optionalEntry) snprintf(text + n, sizeof text - n, " (optional)");
    return text;
}

static bool listed(const std::vector<UINT> &messages, UINT message)
{
    if (messages.empty()) return true;
    for (UINT m : messages)
        if (m == message) return true;
    return false;
}

const ExpectedMessage ownProcedureGetsOneSeq[1] = {
    {0, messageFromOwnProcedure | givenMessage | matchWParam | matchLParam, 0, 0},
};

static std::vector<ExpectedMessage> copyOf(ExpectedSequence table)
{
    return std::vector<ExpectedMessage>(table.entries, table.entries + table.count);
}

std::vector<ExpectedMessage> withWindows(ExpectedSequence table, std::initializer_list<HWND> windows)
{
    std::vector<ExpectedMessage> filled = copyOf(table);
    for (ExpectedMessage &e : filled)
        for (size_t n = 0; n < windows.size(); n++)
            if (e.window == standInWindow((int)n)) {
                e.window = windows.begin()[n];
                break;
            }
    return filled;
}

std::vector<ExpectedMessage> withMessage(ExpectedSequence table, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<ExpectedMessage> filled = copyOf(table);
    for (ExpectedMessage &e : filled)
        if (e.flags & givenMessage) {
            e.message = message;
            e.wParam = wParam;
            e.lParam = lParam;
        }
    return filled;
}

std::vector<ExpectedMessage> withSnapshot(ExpectedSequence table, LONG_PTR snapshot)
{
    std::vector<ExpectedMessage> filled = copyOf(table);
    for (ExpectedMessage &e : filled)
        if (e.flags & givenSnapshot) e.snapshot = snapshot;
    return filled;
}

std::string compareMessageLog(ExpectedSequence table, HWND window, unsigned sourceMask,
                              const std::vector<UINT> &onlyMessages)
{
    const ExpectedMessage *expected = table.entries;
    const int count = table.count;
    std::vector<LoggedMessage> actual;
    for (auto &m : logged)
        if ((!window || m.window == window) && (m.flags & sourceMask) && listed(onlyMessages, m.message))
            actual.push_back(m);

    size_t a = 0;
    bool ok = true;
    for (int e = 0; e < count; e++) {
        const ExpectedMessage &x = expected[e];
        bool match = a < actual.size() && actual[a].message == x.message &&
                     (actual[a].flags & messageSourceMask) == (x.flags & messageSourceMask) &&
                     (!(x.flags & matchWParam) || actual[a].wParam == x.wParam) &&
                     (!(x.flags & matchLParam) || actual[a].lParam == x.lParam) &&
                     (!x.window || actual[a].window == x.window) &&
                     (!(x.flags & matchResult) || actual[a].result == x.result) &&
                     (!(x.flags & matchSnapshot) || actual[a].snapshot == x.snapshot);
        if (match)
            a++;
        else if (!(x.flags & optionalEntry)) {
            ok = false;
            break;
        }
    }
    if (ok && a == actual.size()) return "";

    std::string out = "\n  expected" + std::string(62, ' ') + "| actual\n";
    size_t rows = actual.size() > (size_t)count ? actual.size() : (size_t)count;
    for (size_t i = 0; i < rows; i++) {
        std::string left = "";
        if (i < (size_t)count) {
            const ExpectedMessage &x = expected[i];
            left = describe(x.window, x.message, x.flags, x.wParam, x.lParam, x.result, x.snapshot, true);
        }
        std::string right = "";
        if (i < actual.size()) {
            const LoggedMessage &y = actual[i];
            right = describe(y.window, y.message, y.flags, y.wParam, y.lParam, y.result, y.snapshot, false);
        }
        left.resize(70, ' ');
        out += "  " + left + "| " + right + "\n";
    }
    return out;
}

// The recording hooks of one pair: what they record as, and their handles.
template <unsigned beforeSource, unsigned afterSource> struct RecordingPair {
    static HHOOK before, after;

    static LRESULT CALLBACK recordBefore(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *m = (const CWPSTRUCT *)lParam;
        recordMessage(m->hwnd, m->message, m->wParam, m->lParam, beforeSource);
        return CallNextHookEx(NULL, code, wParam, lParam);
    }

    static LRESULT CALLBACK recordAfter(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
        recordMessageResult(m->hwnd, m->message, m->wParam, m->lParam, afterSource, m->lResult);
        return CallNextHookEx(NULL, code, wParam, lParam);
    }

    static void install()
    {
        before = SetWindowsHookExA(WH_CALLWNDPROC, recordBefore, NULL, GetCurrentThreadId());
        after = SetWindowsHookExA(WH_CALLWNDPROCRET, recordAfter, NULL, GetCurrentThreadId());
    }

    static void remove()
    {
        if (before) UnhookWindowsHookEx(before);
        if (after) UnhookWindowsHookEx(after);
        before = after = NULL;
    }
};
template <unsigned b, unsigned a> HHOOK RecordingPair<b, a>::before;
template <unsigned b, unsigned a> HHOOK RecordingPair<b, a>::after;

typedef RecordingPair<messageFromBeforeHook, messageFromAfterHook> FirstRecorders;
typedef RecordingPair<messageFromLateBeforeHook, messageFromLateAfterHook> LateRecorders;

void installRecordingHooks() { FirstRecorders::install(); }
void removeRecordingHooks() { FirstRecorders::remove(); }
void installLateRecordingHooks() { LateRecorders::install(); }
void removeLateRecordingHooks() { LateRecorders::remove(); }
