// Parses arbitrary bytes as a GUI definition, loads it into a window and lays it out at two
// sizes. A YException is an accepted answer; nothing may crash, overflow or read outside its
// memory.
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/toolkit/YWindow.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    try {
        YMemoryStream stream(data, static_cast<int32_t>(size));
        YXMLDocument document;
        document.Load(stream);
        YWindow root(nullptr);
        YControl::YXmlLoader::LoadDefinition(root, document);
        (void)root.ComputeMinimalSize();
        (void)root.ComputeCurrentSize();
        root.SetSize(640, 480);
        root.SetSize(97, 3000);
        (void)root.StretchQuery();
    } catch (const YException&) {
    }
    return 0;
}
