#include "support/gdi_handles.h"

#include <vector>

#include <windows.h>

#include <gtest/gtest.h>

int freeGdiHandles()
{
    std::vector<HPEN> pens;
    pens.reserve(70000);
    for (;;) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
        if (!pen) break;
        pens.push_back(pen);
        if (pens.size() > 200000) break;
    }
    for (HPEN pen : pens) DeleteObject(pen);
    return (int)pens.size();
}

void expectPaintsKeepGdiHandles(int times, const std::function<void(int i)> &paint)
{
    for (int i = 0; i < 5; i++) paint(i);
    const int before = freeGdiHandles();
    ASSERT_GT(before, 1000);
    for (int i = 0; i < times; i++) paint(i);
    EXPECT_EQ(before, freeGdiHandles());
}

namespace {

// One entry of the shared handle table, as Wine lays it out (ntgdi.h).
#pragma pack(push, 4)
struct HandleEntry {
    unsigned long long object;
    unsigned long owner;
    unsigned short unique;
    unsigned char type;
    unsigned char flags;
    unsigned long long userPointer;
};
#pragma pack(pop)
static_assert(sizeof(HandleEntry) == 24, "the table's entries are 24 bytes");

// Where the process block holds the table's address, and where the thread
// block holds the process block's (a 64-bit process reaches it through gs).
#ifdef _WIN64
enum { handleCount = 0x10000, pebSharedHandleTable = 0xf8 };
#else
enum { handleCount = 0x10000, pebSharedHandleTable = 0x94 };
#endif
enum {
    typeDc = 0x01, typeRegion = 0x04, typeSurface = 0x05, typeBitmap = 0x09, typeFont = 0x0a, typeBrush = 0x10,
    typePen = 0x30, typeExtPen = 0x50, typeMemoryDc = 0x41,
};

const HandleEntry *sharedHandleTable()
{
    const unsigned char *peb;
#ifdef _WIN64
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
#else
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
#endif
    return peb ? *(const HandleEntry *const *)(peb + pebSharedHandleTable) : NULL;
}

}  // namespace

bool countGdiObjects(GdiObjectCounts *counts)
{
    *counts = GdiObjectCounts();
    const HandleEntry *table = sharedHandleTable();
    if (!table) return false;
    for (int i = 0; i < handleCount; i++) {
        switch (table[i].type) {
        case 0: break;
        case typeDc: counts->windowDcs++; break;
        case typeMemoryDc: counts->memoryDcs++; break;
        case typeRegion: counts->regions++; break;
        case typeSurface: counts->surfaces++; break;
        case typeBitmap: counts->bitmaps++; break;
        case typeFont: counts->fonts++; break;
        case typeBrush: counts->brushes++; break;
        case typePen: case typeExtPen: counts->pens++; break;
        default: counts->others++; break;
        }
    }
    return true;
}

std::string gdiCountChanges(const GdiObjectCounts &before, const GdiObjectCounts &after)
{
    struct Kind {
        const char *name;
        int GdiObjectCounts::*count;
    };
    const Kind kinds[] = {
        {"window DCs", &GdiObjectCounts::windowDcs}, {"memory DCs", &GdiObjectCounts::memoryDcs},
        {"regions", &GdiObjectCounts::regions},      {"surfaces", &GdiObjectCounts::surfaces},
        {"bitmaps", &GdiObjectCounts::bitmaps},      {"fonts", &GdiObjectCounts::fonts},
        {"brushes", &GdiObjectCounts::brushes},      {"pens", &GdiObjectCounts::pens},
        {"others", &GdiObjectCounts::others},
    };
    std::string text;
    for (const Kind &k : kinds)
        if (before.*k.count != after.*k.count) {
            if (!text.empty()) text += ", ";
            text += std::string(k.name) + ": " + std::to_string(before.*k.count) + " -> " +
                    std::to_string(after.*k.count);
        }
    return text;
}
