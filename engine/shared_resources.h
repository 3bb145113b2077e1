// What every drawing path of the engine shares: system metrics, caption
// colours and gradient steps, the caption fonts and the skin bitmaps. Filled
// at process attach and made again by the live path (engine/live_settings.h)
// when settings change or the system's caption colours or font do.
#pragma once

#include <windows.h>

struct SkinBitmap {
    HBITMAP handle;   // NULL when not loaded
    BITMAP info;      // all zero when not loaded; the file's size
    // The pixels every paint reads (engine/skin_pixels.h): handle is a DIB
    // section of them, a tile repeated to a block of pixels' size.
    const void *bits;
    BITMAPINFOHEADER pixels;
};

struct SharedResourcesRecord {
    NONCLIENTMETRICSA nonClientMetrics;
    int smallIconWidth;
    int frameWidth;
    int frameHeight;
    int captionButtonWidth;
    int captionHeight;
    int edgeWidth;
    int edgeHeight;
    int smallCaptionHeight;
    // The rest of what the system's frame and caption bar are laid out from
    // (caption/system_caption_bar.h): read once here, since under Wine each
    // GetSystemMetrics call costs microseconds, and a caption's rows need a
    // dozen of them.
    int dialogFrameWidth, dialogFrameHeight;   // SM_CXDLGFRAME, SM_CYDLGFRAME
    int borderWidth, borderHeight;             // SM_CXBORDER, SM_CYBORDER
    int captionButtonHeight;                   // SM_CYSIZE

    HBRUSH nullBrush;
    // SetDCBrushColor and SetDCPenColor, NULL before Windows 2000 (with the
    // DC_BRUSH and DC_PEN stock objects they serve): without them the
    // gradient painter makes a brush per band and a pen for its outline.
    COLORREF(WINAPI *setDCBrushColor)(HDC dc, COLORREF colour);
    COLORREF(WINAPI *setDCPenColor)(HDC dc, COLORREF colour);
    // GetLayout and SetLayout, NULL on Windows 95 and NT 4.0, which have no
    // mirrored windows: every DC there is laid out left to right.
    DWORD(WINAPI *getLayout)(HDC dc);
    DWORD(WINAPI *setLayout)(HDC dc, DWORD layout);
    HFONT captionFont;
    HFONT captionFontMedium;
    // The two at the small caption font's height, for tool windows, where
    // the caption font is larger than that; NULL when it is not.
    HFONT toolCaptionFont;
    HFONT toolCaptionFontMedium;

    unsigned char activeCaptionR, activeCaptionG, activeCaptionB;
    unsigned char inactiveCaptionR, inactiveCaptionG, inactiveCaptionB;
    float activeStepR, activeStepG, activeStepB;
    float inactiveStepR, inactiveStepG, inactiveStepB;

    SkinBitmap backgroundBitmap;   // "\varnels\vl.bmp"
    SkinBitmap mdiBitmap;          // "\varnels\vlmdi.bmp"
    SkinBitmap folderBitmap;       // "\varnels\vlback.bmp"
    SkinBitmap progressBitmap;     // "\varnels\vlprog.bmp"
    SkinBitmap scrollBarBitmap;    // "\varnels\vlscr.bmp"
    HBRUSH scrollBarBrush;
    SkinBitmap macCloseBitmap;     // "\varnels\maccl.bmp"
    SkinBitmap macMaxBitmap;       // "\varnels\macmx.bmp"
    SkinBitmap macMinBitmap;       // "\varnels\macmn.bmp"
    SkinBitmap macMaxDownBitmap;   // "\varnels\macmxd.bmp"
    SkinBitmap macMinDownBitmap;   // "\varnels\macmnd.bmp"
};

extern SharedResourcesRecord SharedResources;

// The gradient step of one colour component: the signed difference divided,
// truncating toward zero, by the band count. A band count of 0 gives 0.
float gradientStep(int captionComponent, int endComponent, int steps);
