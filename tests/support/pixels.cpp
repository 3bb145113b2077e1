#include "support/pixels.h"

#include <string.h>

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
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP section = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
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
