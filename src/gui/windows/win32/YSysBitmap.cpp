#include "gui/windows/win32/YSysBitmap.h"

#include "foundation/YException.h"

YSysBitmap::~YSysBitmap() {
    Release();
    SetGeometry(nullptr, 0, 0);
}

void YSysBitmap::Release() noexcept {
    if (m_dc != nullptr) {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
    }
    if (m_bitmap != nullptr) DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_previous = nullptr;
}

YColor* YSysBitmap::Allocate(int32_t width, int32_t height) {
    Release();
    if (width == 0 || height == 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top-down, as the drawer addresses them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    // The system zeroes a new section's memory.
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_bitmap != nullptr) m_dc = CreateCompatibleDC(nullptr);
    if (m_bitmap == nullptr || bits == nullptr || m_dc == nullptr) {
        Release();
        YRaise("Could not create system bitmap with direct access.");
    }
    m_previous = SelectObject(m_dc, m_bitmap);
    return static_cast<YColor*>(bits);
}
