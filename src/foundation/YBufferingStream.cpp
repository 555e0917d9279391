#include "foundation/YBufferingStream.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstring>

YBufferingStream::YBufferingStream(YStream& source, int32_t bufferSize) { Attach(source, bufferSize); }

YBufferingStream::~YBufferingStream() {
    YGuard("YBufferingStream::~YBufferingStream", [this] { WritePending(); });
}

void YBufferingStream::Attach(YStream& source, int32_t bufferSize) {
    if (m_source) WritePending();
    m_source = &source;
    m_buffer.assign(static_cast<std::size_t>(std::max(bufferSize, 16)), 0);
    m_readBegin = m_readEnd = 0;
    m_pending = 0;
}

YStream& YBufferingStream::Source() {
    if (!m_source) YRaise("Buffering stream has not been initialized.");
    return *m_source;
}

void YBufferingStream::WritePending() {
    if (m_pending == 0) return;
    int32_t pending = m_pending;
    m_source->Write(m_buffer.data(), pending);
    m_pending = 0;
}

void YBufferingStream::DropReadAhead() {
    int32_t unread = m_readEnd - m_readBegin;
    m_readBegin = m_readEnd = 0;
    if (unread > 0) m_source->Seek(-unread, kFromCurrent);
}

void YBufferingStream::Write(const void* bytes, int32_t count) {
    YStream& source = Source();
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    if (count == 0) return;
    DropReadAhead();
    const int32_t capacity = static_cast<int32_t>(m_buffer.size());
    if (m_pending + count <= capacity) {
        std::memcpy(m_buffer.data() + m_pending, bytes, static_cast<std::size_t>(count));
        m_pending += count;
        if (m_pending == capacity) WritePending();
        return;
    }
    WritePending();
    if (count >= capacity) {
        source.Write(bytes, count);
        return;
    }
    std::memcpy(m_buffer.data(), bytes, static_cast<std::size_t>(count));
    m_pending = count;
}

int32_t YBufferingStream::Read(void* bytes, int32_t count) {
    YStream& source = Source();
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    WritePending();
    unsigned char* out = static_cast<unsigned char*>(bytes);
    int32_t done = 0;
    while (done < count) {
        int32_t available = m_readEnd - m_readBegin;
        if (available > 0) {
            int32_t n = std::min(available, count - done);
            std::memcpy(out + done, m_buffer.data() + m_readBegin, static_cast<std::size_t>(n));
            m_readBegin += n;
            done += n;
            continue;
        }
        m_readBegin = m_readEnd = 0;
        const int32_t capacity = static_cast<int32_t>(m_buffer.size());
        if (count - done >= capacity) {
            int32_t n = source.Read(out + done, count - done);
            if (n <= 0) break;
            done += n;
            continue;
        }
        int32_t n = source.Read(m_buffer.data(), capacity);
        if (n <= 0) break;
        m_readEnd = n;
    }
    return done;
}

void YBufferingStream::Seek(int64_t offset, int origin) {
    YStream& source = Source();
    if (origin < kFromStart || origin > kFromEnd)
        YRaise("Invalid seek origin.", YException::kInvalidSeekOrigin);
    int64_t logical = GetPosition();
    WritePending();
    int32_t unread = m_readEnd - m_readBegin;
    if (origin == kFromCurrent) {
        // Stay inside the read-ahead when possible: no call to the wrapped stream.
        if (offset >= 0 && offset <= unread) {
            m_readBegin += static_cast<int32_t>(offset);
            return;
        }
        m_readBegin = m_readEnd = 0;
        source.Seek(logical + offset, kFromStart);
        return;
    }
    m_readBegin = m_readEnd = 0;
    source.Seek(offset, origin);
}

int64_t YBufferingStream::GetPosition() {
    YStream& source = Source();
    return source.GetPosition() - (m_readEnd - m_readBegin) + m_pending;
}

void YBufferingStream::Flush() {
    YStream& source = Source();
    WritePending();
    source.Flush();
}

bool YBufferingStream::IsEnd() {
    YStream& source = Source();
    if (m_readEnd > m_readBegin) return false;
    WritePending();
    return source.IsEnd();
}

int64_t YBufferingStream::GetSize() {
    YStream& source = Source();
    WritePending();
    return source.GetSize();
}

void YBufferingStream::Close() {
    if (m_source) WritePending();
}
