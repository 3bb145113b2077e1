#include "support/user_identity.h"

#include <windows.h>
#include <aclapi.h>
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

std::string securityText(HANDLE object, SECURITY_INFORMATION what)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, what, NULL, NULL, NULL, NULL, &descriptor) != ERROR_SUCCESS)
        return "(unreadable)";
    char *text = NULL;
    std::string sddl = "(unconvertible)";
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, what, &text, NULL)) {
        sddl = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return sddl;
}

std::string notUserAndSystemOnly(const std::string &sddl)
{
    const std::string sid = userSid();
    if (sid.empty()) return "the user's SID cannot be read";
    if (sddl.find("O:" + sid) == std::string::npos) return "not owned by the user: " + sddl;
    if (sddl.find(";;;" + sid + ")") == std::string::npos) return "no entry for the user: " + sddl;
    if (sddl.find(";;;SY)") == std::string::npos) return "no entry for SYSTEM: " + sddl;
    size_t entries = 0;
    for (size_t at = sddl.find("(A;"); at != std::string::npos; at = sddl.find("(A;", at + 1)) entries++;
    if (entries != 2) return "not two allowing entries: " + sddl;
    return "";
}
