#include "support/pixels.h"

#include <string.h>

HBITMAP createPixelSection(HDC dc, int w, int h, DWORD **bits)
{
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)bits, NULL, 0);
}

std::vector<COLORREF> drawnStrip(HWND window, int width, int height, COLORREF background, COLORREF text,
                                 HFONT font, const std::function<void(HDC)> &draw)
{
    HDC dc = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, text);
    HGDIOBJ oldFont = SelectObject(memory, font);
    draw(memory);
    SelectObject(memory, oldFont);
    std::vector<COLORREF> out;
    {
        WindowPixels p(memory, width, height);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) out.push_back(p.at(x, y));
    }
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(window, dc);
    return out;
}

void fillWindowRect(HWND window, int left, int top, int right, int bottom, COLORREF colour)
{
    HDC dc = GetWindowDC(window);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
}

WindowPixels::WindowPixels(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    HDC dc = GetWindowDC(window);
    copyFrom(dc, r.right - r.left, r.bottom - r.top);
    ReleaseDC(window, dc);
}

WindowPixels::WindowPixels(HDC dc, int w, int h) { copyFrom(dc, w, h); }

void WindowPixels::copyFrom(HDC dc, int w, int h)
{
    w_ = w;
    h_ = h;
    if (w <= 0 || h <= 0) return;
    DWORD *bits = NULL;
    HBITMAP section = createPixelSection(dc, w, h, &bits);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, section);
    BitBlt(memory, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    GdiFlush();
    bits_.resize((size_t)w * h);
    memcpy(bits_.data(), bits, bits_.size() * sizeof(DWORD));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(section);
}

COLORREF WindowPixels::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
    DWORD v = bits_[(size_t)y * w_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}
