#include "gui/drawing/YBitmap.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstring>
#include <utility>

YBaseBitmap::~YBaseBitmap() = default;

void YBaseBitmap::CheckSize(int64_t width, int64_t height) {
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        YRaiseFormat(YException::kGeneral, "Bitmap size {0} x {1} is beyond the limit.", width, height);
}

void YBaseBitmap::Create(int32_t width, int32_t height) {
    if (width == m_width && height == m_height && (m_pixels || width == 0 || height == 0)) return;
    CheckSize(width, height);
    m_pixels = nullptr;
    m_width = m_height = 0;
    YColor* pixels = Allocate(width, height);
    m_pixels = pixels;
    m_width = width;
    m_height = height;
}

void YBaseBitmap::Fill(YColor colour) noexcept {
    std::fill(m_pixels, m_pixels + static_cast<int64_t>(m_width) * m_height, colour);
}

YBitmap::~YBitmap() = default;

YBitmap::YBitmap(YBitmap&& other) noexcept { *this = std::move(other); }

YBitmap& YBitmap::operator=(YBitmap&& other) noexcept {
    if (this == &other) return *this;
    m_memory = std::move(other.m_memory);
    SetGeometry(m_memory.get(), other.Width(), other.Height());
    other.SetGeometry(nullptr, 0, 0);
    return *this;
}

YColor* YBitmap::Allocate(int32_t width, int32_t height) {
    m_memory.reset();
    const auto count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (count == 0) return nullptr;
    m_memory = std::make_unique_for_overwrite<YColor[]>(count);
    std::memset(static_cast<void*>(m_memory.get()), 0, count * sizeof(YColor));
    return m_memory.get();
}
