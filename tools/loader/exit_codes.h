// What vlload's exit code tells a script. Listed by "vlload /?"; keep the
// numbers stable, scripts and tests depend on them.
#pragma once

enum LoaderExitCode {
    exitOk = 0,               // started and later stopped, stopped, or running
    exitUsage = 1,            // unknown option
    exitDllNotFound = 2,      // no varnel.dll next to vlload.exe or in the Windows directory
    exitEngineRefused = 3,    // varnel.dll would not attach (usually: no vl.ini)
    exitNoHookEntries = 4,    // varnel.dll lacks SpyCallWndProc2 or SpyCallWndProc
    exitHookFailed = 5,       // the system refused to install a hook
    exitAlreadyRunning = 6,   // another vlload is running
    exitNotRunning = 7,       // /stop or /status: no vlload is running
    exitStopTimedOut = 8,     // /stop: the running vlload did not end in time
    exitPartlyRunning = 9,    // /status on 64-bit Windows: only one of vlload and vlload64 runs
    // /windowsbits: the bitness of Windows itself (the setup program asks,
    // and installs the 64-bit half only where it is 64)
    exitWindows32 = 32,
    exitWindows64 = 64,
};
