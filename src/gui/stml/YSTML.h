// YSTML: one rich text (the markup of labels, help texts and option captions) parsed into a
// tree of items, laid out for a width and painted through a drawer with a style's fonts,
// colours and icons.
//
// Building rules:
//  - Text goes into the open paragraph; one is opened when a word arrives and none is.
//  - "p", "li" and the alignment tags ("left", "right", "center", "justify") end the open
//    paragraph and set how the next ones look until they are closed.
//  - "b", "i", "normal", "large" (= "l1"), "l1".."l4" switch the font; "cred", "cgreen",
//    "cblue", "clight", "cdark" the colour, "cd" back to the text colour, "ci" to the
//    highlight colour.
//  - "tr" opens a row in the current container, "td" a cell in the open row (a row is opened
//    when there is none); a cell holds paragraphs and rows of its own.
//  - "img", "hline", "rectangle", "indicator" are objects in the paragraph and close
//    themselves; "s" is a gap of half a line.
//  - "tagset" with "name" defines a tag as the opening tags it encloses (nested definitions
//    are expanded when defined, a definition naming itself drops that part); closing the
//    defined tag closes what it opened.
//  - A closing tag closes the latest open tag of its name and everything opened after it;
//    one with no open tag of its name, and tags neither built in nor defined, are ignored
//    (their text shows as plain text).
// Bad input never fails: at most kMaxDepth tags stay open (further ones are ignored), a
// definition holds at most kMaxDefinitionTags tags and at most kMaxTagsets names are defined.
#pragma once

#include "foundation/YFormat.h"
#include "gui/stml/YSTMLContext.h"
#include "gui/stml/YSTMLItem.h"
#include "gui/stml/YSTMLParagraph.h"
#include "gui/stml/YSTMLTagParser.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class YDrawer;
class YStyle;
class YSTMLTableRow;

class YSTML final : public YSTMLContainer, public YSTMLTagHandler {
public:
    static constexpr size_t kMaxDepth = 256;
    static constexpr size_t kMaxDefinitionTags = 64;
    static constexpr size_t kMaxTagsets = 256;

    YSTML();
    explicit YSTML(const YString& text);
    ~YSTML() override;

    // The tag definitions the help display puts in front of every help text ("name",
    // "reference", "control", "value", "range", "symbol", "shortcut", "shortcutnop",
    // "example").
    static YString HelpTagsets();

    // Parses text into the item tree (the previous tree and definitions go).
    void SetText(const YString& text);
    // A pattern's "{0}" placeholders filled with the arguments, then parsed.
    template <typename... Args> void SetText(const YString& pattern, const Args&... args) {
        SetText(YFormat::Text(pattern, args...));
    }
    const YString& Text() const noexcept { return m_text; }

    // The caller's pictures for "img number=" and "img id=".
    YSTMLImages& Images() noexcept { return m_images; }

    // Lays the text out for width (and, for height percentages, the height it will be shown
    // in); returns the height it needs.
    int32_t Layout(YStyle& style, int32_t width, int32_t availableHeight = 0);
    // Lays out for rect's width and height when the last layout was for another, and paints
    // into rect, cut to it.
    void Paint(YDrawer& drawer, YStyle& style, const YRect& rect);
    int32_t Width() const noexcept { return m_layoutWidth; }
    int32_t Height() const noexcept { return m_layoutHeight; }
    // The single-line width of the widest block (for labels that size to their text). The
    // next Paint lays out again.
    int32_t NaturalWidth(YStyle& style);

    // The description of the whole tree (YSTMLItem::Describe), blocks separated by blanks.
    YString Describe() const;

    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kRoot; }
    using YSTMLContainer::Describe;
    using YSTMLContainer::Layout;
    using YSTMLContainer::NaturalWidth;
    using YSTMLContainer::Paint;

private:
    // YSTMLTagHandler
    void Tag(const YString& name, const YSTMLAttributes& attributes, bool closing) override;
    void Text(const YString& text) override;

    struct Snapshot {
        int32_t font = 0;
        int32_t colour = YSTMLFragment::kDefaultColor;
        YSTMLParagraphFormat format;
        YSTMLContainer* container = nullptr;
        YSTMLTableRow* row = nullptr;
    };
    struct Frame {
        YString name;
        Snapshot saved;
        bool block = false; // closing it ends the open paragraph
    };
    struct Definition {
        YString name;
        YSTMLAttributes attributes;
    };

    void Open(const YString& name, const YSTMLAttributes& attributes, bool expand);
    void Close(const YString& name);
    void Define(const YString& name, const YSTMLAttributes& attributes);
    bool Push(const YString& name, bool block);
    YSTMLParagraph& Paragraph();
    void EndParagraph() noexcept { m_paragraph = nullptr; }
    void AddObject(std::unique_ptr<YSTMLObject> object);
    void ResetBuild();

    YString m_text;
    YSTMLImages m_images;
    int32_t m_layoutWidth = -1;
    int32_t m_layoutHeight = 0;
    int32_t m_layoutAvailable = 0;
    const YStyle* m_layoutStyle = nullptr;

    // Build state (during SetText).
    Snapshot m_state;
    YSTMLParagraph* m_paragraph = nullptr;
    bool m_pendingSpace = false;
    std::vector<Frame> m_frames;
    std::map<YString, std::vector<Definition>> m_tagsets;
    bool m_defining = false;
    YString m_definingName;
    std::vector<Definition> m_definition;
};
