#include "gui/stml/YSTMLParagraph.h"

#include "gui/drawing/YDrawer.h"
#include "gui/drawing/YFont.h"
#include "gui/stml/YSTMLContext.h"
#include "gui/stml/YSTMLTagParser.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int32_t kHighlight = static_cast<int32_t>(YStdColor::kHighlight);
constexpr int32_t kLight = static_cast<int32_t>(YStdColor::kLight);
constexpr int32_t kText = static_cast<int32_t>(YStdColor::kText);

bool IsLine(const YSTMLFragment& f) noexcept {
    return f.kind == YSTMLFragment::kObject && f.object->Kind() == YSTMLItemKind::kLine;
}
} // namespace

void YSTMLParagraphFormat::Read(const YSTMLAttributes& attributes) {
    YSTMLValue::ReadFlag(attributes, "singleline", singleLine);
    YSTMLValue::ReadFlag(attributes, "invert", invert);
    if (const YString* f = attributes.Find("fill")) {
        // A colour, or a flag that asks for the highlight colour.
        YSTMLColor colour;
        if (YSTMLValue::Color(*f, colour))
            fill = colour;
        else if (YSTMLValue::Flag(*f))
            fill = YSTMLColor{kHighlight, {}, true};
        else
            fill = YSTMLColor{};
    }
    YSTMLValue::ReadAlpha(attributes, "fillalpha", fillAlpha);
    YSTMLValue::ReadAlpha(attributes, "alpha", alpha);
    if (attributes.Has("value")) {
        double v = -1.0;
        YSTMLValue::ReadDouble(attributes, "value", v);
        value = v < 0.0 ? -1.0 : std::min(v, 100.0);
    }
}

void YSTMLParagraph::AddWord(YString word, int32_t font, int32_t colour, bool spaceBefore) {
    YSTMLFragment f;
    f.kind = YSTMLFragment::kWord;
    f.font = static_cast<uint8_t>(font);
    f.colour = static_cast<uint8_t>(colour);
    f.spaceBefore = spaceBefore && !m_fragments.empty();
    f.text = std::move(word);
    m_fragments.push_back(std::move(f));
}

void YSTMLParagraph::AddObject(std::unique_ptr<YSTMLObject> object, bool spaceBefore) {
    YSTMLFragment f;
    f.kind = YSTMLFragment::kObject;
    f.font = static_cast<uint8_t>(object->Font());
    f.spaceBefore = spaceBefore && !m_fragments.empty();
    f.object = std::move(object);
    m_fragments.push_back(std::move(f));
    ++m_objects;
}

void YSTMLParagraph::AddStrut(int32_t font) {
    YSTMLFragment f;
    f.kind = YSTMLFragment::kStrut;
    f.font = static_cast<uint8_t>(font);
    m_fragments.push_back(std::move(f));
}

int32_t YSTMLParagraph::Padding() const noexcept { return m_format.invert || m_format.fill.set ? 2 : 0; }

int32_t YSTMLParagraph::Inset(const YSTMLLayout& layout) const {
    return m_format.listItem ? layout.LineHeight(0) : 0;
}

void YSTMLParagraph::Measure(YSTMLLayout& layout, int32_t innerWidth) {
    m_spaceWidths.resize(m_fragments.size());
    for (size_t i = 0; i < m_fragments.size(); ++i) {
        YSTMLFragment& f = m_fragments[i];
        m_spaceWidths[i] = f.spaceBefore ? layout.SpaceWidth(f.font) : 0;
        switch (f.kind) {
        case YSTMLFragment::kWord:
            f.width = layout.TextWidth(f.font, f.text);
            f.height = layout.LineHeight(f.font);
            break;
        case YSTMLFragment::kObject:
            f.height = f.object->Layout(layout, innerWidth);
            f.width = f.object->Size().x;
            break;
        case YSTMLFragment::kStrut:
            f.width = 0;
            f.height = layout.LineHeight(f.font) / 2;
            break;
        }
    }
}

int32_t YSTMLParagraph::Layout(YSTMLLayout& layout, int32_t width) {
    m_lines.clear();
    const int32_t pad = Padding(), inset = Inset(layout);
    const int32_t inner = std::max(1, width - 2 * pad - inset);
    Measure(layout, inner);
    const int32_t n = static_cast<int32_t>(m_fragments.size());

    // Lines: whole runs between blanks, as many as fit.
    Line line;
    int32_t lineWidth = 0;
    const auto finish = [&] {
        line.width = lineWidth;
        m_lines.push_back(line);
        line = Line{};
        line.first = line.end = m_lines.back().end;
        lineWidth = 0;
    };
    for (int32_t i = 0; i < n;) {
        const bool own = IsLine(m_fragments[static_cast<size_t>(i)]);
        int32_t j = i + 1;
        if (!own)
            while (j < n && !m_fragments[static_cast<size_t>(j)].spaceBefore && !IsLine(m_fragments[static_cast<size_t>(j)]))
                ++j;
        int64_t runWidth = 0;
        for (int32_t k = i; k < j; ++k) runWidth += m_fragments[static_cast<size_t>(k)].width;
        const bool lineEmpty = line.end == line.first;
        int32_t gap = !lineEmpty && m_fragments[static_cast<size_t>(i)].spaceBefore ? m_spaceWidths[static_cast<size_t>(i)] : 0;
        if (!lineEmpty && (own || (!m_format.singleLine && lineWidth + gap + runWidth > inner))) {
            finish();
            gap = 0;
        }
        int32_t x = lineWidth + gap;
        for (int32_t k = i; k < j; ++k) {
            YSTMLFragment& f = m_fragments[static_cast<size_t>(k)];
            f.x = x;
            x = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + f.width, INT32_MAX / 2));
        }
        lineWidth = x;
        line.end = j;
        if (own) finish();
        i = j;
    }
    if (line.end > line.first) finish();

    // Heights, baselines and alignment of each line.
    int32_t top = pad;
    const size_t lineCount = m_lines.size();
    for (size_t li = 0; li < lineCount; ++li) {
        Line& l = m_lines[li];
        int32_t ascent = 0, descent = 0;
        for (int32_t k = l.first; k < l.end; ++k) {
            const YSTMLFragment& f = m_fragments[static_cast<size_t>(k)];
            if (f.kind != YSTMLFragment::kWord) continue;
            const int32_t a = layout.Ascent(f.font);
            ascent = std::max(ascent, a);
            descent = std::max(descent, f.height - a);
        }
        for (int32_t k = l.first; k < l.end; ++k) {
            const YSTMLFragment& f = m_fragments[static_cast<size_t>(k)];
            if (f.kind == YSTMLFragment::kWord) continue;
            const int32_t valign = f.kind == YSTMLFragment::kObject ? f.object->VAlign() : 2;
            if (valign == 0) {
                descent = std::max(descent, f.height - ascent);
            } else if (valign == 1) {
                const int32_t extra = f.height - (ascent + descent);
                if (extra > 0) {
                    ascent += extra / 2;
                    descent += extra - extra / 2;
                }
            } else {
                ascent = std::max(ascent, f.height);
            }
        }
        l.top = top;
        l.baseline = ascent;
        l.height = ascent + descent;
        top += l.height;

        int32_t alignment = m_format.alignment;
        if (l.end - l.first == 1) {
            const YSTMLFragment& only = m_fragments[static_cast<size_t>(l.first)];
            if (only.kind == YSTMLFragment::kObject && only.object->Align() >= 0) {
                static constexpr int32_t kFromObject[3] = {YSTMLParagraphFormat::kLeft, YSTMLParagraphFormat::kCenter,
                                                           YSTMLParagraphFormat::kRight};
                alignment = kFromObject[only.object->Align()];
            }
        }
        const int32_t freeWidth = std::max(0, inner - l.width);
        int32_t offset = 0;
        if (alignment == YSTMLParagraphFormat::kRight)
            offset = freeWidth;
        else if (alignment == YSTMLParagraphFormat::kCenter)
            offset = freeWidth / 2;
        int32_t breaks = 0;
        if (alignment == YSTMLParagraphFormat::kJustify && li + 1 < lineCount)
            for (int32_t k = l.first + 1; k < l.end; ++k) breaks += m_fragments[static_cast<size_t>(k)].spaceBefore;
        int32_t shift = 0, seen = 0;
        for (int32_t k = l.first; k < l.end; ++k) {
            YSTMLFragment& f = m_fragments[static_cast<size_t>(k)];
            if (breaks > 0 && k > l.first && f.spaceBefore) {
                shift += freeWidth / breaks + (seen < freeWidth % breaks ? 1 : 0);
                ++seen;
            }
            f.x += pad + inset + offset + shift;
            int32_t valign = 2;
            if (f.kind == YSTMLFragment::kWord)
                f.y = l.top + l.baseline - layout.Ascent(f.font);
            else if ((valign = f.kind == YSTMLFragment::kObject ? f.object->VAlign() : 2) == 0)
                f.y = l.top;
            else if (valign == 1)
                f.y = l.top + (l.height - f.height) / 2;
            else
                f.y = l.top + l.baseline - f.height;
        }
    }
    return m_lines.empty() ? 0 : top + pad;
}

int32_t YSTMLParagraph::NaturalWidth(YSTMLLayout& layout) {
    Measure(layout, 0);
    int64_t width = 0;
    for (size_t i = 0; i < m_fragments.size(); ++i) {
        const YSTMLFragment& f = m_fragments[i];
        // An object as wide as a share of the line has no width of its own: its content's.
        width += (f.kind == YSTMLFragment::kObject ? f.object->NaturalWidth(layout) : f.width) + (i ? m_spaceWidths[i] : 0);
    }
    return static_cast<int32_t>(std::min<int64_t>(width + 2 * Padding() + Inset(layout), INT32_MAX / 2));
}

void YSTMLParagraph::Paint(YSTMLPainter& painter, YPoint origin) const {
    if (m_lines.empty()) return;
    YDrawer& drawer = painter.Drawer();
    const YRect bounds = Bounds();
    if (m_format.invert || m_format.fill.set) {
        int32_t width = bounds.Width();
        if (m_format.value >= 0.0) width = static_cast<int32_t>(std::floor(width * m_format.value / 100.0 + 0.5));
        const YColor fill = m_format.invert ? painter.Color(kHighlight) : painter.Color(m_format.fill, kHighlight);
        drawer.FillRectangle(YRect::FromSize(origin.x, origin.y, width, bounds.Height()),
                             fill.WithAlpha(static_cast<uint8_t>(fill.a * m_format.fillAlpha / 255)), YColorOp::Alphablend);
    }
    const auto withAlpha = [&](YColor c) { return c.WithAlpha(static_cast<uint8_t>(c.a * m_format.alpha / 255)); };
    const YColor plain = withAlpha(painter.Color(m_format.invert ? kLight : kText));
    YColor colours[9];
    for (int32_t c = 0; c < 9; ++c) colours[c] = withAlpha(painter.Color(c));

    const YRect clip = drawer.GetClipRect();
    for (const Line& l : m_lines) {
        const int32_t lineTop = origin.y + l.top;
        if (lineTop > clip.bottom) break;
        if (lineTop + l.height <= clip.top) continue;
        for (int32_t k = l.first; k < l.end; ++k) {
            const YSTMLFragment& f = m_fragments[static_cast<size_t>(k)];
            const int32_t x = origin.x + f.x, y = origin.y + f.y;
            if (f.kind == YSTMLFragment::kObject) {
                f.object->Paint(painter, YPoint{x, y});
            } else if (f.kind == YSTMLFragment::kWord) {
                if (x > clip.right || x + f.width + f.height < clip.left) continue;
                drawer.SetFont(painter.Font(f.font));
                // The box reaches past the advance so that overhanging glyphs (italics) show.
                const YRect box{x, y, x + f.width + f.height / 2, y + f.height - 1};
                drawer.AlignedTextOut(box, f.text, kAlignLeft | kAlignTop,
                                      f.colour < 9 ? colours[f.colour] : plain, YColorOp::Alphablend);
            }
        }
    }
    if (m_format.listItem) {
        const Line& first = m_lines.front();
        const YFont* font = painter.Font(0);
        const float size = static_cast<float>(font->Ascent() + font->Descent());
        const float cx = static_cast<float>(origin.x + Padding()) + size / 2.0f;
        const float cy = static_cast<float>(origin.y + first.top + first.baseline) - static_cast<float>(font->Ascent()) / 3.0f;
        drawer.FillCircle(cx, cy, std::max(1.5f, size / 9.0f), plain, YColorOp::Alphablend);
    }
}

int32_t YSTMLParagraph::ChildCount() const noexcept { return m_objects; }

YSTMLItem* YSTMLParagraph::Child(int32_t index) const noexcept {
    for (const YSTMLFragment& f : m_fragments)
        if (f.kind == YSTMLFragment::kObject && index-- == 0) return f.object.get();
    return nullptr;
}

void YSTMLParagraph::Describe(YString& out) const {
    static const char* const kAlign[4] = {"left", "right", "center", "justify"};
    out += m_format.listItem ? YString("li") : YString("p");
    YString flags;
    if (m_format.alignment != YSTMLParagraphFormat::kLeft) flags += YString(" ") + YString::Literal(kAlign[m_format.alignment]);
    if (m_format.singleLine) flags += YString(" singleline");
    if (m_format.invert) flags += YString(" invert");
    if (m_format.fill.set) flags += YString(" fill");
    if (!flags.IsEmpty()) out += YString("(") + flags.Trimmed() + YString(")");
    out += u'[';
    int32_t runFont = -1, runColour = -1;
    bool inRun = false;
    for (size_t i = 0; i < m_fragments.size(); ++i) {
        const YSTMLFragment& f = m_fragments[i];
        const bool sameRun = inRun && f.kind == YSTMLFragment::kWord && f.font == runFont && f.colour == runColour;
        if (sameRun) {
            if (f.spaceBefore) out += u' ';
            out += f.text;
            continue;
        }
        if (inRun) out += u'"';
        inRun = false;
        if (i) out += f.spaceBefore ? YString(" ") : YString("+");
        if (f.kind == YSTMLFragment::kObject) {
            f.object->Describe(out);
        } else if (f.kind == YSTMLFragment::kStrut) {
            out += YString("s");
        } else {
            YString prefix;
            if (f.font != 0) prefix += YEnumName(YEnumNamesOf<YStdFont>(), f.font);
            if (f.colour != YSTMLFragment::kDefaultColor) {
                if (!prefix.IsEmpty()) prefix += u',';
                prefix += YEnumName(YEnumNamesOf<YStdColor>(), f.colour);
            }
            if (!prefix.IsEmpty()) out += prefix + YString(":");
            out += u'"';
            out += f.text;
            inRun = true;
            runFont = f.font;
            runColour = f.colour;
        }
    }
    if (inRun) out += u'"';
    out += u']';
}
