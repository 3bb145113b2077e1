// The loader's named objects (loader_objects.h).
#include "loader_objects.h"

#include "engine/object_security.h"

// The user's name and security are the engine's (engine/object_security.h),
// so that the loader's objects and the shared settings block carry the same
// session and user. The loader is no library entry point: it may load
// advapi32 from the system folder first, where the process lacks it.
void loaderObjectName(const char *stem, char *name, int size)
{
    loadSecurityLibrary();
    userObjectName(stem, name, size);
}

static SECURITY_ATTRIBUTES attributes;
static int securityMade;  // 0 not yet, 1 explicit, 2 explicit with label, -1 default

// Made once and kept while the loader runs.
static SECURITY_ATTRIBUTES *objectSecurity()
{
    if (!securityMade) {
        loadSecurityLibrary();
        const int made = makeObjectSecurity(&attributes);
        securityMade = made ? made : -1;
    }
    return securityMade > 0 ? &attributes : NULL;
}

int loaderObjectSecurity()
{
    objectSecurity();
    return securityMade > 0 ? securityMade : 0;
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
    if (check && !ownedByThisUser(object, 0)) {
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
