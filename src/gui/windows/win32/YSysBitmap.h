// YSysBitmap: a window's bitmap in a top-down 32-bit DIB section, memory that GDI and the
// drawer share, selected into a memory device context of its own so that painting copies it to
// the window with one BitBlt.
#pragma once

#include "gui/drawing/YBitmap.h"

#include <windows.h>

class YSysBitmap final : public YBaseBitmap {
public:
    YSysBitmap() = default;
    ~YSysBitmap() override;

    // The memory device context the bitmap is selected into (null while 0 x 0).
    HDC DC() const noexcept { return m_dc; }

protected:
    // Raises "Could not create system bitmap with direct access." when GDI refuses.
    YColor* Allocate(int32_t width, int32_t height) override;

private:
    void Release() noexcept;

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};
