#include "foundation/YMLParser.h"

#include <cstring>

namespace {
constexpr std::size_t kChunkSize = 65536;

// Characters of bytes 0x80 .. 0x9F in windows-1252; the five unassigned bytes map to
// themselves.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool NameIs(const YString& name, const char* candidate) {
    int32_t length = static_cast<int32_t>(std::strlen(candidate));
    if (name.Length() != length) return false;
    for (int32_t i = 0; i < length; ++i)
        if (Lower(name[i]) != static_cast<char16_t>(candidate[i])) return false;
    return true;
}
} // namespace

bool YMLFindEncoding(const YString& name, YMLEncoding& encoding) {
    struct Entry {
        const char* name;
        YMLEncoding encoding;
    };
    static const Entry kEntries[] = {
        {"utf-8", YMLEncoding::kUTF8},         {"utf8", YMLEncoding::kUTF8},
        {"utf-16", YMLEncoding::kUTF16LE},     {"utf16", YMLEncoding::kUTF16LE},
        {"ucs-2", YMLEncoding::kUTF16LE},      {"utf-16le", YMLEncoding::kUTF16LE},
        {"utf-16be", YMLEncoding::kUTF16BE},   {"iso-8859-1", YMLEncoding::kLatin1},
        {"iso8859-1", YMLEncoding::kLatin1},   {"latin1", YMLEncoding::kLatin1},
        {"latin-1", YMLEncoding::kLatin1},     {"windows-1252", YMLEncoding::kWindows1252},
        {"cp1252", YMLEncoding::kWindows1252}, {"us-ascii", YMLEncoding::kASCII},
        {"ascii", YMLEncoding::kASCII},
    };
    for (const Entry& entry : kEntries) {
        if (NameIs(name, entry.name)) {
            encoding = entry.encoding;
            return true;
        }
    }
    return false;
}

char16_t YMLWindows1252ToUnicode(uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

int YMLUnicodeToWindows1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == c) return 0x80 + i;
    return -1;
}

YMLTextDecoder::YMLTextDecoder(YStream& stream)
    : m_stream(stream), m_buffer(std::make_unique_for_overwrite<uint8_t[]>(kChunkSize)) {}

bool YMLTextDecoder::Ensure(std::size_t count) {
    if (m_end - m_position >= count) return true;
    if (m_streamEnded) return false;
    // Keep the unread tail and read behind it.
    std::size_t tail = m_end - m_position;
    if (tail > 0 && m_position > 0) std::memmove(m_buffer.get(), m_buffer.get() + m_position, tail);
    m_position = 0;
    m_end = tail;
    while (m_end < count && !m_streamEnded) {
        int32_t got = m_stream.Read(m_buffer.get() + m_end, static_cast<int32_t>(kChunkSize - m_end));
        if (got <= 0)
            m_streamEnded = true;
        else
            m_end += static_cast<std::size_t>(got);
    }
    return m_end - m_position >= count;
}

void YMLTextDecoder::DetectByteOrder() {
    m_detected = true;
    Ensure(4);
    const std::size_t available = m_end - m_position;
    const uint8_t* b = m_buffer.get() + m_position;
    if (available >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        m_position += 3;
        m_encoding = YMLEncoding::kUTF8;
        m_fixed = true;
    } else if (available >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        m_position += 2;
        m_encoding = YMLEncoding::kUTF16LE;
        m_fixed = true;
    } else if (available >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        m_position += 2;
        m_encoding = YMLEncoding::kUTF16BE;
        m_fixed = true;
    } else if (available >= 4 && b[0] == '<' && b[1] == 0 && b[2] == '?' && b[3] == 0) {
        // "<?" in UTF-16 without a mark.
        m_encoding = YMLEncoding::kUTF16LE;
        m_fixed = true;
    } else if (available >= 4 && b[0] == 0 && b[1] == '<' && b[2] == 0 && b[3] == '?') {
        m_encoding = YMLEncoding::kUTF16BE;
        m_fixed = true;
    }
}

bool YMLTextDecoder::SetEncoding(const YString& name) {
    YMLEncoding encoding;
    if (!YMLFindEncoding(name, encoding)) return false;
    if (m_fixed) return true;
    m_encoding = encoding;
    return true;
}

int32_t YMLTextDecoder::GetSlow() {
    if (m_pendingUnit >= 0) {
        int32_t unit = m_pendingUnit;
        m_pendingUnit = -1;
        return unit;
    }
    if (!m_detected) {
        DetectByteOrder();
        return Get();
    }
    switch (m_encoding) {
    case YMLEncoding::kUTF8: {
        if (!Ensure(1)) return -1;
        const uint8_t lead = m_buffer[m_position];
        if (lead < 0x80) {
            ++m_position;
            return lead;
        }
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (lead >= 0xF8 || length == 1) {
            ++m_position;
            return 0xFFFD;
        }
        Ensure(length);
        uint32_t code = lead & (0x3F >> (length - 1));
        std::size_t i = 1;
        for (; i < length && m_position + i < m_end; ++i) {
            uint8_t next = m_buffer[m_position + i];
            if ((next & 0xC0) != 0x80) break;
            code = (code << 6) | (next & 0x3F);
        }
        if (i < length) {
            // A broken sequence: one replacement character, resume at the offending byte.
            m_position += i;
            return 0xFFFD;
        }
        m_position += length;
        static const uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0xFFFD;
        if (code >= 0x10000) {
            code -= 0x10000;
            m_pendingUnit = static_cast<int32_t>(0xDC00 + (code & 0x3FF));
            return static_cast<int32_t>(0xD800 + (code >> 10));
        }
        return static_cast<int32_t>(code);
    }
    case YMLEncoding::kUTF16LE:
    case YMLEncoding::kUTF16BE: {
        if (!Ensure(2)) {
            // A lone trailing byte cannot be a character.
            if (m_position < m_end) {
                m_position = m_end;
                return 0xFFFD;
            }
            return -1;
        }
        const uint8_t* b = m_buffer.get() + m_position;
        m_position += 2;
        return m_encoding == YMLEncoding::kUTF16LE ? (b[0] | (b[1] << 8)) : ((b[0] << 8) | b[1]);
    }
    case YMLEncoding::kLatin1:
        if (!Ensure(1)) return -1;
        return m_buffer[m_position++];
    case YMLEncoding::kWindows1252:
        if (!Ensure(1)) return -1;
        return YMLWindows1252ToUnicode(m_buffer[m_position++]);
    case YMLEncoding::kASCII: {
        if (!Ensure(1)) return -1;
        uint8_t byte = m_buffer[m_position++];
        return byte < 0x80 ? byte : 0xFFFD;
    }
    }
    return -1;
}
