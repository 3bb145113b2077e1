#include "support/skinned_controls.h"

#include <set>

#include "support/engine_hooks.h"

void SkinnedControlsTest::SetUp()
{
    EngineTest::SetUp();
    quietOtherStages();
}

const char *buttonSuperclass(const char *name)
{
    static std::set<std::string> registered;
    if (!registered.count(name)) {
        WNDCLASSA wc;
        GetClassInfoA(NULL, "Button", &wc);
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = name;
        wc.style &= ~CS_GLOBALCLASS;
        RegisterClassA(&wc);
        registered.insert(name);
    }
    return registered.find(name)->c_str();
}

COLORREF displayed(COLORREF colour)
{
    HDC screen = GetDC(NULL);
    COLORREF nearest = GetNearestColor(screen, colour);
    ReleaseDC(NULL, screen);
    return nearest & 0x00FFFFFF;
}
