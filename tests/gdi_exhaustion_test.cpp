// Painting when the process has no GDI handle to spare: the engine lives in
// programs that may leak handles until none is left. A caption whose strip
// cannot be composed stays as the system drew it; it never becomes a black
// or half-drawn bar.
#include <gtest/gtest.h>

#include <vector>

#include "caption/caption_painters.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_folder.h"
#include "support/test_windows.h"

namespace {

// Holds every GDI handle the process could still create but `spare`.
class GdiHandlesTaken {
public:
    explicit GdiHandlesTaken(int spare)
    {
        for (;;) {
            HPEN pen = CreatePen(PS_SOLID, 0, RGB(1, 2, 3));
            if (!pen) break;
            pens_.push_back(pen);
        }
        for (int i = 0; i < spare && !pens_.empty(); i++) {
            DeleteObject(pens_.back());
            pens_.pop_back();
        }
    }
    ~GdiHandlesTaken()
    {
        for (HPEN pen : pens_) DeleteObject(pen);
    }
    size_t taken() const { return pens_.size(); }

private:
    std::vector<HPEN> pens_;
};

typedef void (*Painter)(HWND, HDC, int, int, int, int, int, int);

// Whether the strip reached the window is what the pixels show.
void gradientPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight, int state)
{
    GradientCaptionPainter(window, dc, left, top, right, bottom, buttonsRight, state);
}

void stripedPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight, int state)
{
    StripedCaptionPainter(window, dc, left, top, right, bottom, buttonsRight, state);
}

class GdiExhaustion : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        folder.write("\\varnels\\vl.ini", settingsFileFor({{"gradientSteps", 16}}));
        ASSERT_TRUE(attachEngine(folder));
        // The brush-per-band path, which needs a handle for every band.
        SharedResources.setDCBrushColor = NULL;
        SharedResources.setDCPenColor = NULL;
        window = createTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 400, 200, "Out of handles");
        pumpMessages();
    }
    void TearDown() override
    {
        DestroyWindow(window);
        detachEngine();
    }
    // Fills the caption with a marker, paints with `spare` handles left, and
    // counts the caption pixels that are no longer the marker.
    int pixelsChanged(Painter painter, int spare)
    {
        const COLORREF marker = RGB(1, 251, 3);
        RECT r;
        GetWindowRect(window, &r);
        const int width = r.right - r.left, captionBottom = GetSystemMetrics(SM_CYCAPTION) + 3;
        HDC dc = GetWindowDC(window);
        HBRUSH brush = CreateSolidBrush(marker);
        RECT caption = {0, 0, width, captionBottom};
        FillRect(dc, &caption, brush);
        DeleteObject(brush);
        {
            GdiHandlesTaken taken(spare);
            EXPECT_GT(taken.taken(), 1000u);
            painter(window, dc, 30, 4, width - 70, captionBottom, width - 4, 1);
        }
        ReleaseDC(window, dc);
        WindowPixels p(window);
        int changed = 0;
        for (int y = 4; y < captionBottom - 1; y++)
            for (int x = 30; x < width - 70; x++) changed += p.at(x, y) != marker;
        return changed;
    }
    TestFolder folder{"gdi-exhaustion"};
    HWND window = NULL;
};

}  // namespace

// With no handle, one (the memory DC but not its bitmap) or two (the bitmap
// but no band's brush, or for the striped bar no pen), nothing reaches the
// caption; a band's brush goes before the next is made, so one more handle
// is enough for the whole strip.
TEST_P(GdiExhaustion, GradientCaptionIsLeftAsItWas)
{
    EXPECT_EQ(0, pixelsChanged(gradientPainter, GetParam()));
    EXPECT_GT(pixelsChanged(gradientPainter, 3), 0) << "with a handle more the caption is painted";
}

TEST_P(GdiExhaustion, StripedCaptionIsLeftAsItWas)
{
    EXPECT_EQ(0, pixelsChanged(stripedPainter, GetParam()));
    EXPECT_GT(pixelsChanged(stripedPainter, 4), 0) << "with a pen and a brush more the bar is painted";
}

INSTANTIATE_TEST_SUITE_P(SpareHandles, GdiExhaustion, ::testing::Values(0, 1, 2));
