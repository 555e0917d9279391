#include "gui/drawing/YAlphaMask.h"

#include "gui/drawing/YBitmap.h"

void YAlphaMask::Create(int32_t width, int32_t height) {
    if (width == m_width && height == m_height) return;
    YBaseBitmap::CheckSize(width, height);
    m_coverage.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    m_width = width;
    m_height = height;
}
