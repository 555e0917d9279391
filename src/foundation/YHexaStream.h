// YHexaStream: bytes pass to and from the wrapped stream as pairs of hexadecimal characters.
#pragma once

#include "foundation/YStream.h"

class YHexaStream : public YStream {
public:
    YHexaStream() noexcept = default;
    explicit YHexaStream(YStream& source) noexcept : m_source(&source) {}

    // The wrapped stream must outlive this stream.
    void Attach(YStream& source) noexcept { m_source = &source; }

    // Each byte becomes two characters of "0123456789ABCDEF", high nibble first.
    void Write(const void* bytes, int32_t count) override;
    // Reads pairs of characters (either case); anything else raises.
    int32_t Read(void* bytes, int32_t count) override;
    // Offsets count bytes, i.e. character pairs.
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override;
    int64_t GetSize() override;
    bool IsEnd() override;
    void Flush() override;

private:
    YStream& Source();

    YStream* m_source = nullptr;
};
