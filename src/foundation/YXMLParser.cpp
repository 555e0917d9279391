#include "foundation/YXMLParser.h"

#include "foundation/YException.h"

template class YMLParser<YXMLAttribute, std::vector<YXMLAttribute>>;

namespace YLibraryInternals {

void YXMLParser::Element(const YString& name, std::vector<YXMLAttribute>& attributes, bool closing) {
    if (closing) {
        if (!m_current || m_current->GetName() != name)
            YRaise("Invalid file contents. Invalid closing element name.");
        m_current = m_current == &m_root ? nullptr : m_current->GetParent();
        return;
    }
    YXMLItem* item = nullptr;
    if (m_current) {
        item = &m_current->AddChild(name);
    } else {
        // A second root would silently merge into the first one.
        if (m_rootSeen) YRaise("Invalid file contents. More than one root element.");
        m_rootSeen = true;
        item = &m_root;
        item->SetName(name);
    }
    if (item->GetAttributeCount() == 0)
        item->TakeAttributes(attributes);
    else
        for (const YXMLAttribute& attribute : attributes) item->SetAttribute(attribute.name, attribute.value);
    m_current = item;
}

void YXMLParser::Text(const YString& text) {
    YString trimmed = text.Trimmed();
    if (trimmed.IsEmpty()) return;
    if (!m_current) YRaise("Text outside of any element.");
    if (m_current->GetText().IsEmpty())
        m_current->SetText(trimmed);
    else
        m_current->AppendText(trimmed);
}

void YXMLParser::Parse(YStream& stream) {
    YXMLTokenizer tokenizer(stream, *this);
    tokenizer.Parse();
    Finish();
}

void YXMLParser::Finish() const {
    if (!m_rootSeen) YRaise("Invalid file contents. No root element found.");
    if (m_current)
        YRaiseFormat(YException::kGeneral, "Invalid file contents. Element \"{0}\" is not closed.",
                     m_current->GetName());
}

} // namespace YLibraryInternals
