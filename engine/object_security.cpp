// This user's named objects (object_security.h).
#include "engine/object_security.h"

#include "engine/newer_functions.h"

typedef BOOL(WINAPI *OpenProcessTokenFunction)(HANDLE process, DWORD access, HANDLE *token);
typedef BOOL(WINAPI *GetTokenInformationFunction)(HANDLE token, TOKEN_INFORMATION_CLASS kind, void *data, DWORD size,
                                                  DWORD *needed);
typedef BOOL(WINAPI *IsValidSidFunction)(PSID sid);
typedef PSID_IDENTIFIER_AUTHORITY(WINAPI *GetSidIdentifierAuthorityFunction)(PSID sid);
typedef PUCHAR(WINAPI *GetSidSubAuthorityCountFunction)(PSID sid);
typedef PDWORD(WINAPI *GetSidSubAuthorityFunction)(PSID sid, DWORD index);
typedef BOOL(WINAPI *EqualSidFunction)(PSID one, PSID other);
typedef BOOL(WINAPI *StringToSecurityDescriptorFunction)(LPCSTR text, DWORD revision, PSECURITY_DESCRIPTOR *made,
                                                         PULONG size);
typedef BOOL(WINAPI *GetKernelObjectSecurityFunction)(HANDLE object, SECURITY_INFORMATION what,
                                                      PSECURITY_DESCRIPTOR descriptor, DWORD size, DWORD *needed);
typedef BOOL(WINAPI *GetSecurityDescriptorOwnerFunction)(PSECURITY_DESCRIPTOR descriptor, PSID *owner,
                                                         BOOL *defaulted);
typedef BOOL(WINAPI *ProcessIdToSessionIdFunction)(DWORD process, DWORD *session);

// The revision ConvertStringSecurityDescriptorToSecurityDescriptorA takes.
enum { sddlRevision = 1 };
// Room for a SID as text: "S-1-" and a 48-bit authority in hex, then up to
// 15 sub-authorities of up to 10 digits each.
enum { sidTextRoom = 192 };
// wsprintfA writes at most this many characters.
enum { formatRoom = 1024 };

static HMODULE loadedAdvapi;

void loadSecurityLibrary()
{
    if (loadedAdvapi || GetModuleHandleA("advapi32.dll")) return;
    char path[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcatA(path, "\\advapi32.dll");
    // Kept for the process's life: the functions looked up from it are.
    loadedAdvapi = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// From the advapi32 the process has: never loaded here, since the engine
// comes here from its entry point.
static FARPROC advapiFunction(const char *name)
{
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    return advapi ? GetProcAddress(advapi, name) : NULL;
}

// The functions that secure objects, which the switch of the tests hides to
// prove the default security. Names are made from what the system has
// whatever the switch says: every process of one user and session must
// compute the same ones.
static FARPROC securityFunction(const char *name) { return newerFunctionsHidden() ? NULL : advapiFunction(name); }

// The user and the owner the token gives new objects (the same, except for
// an administrator of some systems, whose objects the Administrators group
// owns).
static union {
    TOKEN_USER user;
    char room[256];
} userInfo;
static union {
    TOKEN_OWNER owner;
    char room[256];
} ownerInfo;
static volatile LONG identityRead;  // 1 once read; a failure is tried again
static char sidText[sidTextRoom];

static void formatSid(PSID sid, char *text, int size)
{
    GetSidIdentifierAuthorityFunction authorityOf =
        (GetSidIdentifierAuthorityFunction)advapiFunction("GetSidIdentifierAuthority");
    GetSidSubAuthorityCountFunction countOf = (GetSidSubAuthorityCountFunction)advapiFunction("GetSidSubAuthorityCount");
    GetSidSubAuthorityFunction subAuthority = (GetSidSubAuthorityFunction)advapiFunction("GetSidSubAuthority");
    IsValidSidFunction isValid = (IsValidSidFunction)advapiFunction("IsValidSid");
    text[0] = 0;
    if (!authorityOf || !countOf || !subAuthority || !isValid || !isValid(sid)) return;
    const SID_IDENTIFIER_AUTHORITY *a = authorityOf(sid);
    char out[formatRoom];
    int at;
    if (a->Value[0] || a->Value[1])
        at = wsprintfA(out, "S-1-0x%02x%02x%02x%02x%02x%02x", a->Value[0], a->Value[1], a->Value[2], a->Value[3],
                       a->Value[4], a->Value[5]);
    else
        at = wsprintfA(out, "S-1-%lu",
                       (unsigned long)a->Value[5] | (unsigned long)a->Value[4] << 8 |
                           (unsigned long)a->Value[3] << 16 | (unsigned long)a->Value[2] << 24);
    const int count = *countOf(sid);
    // A valid SID has at most 15 sub-authorities: far within the room.
    for (int i = 0; i < count && at > 0 && at < formatRoom - 16; i++)
        at += wsprintfA(out + at, "-%lu", (unsigned long)*subAuthority(sid, (DWORD)i));
    if (at >= size) return;
    lstrcpynA(text, out, size);
}

static int readIdentity()
{
    if (identityRead) return 1;
    OpenProcessTokenFunction openToken = (OpenProcessTokenFunction)advapiFunction("OpenProcessToken");
    GetTokenInformationFunction tokenInformation =
        (GetTokenInformationFunction)advapiFunction("GetTokenInformation");
    HANDLE token = NULL;
    if (!openToken || !tokenInformation || !openToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
    DWORD needed = 0;
    const int read = tokenInformation(token, TokenUser, &userInfo, sizeof userInfo, &needed);
    if (!tokenInformation(token, TokenOwner, &ownerInfo, sizeof ownerInfo, &needed)) ownerInfo.owner.Owner = NULL;
    CloseHandle(token);
    if (!read) return 0;
    formatSid(userInfo.user.User.Sid, sidText, sizeof sidText);
    if (!sidText[0]) return 0;
    InterlockedExchange(&identityRead, 1);
    return 1;
}

const char *userSidText() { return readIdentity() ? sidText : ""; }

int userObjectName(const char *stem, char *name, int size)
{
    DWORD session = 0;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ProcessIdToSessionIdFunction sessionOf =
        kernel ? (ProcessIdToSessionIdFunction)GetProcAddress(kernel, "ProcessIdToSessionId") : NULL;
    if (!sessionOf || !sessionOf(GetCurrentProcessId(), &session)) session = 0;
    char out[formatRoom];
    const int known = readIdentity();
    if (lstrlenA(stem) > formatRoom - sidTextRoom - 32) {
        // No caller's stem comes near; a name cut short names nothing.
        if (size > 0) name[0] = 0;
        return 0;
    }
    if (known)
        wsprintfA(out, "%s session %lu %s", stem, (unsigned long)session, sidText);
    else
        wsprintfA(out, "%s session %lu", stem, (unsigned long)session);
    if (lstrlenA(out) >= size) {
        if (size > 0) name[0] = 0;
        return 0;
    }
    lstrcpynA(name, out, size);
    return known || !systemIsNtFamily();
}

// Vista and later know mandatory labels.
static int systemHasLabels() { return systemIsNtFamily() && (GetVersion() & 0xFF) >= 6; }

int makeObjectSecurity(SECURITY_ATTRIBUTES *attributes)
{
    attributes->nLength = sizeof *attributes;
    attributes->lpSecurityDescriptor = NULL;
    attributes->bInheritHandle = FALSE;
    StringToSecurityDescriptorFunction convert = (StringToSecurityDescriptorFunction)securityFunction(
        "ConvertStringSecurityDescriptorToSecurityDescriptorA");
    if (!convert || !readIdentity()) return 0;
    // Owner and access: this user; SYSTEM too. The label: an elevated
    // program's objects would otherwise carry a high one, which the same
    // user's programs without elevation could not write to.
    char text[formatRoom];
    for (int label = systemHasLabels(); label >= 0; label--) {
        wsprintfA(text, "O:%sD:P(A;;GA;;;%s)(A;;GA;;;SY)%s", sidText, sidText, label ? "S:(ML;;NW;;;ME)" : "");
        PSECURITY_DESCRIPTOR descriptor = NULL;
        if (convert(text, sddlRevision, &descriptor, NULL) && descriptor) {
            attributes->lpSecurityDescriptor = descriptor;
            return label ? 2 : 1;
        }
    }
    return 0;
}

void freeObjectSecurity(SECURITY_ATTRIBUTES *attributes)
{
    if (attributes->lpSecurityDescriptor) LocalFree(attributes->lpSecurityDescriptor);
    attributes->lpSecurityDescriptor = NULL;
}

static int isSystem(PSID sid, EqualSidFunction equal)
{
    // S-1-5-18, the local system account.
    static SID system = {SID_REVISION, 1, SECURITY_NT_AUTHORITY, {SECURITY_LOCAL_SYSTEM_RID}};
    return equal(sid, &system);
}

int ownedByThisUser(HANDLE object, int systemToo)
{
    GetKernelObjectSecurityFunction objectSecurity =
        (GetKernelObjectSecurityFunction)securityFunction("GetKernelObjectSecurity");
    GetSecurityDescriptorOwnerFunction ownerOf =
        (GetSecurityDescriptorOwnerFunction)securityFunction("GetSecurityDescriptorOwner");
    EqualSidFunction equal = (EqualSidFunction)securityFunction("EqualSid");
    if (!objectSecurity || !ownerOf || !equal || !readIdentity()) return 1;
    union {
        SECURITY_DESCRIPTOR_RELATIVE header;
        char room[512];
    } descriptor;
    DWORD needed = 0;
    if (!objectSecurity(object, OWNER_SECURITY_INFORMATION, &descriptor, sizeof descriptor, &needed))
        // Refused: not an object this user may read the owner of.
        return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    PSID owner = NULL;
    BOOL defaulted = FALSE;
    if (!ownerOf(&descriptor, &owner, &defaulted)) return 0;
    // An object without an owner: the system keeps none for it (Wine's
    // objects made without a descriptor); Windows gives every object one.
    if (!owner) return 1;
    if (equal(owner, userInfo.user.User.Sid)) return 1;
    if (ownerInfo.owner.Owner && equal(owner, ownerInfo.owner.Owner)) return 1;
    return systemToo && isSystem(owner, equal);
}
