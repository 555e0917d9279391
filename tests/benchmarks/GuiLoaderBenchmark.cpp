// Loading the gallery's GUI definition and laying it out at two sizes, beside a plain parse of
// the same bytes by the XML layer; and the relayout of that editor-sized tree when its window
// is resized (a frame at 60 Hz is 16.7 ms).
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "gui/loader/YGallery.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/style/YBaseStyle.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const std::vector<uint8_t>& GalleryBytes() {
    static const std::vector<uint8_t> bytes = YGalleryWindow::DefinitionBytes();
    return bytes;
}

YBaseStyle& Style() {
    static YBaseStyle style;
    return style;
}

void BM_GalleryPlainParse(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GalleryBytes();
    for (auto _ : state) {
        YMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
        YXMLDocument document;
        document.Load(stream);
        benchmark::DoNotOptimize(document.GetChildCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_GalleryPlainParse);

void BM_GalleryLoadAndLayOutAtTwoSizes(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GalleryBytes();
    for (auto _ : state) {
        YMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
        YXMLDocument document;
        document.Load(stream);
        YWindow root(nullptr);
        root.SetStyle(&Style());
        YControl::YXmlLoader::LoadDefinition(root, document);
        root.SetSize(820, 600);
        root.SetSize(1100, 760);
        benchmark::DoNotOptimize(root.ChildCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_GalleryLoadAndLayOutAtTwoSizes);

// One resize of the loaded gallery: every layout runs and every control whose size changes
// lays out its own children.
void BM_GalleryRelayoutOnResize(benchmark::State& state) {
    auto document = YGalleryWindow::Definition();
    YWindow root(nullptr);
    root.SetStyle(&Style());
    YControl::YXmlLoader::LoadDefinition(root, *document);
    int32_t step = 0;
    for (auto _ : state) {
        // A drag of the window's corner: a new size every time.
        step = (step + 1) % 200;
        root.SetSize(820 + step, 600 + step / 2);
    }
}
BENCHMARK(BM_GalleryRelayoutOnResize);

} // namespace
