// XML parsing, writing and the compressed round trip of settings-like documents of about
// 1 MB and 10 MB, with pugixml parsing the same bytes as the baseline when it is available.
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#if __has_include(<pugixml.hpp>)
#include <pugixml.hpp>
#define VORNIK_HAVE_PUGIXML 1
#endif

namespace {

// Presets with parameter records: attributes hold doubles with 12 decimals, as state does.
YXMLDocument& SampleDocument(int megabytes) {
    static YXMLDocument documents[11];
    YXMLDocument& doc = documents[megabytes];
    if (doc.GetChildCount() > 0) return doc;
    doc.SetName("settings");
    doc.SetAttribute("version", "7.10");
    uint32_t state = 12345;
    YMemoryStream probe;
    int presets = 0;
    const int64_t target = int64_t(megabytes) << 20;
    // About 4.8 KB per preset in the indented form.
    while (presets * int64_t(4950) < target) {
        YXMLItem& preset = doc.AddChild("Preset");
        preset.SetAttribute("name",
                            YString::FromUTF8(std::string("Preset ").append(std::to_string(presets++))));
        preset.SetAttribute("category", "Wide & Slow");
        for (int p = 0; p < 64; ++p) {
            YXMLItem& parameter = preset.AddChild("Parameter");
            state = state * 214013 + 2531011;
            parameter.SetAttribute("id", YString::FromInteger(p));
            parameter.SetAttribute("value", YString::FromDouble(((state >> 16) & 0x7FFF) / 32767.0, 12));
            parameter.SetAttribute("modulation", YString::FromDouble(((state >> 8) & 0xFF) / 255.0, 12));
        }
        preset.AddChild("Comment").SetText("Sweeps slowly; keep feedback below 60 % for a <clean> tone.");
    }
    return doc;
}

std::string Text(const YXMLDocument& doc) {
    YMemoryStream stream;
    doc.Save(stream, "utf-8", false);
    return std::string(reinterpret_cast<const char*>(stream.GetData()),
                       static_cast<std::size_t>(stream.GetSize()));
}

const std::string& SampleText(int megabytes) {
    static std::string texts[11];
    std::string& text = texts[megabytes];
    if (text.empty()) text = Text(SampleDocument(megabytes));
    return text;
}

// Building the tree and releasing it are timed apart: the parse figures compare with
// pugixml's, whose release is one block per few kilobytes.
void BM_ParseOurs(benchmark::State& state) {
    const std::string& text = SampleText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        YMemoryStream stream;
        stream.Attach(text.data(), static_cast<int32_t>(text.size()));
        auto doc = std::make_unique<YXMLDocument>();
        doc->Load(stream);
        benchmark::DoNotOptimize(doc->GetChildCount());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseOurs)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_ReleaseOurs(benchmark::State& state) {
    const std::string& text = SampleText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        YMemoryStream stream;
        stream.Attach(text.data(), static_cast<int32_t>(text.size()));
        auto doc = std::make_unique<YXMLDocument>();
        doc->Load(stream);
        state.ResumeTiming();
        doc.reset();
    }
}
BENCHMARK(BM_ReleaseOurs)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

#ifdef VORNIK_HAVE_PUGIXML
void BM_ParsePugixmlBaseline(benchmark::State& state) {
    const std::string& text = SampleText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto doc = std::make_unique<pugi::xml_document>();
        pugi::xml_parse_result result = doc->load_buffer(text.data(), text.size());
        if (!result) state.SkipWithError("pugixml could not parse the sample");
        benchmark::DoNotOptimize(doc->first_child());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParsePugixmlBaseline)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
#endif

void BM_WriteOurs(benchmark::State& state) {
    const YXMLDocument& doc = SampleDocument(static_cast<int>(state.range(0)));
    int64_t bytes = 0;
    for (auto _ : state) {
        YMemoryStream stream;
        doc.Save(stream, "utf-8", false);
        bytes = stream.GetSize();
        benchmark::DoNotOptimize(stream.GetData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_WriteOurs)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_CompressedRoundTrip(benchmark::State& state) {
    const YXMLDocument& doc = SampleDocument(static_cast<int>(state.range(0)));
    int64_t compressed = 0;
    for (auto _ : state) {
        YMemoryStream stream;
        doc.SaveCompressed(stream);
        compressed = stream.GetSize();
        stream.Seek(0, YStream::kFromStart);
        YXMLDocument loaded;
        loaded.LoadCompressed(stream);
        benchmark::DoNotOptimize(loaded.GetChildCount());
    }
    state.counters["compressed_bytes"] = static_cast<double>(compressed);
    state.counters["plain_bytes"] = static_cast<double>(SampleText(static_cast<int>(state.range(0))).size());
}
BENCHMARK(BM_CompressedRoundTrip)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
