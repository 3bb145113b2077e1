#include "support/user_identity.h"

#include <windows.h>
#include <sddl.h>

std::string userSid()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    union {
        TOKEN_USER user;
        char room[256];
    } info;
    DWORD needed;
    char *text = NULL;
    std::string sid;
    if (GetTokenInformation(token, TokenUser, &info, sizeof info, &needed) &&
        ConvertSidToStringSidA(info.user.User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}
