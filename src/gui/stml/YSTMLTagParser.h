// YSTMLTagParser: the tokenizer of the rich-text markup. It reads tags with their attributes
// and the runs of text between them and reports them to a handler; the handler (YSTML's
// builder) gives them meaning.
//
// Syntax: "<name attr=value ...>", "</name>" and "<name .../>". Names are read in lower case
// (letters, digits, '_', '-', ':'). Values may be written bare (up to a blank, '>' or "/>"), in
// double or single quotes; an attribute without "=" reads as "1". Entities "&lt;", "&gt;",
// "&amp;", "&quot;", "&apos;" and "&#n;" / "&#xn;" are decoded in text and quoted values.
// A '<' that does not start a tag, and a tag the text ends inside, stay text. The parser never
// recurses and keeps nothing but the current token, so any input is read in linear time.
#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <utility>
#include <vector>

struct YSTMLAttribute {
    YString name;  // lower case
    YString value; // as written, quotes removed
};

class YSTMLAttributes {
public:
    void Add(YString name, YString value) { m_items.push_back({std::move(name), std::move(value)}); }
    void Clear() noexcept { m_items.clear(); }
    bool Has(const YString& name) const noexcept { return Find(name) != nullptr; }
    // The value of the last attribute of that (lower-case) name, or null.
    const YString* Find(const YString& name) const noexcept;
    const std::vector<YSTMLAttribute>& Items() const noexcept { return m_items; }
    size_t Count() const noexcept { return m_items.size(); }

private:
    std::vector<YSTMLAttribute> m_items;
};

class YSTMLTagHandler {
public:
    virtual ~YSTMLTagHandler();                                                     // 0
    // An opening tag (closing false) or a closing one (closing true, no attributes). A
    // self-closed tag comes as opening then closing.
    virtual void Tag(const YString& name, const YSTMLAttributes& attributes, bool closing) = 0;  // 1
    // A run of text with entities decoded, blanks kept as written.
    virtual void Text(const YString& text) = 0;                                     // 2
};

namespace YSTMLTagParser {
void Parse(const YString& text, YSTMLTagHandler& handler);
}
