// Bitmaps in memory: width, height and directly addressed 32-bit pixels, rows top-down, the
// pixel (x, y) at element y * width + x.
//
// YBaseBitmap keeps the geometry and the pixel pointer; a derived class supplies the memory
// (YBitmap from the heap; a window system's bitmap from memory it shares with the screen).
// Create checks the size first: negative sizes, a side above kMaxSide or more than kMaxPixels
// pixels raise before anything is allocated, so a decoder handed a header that claims
// 100000 x 100000 pixels fails without touching memory. Creating again at the same size keeps
// the pixels and does nothing.
#pragma once

#include "gui/drawing/YColor.h"
#include "gui/drawing/YGeometry.h"

#include <cstdint>
#include <memory>

class YBaseBitmap {
public:
    static constexpr int32_t kMaxSide = 16384;
    static constexpr int64_t kMaxPixels = int64_t{1} << 26; // 64 Mi pixels, 256 MiB

    virtual ~YBaseBitmap();

    // Sizes the bitmap; raises "Bitmap size {0} x {1} is beyond the limit." for sizes out of
    // range. New pixels are transparent black (all bytes 0). 0 x 0 releases the memory.
    virtual void Create(int32_t width, int32_t height);
    virtual int32_t Width() const noexcept { return m_width; }
    virtual int32_t Height() const noexcept { return m_height; }
    virtual YColor* Pixels() noexcept { return m_pixels; }
    virtual const YColor* Pixels() const noexcept { return m_pixels; }

    YRect Bounds() const noexcept { return YRect::FromSize(0, 0, m_width, m_height); }
    YColor* Row(int32_t y) noexcept { return m_pixels + static_cast<int64_t>(y) * m_width; }
    const YColor* Row(int32_t y) const noexcept { return m_pixels + static_cast<int64_t>(y) * m_width; }
    YColor& At(int32_t x, int32_t y) noexcept { return Row(y)[x]; }
    const YColor& At(int32_t x, int32_t y) const noexcept { return Row(y)[x]; }
    // Every pixel set to colour.
    void Fill(YColor colour) noexcept;

    // Raises the size error unless width x height is within the limits above.
    static void CheckSize(int64_t width, int64_t height);

protected:
    YBaseBitmap() = default;
    YBaseBitmap(const YBaseBitmap&) = delete;
    YBaseBitmap& operator=(const YBaseBitmap&) = delete;
    // Provides zeroed memory for width x height pixels (already checked) and returns it;
    // the previous memory may be released.
    virtual YColor* Allocate(int32_t width, int32_t height) = 0;
    // For a derived class that hands its memory over (moves).
    void SetGeometry(YColor* pixels, int32_t width, int32_t height) noexcept {
        m_pixels = pixels;
        m_width = width;
        m_height = height;
    }

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    YColor* m_pixels = nullptr;
};

// A bitmap on the heap.
class YBitmap : public YBaseBitmap {
public:
    YBitmap() = default;
    YBitmap(int32_t width, int32_t height) { Create(width, height); }
    // Moving hands the pixels over; the source is left 0 x 0.
    YBitmap(YBitmap&& other) noexcept;
    YBitmap& operator=(YBitmap&& other) noexcept;
    ~YBitmap() override;

protected:
    YColor* Allocate(int32_t width, int32_t height) override;

private:
    std::unique_ptr<YColor[]> m_memory;
};
