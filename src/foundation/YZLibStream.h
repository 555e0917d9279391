// YZLibStream: deflates what is written into a target stream, or inflates what is read
// from a source stream.
#pragma once

#include "foundation/YStream.h"

#include <cstdint>
#include <memory>

class YZLibStream : public YStream {
public:
    enum Direction : int { kDecompress = 0, kCompress = 1 };
    // Error code of a read that would inflate past the limit set with SetReadLimit.
    static constexpr int32_t kReadLimitCode = 258;

    YZLibStream() noexcept;
    // Attaches at once (see Attach).
    YZLibStream(YStream& source, Direction direction, int quality = 100);
    YZLibStream(const YZLibStream&) = delete;
    YZLibStream& operator=(const YZLibStream&) = delete;
    // Never throws. A compressing stream that was written to but not terminated has lost
    // its tail: that is reported through the error-report hook.
    ~YZLibStream() override;

    // Starts a new zlib stream over source (which must outlive this stream). Quality 1 .. 100
    // selects the compression level.
    void Attach(YStream& source, Direction direction, int quality = 100);
    // zlib level for a quality: (quality - 1) / 10, clamped to 0 .. 9.
    static int LevelForQuality(int quality) noexcept;

    // Decompressing: a read that would take the inflated bytes past `bytes` raises
    // "Inflated data exceeds {0} bytes." (kReadLimitCode) instead; at most one byte more
    // than the limit is ever inflated. Negative: no limit (the default).
    void SetReadLimit(int64_t bytes) noexcept { m_readLimit = bytes; }

    // Finishes the compressed data and writes the rest of it to the target.
    void Terminate();
    bool IsTerminated() const noexcept { return m_terminated; }
    int GetLevel() const noexcept { return m_level; }

    void Write(const void* bytes, int32_t count) override;
    int32_t Read(void* bytes, int32_t count) override;
    // Uncompressed bytes written or read so far.
    int64_t GetPosition() override;
    // Decompressing: whether the end of the compressed data has been reached.
    bool IsEnd() override;
    void Flush() override;
    // Releases the zlib state; raises "ZLIB stream has not been terminated." when compressed
    // data was written but never finished.
    void Close() override;

private:
    struct State;
    void Release() noexcept;
    void WriteOutput(int32_t count);

    std::unique_ptr<State> m_state;
    YStream* m_source = nullptr;
    Direction m_direction = kDecompress;
    int m_level = 9;
    int64_t m_counter = 0;
    int64_t m_readLimit = -1;
    bool m_terminated = false;
    bool m_written = false;
    bool m_ended = false;
    int m_uncaughtAtAttach = 0; // an unwinding owner has already raised its own error
};
