// YSTMLObject: an inline object with a box of its own inside a paragraph's line, and the
// four kinds: YSTMLImage ("img"), YSTMLLine ("hline"), YSTMLRectangle ("rectangle") and
// YSTMLIndicator ("indicator").
//
// The box: "width" as pixels, metric or percentage of the paragraph's width; "height" as
// pixels, metric or percentage of the line height of the font the object stands in;
// automatic sizes come from the content, shrunk to the paragraph's width (keeping the
// proportions) when wider. "valign" places the box in its line (top, center,
// bottom; bottom, the default, stands on the baseline). "align" aligns the line the object
// stands alone on (a picture centred in a table cell), and the picture within a wider box.
#pragma once

#include "gui/stml/YSTMLItem.h"
#include "gui/stml/YSTMLValue.h"

class YBaseBitmap;
class YSTMLAttributes;
struct YSTMLImages;

class YSTMLObject : public YSTMLItem {
public:
    static constexpr int32_t kUnset = -1;

    int32_t Layout(YSTMLLayout& layout, int32_t width) override;
    int32_t NaturalWidth(YSTMLLayout& layout) override;
    void Paint(YSTMLPainter& painter, YPoint origin) const override;
    void Describe(YString& out) const override;

    // 8: the natural size of the content at the font's line height.
    virtual YSize ContentSize(const YSTMLLayout& layout, int32_t lineHeight) const = 0;
    // 9: paints the content into box (window coordinates).
    virtual void PaintBox(YSTMLPainter& painter, const YRect& box) const = 0;

    // The object box attributes.
    void ReadBox(const YSTMLAttributes& attributes);
    // The font and colour of the text around the object (standard positions).
    void SetTextState(int32_t font, int32_t colour) noexcept {
        m_font = font;
        m_colour = colour;
    }

    const YSTMLLength& Width() const noexcept { return m_width; }
    const YSTMLLength& Height() const noexcept { return m_height; }
    int32_t Align() const noexcept { return m_align; }
    int32_t VAlign() const noexcept { return m_valign; }
    int32_t Font() const noexcept { return m_font; }
    int32_t TextColor() const noexcept { return m_colour; }
    // The box size of the last layout.
    YSize Size() const noexcept { return m_size; }

protected:
    // The width taken when the text gives none.
    void DefaultWidth(const YSTMLLength& width) noexcept {
        if (m_width.IsAuto()) m_width = width;
    }
    // What Describe prints after the kind's name, e.g. " icon=3".
    virtual void DescribeContent(YString& out) const = 0;
    virtual const char* TagName() const noexcept = 0;

private:
    YSTMLLength m_width;
    YSTMLLength m_height;
    int32_t m_align = kUnset;
    int32_t m_valign = kUnset;
    int32_t m_font = 0;
    int32_t m_colour = kUnset;
    YSize m_size;
};

// A picture: a standard icon ("icon", drawn in the colour of the text around it), a standard
// bitmap ("bitmap"), or one of the caller's images by position ("number") or name ("id").
class YSTMLImage final : public YSTMLObject {
public:
    explicit YSTMLImage(const YSTMLAttributes& attributes);
    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kImage; }
    YSize ContentSize(const YSTMLLayout& layout, int32_t lineHeight) const override;
    void PaintBox(YSTMLPainter& painter, const YRect& box) const override;

    int32_t Icon() const noexcept { return m_icon; }
    int32_t Bitmap() const noexcept { return m_bitmap; }
    int32_t Number() const noexcept { return m_number; }
    const YString& Id() const noexcept { return m_id; }

protected:
    void DescribeContent(YString& out) const override;
    const char* TagName() const noexcept override { return "img"; }

private:
    const YBaseBitmap* CallerImage(const YSTMLImages& images) const noexcept;

    int32_t m_icon = kUnset;
    int32_t m_bitmap = kUnset;
    int32_t m_number = kUnset;
    YString m_id;
};

// A horizontal rule "size" pixels thick (default 1) with "hspace" pixels left free at each
// end and "vspace" above and below (default 2); full width unless "width" says otherwise. It
// always takes a line of its own.
class YSTMLLine final : public YSTMLObject {
public:
    explicit YSTMLLine(const YSTMLAttributes& attributes);
    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kLine; }
    YSize ContentSize(const YSTMLLayout& layout, int32_t lineHeight) const override;
    void PaintBox(YSTMLPainter& painter, const YRect& box) const override;

protected:
    void DescribeContent(YString& out) const override;
    const char* TagName() const noexcept override { return "hline"; }

private:
    int32_t m_thickness = 1;
    int32_t m_hspace = 0;
    int32_t m_vspace = 2;
    int32_t m_alpha = 255;
    YSTMLColor m_colour;
};

// A filled box ("color", default the highlight colour) with an optional outline
// ("bordercolor"); by default as wide and as high as the text's ascent.
class YSTMLRectangle final : public YSTMLObject {
public:
    explicit YSTMLRectangle(const YSTMLAttributes& attributes);
    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kRectangle; }
    YSize ContentSize(const YSTMLLayout& layout, int32_t lineHeight) const override;
    void PaintBox(YSTMLPainter& painter, const YRect& box) const override;

protected:
    void DescribeContent(YString& out) const override;
    const char* TagName() const noexcept override { return "rectangle"; }

private:
    YSTMLColor m_colour;
    YSTMLColor m_border;
    int32_t m_alpha = 255;
};

// A value bar: "value" between "min" (default 0) and "max" (default 100), filled from
// "middle" (default min: a bipolar value sets it between) to the value in "color"; "default"
// marks a value with a tick; outlined in "bordercolor" (default the shape colour). By default
// six line heights wide and as high as the text's ascent.
class YSTMLIndicator final : public YSTMLObject {
public:
    explicit YSTMLIndicator(const YSTMLAttributes& attributes);
    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kIndicator; }
    YSize ContentSize(const YSTMLLayout& layout, int32_t lineHeight) const override;
    void PaintBox(YSTMLPainter& painter, const YRect& box) const override;

    // The value's position along the bar, 0..1 (a bar whose min equals max reads 0).
    double Fraction(double value) const noexcept;

protected:
    void DescribeContent(YString& out) const override;
    const char* TagName() const noexcept override { return "indicator"; }

private:
    YSTMLColor m_colour;
    YSTMLColor m_border;
    double m_value = 0.0;
    double m_min = 0.0;
    double m_max = 100.0;
    double m_middle = 0.0;
    bool m_hasMiddle = false;
    double m_default = 0.0;
    bool m_hasDefault = false;
};
