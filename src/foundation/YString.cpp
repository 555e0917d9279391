#include "foundation/YString.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>

namespace {

using Char = YString::Char;

// Block header in front of the characters of a shared buffer.
struct BlockHeader {
    uint32_t capacity; // size of the whole block in bytes
    std::atomic<uint32_t> refs;
};
static_assert(sizeof(BlockHeader) == 8, "the characters follow an 8-byte header");
static_assert(std::atomic<uint32_t>::is_always_lock_free, "reference counts must be lock-free");

BlockHeader* HeaderOf(Char* chars) noexcept {
    return reinterpret_cast<BlockHeader*>(reinterpret_cast<char*>(chars) - sizeof(BlockHeader));
}

// Largest block we hand out; its size must fit the 32-bit capacity field.
constexpr uint64_t kMaxBlockBytes = uint64_t{1} << 31;

// N characters need N*2 + 8 bytes, rounded up to the next power of two. "Next" is strictly
// greater: an exact power of two would leave no room for the terminating NUL.
uint32_t BlockBytesFor(int32_t chars) {
    const uint64_t need = static_cast<uint64_t>(chars < 0 ? 0 : chars) * 2 + 8;
    uint64_t bytes = 16;
    while (bytes <= need) bytes <<= 1;
    if (bytes > kMaxBlockBytes) throw std::bad_alloc();
    return static_cast<uint32_t>(bytes);
}

// Characters a block can hold besides its NUL.
int32_t CharsIn(uint32_t blockBytes) noexcept {
    return static_cast<int32_t>((blockBytes - sizeof(BlockHeader)) / sizeof(Char)) - 1;
}

// A fresh block for at least chars characters, reference count 1, first character NUL.
Char* AllocateBlock(int32_t chars) {
    const uint32_t bytes = BlockBytesFor(chars);
    void* raw = ::operator new(bytes);
    auto* header = new (raw) BlockHeader{bytes, {1}};
    Char* data = reinterpret_cast<Char*>(reinterpret_cast<char*>(header) + sizeof(BlockHeader));
    data[0] = 0;
    return data;
}

void FreeBlock(Char* chars) noexcept {
    BlockHeader* header = HeaderOf(chars);
    header->~BlockHeader();
    ::operator delete(static_cast<void*>(header));
}

int DigitValue(Char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

void AppendUTF8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr Char kReplacement = 0xFFFD;

} // namespace

const char YString::kEmpty[1] = "";

YString::YString(const Char* text, int32_t length) : YString() {
    if (!text) return;
    if (length < 0) {
        length = 0;
        while (text[length] != 0) ++length;
    }
    if (length == 0) return;
    Char* data = AllocateBlock(length);
    std::memcpy(data, text, static_cast<size_t>(length) * sizeof(Char));
    data[length] = 0;
    m_rep.ptr = data;
    m_rep.length = length;
    m_rep.flags = 0;
}

void YString::AddRef() const noexcept { HeaderOf(Buffer())->refs.fetch_add(1, std::memory_order_relaxed); }

void YString::Release() noexcept {
    Char* data = Buffer();
    if (HeaderOf(data)->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) FreeBlock(data);
}

YString YString::Literal(const char* text) noexcept {
    if (!text) return YString();
    return YString(AdoptTag{}, text, static_cast<int32_t>(std::strlen(text)), kLiteralFlag);
}

void YString::CopyChars(Char* dst, const YString& src, int32_t index, int32_t count) noexcept {
    if (count <= 0) return;
    if (src.IsLiteral()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(src.m_rep.ptr) + index;
        for (int32_t i = 0; i < count; ++i) dst[i] = bytes[i];
    } else {
        std::memmove(dst, src.Buffer() + index, static_cast<size_t>(count) * sizeof(Char));
    }
}

void YString::Reserve(int32_t n) {
    if (n < m_rep.length) n = m_rep.length;
    if (!IsLiteral()) {
        BlockHeader* header = HeaderOf(Buffer());
        // Count 1 means no other string can reach the block: writing in place is safe.
        if (header->refs.load(std::memory_order_acquire) == 1) {
            if (CharsIn(header->capacity) >= n) return;
        }
    }
    Char* data = AllocateBlock(n);
    CopyChars(data, *this, 0, m_rep.length);
    data[m_rep.length] = 0;
    const int32_t length = m_rep.length;
    if (!IsLiteral()) Release();
    m_rep.ptr = data;
    m_rep.length = length;
    m_rep.flags = 0;
}

YString::Char* YString::MutableData() {
    Reserve(m_rep.length);
    return Buffer();
}

void YString::Resize(int32_t n) {
    if (n < 0) n = 0;
    Reserve(n);
    Char* data = Buffer();
    for (int32_t i = m_rep.length; i < n; ++i) data[i] = 0;
    data[n] = 0;
    m_rep.length = n;
}

YString& YString::Append(const YString& text) { return Insert(m_rep.length, text); }

YString& YString::Append(Char c) {
    Reserve(m_rep.length + 1);
    Char* data = Buffer();
    data[m_rep.length] = c;
    data[++m_rep.length] = 0;
    return *this;
}

YString operator+(const YString& a, const YString& b) {
    if (b.IsEmpty()) return a;
    if (a.IsEmpty()) return b;
    YString result;
    result.Reserve(a.Length() + b.Length());
    result.Append(a);
    result.Append(b);
    return result;
}

YString& YString::Insert(int32_t index, const YString& text) {
    if (text.IsEmpty()) return *this;
    if (index < 0) index = 0;
    if (index > m_rep.length) index = m_rep.length;
    // Holding a reference to the text forces a fresh buffer when this string shares it
    // (including inserting a string into itself), so the source cannot move under us.
    const YString source(text);
    const int32_t added = source.m_rep.length;
    if (added > INT32_MAX - m_rep.length) throw std::bad_alloc();
    Reserve(m_rep.length + added);
    Char* data = Buffer();
    std::memmove(data + index + added, data + index,
                 static_cast<size_t>(m_rep.length - index) * sizeof(Char));
    CopyChars(data + index, source, 0, added);
    m_rep.length += added;
    data[m_rep.length] = 0;
    return *this;
}

YString YString::Substring(int32_t index, int32_t length) const {
    if (index < 0) index = 0;
    if (index > m_rep.length) index = m_rep.length;
    const int32_t available = m_rep.length - index;
    if (length < 0 || length > available) length = available;
    if (length == 0) return YString();
    if (index == 0 && length == m_rep.length) return *this;
    // The tail of a literal is still a NUL-terminated literal.
    if (IsLiteral() && length == available)
        return YString(AdoptTag{}, static_cast<const char*>(m_rep.ptr) + index, length, kLiteralFlag);
    Char* data = AllocateBlock(length);
    CopyChars(data, *this, index, length);
    data[length] = 0;
    return YString(AdoptTag{}, data, length, 0);
}

int32_t YString::Find(const YString& what, int32_t start) const noexcept {
    if (start < 0) start = 0;
    const int32_t n = what.m_rep.length;
    if (n == 0) return start <= m_rep.length ? start : -1;
    for (int32_t i = start; i + n <= m_rep.length; ++i) {
        int32_t k = 0;
        while (k < n && (*this)[i + k] == what[k]) ++k;
        if (k == n) return i;
    }
    return -1;
}

int32_t YString::Find(Char c, int32_t start) const noexcept {
    if (start < 0) start = 0;
    for (int32_t i = start; i < m_rep.length; ++i)
        if ((*this)[i] == c) return i;
    return -1;
}

int YString::Compare(const YString& other) const noexcept {
    const int32_t n = m_rep.length < other.m_rep.length ? m_rep.length : other.m_rep.length;
    if (IsLiteral() && other.IsLiteral()) {
        // Bytes compare as unsigned, which orders like their widened units.
        const int r = std::memcmp(m_rep.ptr, other.m_rep.ptr, static_cast<size_t>(n));
        if (r != 0) return r < 0 ? -1 : 1;
    } else {
        for (int32_t i = 0; i < n; ++i) {
            const Char a = (*this)[i], b = other[i];
            if (a != b) return a < b ? -1 : 1;
        }
    }
    return m_rep.length == other.m_rep.length ? 0 : (m_rep.length < other.m_rep.length ? -1 : 1);
}

YString YString::Trimmed() const {
    int32_t begin = 0, end = m_rep.length;
    while (begin < end && (*this)[begin] <= 32) ++begin;
    while (end > begin && (*this)[end - 1] <= 32) --end;
    return Substring(begin, end - begin);
}

int64_t YString::ToInteger(int base, int32_t* consumed) const noexcept {
    if (consumed) *consumed = 0;
    if (base < 2 || base > 36) return 0;
    int32_t i = 0;
    const bool negative = m_rep.length > 0 && (*this)[0] == '-';
    if (negative) ++i;
    const int32_t firstDigit = i;
    // Accumulate the magnitude unsigned and saturate, so huge inputs cannot overflow.
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    uint64_t magnitude = 0;
    bool saturated = false;
    for (; i < m_rep.length; ++i) {
        const int digit = DigitValue((*this)[i]);
        if (digit >= base) break;
        if (!saturated) {
            if (magnitude > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) {
                magnitude = limit;
                saturated = true;
            } else {
                magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
            }
        }
    }
    if (i == firstDigit) return 0; // no digits: nothing consumed, not even the sign
    if (consumed) *consumed = i;
    if (negative) return magnitude == (uint64_t{1} << 63) ? INT64_MIN : -static_cast<int64_t>(magnitude);
    return static_cast<int64_t>(magnitude);
}

double YString::ToDoubleAt(int32_t start, int32_t* consumed) const noexcept {
    if (consumed) *consumed = 0;
    start = std::clamp(start, 0, m_rep.length);
    // Narrow the leading run of printable ASCII characters; a number never needs more than
    // this, and never holds a blank or a control character.
    char buffer[512];
    int32_t n = 0;
    int32_t skip = 0;
    if (start < m_rep.length && (*this)[start] == '+') skip = 1; // from_chars does not take a plus sign
    while (start + skip + n < m_rep.length && n < static_cast<int32_t>(sizeof(buffer))) {
        const Char c = (*this)[start + skip + n];
        if (c <= ' ' || c > 127) break;
        buffer[n++] = static_cast<char>(c);
    }
    if (skip && n > 0 && buffer[0] == '-') return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(buffer, buffer + n, value);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    if (consumed) *consumed = skip + static_cast<int32_t>(result.ptr - buffer);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone: a negative exponent underflowed, else it overflowed.
        const bool negative = buffer[0] == '-';
        bool underflow = false;
        for (const char* p = buffer; p + 1 < result.ptr; ++p)
            if ((*p == 'e' || *p == 'E') && p[1] == '-') underflow = true;
        const double magnitude = underflow ? 0.0 : std::numeric_limits<double>::infinity();
        return negative ? -magnitude : magnitude;
    }
    return value;
}

int32_t YString::PrintDouble(char (&buffer)[kNumberChars], double value, int precision) noexcept {
    if (precision < 0) precision = 0;
    // Beyond 60 significant digits a double has nothing left to show.
    if (precision > 60) precision = 60;
    const auto format = precision < 10 ? std::chars_format::fixed : std::chars_format::general;
    const auto result = std::to_chars(buffer, buffer + kNumberChars, value, format, precision);
    return result.ec == std::errc() ? static_cast<int32_t>(result.ptr - buffer) : 0;
}

int32_t YString::PrintInteger(char (&buffer)[kNumberChars], int64_t value, int base) noexcept {
    if (base < 2 || base > 36) base = 10;
    const auto result = std::to_chars(buffer, buffer + kNumberChars, value, base);
    // Upper-case letters, the way hexadecimal appears in our files.
    for (char* p = buffer; p < result.ptr; ++p)
        if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
    return static_cast<int32_t>(result.ptr - buffer);
}

YString YString::FromDouble(double value, int precision) {
    char buffer[kNumberChars];
    const int32_t n = PrintDouble(buffer, value, precision);
    return FromLatin1(std::string_view(buffer, static_cast<size_t>(n)));
}

YString YString::FromInteger(int64_t value, int base) {
    char buffer[kNumberChars];
    const int32_t n = PrintInteger(buffer, value, base);
    return FromLatin1(std::string_view(buffer, static_cast<size_t>(n)));
}

int32_t YString::ShareCount() const noexcept {
    return IsLiteral() ? 0 : static_cast<int32_t>(HeaderOf(Buffer())->refs.load(std::memory_order_acquire));
}

YString YString::FromLatin1(std::string_view text) {
    if (text.empty()) return YString();
    if (text.size() > static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
    const auto length = static_cast<int32_t>(text.size());
    Char* data = AllocateBlock(length);
    for (int32_t i = 0; i < length; ++i) data[i] = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
    data[length] = 0;
    return YString(AdoptTag{}, data, length, 0);
}

YString YString::FromUTF16(std::u16string_view utf16) {
    if (utf16.size() > static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
    return YString(utf16.data(), static_cast<int32_t>(utf16.size()));
}

YString YString::FromUTF8(std::string_view utf8) {
    if (utf8.empty()) return YString();
    if (utf8.size() > static_cast<size_t>(INT32_MAX)) throw std::bad_alloc();
    // Never more 16-bit units than bytes.
    Char* data = AllocateBlock(static_cast<int32_t>(utf8.size()));
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    int32_t out = 0;
    size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        uint32_t cp;
        size_t extra;
        uint32_t minimum;
        if (b < 0x80) {
            data[out++] = b;
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F, extra = 1, minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F, extra = 2, minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07, extra = 3, minimum = 0x10000;
        } else {
            data[out++] = kReplacement;
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k <= extra && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        if (k <= extra || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            // A truncated, overlong or out-of-range sequence: one replacement for the bytes read.
            data[out++] = kReplacement;
            i += k;
            continue;
        }
        i += k;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            data[out++] = static_cast<Char>(0xD800 + (cp >> 10));
            data[out++] = static_cast<Char>(0xDC00 + (cp & 0x3FF));
        } else {
            data[out++] = static_cast<Char>(cp);
        }
    }
    data[out] = 0;
    return YString(AdoptTag{}, data, out, 0);
}

std::string YString::ToUTF8() const {
    std::string out;
    out.reserve(static_cast<size_t>(m_rep.length));
    for (int32_t i = 0; i < m_rep.length; ++i) {
        const uint32_t c = (*this)[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < m_rep.length) {
            const uint32_t low = (*this)[i + 1];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUTF8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        // A lone surrogate has no UTF-8 form.
        AppendUTF8(out, (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c);
    }
    return out;
}

std::u16string YString::ToUTF16() const {
    std::u16string out(static_cast<size_t>(m_rep.length), u'\0');
    CopyChars(out.data(), *this, 0, m_rep.length);
    return out;
}

void PrintTo(const YString& text, std::ostream* out) { *out << '"' << text.ToUTF8() << '"'; }
