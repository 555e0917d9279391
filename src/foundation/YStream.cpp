#include "foundation/YStream.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
constexpr int32_t kPieceSize = 1024;
}

YStream::~YStream() = default;

YStream* YStream::GetSubstream() { YRaiseNotImplemented("return substream"); }

void YStream::Write(const void*, int32_t) { YRaiseNotImplemented("write to stream"); }

void YStream::WriteFill(int32_t count) {
    static const unsigned char zeros[kPieceSize] = {};
    while (count > 0) {
        int32_t piece = std::min(count, kPieceSize);
        Write(zeros, piece);
        count -= piece;
    }
}

int32_t YStream::Read(void*, int32_t) { YRaiseNotImplemented("read from stream"); }

int YStream::ReadLine(char* buffer, int32_t size) {
    if (!buffer || size <= 1) {
        if (buffer && size == 1) buffer[0] = 0;
        return kLineBufferFull;
    }
    int32_t stored = 0;
    for (;;) {
        if (stored >= size - 1) {
            buffer[stored] = 0;
            return kLineBufferFull;
        }
        char c = 0;
        if (Read(&c, 1) != 1) {
            buffer[stored] = 0;
            return stored > 0 ? kLineComplete : kLineStreamEnded;
        }
        if (c == 13) continue;
        if (c == 10 || c == 0) {
            buffer[stored] = 0;
            return kLineComplete;
        }
        buffer[stored++] = c;
    }
}

void YStream::WriteString(const YString& text) {
    if (text.IsEmpty()) return;
    std::string utf8 = text.ToUTF8();
    Write(utf8.data(), static_cast<int32_t>(utf8.size()));
}

void YStream::WriteLine(const YString& text) {
    std::string utf8 = text.ToUTF8();
    utf8.push_back('\n');
    Write(utf8.data(), static_cast<int32_t>(utf8.size()));
}

int64_t YStream::SeekTarget(int64_t offset, int origin) {
    switch (origin) {
    case kFromStart:
        return offset;
    case kFromCurrent:
        return GetPosition() + offset;
    case kFromEnd:
        return GetSize() + offset;
    default:
        YRaise("Invalid seek origin.", YException::kInvalidSeekOrigin);
    }
}

void YStream::Seek(int64_t offset, int origin) {
    int64_t target = SeekTarget(offset, origin);
    int64_t position = GetPosition();
    if (target < position) YRaiseNotImplemented("backward seek in a stream");
    char scratch[kPieceSize];
    while (position < target) {
        int32_t piece = static_cast<int32_t>(std::min<int64_t>(target - position, kPieceSize));
        int32_t got = Read(scratch, piece);
        if (got <= 0) break;
        position += got;
    }
}

int64_t YStream::GetPosition() { YRaiseNotImplemented("get stream position"); }

void YStream::Flush() { YRaiseNotImplemented("flush stream"); }

bool YStream::IsEnd() { YRaiseNotImplemented("end of stream test"); }

void YStream::Truncate() { YRaiseNotImplemented("truncate stream"); }

int64_t YStream::GetSize() { YRaiseNotImplemented("stream size detection"); }

void YStream::Close() {}
