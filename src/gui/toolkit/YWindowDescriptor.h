// YWindowDescriptor: what a window system keeps per native window in the root control's
// extension table (YWindowSystem::kDescriptorTag). It is the drawer onto the window's
// off-screen bitmap, which the tree paints into and the window system copies to the screen.
// Each window system derives its own: CreateBitmap gives a bitmap whose memory the screen
// can read (a DIB section on Win32, an image on X11; plain memory when headless), and
// UpdateBitmap copies a painted area out.
#pragma once

#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YGeometry.h"

class YWindowDescriptor : public YDrawerToYBitmap {
public:
    YWindowDescriptor() = default;
    ~YWindowDescriptor() override;

    // The size of the bitmap now (0 x 0 before the first paint).
    YSize BitmapSize() const noexcept;
    // Makes the bitmap this size (the same size keeps it); CreateBitmap of a window system
    // raises "Could not create system bitmap with direct access." when the system refuses.
    void RecreateBitmap(YSize size) { PrepareBitmap(size.x, size.y); }
};
