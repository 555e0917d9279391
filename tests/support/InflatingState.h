// A compressed state whose text inflates to a chosen size (one long attribute on the root),
// deflated piece by piece so that the text itself is never held: the shape of a hostile
// state that is small on disk and huge once inflated.
#pragma once

#include "foundation/YMemoryStream.h"
#include "foundation/YZLibStream.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace InflatingState {

inline std::vector<uint8_t> Make(int64_t size, const std::string& head = "<settings pad=\"") {
    YMemoryStream out;
    {
        YZLibStream deflater(out, YZLibStream::kCompress, 100);
        const std::string tail = "\"/>";
        deflater.Write(head.data(), static_cast<int32_t>(head.size()));
        const std::string filler(1 << 20, 'x');
        for (int64_t left = size - static_cast<int64_t>(head.size() + tail.size()); left > 0;) {
            const int32_t piece = static_cast<int32_t>(std::min<int64_t>(left, static_cast<int64_t>(filler.size())));
            deflater.Write(filler.data(), piece);
            left -= piece;
        }
        deflater.Write(tail.data(), static_cast<int32_t>(tail.size()));
        deflater.Terminate();
    }
    return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetSize());
}

} // namespace InflatingState
