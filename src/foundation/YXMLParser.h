// The tree builder: turns what the tokenizer reports into YXMLItems under a root item.
#pragma once

#include "foundation/YMLParser.h"
#include "foundation/YXMLItem.h"

#include <vector>

extern template class YMLParser<YXMLAttribute, std::vector<YXMLAttribute>>;

namespace YLibraryInternals {

using YXMLTokenizer = YMLParser<YXMLAttribute, std::vector<YXMLAttribute>>;

class YXMLParser : public YXMLTokenizer::Handler {
public:
    // The root element's name and attributes go to root, its children below it.
    explicit YXMLParser(YXMLItem& root) noexcept : m_root(root) {}

    void Element(const YString& name, std::vector<YXMLAttribute>& attributes, bool closing) override;
    void Text(const YString& text) override;

    // Tokenizes the whole stream into the root, then checks that the document is complete.
    void Parse(YStream& stream);
    // Raises when no root element was found or an element is still open.
    void Finish() const;

private:
    YXMLItem& m_root;
    YXMLItem* m_current = nullptr;
    bool m_rootSeen = false;
};

} // namespace YLibraryInternals
