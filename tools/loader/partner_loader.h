// The 64-bit half of the loader. A 64-bit process loads only 64-bit
// libraries, so on 64-bit Windows varnel.dll reaches the 32-bit programs only;
// vlload then also starts vlload64.exe from its own folder, which installs
// varnel64.dll's hooks for the 64-bit programs, and stops it again on its way
// out. On 32-bit Windows nothing of this runs.
#pragma once

#include <windows.h>

// 1 when the system runs 64-bit programs: always for the 64-bit build; for
// the 32-bit one, when IsWow64Process (XP SP2 and later, looked up) says this
// process runs under WOW64. Without the function: 0.
int systemIs64Bit();

struct PartnerLoader {
    HANDLE process;   // the vlload64 this loader started, NULL when none
    DWORD id;
};

// Starts vlload64.exe with "/partner <this process id>" (and
// "/messagehooks" with messageHooks) and waits until it has installed its
// hooks or has ended. A missing program or a failure is noted, not fatal:
// the 32-bit programs are skinned all the same.
void startPartnerLoader(PartnerLoader *partner, int messageHooks);

// Asks the vlload64 this loader started to stop and waits for it to end.
void stopPartnerLoader(PartnerLoader *partner);

// For vlload64 started by vlload: the process to follow, from the argument of
// "/partner", or NULL. When it ends, so does vlload64, so that killing vlload
// never leaves the 64-bit hooks behind.
HANDLE openFollowedProcess(const char *processId);
