// YXMLDocument: the root item of an XML tree, loaded from and saved to streams, plain or
// zlib-compressed.
#pragma once

#include "foundation/YStream.h"
#include "foundation/YXMLItem.h"

class YXMLDocument : public YXMLItem {
public:
    YXMLDocument() = default;
    explicit YXMLDocument(const YString& rootName) : YXMLItem(rootName) {}

    // Replaces the tree with the document read from the stream. On failure the document is
    // left empty and the error raised.
    void Load(YStream& stream);
    // The most text a document may hold, inflated or plain: far more than any state or
    // preset needs, and small enough that a hostile document cannot exhaust memory.
    static constexpr int64_t kMaxTextBytes = 16 * 1024 * 1024;
    // Error code of a document refused for its size.
    static constexpr int32_t kTooLargeCode = 259;

    // Reads zlib-compressed XML; when that fails for any reason, goes back to where it started
    // and reads the bytes as plain XML. Only the failure of the plain attempt is raised, with
    // one exception: a document larger than kMaxTextBytes (inflated, or as plain text) is
    // refused with kTooLargeCode before any of it is parsed. A refused or failed load leaves
    // the document empty.
    void LoadCompressed(YStream& stream);
    // The declaration and the tree; compact leaves out line breaks and indentation.
    void Save(YStream& stream, const YString& encoding = "utf-8", bool compact = false) const;
    // The compact form through zlib at level 9, finished so that the data is complete.
    void SaveCompressed(YStream& stream, const YString& encoding = "utf-8") const;
};
