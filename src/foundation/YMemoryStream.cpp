#include "foundation/YMemoryStream.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {
constexpr int32_t kMaxSize = std::numeric_limits<int32_t>::max();

// Capacity doubles from the current one until it holds needed; an empty block takes
// exactly what is needed.
int32_t GrownCapacity(int32_t current, int32_t needed) {
    if (current <= 0) return needed;
    int64_t capacity = current;
    while (capacity < needed) capacity *= 2;
    return static_cast<int32_t>(std::min<int64_t>(capacity, kMaxSize));
}
} // namespace

YMemoryStream::YMemoryStream(const void* bytes, int32_t size) {
    if (size < 0 || (size > 0 && !bytes)) YRaiseIndexOutOfRange();
    if (size > 0) {
        Write(bytes, size);
        m_position = 0;
    }
}

YMemoryStream::YMemoryStream(const YMemoryStream& other) noexcept
    : YStream(), m_block(other.m_block), m_size(other.m_size), m_position(other.m_position) {
    if (m_block) m_block->references.fetch_add(1, std::memory_order_relaxed);
}

YMemoryStream& YMemoryStream::operator=(const YMemoryStream& other) noexcept {
    if (this == &other) return *this;
    if (other.m_block) other.m_block->references.fetch_add(1, std::memory_order_relaxed);
    Release(m_block);
    m_block = other.m_block;
    m_size = other.m_size;
    m_position = other.m_position;
    return *this;
}

YMemoryStream::~YMemoryStream() { Release(m_block); }

void YMemoryStream::Release(Block* block) noexcept {
    if (!block) return;
    if (block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        if (block->owned) std::free(block->bytes);
        delete block;
    }
}

void YMemoryStream::Attach(const void* bytes, int32_t size) {
    if (size < 0 || (size > 0 && !bytes)) YRaiseIndexOutOfRange();
    Block* block = new Block;
    block->bytes = static_cast<uint8_t*>(const_cast<void*>(bytes));
    block->capacity = size;
    block->owned = false;
    Release(m_block);
    m_block = block;
    m_size = size;
    m_position = 0;
}

void YMemoryStream::Clear() noexcept {
    Release(m_block);
    m_block = nullptr;
    m_size = 0;
    m_position = 0;
}

const uint8_t* YMemoryStream::GetData() const noexcept { return m_block ? m_block->bytes : nullptr; }

int32_t YMemoryStream::GetCapacity() const noexcept { return m_block ? m_block->capacity : 0; }

bool YMemoryStream::IsShared() const noexcept {
    return m_block && m_block->references.load(std::memory_order_acquire) > 1;
}

void YMemoryStream::MakeWritable(int32_t capacity) {
    bool privateOwned = m_block && m_block->owned && m_block->references.load(std::memory_order_acquire) == 1;
    if (privateOwned) {
        if (capacity > m_block->capacity) {
            void* grown = std::realloc(m_block->bytes, static_cast<std::size_t>(capacity));
            if (!grown) throw std::bad_alloc();
            m_block->bytes = static_cast<uint8_t*>(grown);
            m_block->capacity = capacity;
        }
        return;
    }
    // Shared or outside memory: copy what this stream sees into a fresh block.
    int32_t newCapacity = std::max(capacity, m_size);
    Block* block = new Block;
    if (newCapacity > 0) {
        block->bytes = static_cast<uint8_t*>(std::malloc(static_cast<std::size_t>(newCapacity)));
        if (!block->bytes) {
            delete block;
            throw std::bad_alloc();
        }
        if (m_size > 0) std::memcpy(block->bytes, m_block->bytes, static_cast<std::size_t>(m_size));
    }
    block->capacity = newCapacity;
    Release(m_block);
    m_block = block;
}

void YMemoryStream::SetCapacity(int32_t capacity) {
    if (capacity < 0) YRaiseIndexOutOfRange();
    m_size = std::min(m_size, capacity);
    m_position = std::min(m_position, capacity);
    if (capacity == GetCapacity() && (!m_block || (m_block->owned && !IsShared()))) return;
    if (m_block && m_block->owned && !IsShared()) {
        if (capacity == 0) {
            std::free(m_block->bytes);
            m_block->bytes = nullptr;
        } else {
            void* resized = std::realloc(m_block->bytes, static_cast<std::size_t>(capacity));
            if (!resized) throw std::bad_alloc();
            m_block->bytes = static_cast<uint8_t*>(resized);
        }
        m_block->capacity = capacity;
        return;
    }
    MakeWritable(capacity);
}

void YMemoryStream::Write(const void* bytes, int32_t count) {
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    if (count == 0) return;
    if (count > kMaxSize - m_position) YRaise("Memory stream cannot grow beyond 2 GB.");
    int32_t needed = m_position + count;
    int32_t capacity = GetCapacity();
    MakeWritable(needed > capacity ? GrownCapacity(capacity, needed) : capacity);
    std::memcpy(m_block->bytes + m_position, bytes, static_cast<std::size_t>(count));
    m_position = needed;
    m_size = std::max(m_size, m_position);
}

int32_t YMemoryStream::Read(void* bytes, int32_t count) {
    if (count < 0 || (count > 0 && !bytes)) YRaiseIndexOutOfRange();
    int32_t n = std::min(count, m_size - m_position);
    if (n <= 0) return 0;
    std::memcpy(bytes, m_block->bytes + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

int YMemoryStream::ReadLine(char* buffer, int32_t size) {
    if (!buffer || size <= 1) {
        if (buffer && size == 1) buffer[0] = 0;
        return kLineBufferFull;
    }
    const uint8_t* data = GetData();
    int32_t stored = 0;
    for (;;) {
        if (stored >= size - 1) {
            buffer[stored] = 0;
            return kLineBufferFull;
        }
        if (m_position >= m_size) {
            buffer[stored] = 0;
            return stored > 0 ? kLineComplete : kLineStreamEnded;
        }
        char c = static_cast<char>(data[m_position++]);
        if (c == 13) continue;
        if (c == 10 || c == 0) {
            buffer[stored] = 0;
            return kLineComplete;
        }
        buffer[stored++] = c;
    }
}

void YMemoryStream::Seek(int64_t offset, int origin) {
    // Any offset beyond the 32-bit range clamps the same way; limiting it avoids overflow.
    offset = std::clamp<int64_t>(offset, -(int64_t(1) << 40), int64_t(1) << 40);
    int64_t target = 0;
    switch (origin) {
    case kFromStart:
        target = offset;
        break;
    case kFromCurrent:
        target = m_position + offset;
        break;
    case kFromEnd:
        target = m_size + offset;
        break;
    default:
        YRaise("Invalid seek origin.", YException::kInvalidSeekOrigin);
    }
    m_position = static_cast<int32_t>(std::clamp<int64_t>(target, 0, m_size));
}

int64_t YMemoryStream::GetPosition() { return m_position; }

void YMemoryStream::Flush() {}

bool YMemoryStream::IsEnd() { return m_position >= m_size; }

void YMemoryStream::Truncate() { m_size = m_position; }

int64_t YMemoryStream::GetSize() { return m_size; }
