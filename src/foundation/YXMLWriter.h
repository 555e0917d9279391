// YXMLWriter: writes an item and its subtree as XML text, indented with tabs or compact.
#pragma once

#include "foundation/YMLParser.h"
#include "foundation/YStream.h"
#include "foundation/YXMLItem.h"

#include <string>

class YXMLWriter {
public:
    // Raises "Unsupported text encoding (name)." for an encoding it cannot write.
    YXMLWriter(YStream& stream, const YString& encoding);
    YXMLWriter(const YXMLWriter&) = delete;
    YXMLWriter& operator=(const YXMLWriter&) = delete;

    // The declaration, then the item and everything below it; the output is complete on return.
    static void Save(const YXMLItem& root, YStream& stream, const YString& encoding, bool compact);

    // <?xml version="1.0" encoding="..."?>
    void WriteDeclaration(bool compact);
    // The item and its subtree, without recursion. Raises "XML entity cannot have empty name."
    void WriteItem(const YXMLItem& root, bool compact);
    // Hands the buffered bytes to the stream.
    void Flush();

private:
    void Put(char16_t c);
    void PutAscii(const char* text);
    // Appends the plain ASCII characters of text from index on in one go (with escaping, none
    // of the five that need an entity) and answers where the run ended. Only while writing
    // UTF-8 or an 8-bit encoding outside a surrogate pair: there such a character is its byte.
    int32_t PutAsciiRun(const YString& text, int32_t index, bool escaping);
    void PutName(const YString& name);
    void PutEscaped(const YString& text);
    void PutIndent(int32_t depth);
    void EndLine(bool compact);
    void OpenTag(const YXMLItem& item, int32_t depth, bool compact, bool& leaf);
    void CloseTag(const YXMLItem& item, int32_t depth, bool compact);

    YStream& m_stream;
    YMLEncoding m_encoding;
    YString m_encodingName;
    std::string m_bytes;
    char16_t m_highSurrogate = 0;
};
