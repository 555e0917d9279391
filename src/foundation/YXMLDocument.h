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
    // Reads zlib-compressed XML; when that fails for any reason, goes back to where it started
    // and reads the bytes as plain XML. Only the failure of the plain attempt is raised.
    void LoadCompressed(YStream& stream);
    // The declaration and the tree; compact leaves out line breaks and indentation.
    void Save(YStream& stream, const YString& encoding = "utf-8", bool compact = false) const;
    // The compact form through zlib at level 9, finished so that the data is complete.
    void SaveCompressed(YStream& stream, const YString& encoding = "utf-8") const;
};
