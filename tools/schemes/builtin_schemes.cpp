// The built-in schemes: their settings as data, their bitmaps drawn from the
// skin's own code, so no picture is kept in the sources.
#include "tools/schemes/builtin_schemes.h"

#include <string.h>

#include <windows.h>

#include "tools/skingen/scheme_art.h"

// packaging/showcase.txt, built in by the build (showcase_text.cpp).
extern const char showcaseSettingsText[];

static void drawStripedBoxes(Scheme *scheme)
{
    for (const SchemeArtFile &file : schemeArtFiles("Stripes", desktopSkinColours())) {
        std::vector<unsigned char> bytes = bitmapFileBytes(file.picture);
        addSchemeBitmap(scheme, file.name, std::string(bytes.begin(), bytes.end()));
    }
}

const BuiltinScheme builtinSchemes[builtinSchemeCount] = {
    {"Classic", "navy captions running to a clear sky blue, inactive ones to silver",
     "activeGradientEnd = #1084D0\n"
     "inactiveGradientEnd = #C0C0C0\n"
     "gradientSteps = 64\n"
     "solidInactiveCaption = off\n",
     NULL},
    {"Slate", "dark slate captions, flat bars and buttons",
     "activeGradientEnd = #2F3B4C\n"
     "inactiveGradientEnd = #50565E\n"
     "gradientSteps = 48\n"
     "solidInactiveCaption = off\n"
     "ownerDrawnButtons = on\n"
     "listViewGridLines = on\n",
     NULL},
    {"Sunset", "captions glowing into orange, rounded menus",
     "activeGradientEnd = #FF9A3C\n"
     "inactiveGradientEnd = #D8B49A\n"
     "gradientSteps = 48\n"
     "solidInactiveCaption = off\n"
     "roundedWindows = on\n",
     NULL},
    {"HighContrast", "captions that darken toward black so white titles stay readable; no animations or tiles",
     "activeGradientEnd = #000000\n"
     "inactiveGradientEnd = #202020\n"
     "gradientSteps = 16\n"
     "solidInactiveCaption = on\n"
     "animateMainWindows = off\n"
     "animateMenus = off\n"
     "tileBackgrounds = off\n"
     "listViewGridLines = on\n",
     NULL},
    {"Stripes", "striped captions with jewel caption boxes, close box at the left",
     "macButtons = on\n"
     "forceClientEdge = on\n",
     drawStripedBoxes},
    {"Mirror", "a teal gradient that peaks mid-caption and runs back",
     "activeGradientEnd = #40B0B0\n"
     "inactiveGradientEnd = #A8C0C0\n"
     "gradientSteps = 64\n"
     "mirroredGradient = on\n"
     "solidInactiveCaption = off\n",
     NULL},
    {"FlatButtons", "the system's captions as they are; only push buttons drawn flat",
     "ownerDrawnButtons = on\n",
     NULL},
    {"Showcase", "what the setup installs: sky-blue gradients, tiled backgrounds, rounded menus",
     showcaseSettingsText, NULL},
};

const BuiltinScheme *findBuiltinScheme(const std::string &name)
{
    for (const BuiltinScheme &b : builtinSchemes)
        if (lstrcmpiA(b.name, name.c_str()) == 0) return &b;
    return NULL;
}

bool builtinScheme(const BuiltinScheme &builtin, Scheme *scheme, std::string *error)
{
    std::string text = "varnel scheme " + std::to_string((int)schemeFormatVersion) + "\nname = " + builtin.name +
                       "\n[settings]\n" + builtin.settings + "\n[end]\n";
    if (!parseSchemeText(text, scheme, error)) {
        *error = "built-in scheme " + std::string(builtin.name) + ": " + *error;
        return false;
    }
    if (builtin.drawBitmaps) builtin.drawBitmaps(scheme);
    return true;
}
