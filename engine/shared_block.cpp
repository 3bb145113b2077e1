// The shared block: its name, making or opening it, and the checks before
// the first read.
#include "engine/shared_block.h"

#include "engine/object_security.h"

static const DWORD blockSize = sizeof(SharedSettingsBlock);

const char *sharedBlockProblem(SharedBlockState state)
{
    switch (state) {
    case sharedBlockUsable: return "usable";
    case sharedBlockNotASection: return "its name is held by an object that is not shared memory";
    case sharedBlockNotMade: return "the system would not make it";
    case sharedBlockNotMapped: return "it could not be mapped for writing";
    case sharedBlockTooSmall: return "it is smaller than the block";
    case sharedBlockNotWritable: return "its pages are not committed and writable";
    case sharedBlockNotUnderstood: return "it holds another program's data or another layout";
    case sharedBlockOtherOwner: return "its name is held by another user's object";
    case sharedBlockNoUser: return "its name needs the user, whom this process could not read";
    }
    return "unknown";
}

// One block per user and session, and per engine folder, so that programs
// reading another folder (the tests' own) never see this one's changes. A
// name may not hold a backslash, and the same folder must give the same
// name whatever the case it was spelled in.
int sharedBlockName(const char *windowsDirectory, char *name, int size)
{
    char directory[MAX_PATH];
    if (!windowsDirectory) {
        if (!GetWindowsDirectoryA(directory, sizeof directory)) directory[0] = 0;
        windowsDirectory = directory;
    }
    const int known = userObjectName("VarnelSettingsGeneration", name, size);
    int at = lstrlenA(name);
    if (at == 0 || at >= size - 1) return 0;
    name[at++] = ' ';
    const char *c = windowsDirectory;
    for (; *c && at < size - 1; c++, at++)
        name[at] = *c == '\\' ? '/' : (*c >= 'A' && *c <= 'Z') ? (char)(*c - 'A' + 'a') : *c;
    name[at] = 0;
    // A folder cut short would name another folder's block.
    return *c ? 0 : known;
}

// Every byte of the block must be committed and writable before anything
// reads or writes it: another program may have made a smaller section of
// the name, or one with pages reserved only, or read-only, and a fault here
// would come inside DllMain of every program.
static SharedBlockState viewCoversBlock(const void *view)
{
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(view, &region, sizeof region) != sizeof region) return sharedBlockNotMapped;
    if (region.State != MEM_COMMIT) return sharedBlockNotWritable;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(region.Protect & writable) || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return sharedBlockNotWritable;
    // The region runs on from the view's start while the pages stay alike.
    const SIZE_T covered = region.RegionSize - ((const char *)view - (const char *)region.BaseAddress);
    if (covered < blockSize) return sharedBlockTooSmall;
    return sharedBlockUsable;
}

// A zeroed block is a new one: the first to see it writes the layout, then
// the magic; racing openers of the same layout agree whatever their order.
static SharedBlockState blockUnderstood(volatile SharedSettingsBlock *b)
{
    InterlockedCompareExchange((LONG *)&b->layout, sharedBlockLayout, 0);
    InterlockedCompareExchange((LONG *)&b->magic, sharedBlockMagic, 0);
    if (b->magic != sharedBlockMagic || b->layout != sharedBlockLayout) return sharedBlockNotUnderstood;
    return sharedBlockUsable;
}

volatile SharedSettingsBlock *mapSharedBlock(const char *windowsDirectory, HANDLE *mapping, SharedBlockState *state,
                                             int *existed)
{
    SharedBlockState ignored;
    if (!state) state = &ignored;
    if (existed) *existed = 0;
    *mapping = NULL;
    char name[sharedBlockNameRoom];
    if (!sharedBlockName(windowsDirectory, name, sizeof name)) {
        *state = sharedBlockNoUser;
        return NULL;
    }
    SECURITY_ATTRIBUTES security;
    const int secured = makeObjectSecurity(&security);
    SetLastError(ERROR_SUCCESS);
    *mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, secured ? &security : NULL, PAGE_READWRITE, 0, blockSize, name);
    const DWORD error = GetLastError();
    freeObjectSecurity(&security);
    const int found = *mapping && error == ERROR_ALREADY_EXISTS;
    if (!*mapping) {
        *state = error == ERROR_INVALID_HANDLE  ? sharedBlockNotASection
                 : error == ERROR_ACCESS_DENIED ? sharedBlockOtherOwner
                                                : sharedBlockNotMade;
        return NULL;
    }
    // A block found already there is this user's only when this user (or
    // SYSTEM) made it: another user of the session may have made the name
    // first, with access for all, to read and write what this user's
    // programs share.
    if (found && !ownedByThisUser(*mapping, 1)) {
        CloseHandle(*mapping);
        *mapping = NULL;
        *state = sharedBlockOtherOwner;
        return NULL;
    }
    if (existed) *existed = found;
    void *view = MapViewOfFile(*mapping, FILE_MAP_WRITE, 0, 0, blockSize);
    *state = view ? viewCoversBlock(view) : sharedBlockNotMapped;
    if (*state == sharedBlockUsable) *state = blockUnderstood((volatile SharedSettingsBlock *)view);
    if (*state != sharedBlockUsable) {
        if (view) UnmapViewOfFile(view);
        CloseHandle(*mapping);
        *mapping = NULL;
        return NULL;
    }
    return (volatile SharedSettingsBlock *)view;
}

void unmapSharedBlock(volatile SharedSettingsBlock *block, HANDLE mapping)
{
    if (block) UnmapViewOfFile((void *)block);
    if (mapping) CloseHandle(mapping);
}

int sharedBlockExists(const char *windowsDirectory)
{
    char name[sharedBlockNameRoom];
    if (!sharedBlockName(windowsDirectory, name, sizeof name)) return -1;
    HANDLE existing = OpenFileMappingA(FILE_MAP_WRITE | READ_CONTROL, FALSE, name);
    if (!existing) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    const int ours = ownedByThisUser(existing, 1);
    CloseHandle(existing);
    return ours ? 1 : -1;
}

int sharedBlockSecurity()
{
    SECURITY_ATTRIBUTES security;
    const int secured = makeObjectSecurity(&security);
    freeObjectSecurity(&security);
    return secured;
}
