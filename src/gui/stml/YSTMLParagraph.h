// YSTMLParagraph: lines of words and inline objects, with an alignment and the font and colour
// each word was written in.
//
// Line breaking: a line may break only where the text had a blank. Words written against each
// other across tags ("<b>A</b>B") stay together; a run that is wider than the line on its own
// stands alone on its line and is cut off when painted. Blanks count once between words and
// not at all at the start or end of a line. A single-line paragraph never breaks.
// Justification: every line but the paragraph's last spreads the free width over its breaks,
// the first breaks taking the odd pixels; a line without breaks stays left-aligned.
#pragma once

#include "gui/drawing/YColor.h"
#include "gui/stml/YSTMLItem.h"
#include "gui/stml/YSTMLObject.h"
#include "gui/stml/YSTMLValue.h"

#include <memory>
#include <vector>

class YSTMLAttributes;

// What "p" and the alignment tags set for the paragraphs they open.
struct YSTMLParagraphFormat {
    enum Alignment : int32_t { kLeft, kRight, kCenter, kJustify };
    int32_t alignment = kLeft;
    bool singleLine = false;
    bool invert = false;   // the highlight colour behind, light text
    bool listItem = false; // a bullet, and the lines indented
    YSTMLColor fill;       // a background ("fill")
    int32_t fillAlpha = 255;
    int32_t alpha = 255;   // of the text
    double value = -1.0;   // percent of the width the background covers (-1: all)

    // Takes "singleline", "invert", "fill", "fillalpha", "alpha" and "value".
    void Read(const YSTMLAttributes& attributes);
};

struct YSTMLFragment {
    enum Kind : uint8_t { kWord, kObject, kStrut };
    static constexpr uint8_t kDefaultColor = 255; // the paragraph's text colour

    Kind kind = kWord;
    uint8_t font = 0;
    uint8_t colour = kDefaultColor;
    bool spaceBefore = false; // a line may break here
    YString text;
    std::unique_ptr<YSTMLObject> object;
    // Layout: box position relative to the paragraph, width and height.
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class YSTMLParagraph final : public YSTMLItem {
public:
    explicit YSTMLParagraph(const YSTMLParagraphFormat& format) : m_format(format) {}

    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kParagraph; }
    int32_t Layout(YSTMLLayout& layout, int32_t width) override;
    int32_t NaturalWidth(YSTMLLayout& layout) override;
    void Paint(YSTMLPainter& painter, YPoint origin) const override;
    int32_t ChildCount() const noexcept override;
    YSTMLItem* Child(int32_t index) const noexcept override;
    void Describe(YString& out) const override;

    void AddWord(YString word, int32_t font, int32_t colour, bool spaceBefore);
    void AddObject(std::unique_ptr<YSTMLObject> object, bool spaceBefore);
    // An empty piece half a line of the font high: "s" (a gap under the help title).
    void AddStrut(int32_t font);

    const YSTMLParagraphFormat& Format() const noexcept { return m_format; }
    const std::vector<YSTMLFragment>& Fragments() const noexcept { return m_fragments; }

    struct Line {
        int32_t first = 0; // fragments [first, end)
        int32_t end = 0;
        int32_t top = 0;
        int32_t height = 0;
        int32_t baseline = 0; // from top
        int32_t width = 0;    // natural, before alignment
    };
    const std::vector<Line>& Lines() const noexcept { return m_lines; }

private:
    // Widths of words and objects (object widths depend on the paragraph's width).
    void Measure(YSTMLLayout& layout, int32_t innerWidth);
    int32_t Inset(const YSTMLLayout& layout) const;
    int32_t Padding() const noexcept;

    YSTMLParagraphFormat m_format;
    std::vector<YSTMLFragment> m_fragments;
    std::vector<int32_t> m_spaceWidths; // per fragment: the blank before it
    std::vector<Line> m_lines;
    int32_t m_objects = 0;
};
