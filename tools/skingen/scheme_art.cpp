// Stripes: the striped caption's boxes cut from other stones than the
// default skin's, rose quartz, aquamarine and blue topaz, so the scheme reads
// as its own even beside the default.
#include "scheme_art.h"

#include <string.h>
#include <strings.h>

static const GemStones stripesStones = {{
    0x7C54D6,  // close: rose quartz
    0xAAAA38,  // zoom: aquamarine
    0xD67846,  // minimise: blue topaz
}};

std::vector<SchemeArtFile> schemeArtFiles(const char *scheme, const SkinColours &c)
{
    std::vector<SchemeArtFile> files;
    if (strcasecmp(scheme, "Stripes") != 0) return files;
    files.push_back({"maccl.bmp", captionBoxOfStones(c, closeBox, 1, stripesStones)});
    files.push_back({"macmx.bmp", captionBoxOfStones(c, zoomBox, 1, stripesStones)});
    files.push_back({"macmn.bmp", captionBoxOfStones(c, minimiseBox, 1, stripesStones)});
    files.push_back({"macmxd.bmp", captionBoxOfStones(c, zoomBox, 0, stripesStones)});
    files.push_back({"macmnd.bmp", captionBoxOfStones(c, minimiseBox, 0, stripesStones)});
    return files;
}
