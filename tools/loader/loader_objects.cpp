// The loader's named objects (loader_objects.h).
#include "loader_objects.h"

#include <stdio.h>

#include <aclapi.h>

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
typedef DWORD(WINAPI *GetSecurityInfoFunction)(HANDLE object, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                               PSID *owner, PSID *group, PACL *dacl, PACL *sacl,
                                               PSECURITY_DESCRIPTOR *descriptor);
typedef BOOL(WINAPI *ProcessIdToSessionIdFunction)(DWORD process, DWORD *session);

// The revision ConvertStringSecurityDescriptorToSecurityDescriptor takes.
enum { sddlRevision = 1 };

// advapi32 from the system folder, never from the current one; once.
static FARPROC advapiFunction(const char *name)
{
    static HMODULE advapi;
    static int looked;
    if (!looked) {
        looked = 1;
        char path[MAX_PATH + 16];
        const UINT length = GetSystemDirectoryA(path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatA(path, "\\advapi32.dll");
            advapi = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    return advapi ? GetProcAddress(advapi, name) : NULL;
}

// The functions that secure the objects, which the switch of the tests
// (engine/newer_functions.h) hides to prove the default security. The
// names are made from what the system has whatever the switch says: every
// process of one user and session must find the same names.
static FARPROC securityFunction(const char *name) { return newerFunctionsHidden() ? NULL : advapiFunction(name); }

// This process's user and the owner its token gives new objects (the same,
// except for an administrator of some systems, whose objects the
// Administrators group owns).
static union {
    TOKEN_USER user;
    char room[256];
} userInfo;
static union {
    TOKEN_OWNER owner;
    char room[256];
} ownerInfo;
static int identityState;  // 0 unread, 1 read, -1 unknown
static char userSidText[192];

static void sidText(PSID sid, char *text, int size)
{
    GetSidIdentifierAuthorityFunction authorityOf =
        (GetSidIdentifierAuthorityFunction)advapiFunction("GetSidIdentifierAuthority");
    GetSidSubAuthorityCountFunction countOf = (GetSidSubAuthorityCountFunction)advapiFunction("GetSidSubAuthorityCount");
    GetSidSubAuthorityFunction subAuthority = (GetSidSubAuthorityFunction)advapiFunction("GetSidSubAuthority");
    IsValidSidFunction isValid = (IsValidSidFunction)advapiFunction("IsValidSid");
    text[0] = 0;
    if (!authorityOf || !countOf || !subAuthority || !isValid || !isValid(sid)) return;
    const SID_IDENTIFIER_AUTHORITY *a = authorityOf(sid);
    int at;
    if (a->Value[0] || a->Value[1])
        at = snprintf(text, size, "S-1-0x%02x%02x%02x%02x%02x%02x", a->Value[0], a->Value[1], a->Value[2],
                      a->Value[3], a->Value[4], a->Value[5]);
    else
        at = snprintf(text, size, "S-1-%lu",
                      (unsigned long)a->Value[5] | (unsigned long)a->Value[4] << 8 | (unsigned long)a->Value[3] << 16 |
                          (unsigned long)a->Value[2] << 24);
    const int count = *countOf(sid);
    for (int i = 0; i < count && at > 0 && at < size; i++)
        at += snprintf(text + at, size - at, "-%lu", (unsigned long)*subAuthority(sid, i));
}

static int readIdentity()
{
    if (identityState) return identityState == 1;
    identityState = -1;
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
    sidText(userInfo.user.User.Sid, userSidText, sizeof userSidText);
    if (!userSidText[0]) return 0;
    identityState = 1;
    return 1;
}

void loaderObjectName(const char *stem, char *name, int size)
{
    DWORD session = 0;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ProcessIdToSessionIdFunction sessionOf =
        kernel ? (ProcessIdToSessionIdFunction)GetProcAddress(kernel, "ProcessIdToSessionId") : NULL;
    if (!sessionOf || !sessionOf(GetCurrentProcessId(), &session)) session = 0;
    if (readIdentity())
        snprintf(name, size, "%s session %lu %s", stem, (unsigned long)session, userSidText);
    else
        snprintf(name, size, "%s session %lu", stem, (unsigned long)session);
}

// Vista and later know mandatory labels.
static int systemHasLabels() { return systemIsNtFamily() && (GetVersion() & 0xFF) >= 6; }

static SECURITY_ATTRIBUTES attributes;
static int securityMade;  // 0 not yet, 1 explicit, 2 explicit with label, -1 default

// Owner and access: this user; SYSTEM too. Inherited by nobody. The label:
// an elevated loader's objects would otherwise carry a high label, which
// a /stop run without elevation could not write to.
static SECURITY_ATTRIBUTES *objectSecurity()
{
    if (!securityMade) {
        securityMade = -1;
        StringToSecurityDescriptorFunction convert = (StringToSecurityDescriptorFunction)securityFunction(
            "ConvertStringSecurityDescriptorToSecurityDescriptorA");
        if (convert && readIdentity()) {
            char text[512];
            PSECURITY_DESCRIPTOR descriptor = NULL;
            for (int label = systemHasLabels(); label >= 0 && !descriptor; label--) {
                snprintf(text, sizeof text, "O:%sD:P(A;;GA;;;%s)(A;;GA;;;SY)%s", userSidText, userSidText,
                         label ? "S:(ML;;NW;;;ME)" : "");
                if (convert(text, sddlRevision, &descriptor, NULL)) securityMade = label ? 2 : 1;
                else descriptor = NULL;
            }
            attributes.nLength = sizeof attributes;
            attributes.lpSecurityDescriptor = descriptor;
            attributes.bInheritHandle = FALSE;
        }
    }
    return securityMade > 0 ? &attributes : NULL;
}

int loaderObjectSecurity()
{
    objectSecurity();
    return securityMade > 0 ? securityMade : 0;
}

// The object's owner must be this user (or the owner this user's objects
// get). Without the functions (Windows 95, 98, ME) nothing is checked.
static int ownedByThisUser(HANDLE object)
{
    GetSecurityInfoFunction securityInfo = (GetSecurityInfoFunction)securityFunction("GetSecurityInfo");
    EqualSidFunction equal = (EqualSidFunction)securityFunction("EqualSid");
    if (!securityInfo || !equal || !readIdentity()) return 1;
    PSID owner = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    const DWORD error =
        securityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, NULL, NULL, NULL, &descriptor);
    if (error == ERROR_CALL_NOT_IMPLEMENTED) return 1;
    // An object without an owner: the system keeps none for it (Wine's
    // objects made without a descriptor); Windows gives every object one.
    const int ours = error == ERROR_SUCCESS &&
                     (!owner || equal(owner, userInfo.user.User.Sid) ||
                      (ownerInfo.owner.Owner && equal(owner, ownerInfo.owner.Owner)));
    if (descriptor) LocalFree(descriptor);
    return ours;
}

const char *loaderObjectProblem(LoaderObjectState state)
{
    switch (state) {
    case loaderObjectUsable: return "is usable";
    case loaderObjectMissing: return "does not exist";
    case loaderObjectOtherKind: return "is held by an object of another kind";
    case loaderObjectOtherOwner: return "is held by another user's object";
    case loaderObjectNotMade: return "could not be made";
    case loaderObjectTooSmall: return "is held by shared memory without the loader's whole block committed";
    case loaderObjectNotUnderstood: return "is held by shared memory with another program's data";
    }
    return "is unusable";
}

static LoaderObjectState failure(DWORD error)
{
    if (error == ERROR_INVALID_HANDLE) return loaderObjectOtherKind;
    if (error == ERROR_ACCESS_DENIED) return loaderObjectOtherOwner;
    if (error == ERROR_FILE_NOT_FOUND) return loaderObjectMissing;
    return loaderObjectNotMade;
}

static HANDLE checked(HANDLE object, int check, LoaderObjectState *state)
{
    if (!object) {
        *state = failure(GetLastError());
        return NULL;
    }
    if (check && !ownedByThisUser(object)) {
        CloseHandle(object);
        *state = loaderObjectOtherOwner;
        return NULL;
    }
    *state = loaderObjectUsable;
    return object;
}

HANDLE createLoaderObject(LoaderObjectKind kind, const char *stem, LoaderObjectState *state, int *existed)
{
    char name[MAX_PATH];
    loaderObjectName(stem, name, sizeof name);
    SECURITY_ATTRIBUTES *security = objectSecurity();
    HANDLE object = NULL;
    SetLastError(ERROR_SUCCESS);
    switch (kind) {
    case loaderMutex: object = CreateMutexA(security, FALSE, name); break;
    case loaderEvent: object = CreateEventA(security, TRUE, FALSE, name); break;
    case loaderMapping:
        object = CreateFileMappingA(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0, sizeof(LoaderInfoBlock), name);
        break;
    }
    *existed = object && GetLastError() == ERROR_ALREADY_EXISTS;
    return checked(object, *existed, state);
}

HANDLE openLoaderObject(LoaderObjectKind kind, const char *stem, DWORD access, LoaderObjectState *state)
{
    char name[MAX_PATH];
    loaderObjectName(stem, name, sizeof name);
    access |= READ_CONTROL;
    HANDLE object = NULL;
    switch (kind) {
    case loaderMutex: object = OpenMutexA(access, FALSE, name); break;
    case loaderEvent: object = OpenEventA(access, FALSE, name); break;
    case loaderMapping: object = OpenFileMappingA(access, FALSE, name); break;
    }
    return checked(object, 1, state);
}

// Every byte of the block committed, readable, and writable for a writer:
// another program may have made a smaller section of the name, or one
// with pages reserved only, or read-only.
static LoaderObjectState viewCoversBlock(const void *view, int write)
{
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(view, &region, sizeof region) != sizeof region) return loaderObjectTooSmall;
    if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return loaderObjectTooSmall;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (write && !(region.Protect & writable)) return loaderObjectTooSmall;
    const SIZE_T covered = region.RegionSize - ((const char *)view - (const char *)region.BaseAddress);
    return covered < sizeof(LoaderInfoBlock) ? loaderObjectTooSmall : loaderObjectUsable;
}

volatile LoaderInfoBlock *mapLoaderInfo(HANDLE mapping, int write, LoaderObjectState *state)
{
    void *view = MapViewOfFile(mapping, write ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, sizeof(LoaderInfoBlock));
    *state = view ? viewCoversBlock(view, write) : loaderObjectTooSmall;
    volatile LoaderInfoBlock *block = (volatile LoaderInfoBlock *)view;
    if (*state == loaderObjectUsable) {
        const int ours = block->magic == loaderInfoMagic && block->layout == loaderInfoLayout;
        const int fresh = write && block->magic == 0 && block->layout == 0;
        if (!ours && !fresh) *state = loaderObjectNotUnderstood;
    }
    if (*state != loaderObjectUsable) {
        if (view) UnmapViewOfFile(view);
        return NULL;
    }
    return block;
}
