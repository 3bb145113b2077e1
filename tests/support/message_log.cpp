#include "support/message_log.h"

#include <stdio.h>

static std::vector<LoggedMessage> logged;

void recordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned flags)
{
    logged.push_back({window, message, flags, wParam, lParam});
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

static std::string describe(UINT message, unsigned flags, WPARAM wParam, LPARAM lParam)
{
    char text[120];
    const char *source = (flags & messageFromOwnProcedure)  ? "own"
                         : (flags & messageFromBeforeHook) ? "before"
                         : (flags & messageFromAfterHook)  ? "after"
                         : (flags & messageFromParent)     ? "parent"
                                                           : "?";
    snprintf(text, sizeof text, "%-6s %04x wp=%08lx lp=%08lx%s", source, message, (unsigned long)wParam,
             (unsigned long)lParam, (flags & optionalEntry) ? " (optional)" : "");
    return text;
}

std::string compareMessageLog(const ExpectedMessage *expected, int count, HWND window, unsigned sourceMask)
{
    std::vector<LoggedMessage> actual;
    for (auto &m : logged)
        if ((!window || m.window == window) && (m.flags & sourceMask)) actual.push_back(m);

    size_t a = 0;
    bool ok = true;
    for (int e = 0; e < count; e++) {
        const ExpectedMessage &x = expected[e];
        bool match = a < actual.size() && actual[a].message == x.message &&
                     (actual[a].flags & messageSourceMask) == (x.flags & messageSourceMask) &&
                     (!(x.flags & matchWParam) || actual[a].wParam == x.wParam) &&
                     (!(x.flags & matchLParam) || actual[a].lParam == x.lParam);
        if (match)
            a++;
        else if (!(x.flags & optionalEntry)) {
            ok = false;
            break;
        }
    }
    if (ok && a == actual.size()) return "";

    std::string out = "\n  expected                                        | actual\n";
    size_t rows = actual.size() > (size_t)count ? actual.size() : (size_t)count;
    for (size_t i = 0; i < rows; i++) {
        std::string left = i < (size_t)count
                               ? describe(expected[i].message, expected[i].flags, expected[i].wParam, expected[i].lParam)
                               : "";
        std::string right =
            i < actual.size() ? describe(actual[i].message, actual[i].flags, actual[i].wParam, actual[i].lParam) : "";
        left.resize(48, ' ');
        out += "  " + left + "| " + right + "\n";
    }
    return out;
}

static HHOOK beforeHook, afterHook;

static LRESULT CALLBACK recordBefore(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lParam;
    recordMessage(m->hwnd, m->message, m->wParam, m->lParam, messageFromBeforeHook);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static LRESULT CALLBACK recordAfter(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
    recordMessage(m->hwnd, m->message, m->wParam, m->lParam, messageFromAfterHook);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void installRecordingHooks()
{
    beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, recordBefore, NULL, GetCurrentThreadId());
    afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, recordAfter, NULL, GetCurrentThreadId());
}

void removeRecordingHooks()
{
    if (beforeHook) UnhookWindowsHookEx(beforeHook);
    if (afterHook) UnhookWindowsHookEx(afterHook);
    beforeHook = afterHook = NULL;
}
