// Rich text: a help text of 2,000 words parsed, laid out for a help window's width and
// painted with the light style, beside the XML layer's plain parse of the same text (the
// text is written as well-formed XML so that both readers take it).
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/stml/YSTML.h"
#include "gui/style/YBaseStyle.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int32_t kWidth = 420;

// Paragraphs of help prose with names, key actions, inline icons, lists and a table row;
// 2,000 words of running text.
const std::string& HelpText() {
    static std::string text;
    if (!text.empty()) return text;
    static const char* const kWords[] = {"the", "value", "changes", "when", "you", "drag", "knob", "slowly",
                                         "preset", "window", "loads", "settings", "from", "library", "and",
                                         "keeps", "current", "modulation", "depth", "with", "feedback"};
    uint32_t state = 1;
    int words = 0;
    text = "<help><center invert=\"1\" singleline=\"1\"><l2>Knob</l2></center><justify><s/></justify>";
    while (words < 2000) {
        text += "<p><b><cred><img icon=\"left\"/> Presets button</cred></b> ";
        words += 2;
        for (int i = 0; i < 40 && words < 2000; ++i, ++words) {
            state = state * 214013 + 2531011;
            const char* word = kWords[(state >> 16) % std::size(kWords)];
            if (i % 13 == 5)
                text += std::string("<cgreen>") + word + "</cgreen> ";
            else
                text += std::string(word) + (i % 11 == 10 ? ". " : " ");
        }
        text += "</p><li><cgreen>Right mouse button</cgreen> selects default value.</li>";
        words += 6;
        if (words % 5 == 0)
            text += "<tr padding=\"0\" cellspaces=\"0\"><td width=\"MaxStdIconSizeX\" padding=\"3\"><img icon=\"ok\"/>"
                    "</td><td valign=\"center\">Saved.</td></tr>";
    }
    text += "</help>";
    return text;
}

YBaseStyle& Style() {
    static YBaseStyle style(YBaseStyle::Theme::kLight);
    return style;
}

int64_t Words(const YSTMLItem& item) {
    if (item.Kind() == YSTMLItemKind::kParagraph) {
        int64_t words = 0;
        for (const YSTMLFragment& f : static_cast<const YSTMLParagraph&>(item).Fragments())
            words += f.kind == YSTMLFragment::kWord && f.spaceBefore;
        return words + 1;
    }
    int64_t words = 0;
    for (int32_t i = 0; i < item.ChildCount(); ++i) words += Words(*item.Child(i));
    return words;
}

void BM_STMLParse(benchmark::State& state) {
    const YString text = YString::FromUTF8(HelpText());
    for (auto _ : state) {
        YSTML stml(text);
        benchmark::DoNotOptimize(stml.ChildCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(HelpText().size()));
    state.counters["words"] = static_cast<double>(Words(YSTML(text)));
}
BENCHMARK(BM_STMLParse)->Unit(benchmark::kMicrosecond);

void BM_STMLLayout(benchmark::State& state) {
    YSTML stml(YString::FromUTF8(HelpText()));
    for (auto _ : state) benchmark::DoNotOptimize(stml.Layout(Style(), kWidth));
    state.counters["height"] = stml.Height();
}
BENCHMARK(BM_STMLLayout)->Unit(benchmark::kMicrosecond);

void BM_STMLLayoutAndPaint(benchmark::State& state) {
    YSTML stml(YString::FromUTF8(HelpText()));
    const int32_t height = stml.Layout(Style(), kWidth);
    YDrawerToYBitmap drawer;
    drawer.PrepareBitmap(kWidth, height);
    int32_t width = kWidth;
    for (auto _ : state) {
        // Alternate by a pixel so that every round lays out again.
        width = width == kWidth ? kWidth - 1 : kWidth;
        stml.Paint(drawer, Style(), YRect::FromSize(0, 0, width, height));
    }
    state.counters["height"] = height;
}
BENCHMARK(BM_STMLLayoutAndPaint)->Unit(benchmark::kMicrosecond);

void BM_STMLParseLayoutPaint(benchmark::State& state) {
    const YString text = YString::FromUTF8(HelpText());
    YDrawerToYBitmap drawer;
    drawer.PrepareBitmap(kWidth, 4000);
    for (auto _ : state) {
        YSTML stml(text);
        stml.Paint(drawer, Style(), YRect::FromSize(0, 0, kWidth, 4000));
    }
}
BENCHMARK(BM_STMLParseLayoutPaint)->Unit(benchmark::kMicrosecond);

// Baseline: the XML layer reads the same bytes into its tree.
void BM_STMLSameTextAsXml(benchmark::State& state) {
    const std::string& text = HelpText();
    for (auto _ : state) {
        YMemoryStream stream;
        stream.Attach(text.data(), static_cast<int32_t>(text.size()));
        YXMLDocument doc;
        doc.Load(stream);
        benchmark::DoNotOptimize(doc.GetChildCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_STMLSameTextAsXml)->Unit(benchmark::kMicrosecond);

} // namespace
