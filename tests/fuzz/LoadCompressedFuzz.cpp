// Feeds arbitrary bytes to the tolerant document reader: compressed or plain, valid or not,
// it must either build a tree or raise YException, never crash or leak.
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    YMemoryStream stream;
    stream.Attach(data, static_cast<int32_t>(size));
    YXMLDocument document;
    try {
        document.LoadCompressed(stream);
        // Whatever loaded must save and load again to the same shape (texts may differ where
        // lone surrogates become replacement characters).
        YMemoryStream saved;
        document.SaveCompressed(saved);
        saved.Seek(0, YStream::kFromStart);
        YXMLDocument again;
        again.LoadCompressed(saved);
        if (again.GetChildCount() != document.GetChildCount() ||
            again.GetAttributeCount() != document.GetAttributeCount())
            __builtin_trap();
    } catch (const YException&) {
    }
    return 0;
}
