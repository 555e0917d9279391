// YBufferingStream: collects small reads and writes into blocks for the wrapped stream.
#pragma once

#include "foundation/YStream.h"

#include <vector>

class YBufferingStream : public YStream {
public:
    static constexpr int32_t kDefaultBufferSize = 16384;

    YBufferingStream() noexcept = default;
    explicit YBufferingStream(YStream& source, int32_t bufferSize = kDefaultBufferSize);
    YBufferingStream(const YBufferingStream&) = delete;
    YBufferingStream& operator=(const YBufferingStream&) = delete;
    // Writes what is still buffered; errors there are swallowed (call Flush or Close to see them).
    ~YBufferingStream() override;

    // The wrapped stream must outlive this stream. Writes still pending go to the old source.
    void Attach(YStream& source, int32_t bufferSize = kDefaultBufferSize);

    void Write(const void* bytes, int32_t count) override;
    int32_t Read(void* bytes, int32_t count) override;
    // Switching between reading and writing, and seeking after a read, reposition the wrapped
    // stream, which must then support seeking.
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override;
    void Flush() override;
    bool IsEnd() override;
    int64_t GetSize() override;
    // Writes what is pending; the stream stays attached.
    void Close() override;

private:
    YStream& Source();
    void WritePending();
    void DropReadAhead();

    YStream* m_source = nullptr;
    std::vector<unsigned char> m_buffer;
    int32_t m_readBegin = 0; // unread bytes are m_buffer[m_readBegin .. m_readEnd)
    int32_t m_readEnd = 0;
    int32_t m_pending = 0; // bytes written into m_buffer but not yet to the source
};
