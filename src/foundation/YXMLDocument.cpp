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

namespace {

[[noreturn]] void RaiseTooLarge() {
    YRaiseFormat(YXMLDocument::kTooLargeCode, "The document is larger than {0} MiB.",
                 YXMLDocument::kMaxTextBytes / (1024 * 1024));
}

// Whether the stream inflates past the limit. Inflating into a scratch buffer first keeps a
// hostile document from being parsed into a tree at all; a stream that is not compressed,
// or breaks off, answers false and is left to the parsing attempts.
bool InflatesPastLimit(YStream& stream) {
    try {
        YZLibStream inflater(stream, YZLibStream::kDecompress, 100);
        inflater.SetReadLimit(YXMLDocument::kMaxTextBytes);
        char scratch[4096];
        while (inflater.Read(scratch, sizeof scratch) > 0) {
        }
    } catch (const YException& e) {
        return e.ErrorCode() == YZLibStream::kReadLimitCode;
    }
    return false;
}

// Whether the plain text from start on is larger than the limit; a stream that cannot tell
// its size is read as it comes.
bool PlainPastLimit(YStream& stream, int64_t start) {
    try {
        return stream.GetSize() - start > YXMLDocument::kMaxTextBytes;
    } catch (const YException&) {
        return false;
    }
}

} // namespace

void YXMLDocument::LoadCompressed(YStream& stream) {
    const int64_t start = stream.GetPosition();
    bool tooLarge = InflatesPastLimit(stream);
    if (!tooLarge) {
        stream.Seek(start, YStream::kFromStart);
        try {
            YZLibStream inflater(stream, YZLibStream::kDecompress, 100);
            inflater.SetReadLimit(kMaxTextBytes);
            Load(inflater);
            return;
        } catch (...) {
            // Not compressed, or not valid when inflated: try the bytes as they are.
        }
        stream.Seek(start, YStream::kFromStart);
        tooLarge = PlainPastLimit(stream, start);
    }
    if (tooLarge) {
        Clear();
        SetName(YString());
        RaiseTooLarge();
    }
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
