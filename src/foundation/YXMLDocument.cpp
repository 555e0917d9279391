#include "foundation/YXMLDocument.h"

#include "foundation/YException.h"
#include "foundation/YXMLParser.h"
#include "foundation/YXMLWriter.h"
#include "foundation/YZLibStream.h"

void YXMLDocument::Load(YStream& stream) {
    Clear();
    SetName(YString());
    try {
        YLibraryInternals::YXMLParser builder(*this);
        builder.Parse(stream);
    } catch (...) {
        Clear();
        SetName(YString());
        throw;
    }
}

void YXMLDocument::LoadCompressed(YStream& stream) {
    const int64_t start = stream.GetPosition();
    try {
        YZLibStream inflater(stream, YZLibStream::kDecompress, 100);
        Load(inflater);
        return;
    } catch (...) {
        // Not compressed, or not valid when inflated: try the bytes as they are.
    }
    stream.Seek(start, YStream::kFromStart);
    Load(stream);
}

void YXMLDocument::Save(YStream& stream, const YString& encoding, bool compact) const {
    YXMLWriter::Save(*this, stream, encoding, compact);
}

void YXMLDocument::SaveCompressed(YStream& stream, const YString& encoding) const {
    YZLibStream deflater(stream, YZLibStream::kCompress, 100);
    YXMLWriter::Save(*this, deflater, encoding, true);
    deflater.Terminate();
}
