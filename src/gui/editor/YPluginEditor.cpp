#include "gui/editor/YPluginEditor.h"

#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "core/YAudioPlugin.h"
#include "foundation/YException.h"
#include "gui/drawing/YDrawer.h"
#include "gui/toolkit/YWindowSystem.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr YColor kBackgroundTop = YColor::RGB(44, 50, 62);
constexpr YColor kBackgroundBottom = YColor::RGB(24, 26, 32);
constexpr YColor kHeader = YColor::RGB(62, 98, 150);
constexpr YColor kHeaderLine = YColor::RGB(96, 136, 190);
constexpr YColor kText = YColor::RGB(225, 228, 235);
constexpr YColor kDimText = YColor::RGB(160, 166, 178);
constexpr YColor kBarTrack = YColor::RGB(16, 18, 22);
constexpr YColor kBar = YColor::RGB(226, 160, 48);
constexpr YColor kMeterInput = YColor::RGB(70, 190, 110);
constexpr YColor kMeterOutput = YColor::RGB(80, 160, 230);
// How far a meter falls per timer tick when the level drops.
constexpr float kMeterFall = 0.04f;
// Where the names end and the value texts begin.
constexpr int32_t kNameRight = 170;
// Room left of each meter pair for its label.
constexpr int32_t kMeterLabelWidth = 34;

float MeterLevel(float peak, float floorDb) noexcept {
    if (!(peak > 0.0f)) return 0.0f;
    const float db = 20.0f * std::log10(peak);
    return std::clamp((db - floorDb) / -floorDb, 0.0f, 1.0f);
}
} // namespace

YPluginEditor::YPluginEditor(YWindowSystem* windowSystem, YAudioPlugin& plugin)
    : YWindow(windowSystem, "Editor"), m_plugin(plugin),
      m_titleFont(YFont::Default(kTitlePixels)), m_font(YFont::Default(kTextPixels)),
      m_effectPlugin(dynamic_cast<YAudioEffectPluginToAudioPluginAdapter*>(&plugin)) {
    m_title = m_effectPlugin != nullptr ? m_effectPlugin->ProductName() : YString("Plug-in");
    Refresh();
    const YSize size = PreferredSize();
    SetMinimalClientSize({kMinimalWidth, kHeaderHeight + kMeterHeight + 2 * kRowHeight});
    SetSize(size.x, size.y);
    if (m_effectPlugin != nullptr) m_effectPlugin->SetMetersActive(true);
}

YPluginEditor::~YPluginEditor() {
    if (m_effectPlugin != nullptr) m_effectPlugin->SetMetersActive(false);
}

YSize YPluginEditor::PreferredSize() const noexcept {
    return {kDefaultWidth, kHeaderHeight + static_cast<int32_t>(m_rows.size()) * kRowHeight + kMeterHeight + 8};
}

YRect YPluginEditor::RowRect(int32_t index) const noexcept {
    return YRect::FromSize(0, kHeaderHeight + index * kRowHeight, Size().x, kRowHeight);
}

YRect YPluginEditor::ValueBarRect(int32_t index) const noexcept {
    const YRect row = RowRect(index);
    const int32_t left = std::max(300, Size().x / 2 + 40);
    return {left, row.top + 3, std::max(left, Size().x - 14), row.bottom - 3};
}

YRect YPluginEditor::MeterRect(int32_t channel, bool output) const noexcept {
    const int32_t top = kHeaderHeight + static_cast<int32_t>(m_rows.size()) * kRowHeight + 8;
    const int32_t half = std::max(Size().x / 2 - 20 - kMeterLabelWidth, 20);
    const int32_t left = (output ? Size().x / 2 + 6 : 14) + kMeterLabelWidth;
    return YRect::FromSize(left, top + channel * 14, half, 10);
}

void YPluginEditor::Refresh() {
    ++m_refreshes;
    const int32_t count = std::max(m_plugin.GetParameterCount(), 0);
    const bool grew = static_cast<int32_t>(m_rows.size()) != count;
    if (grew) m_rows.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        Row fresh;
        fresh.name = m_plugin.GetParameterName(i);
        fresh.text = m_plugin.GetParameterValueName(i);
        fresh.value = std::clamp(m_plugin.GetParameter(i), 0.0, 1.0);
        Row& row = m_rows[static_cast<size_t>(i)];
        if (grew || row.value != fresh.value || row.text != fresh.text || row.name != fresh.name) {
            row = std::move(fresh);
            Invalidate(RowRect(i));
        }
    }
}

void YPluginEditor::HandleUpdateRequest() {
    m_plugin.HandleEditorUpdateRequest();
    Refresh();
}

void YPluginEditor::StartMeters() {
    if (YWindowSystem* system = System()) system->SetTimer(*this, kMeterIntervalMs);
}

void YPluginEditor::Timer() {
    if (m_effectPlugin == nullptr) return;
    const int32_t channels = std::min(m_effectPlugin->EffectChannelCount(), 2);
    for (int32_t c = 0; c < 2; ++c) {
        for (bool output : {false, true}) {
            float& level = output ? m_outputLevels[c] : m_inputLevels[c];
            const float peak = c < channels ? (output ? m_effectPlugin->TakeOutputPeak(c) : m_effectPlugin->TakeInputPeak(c))
                                            : 0.0f;
            const float fresh = std::max(MeterLevel(peak, kMeterFloorDb), level - kMeterFall);
            const float next = std::max(fresh, 0.0f);
            // Only a visible change costs a paint.
            if (std::fabs(next - level) * static_cast<float>(MeterRect(c, output).Width()) >= 1.0f ||
                (next == 0.0f && level != 0.0f)) {
                level = next;
                Invalidate(MeterRect(c, output));
            }
        }
    }
}

void YPluginEditor::Paint(YDrawer& drawer) {
    // The drawer belongs to the window: the fonts are this control's and are handed back.
    YFont* const previousFont = drawer.Font();
    const YRect whole = WindowRect();
    drawer.FillRectangleGradient(whole, kBackgroundTop, kBackgroundBottom, false, YColorOp::Copy);
    const YRect header{0, 0, whole.right, kHeaderHeight - 5};
    drawer.FillRectangle(header, kHeader, YColorOp::Copy);
    drawer.FillRectangle({0, header.bottom + 1, whole.right, header.bottom + 1}, kHeaderLine, YColorOp::Copy);
    drawer.SetFont(m_titleFont.get());
    drawer.AlignedTextOut({12, header.top, whole.right - 12, header.bottom}, m_title, kAlignLeft | kAlignVCenter, kText,
                          YColorOp::Alphablend);
    drawer.SetFont(m_font.get());
    for (int32_t i = 0; i < static_cast<int32_t>(m_rows.size()); ++i) {
        const YRect row = RowRect(i);
        if (row.Intersect(drawer.GetClipRect()).IsEmpty()) continue;
        const Row& r = m_rows[static_cast<size_t>(i)];
        if (i % 2 == 1) drawer.FillRectangle(row, YColor::RGB(255, 255, 255, 10), YColorOp::Alphablend);
        const YRect bar = ValueBarRect(i);
        drawer.AlignedTextOut({12, row.top, kNameRight, row.bottom}, r.name, kAlignLeft | kAlignVCenter, kDimText,
                              YColorOp::Alphablend);
        drawer.AlignedTextOut({kNameRight + 6, row.top, bar.left - 8, row.bottom}, r.text,
                              kAlignRight | kAlignVCenter, kText, YColorOp::Alphablend);
        drawer.FillRectangle(bar, kBarTrack, YColorOp::Copy);
        const int32_t filled = static_cast<int32_t>(std::lround(r.value * bar.Width()));
        if (filled > 0) drawer.FillRectangle({bar.left, bar.top, bar.left + filled - 1, bar.bottom}, kBar, YColorOp::Copy);
    }
    PaintMeters(drawer);
    drawer.SetFont(previousFont);
}

void YPluginEditor::PaintMeters(YDrawer& drawer) {
    for (bool output : {false, true}) {
        const YRect first = MeterRect(0, output);
        const YRect label{first.left - kMeterLabelWidth, first.top, first.left - 6, MeterRect(1, output).bottom};
        if (!label.Intersect(drawer.GetClipRect()).IsEmpty())
            drawer.AlignedTextOut(label, output ? YString("Out") : YString("In"), kAlignRight | kAlignVCenter, kDimText,
                                  YColorOp::Alphablend);
        for (int32_t c = 0; c < 2; ++c) {
            const YRect meter = MeterRect(c, output);
            if (meter.Intersect(drawer.GetClipRect()).IsEmpty()) continue;
            drawer.FillRectangle(meter, kBarTrack, YColorOp::Copy);
            const float level = output ? m_outputLevels[c] : m_inputLevels[c];
            const int32_t lit = static_cast<int32_t>(std::lround(level * static_cast<float>(meter.Width())));
            if (lit > 0)
                drawer.FillRectangle({meter.left, meter.top, meter.left + lit - 1, meter.bottom},
                                     output ? kMeterOutput : kMeterInput, YColorOp::Copy);
        }
    }
}
