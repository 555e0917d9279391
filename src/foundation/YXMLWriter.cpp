#include "foundation/YXMLWriter.h"

#include "foundation/YException.h"

namespace {
constexpr std::size_t kFlushSize = 65536;

bool Representable(YMLEncoding encoding, uint32_t code) {
    switch (encoding) {
    case YMLEncoding::kUTF8:
    case YMLEncoding::kUTF16LE:
    case YMLEncoding::kUTF16BE:
        return true;
    case YMLEncoding::kLatin1:
        return code <= 0xFF;
    case YMLEncoding::kWindows1252:
        return code <= 0xFFFF && YMLUnicodeToWindows1252(static_cast<char16_t>(code)) >= 0;
    case YMLEncoding::kASCII:
        return code < 0x80;
    }
    return false;
}
} // namespace

YXMLWriter::YXMLWriter(YStream& stream, const YString& encoding)
    : m_stream(stream), m_encoding(YMLEncoding::kUTF8), m_encodingName(encoding) {
    if (!YMLFindEncoding(encoding, m_encoding))
        YRaiseFormat(YException::kGeneral, "Unsupported text encoding ({0}).", encoding);
    m_bytes.reserve(kFlushSize + 64);
    // The byte-order mark tells readers the byte order of UTF-16.
    if (m_encoding == YMLEncoding::kUTF16LE) m_bytes.append("\xFF\xFE");
    if (m_encoding == YMLEncoding::kUTF16BE) m_bytes.append("\xFE\xFF");
}

void YXMLWriter::Save(const YXMLItem& root, YStream& stream, const YString& encoding, bool compact) {
    YXMLWriter writer(stream, encoding);
    writer.WriteDeclaration(compact);
    writer.WriteItem(root, compact);
    writer.Flush();
}

void YXMLWriter::Flush() {
    if (m_bytes.empty()) return;
    m_stream.Write(m_bytes.data(), static_cast<int32_t>(m_bytes.size()));
    m_bytes.clear();
}

void YXMLWriter::Put(char16_t c) {
    switch (m_encoding) {
    case YMLEncoding::kUTF8: {
        if (m_highSurrogate && (c < 0xDC00 || c > 0xDFFF)) {
            // A high surrogate without its partner.
            m_bytes.append("\xEF\xBF\xBD");
            m_highSurrogate = 0;
        }
        if (c < 0x80) {
            m_bytes.push_back(static_cast<char>(c));
            return;
        }
        uint32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF) {
            m_highSurrogate = c;
            return;
        }
        if (c >= 0xDC00 && c <= 0xDFFF) {
            if (!m_highSurrogate) {
                code = 0xFFFD;
            } else {
                code = 0x10000 + ((static_cast<uint32_t>(m_highSurrogate) - 0xD800) << 10) + (c - 0xDC00);
                m_highSurrogate = 0;
            }
        }
        if (code < 0x800) {
            m_bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
        } else if (code < 0x10000) {
            m_bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
            m_bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        } else {
            m_bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
            m_bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            m_bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        }
        m_bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        return;
    }
    case YMLEncoding::kUTF16LE:
        m_bytes.push_back(static_cast<char>(c & 0xFF));
        m_bytes.push_back(static_cast<char>(c >> 8));
        return;
    case YMLEncoding::kUTF16BE:
        m_bytes.push_back(static_cast<char>(c >> 8));
        m_bytes.push_back(static_cast<char>(c & 0xFF));
        return;
    case YMLEncoding::kWindows1252: {
        int byte = YMLUnicodeToWindows1252(c);
        m_bytes.push_back(static_cast<char>(byte >= 0 ? byte : '?'));
        return;
    }
    case YMLEncoding::kLatin1:
        m_bytes.push_back(static_cast<char>(c <= 0xFF ? c : '?'));
        return;
    case YMLEncoding::kASCII:
        m_bytes.push_back(static_cast<char>(c < 0x80 ? c : '?'));
        return;
    }
}

void YXMLWriter::PutAscii(const char* text) {
    while (*text) Put(static_cast<char16_t>(*text++));
}

int32_t YXMLWriter::PutAsciiRun(const YString& text, int32_t index, bool escaping) {
    if (m_highSurrogate != 0 || m_encoding == YMLEncoding::kUTF16LE || m_encoding == YMLEncoding::kUTF16BE)
        return index;
    const int32_t length = text.Length();
    int32_t end = index;
    while (end < length) {
        const char16_t c = text[end];
        if (c >= 0x80 || (escaping && (c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\''))) break;
        ++end;
    }
    const size_t at = m_bytes.size();
    m_bytes.resize(at + static_cast<size_t>(end - index));
    char* out = m_bytes.data() + at;
    for (int32_t i = index; i < end; ++i) *out++ = static_cast<char>(text[i]);
    return end;
}

void YXMLWriter::PutName(const YString& name) {
    const int32_t length = name.Length();
    for (int32_t i = PutAsciiRun(name, 0, false); i < length; ++i) Put(name[i]);
}

void YXMLWriter::PutEscaped(const YString& text) {
    const int32_t length = text.Length();
    for (int32_t i = 0; i < length; ++i) {
        i = PutAsciiRun(text, i, true);
        if (i >= length) break;
        const char16_t c = text[i];
        switch (c) {
        case u'&':
            PutAscii("&amp;");
            continue;
        case u'<':
            PutAscii("&lt;");
            continue;
        case u'>':
            PutAscii("&gt;");
            continue;
        case u'"':
            PutAscii("&quot;");
            continue;
        case u'\'':
            PutAscii("&apos;");
            continue;
        default:
            break;
        }
        if (c < 0x80 || m_encoding == YMLEncoding::kUTF8 || m_encoding == YMLEncoding::kUTF16LE ||
            m_encoding == YMLEncoding::kUTF16BE) {
            Put(c);
            continue;
        }
        // An 8-bit encoding: characters it lacks travel as character references.
        uint32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (Representable(m_encoding, code)) {
            Put(static_cast<char16_t>(code));
        } else {
            PutAscii("&#");
            YString digits = YString::FromInteger(code);
            PutName(digits);
            Put(u';');
        }
    }
}

void YXMLWriter::PutIndent(int32_t depth) {
    for (int32_t i = 0; i < depth; ++i) Put(u'\t');
}

void YXMLWriter::EndLine(bool compact) {
    if (!compact) Put(u'\n');
    if (m_bytes.size() >= kFlushSize) Flush();
}

void YXMLWriter::WriteDeclaration(bool compact) {
    PutAscii("<?xml version=\"1.0\" encoding=\"");
    PutName(m_encodingName);
    PutAscii("\"?>");
    EndLine(compact);
}

void YXMLWriter::OpenTag(const YXMLItem& item, int32_t depth, bool compact, bool& leaf) {
    if (item.GetName().IsEmpty()) YRaise("XML entity cannot have empty name.");
    if (!compact) PutIndent(depth);
    Put(u'<');
    PutName(item.GetName());
    const int32_t count = item.GetAttributeCount();
    for (int32_t i = 0; i < count; ++i) {
        const YXMLAttribute& attribute = item.GetAttributeAt(i);
        Put(u' ');
        PutName(attribute.name);
        PutAscii("=\"");
        PutEscaped(attribute.value);
        Put(u'"');
    }
    leaf = item.GetText().IsEmpty() && item.GetChildCount() == 0;
    if (leaf) {
        PutAscii("/>");
        EndLine(compact);
        return;
    }
    Put(u'>');
    EndLine(compact);
    if (!item.GetText().IsEmpty()) {
        if (!compact) PutIndent(depth + 1);
        PutEscaped(item.GetText());
        EndLine(compact);
    }
}

void YXMLWriter::CloseTag(const YXMLItem& item, int32_t depth, bool compact) {
    if (!compact) PutIndent(depth);
    PutAscii("</");
    PutName(item.GetName());
    Put(u'>');
    EndLine(compact);
}

void YXMLWriter::WriteItem(const YXMLItem& root, bool compact) {
    const int32_t base = root.GetDepth();
    const YXMLItem* item = &root;
    for (;;) {
        bool leaf = false;
        OpenTag(*item, item->GetDepth() - base, compact, leaf);
        if (YXMLItem* child = item->GetFirstChild()) {
            item = child;
            continue;
        }
        if (!leaf) CloseTag(*item, item->GetDepth() - base, compact);
        // Climb until a next sibling exists, closing every finished parent on the way.
        for (;;) {
            if (item == &root) return;
            if (YXMLItem* next = item->GetNextSibling()) {
                item = next;
                break;
            }
            item = item->GetParent();
            CloseTag(*item, item->GetDepth() - base, compact);
        }
    }
}
