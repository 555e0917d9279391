#include "gui/controls/YStatic.h"

#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"

#include <algorithm>

YStatic::YStatic(YControl* parent, const YString& id) : YControl(parent, id) { SetType(YControlType::kStatic); }

void YStatic::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const uint32_t state = YControlStateOf(*this) & YControlState::kDisabled;
    style->DrawControl(drawer, Type(), state, WindowRect());
    style->DrawText(drawer, style->ContentRect(Type(), WindowRect()), Caption(), YControlPaint::FontOf(*this),
                    YStdColor::kText, kAlignLeft | kAlignVCenter, state);
}

YSize YStatic::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    const YSize text{YControlText::Width(*this, Caption()), YControlText::LineHeight(*this)};
    YSize wanted = text;
    if (YStyle* style = YStyleOf(*this)) wanted = style->SizeForContent(Type(), text);
    return {std::max(size.x, wanted.x), std::max(size.y, wanted.y)};
}

YStaticMultiLine::YStaticMultiLine(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kStatic);
}

std::vector<YString> YStaticMultiLine::Lines(int32_t width) {
    std::vector<YString> lines;
    const YString& text = Caption();
    int32_t start = 0;
    for (int32_t i = 0; i <= text.Length(); ++i) {
        if (i < text.Length() && text[i] != u'\n') continue;
        YString paragraph = text.Substring(start, i - start);
        start = i + 1;
        if (paragraph.IsEmpty()) lines.push_back(YString()); // an empty line keeps its room
        // Greedy: as many words as fit; a word wider than the line stands alone.
        while (!paragraph.IsEmpty()) {
            int32_t cut = paragraph.Length();
            if (width > 0 && YControlText::Width(*this, paragraph) > width) {
                cut = 0;
                for (int32_t j = 1; j <= paragraph.Length(); ++j) {
                    if (j == paragraph.Length() || paragraph[j] == u' ') {
                        if (YControlText::Width(*this, paragraph.Substring(0, j)) > width) break;
                        cut = j;
                    }
                }
                if (cut == 0) {
                    cut = paragraph.Find(u' ');
                    if (cut < 0) cut = paragraph.Length();
                }
            }
            lines.push_back(paragraph.Substring(0, cut));
            int32_t next = cut;
            while (next < paragraph.Length() && paragraph[next] == u' ') ++next;
            paragraph = paragraph.Substring(next);
        }
    }
    return lines;
}

int32_t YStaticMultiLine::HeightForWidth(int32_t width) {
    return static_cast<int32_t>(Lines(width).size()) * YControlText::LineHeight(*this);
}

YSize YStaticMultiLine::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    const int32_t width = std::max(Size().x, size.x);
    size.y = std::max(size.y, HeightForWidth(width));
    return size;
}

void YStaticMultiLine::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const uint32_t state = YControlStateOf(*this) & YControlState::kDisabled;
    const YRect rect = WindowRect();
    style->DrawControl(drawer, Type(), state, rect);
    const YRect content = style->ContentRect(Type(), rect);
    const int32_t lineHeight = YControlText::LineHeight(*this);
    int32_t y = content.top;
    for (const YString& line : Lines(content.Width())) {
        if (y > content.bottom) break;
        style->DrawText(drawer, {content.left, y, content.right, y + lineHeight - 1}, line, YControlPaint::FontOf(*this),
                        YStdColor::kText, kAlignLeft | kAlignVCenter, state);
        y += lineHeight;
    }
}
