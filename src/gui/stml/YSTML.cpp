#include "gui/stml/YSTML.h"

#include "foundation/YException.h"
#include "gui/drawing/YDrawer.h"
#include "gui/stml/YSTMLTable.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>

namespace {

constexpr int32_t kFontNormal = static_cast<int32_t>(YStdFont::kNormal);

struct NamedValue {
    const char* name;
    int32_t value;
};

// Tags that switch the font.
constexpr NamedValue kFontTags[] = {
    {"b", static_cast<int32_t>(YStdFont::kBold)},      {"i", static_cast<int32_t>(YStdFont::kItalic)},
    {"normal", kFontNormal},                           {"large", static_cast<int32_t>(YStdFont::kLarge1)},
    {"l1", static_cast<int32_t>(YStdFont::kLarge1)},   {"l2", static_cast<int32_t>(YStdFont::kLarge2)},
    {"l3", static_cast<int32_t>(YStdFont::kLarge3)},   {"l4", static_cast<int32_t>(YStdFont::kLarge4)},
    {"small", static_cast<int32_t>(YStdFont::kSmall)},
};
// Tags that switch the colour; "cd" goes back to the paragraph's own text colour.
constexpr NamedValue kColourTags[] = {
    {"cred", static_cast<int32_t>(YStdColor::kRed)},     {"cgreen", static_cast<int32_t>(YStdColor::kGreen)},
    {"cblue", static_cast<int32_t>(YStdColor::kBlue)},   {"clight", static_cast<int32_t>(YStdColor::kLight)},
    {"cdark", static_cast<int32_t>(YStdColor::kDark)},   {"cd", YSTMLFragment::kDefaultColor},
    {"ci", static_cast<int32_t>(YStdColor::kHighlight)},
};
// Tags that open paragraphs, with the alignment they set (-1: keep).
constexpr NamedValue kParagraphTags[] = {
    {"p", -1},
    {"li", -1},
    {"left", YSTMLParagraphFormat::kLeft},
    {"right", YSTMLParagraphFormat::kRight},
    {"center", YSTMLParagraphFormat::kCenter},
    {"justify", YSTMLParagraphFormat::kJustify},
};

template <size_t N> const NamedValue* Lookup(const NamedValue (&table)[N], const YString& name) noexcept {
    for (const NamedValue& entry : table)
        if (name == YString::Literal(entry.name)) return &entry;
    return nullptr;
}

bool IsBlank(char16_t c) noexcept { return c <= 32; }

} // namespace

YSTML::YSTML() = default;

YSTML::YSTML(const YString& text) { SetText(text); }

YSTML::~YSTML() = default;

YString YSTML::HelpTagsets() {
    return "<tagset name=\"name\"><b><cred></tagset>"
           "<tagset name=\"reference\"><cred><i></tagset>"
           "<tagset name=\"control\"><cgreen></tagset>"
           "<tagset name=\"value\"><cgreen></tagset>"
           "<tagset name=\"range\"><cgreen></tagset>"
           "<tagset name=\"symbol\"><cgreen></tagset>"
           "<tagset name=\"shortcut\"><p><cgreen></tagset>"
           "<tagset name=\"shortcutnop\"><cgreen></tagset>"
           "<tagset name=\"example\"><i></tagset>";
}

void YSTML::ResetBuild() {
    m_state = Snapshot{};
    m_state.container = this;
    m_paragraph = nullptr;
    m_pendingSpace = false;
    m_frames.clear();
    m_tagsets.clear();
    m_defining = false;
    m_definingName = YString();
    m_definition.clear();
}

void YSTML::SetText(const YString& text) {
    m_text = text;
    Clear();
    ResetBuild();
    m_layoutWidth = -1;
    m_layoutHeight = 0;
    YSTMLTagParser::Parse(text, *this);
    // Nothing of the build outlives it: the tree keeps what was built.
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_tagsets.clear();
    m_definition.clear();
    m_paragraph = nullptr;
}

YSTMLParagraph& YSTML::Paragraph() {
    if (!m_paragraph) {
        auto paragraph = std::make_unique<YSTMLParagraph>(m_state.format);
        m_paragraph = paragraph.get();
        m_state.container->Add(std::move(paragraph));
        m_pendingSpace = false;
    }
    return *m_paragraph;
}

void YSTML::AddObject(std::unique_ptr<YSTMLObject> object) {
    object->SetTextState(m_state.font, m_state.colour);
    const bool space = m_pendingSpace;
    YSTMLParagraph& paragraph = Paragraph();
    paragraph.AddObject(std::move(object), space);
    m_pendingSpace = false;
}

bool YSTML::Push(const YString& name, bool block) {
    if (m_frames.size() >= kMaxDepth) return false;
    m_frames.push_back(Frame{name, m_state, block});
    return true;
}

void YSTML::Tag(const YString& name, const YSTMLAttributes& attributes, bool closing) {
    if (m_defining) {
        if (name == YString("tagset")) {
            if (closing) {
                if (!m_definingName.IsEmpty() && (m_tagsets.size() < kMaxTagsets || m_tagsets.count(m_definingName)))
                    m_tagsets[m_definingName] = std::move(m_definition);
                m_definition.clear();
                m_defining = false;
            }
            return;
        }
        if (!closing) Define(name, attributes);
        return;
    }
    if (closing)
        Close(name);
    else
        Open(name, attributes, true);
}

void YSTML::Define(const YString& name, const YSTMLAttributes& attributes) {
    if (name == m_definingName) return; // a tag cannot stand for itself
    const auto defined = m_tagsets.find(name);
    if (defined != m_tagsets.end()) {
        // Definitions hold built-in tags only, so that using one never recurses.
        for (const Definition& part : defined->second)
            if (m_definition.size() < kMaxDefinitionTags) m_definition.push_back(part);
        return;
    }
    if (m_definition.size() < kMaxDefinitionTags) m_definition.push_back(Definition{name, attributes});
}

void YSTML::Open(const YString& name, const YSTMLAttributes& attributes, bool expand) {
    if (name == YString("tagset")) {
        m_defining = true;
        m_definition.clear();
        const YString* defined = attributes.Find("name");
        m_definingName = defined ? defined->Trimmed() : YString();
        for (int32_t i = 0; i < m_definingName.Length(); ++i)
            if (m_definingName[i] >= 'A' && m_definingName[i] <= 'Z') {
                m_definingName.MutableData()[i] = static_cast<char16_t>(m_definingName[i] + 32);
            }
        return;
    }
    const auto defined = expand ? m_tagsets.find(name) : m_tagsets.end();
    if (defined != m_tagsets.end()) {
        if (!Push(name, false)) return;
        // The parts open as built-in tags only: a name defined after the definition that
        // used it does not expand again, so no chain of definitions can loop.
        for (const Definition& part : defined->second) Open(part.name, part.attributes, false);
        return;
    }
    if (const NamedValue* font = Lookup(kFontTags, name)) {
        if (Push(name, false)) m_state.font = font->value;
        return;
    }
    if (const NamedValue* colour = Lookup(kColourTags, name)) {
        if (Push(name, false)) m_state.colour = colour->value;
        return;
    }
    if (const NamedValue* paragraph = Lookup(kParagraphTags, name)) {
        if (!Push(name, true)) return;
        EndParagraph();
        if (paragraph->value >= 0) m_state.format.alignment = paragraph->value;
        m_state.format.listItem = name == YString("li");
        m_state.format.Read(attributes);
        return;
    }
    if (name == YString("tr")) {
        if (!Push(name, true)) return;
        EndParagraph();
        auto row = std::make_unique<YSTMLTableRow>(attributes);
        m_state.row = row.get();
        m_state.container->Add(std::move(row));
        return;
    }
    if (name == YString("td")) {
        if (!Push(name, true)) return;
        EndParagraph();
        if (!m_state.row) {
            auto row = std::make_unique<YSTMLTableRow>(YSTMLAttributes{});
            m_state.row = row.get();
            m_state.container->Add(std::move(row));
        }
        auto cell = std::make_unique<YSTMLTableCell>(attributes);
        m_state.container = cell.get();
        m_state.row->Add(std::move(cell));
        m_state.format = YSTMLParagraphFormat{};
        return;
    }
    if (name == YString("img")) return AddObject(std::make_unique<YSTMLImage>(attributes));
    if (name == YString("rectangle")) return AddObject(std::make_unique<YSTMLRectangle>(attributes));
    if (name == YString("indicator")) return AddObject(std::make_unique<YSTMLIndicator>(attributes));
    if (name == YString("hline")) return AddObject(std::make_unique<YSTMLLine>(attributes));
    if (name == YString("s")) {
        Paragraph().AddStrut(m_state.font);
        return;
    }
    // Anything else is not ours: ignored, its text shows.
}

void YSTML::Close(const YString& name) {
    auto it = std::find_if(m_frames.rbegin(), m_frames.rend(), [&](const Frame& f) { return f.name == name; });
    if (it == m_frames.rend()) return;
    const size_t index = static_cast<size_t>(m_frames.rend() - it) - 1;
    bool block = false;
    for (size_t i = index; i < m_frames.size(); ++i) block = block || m_frames[i].block;
    m_state = m_frames[index].saved;
    m_frames.resize(index);
    if (block) EndParagraph();
}

void YSTML::Text(const YString& text) {
    if (m_defining) return;
    const int32_t length = text.Length();
    int32_t i = 0;
    while (i < length) {
        if (IsBlank(text[i])) {
            m_pendingSpace = true;
            ++i;
            continue;
        }
        int32_t end = i;
        while (end < length && !IsBlank(text[end])) ++end;
        const bool space = m_pendingSpace;
        YSTMLParagraph& paragraph = Paragraph();
        paragraph.AddWord(text.Substring(i, end - i), m_state.font, m_state.colour, space);
        m_pendingSpace = false;
        i = end;
    }
}

int32_t YSTML::Layout(YStyle& style, int32_t width, int32_t availableHeight) {
    YSTMLLayout layout(style, m_images, availableHeight);
    m_layoutWidth = std::max(0, width);
    m_layoutAvailable = availableHeight;
    m_layoutStyle = &style;
    m_layoutHeight = YSTMLContainer::Layout(layout, std::max(1, width));
    SetBounds(YRect::FromSize(0, 0, m_layoutWidth, m_layoutHeight));
    return m_layoutHeight;
}

void YSTML::Paint(YDrawer& drawer, YStyle& style, const YRect& rect) {
    if (rect.IsEmpty()) return;
    if (m_layoutWidth != rect.Width() || m_layoutAvailable != rect.Height() || m_layoutStyle != &style)
        Layout(style, rect.Width(), rect.Height());
    const YRect saved = drawer.IntersectClip(rect);
    YSTMLPainter painter(drawer, style, m_images);
    YSTMLContainer::Paint(painter, YPoint{rect.left, rect.top});
    drawer.SetClipRect(saved);
}

int32_t YSTML::NaturalWidth(YStyle& style) {
    YSTMLLayout layout(style, m_images);
    // Measuring sizes the objects for no width: the next paint lays out again.
    m_layoutWidth = -1;
    return YSTMLContainer::NaturalWidth(layout);
}

YString YSTML::Describe() const {
    YString out;
    DescribeChildren(out);
    return out;
}
