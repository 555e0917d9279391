#include "foundation/YHexaStream.h"

#include "foundation/YException.h"

#include <algorithm>

namespace {
constexpr int32_t kPieceSize = 128; // characters per write to the wrapped stream

int Nibble(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    YRaise("Invalid character to be converted to a number.");
}
} // namespace

YStream& YHexaStream::Source() {
    if (!m_source) YRaise("Hexadecimal stream has no source stream.");
    return *m_source;
}

void YHexaStream::Write(const void* bytes, int32_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    YStream& source = Source();
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    char piece[kPieceSize];
    while (count > 0) {
        int32_t n = std::min(count, kPieceSize / 2);
        for (int32_t i = 0; i < n; ++i) {
            piece[2 * i] = kDigits[data[i] >> 4];
            piece[2 * i + 1] = kDigits[data[i] & 15];
        }
        source.Write(piece, 2 * n);
        data += n;
        count -= n;
    }
}

int32_t YHexaStream::Read(void* bytes, int32_t count) {
    YStream& source = Source();
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    unsigned char* out = static_cast<unsigned char*>(bytes);
    char piece[kPieceSize];
    int32_t done = 0;
    while (done < count) {
        int32_t want = std::min(count - done, kPieceSize / 2) * 2;
        int32_t got = 0;
        // A wrapped stream may deliver fewer bytes than asked before its end.
        while (got < want) {
            int32_t n = source.Read(piece + got, want - got);
            if (n <= 0) break;
            got += n;
        }
        if (got % 2 != 0) YRaise("Hexadecimal text has an odd number of characters.");
        for (int32_t i = 0; i < got / 2; ++i)
            out[done + i] = static_cast<unsigned char>(Nibble(static_cast<unsigned char>(piece[2 * i])) << 4 |
                                                       Nibble(static_cast<unsigned char>(piece[2 * i + 1])));
        done += got / 2;
        if (got < want) break;
    }
    return done;
}

void YHexaStream::Seek(int64_t offset, int origin) {
    if (origin < kFromStart || origin > kFromEnd)
        YRaise("Invalid seek origin.", YException::kInvalidSeekOrigin);
    // Beyond this any offset lands at an end of the wrapped stream anyway.
    offset = std::clamp<int64_t>(offset, -(int64_t(1) << 60), int64_t(1) << 60);
    Source().Seek(offset * 2, origin);
}

int64_t YHexaStream::GetPosition() { return Source().GetPosition() / 2; }

int64_t YHexaStream::GetSize() { return Source().GetSize() / 2; }

bool YHexaStream::IsEnd() { return Source().IsEnd(); }

void YHexaStream::Flush() { Source().Flush(); }
