#include "gui/toolkit/YWindowDescriptor.h"

YWindowDescriptor::~YWindowDescriptor() = default;

YSize YWindowDescriptor::BitmapSize() const noexcept {
    const YBaseBitmap* bitmap = Target();
    return bitmap == nullptr ? YSize{} : YSize{bitmap->Width(), bitmap->Height()};
}
