#include "foundation/YZLibStream.h"

#include "foundation/YException.h"

#include <algorithm>
#include <exception>
#include <zlib.h>

namespace {
constexpr int32_t kBufferSize = 4096;
constexpr int32_t kInvalidContentCode = 256;
constexpr int32_t kDeflateInitCode = 257;

[[noreturn]] void RaiseInvalidContent() {
    YRaise("Source compressed stream has invalid content.", kInvalidContentCode);
}

[[noreturn]] void RaiseReadLimit(int64_t limit) {
    YRaiseFormat(YZLibStream::kReadLimitCode, "Inflated data exceeds {0} bytes.", limit);
}
} // namespace

struct YZLibStream::State {
    z_stream z{};
    unsigned char buffer[kBufferSize];
    bool initialized = false;
    bool sourceEnded = false;
};

YZLibStream::YZLibStream() noexcept = default;

YZLibStream::YZLibStream(YStream& source, Direction direction, int quality) {
    Attach(source, direction, quality);
}

YZLibStream::~YZLibStream() {
    if (m_state && m_direction == kCompress && m_written && !m_terminated &&
        std::uncaught_exceptions() <= m_uncaughtAtAttach)
        YReportSystemException("YZLibStream::~YZLibStream: ZLIB stream has not been terminated.");
    Release();
}

int YZLibStream::LevelForQuality(int quality) noexcept { return std::clamp((quality - 1) / 10, 0, 9); }

void YZLibStream::Release() noexcept {
    if (m_state && m_state->initialized) {
        if (m_direction == kCompress)
            deflateEnd(&m_state->z);
        else
            inflateEnd(&m_state->z);
    }
    m_state.reset();
    m_source = nullptr;
}

void YZLibStream::Attach(YStream& source, Direction direction, int quality) {
    Release();
    auto state = std::make_unique<State>();
    m_direction = direction;
    m_level = LevelForQuality(quality);
    if (direction == kCompress) {
        if (deflateInit(&state->z, m_level) != Z_OK)
            YRaise("Could not initialize deflating.", kDeflateInitCode);
        state->z.next_out = state->buffer;
        state->z.avail_out = kBufferSize;
    } else {
        if (inflateInit(&state->z) != Z_OK) YRaise("Could not initialize inflating.");
    }
    state->initialized = true;
    m_state = std::move(state);
    m_source = &source;
    m_counter = 0;
    m_terminated = false;
    m_written = false;
    m_ended = false;
    m_uncaughtAtAttach = std::uncaught_exceptions();
}

void YZLibStream::WriteOutput(int32_t count) {
    if (count > 0) m_source->Write(m_state->buffer, count);
    m_state->z.next_out = m_state->buffer;
    m_state->z.avail_out = kBufferSize;
}

void YZLibStream::Write(const void* bytes, int32_t count) {
    if (!m_state || m_direction != kCompress) YRaiseNotImplemented("write to stream");
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    if (m_terminated) YRaise("ZLIB stream has already been terminated.");
    if (count == 0) return;
    z_stream& z = m_state->z;
    z.next_in = static_cast<Bytef*>(const_cast<void*>(bytes));
    z.avail_in = static_cast<uInt>(count);
    m_written = true;
    while (z.avail_in > 0) {
        if (deflate(&z, Z_NO_FLUSH) == Z_STREAM_ERROR)
            YRaise("Could not initialize deflating.", kDeflateInitCode);
        if (z.avail_out == 0) WriteOutput(kBufferSize);
    }
    m_counter += count;
}

void YZLibStream::Terminate() {
    if (!m_state || m_direction != kCompress) YRaiseNotImplemented("write to stream");
    if (m_terminated) return;
    z_stream& z = m_state->z;
    z.next_in = nullptr;
    z.avail_in = 0;
    for (;;) {
        int result = deflate(&z, Z_FINISH);
        if (result == Z_STREAM_ERROR) YRaise("Could not initialize deflating.", kDeflateInitCode);
        if (result == Z_STREAM_END) break;
        if (z.avail_out == 0) WriteOutput(kBufferSize);
    }
    WriteOutput(kBufferSize - static_cast<int32_t>(z.avail_out));
    m_terminated = true;
}

int32_t YZLibStream::Read(void* bytes, int32_t count) {
    if (!m_state || m_direction != kDecompress) YRaiseNotImplemented("read from stream");
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    // With a limit, inflate at most one byte past it: that byte is the proof of excess.
    const int64_t room = m_readLimit - m_counter + 1;
    if (m_readLimit >= 0 && room <= 0) RaiseReadLimit(m_readLimit);
    if (count == 0 || m_ended) return 0;
    if (m_readLimit >= 0) count = static_cast<int32_t>(std::min<int64_t>(count, room));
    z_stream& z = m_state->z;
    z.next_out = static_cast<Bytef*>(bytes);
    z.avail_out = static_cast<uInt>(count);
    while (z.avail_out > 0) {
        if (z.avail_in == 0 && !m_state->sourceEnded) {
            int32_t got = m_source->Read(m_state->buffer, kBufferSize);
            if (got <= 0)
                m_state->sourceEnded = true;
            else {
                z.next_in = m_state->buffer;
                z.avail_in = static_cast<uInt>(got);
            }
        }
        uInt before = z.avail_out;
        int result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            m_ended = true;
            break;
        }
        if (result == Z_NEED_DICT || result == Z_DATA_ERROR || result == Z_MEM_ERROR ||
            result == Z_STREAM_ERROR)
            RaiseInvalidContent();
        // The source ended before the compressed data did: the data is cut short.
        if (m_state->sourceEnded && z.avail_in == 0 && z.avail_out == before) RaiseInvalidContent();
    }
    int32_t produced = count - static_cast<int32_t>(z.avail_out);
    m_counter += produced;
    if (m_readLimit >= 0 && m_counter > m_readLimit) RaiseReadLimit(m_readLimit);
    return produced;
}

int64_t YZLibStream::GetPosition() { return m_counter; }

bool YZLibStream::IsEnd() {
    if (!m_state || m_direction != kDecompress) YRaiseNotImplemented("end of stream test");
    return m_ended;
}

void YZLibStream::Flush() {
    if (m_source) m_source->Flush();
}

void YZLibStream::Close() {
    bool unfinished = m_state && m_direction == kCompress && m_written && !m_terminated;
    Release();
    if (unfinished) YRaise("ZLIB stream has not been terminated.");
}
