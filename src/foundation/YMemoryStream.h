// YMemoryStream: a stream over a memory block shared by copies (copy on write).
#pragma once

#include "foundation/YStream.h"

#include <atomic>
#include <cstdint>

class YMemoryStream : public YStream {
public:
    YMemoryStream() noexcept = default;
    // A stream over a copy of the bytes, positioned at the start.
    YMemoryStream(const void* bytes, int32_t size);
    // Copies share the block and take over size and position.
    YMemoryStream(const YMemoryStream& other) noexcept;
    YMemoryStream& operator=(const YMemoryStream& other) noexcept;
    ~YMemoryStream() override;

    // Reads outside memory without copying it; the memory must outlive every read. The first
    // write copies it into a block of the stream's own.
    void Attach(const void* bytes, int32_t size);
    // Drops the bytes: size, position and capacity become 0.
    void Clear() noexcept;

    const uint8_t* GetData() const noexcept;
    int32_t GetCapacity() const noexcept;
    // Sets the capacity; shrinking below the size or position clamps both.
    void SetCapacity(int32_t capacity);
    // Whether another stream shares the block (for tests).
    bool IsShared() const noexcept;

    void Write(const void* bytes, int32_t count) override;
    int32_t Read(void* bytes, int32_t count) override;
    int ReadLine(char* buffer, int32_t size) override;
    // Clamps the target to 0 .. size.
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override;
    void Flush() override;
    bool IsEnd() override;
    // Cuts the stream at the current position.
    void Truncate() override;
    int64_t GetSize() override;

private:
    struct Block {
        std::atomic<int32_t> references{1};
        uint8_t* bytes = nullptr;
        int32_t capacity = 0;
        bool owned = true;
    };

    static void Release(Block* block) noexcept;
    // Makes the block private and owned, with at least capacity bytes.
    void MakeWritable(int32_t capacity);

    Block* m_block = nullptr;
    int32_t m_size = 0;
    int32_t m_position = 0;
};
