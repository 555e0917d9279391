// YMLParser: the XML tokenizer. It decodes the bytes of a stream into text, recognises
// declarations, comments, CDATA, elements, attributes and character data, and reports
// elements and text to a handler. It never recurses, so any nesting depth is safe.
#pragma once

#include "foundation/YException.h"
#include "foundation/YStream.h"
#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Text encodings known by name to the XML reader and writer.
enum class YMLEncoding { kUTF8, kUTF16LE, kUTF16BE, kLatin1, kWindows1252, kASCII };

// Looks an encoding name up (case-insensitive: "utf-8", "utf-16", "utf-16le", "utf-16be",
// "iso-8859-1", "latin1", "windows-1252", "cp1252", "us-ascii", ...). False when unknown.
bool YMLFindEncoding(const YString& name, YMLEncoding& encoding);
// The Unicode character of a windows-1252 byte.
char16_t YMLWindows1252ToUnicode(uint8_t byte);
// The windows-1252 byte of a character, or -1 when it has none.
int YMLUnicodeToWindows1252(char16_t c);

// Turns the bytes of a stream into 16-bit text units. A byte-order mark or the first bytes of
// a UTF-16 declaration fix the encoding; otherwise UTF-8 is read until SetEncoding switches.
class YMLTextDecoder {
public:
    explicit YMLTextDecoder(YStream& stream);

    // The next 16-bit unit, or -1 at the end of the input.
    int32_t Get() {
        if (m_encoding == YMLEncoding::kUTF8 && m_pendingUnit < 0 && m_position < m_end &&
            m_buffer[m_position] < 0x80)
            return m_buffer[m_position++];
        return GetSlow();
    }

    // Switches the encoding for the rest of the input. An encoding fixed by a byte-order mark
    // stays (a declaration cannot contradict the bytes). False when the name is unknown.
    bool SetEncoding(const YString& name);
    YMLEncoding GetEncoding() const noexcept { return m_encoding; }

private:
    int32_t GetSlow();
    // Makes at least count bytes available unless the input ends first.
    bool Ensure(std::size_t count);
    void DetectByteOrder();

    YStream& m_stream;
    // Left uninitialised: only what the stream filled is ever read, and clearing a chunk per
    // document is what small documents (states, presets) would mostly pay for.
    std::unique_ptr<uint8_t[]> m_buffer;
    std::size_t m_position = 0;
    std::size_t m_end = 0;
    YMLEncoding m_encoding = YMLEncoding::kUTF8;
    int32_t m_pendingUnit = -1; // low surrogate still to deliver
    bool m_streamEnded = false;
    bool m_detected = false;
    bool m_fixed = false;
};

template <typename YAttribute, typename YList> class YMLParser {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        // An opening element with its attributes, or a closing one (empty attribute list).
        // An empty element is reported as opening and closing. The handler may take the
        // attributes out of the list.
        virtual void Element(const YString& name, YList& attributes, bool closing) = 0;
        // Character data with entities decoded, or the contents of a CDATA section. Runs of
        // blanks alone between elements are not reported.
        virtual void Text(const YString& text) = 0;
    };

    YMLParser(YStream& stream, Handler& handler) : m_decoder(stream), m_handler(handler) {}

    // Reads the whole input; raises "Invalid file contents. ..." at the first error.
    void Parse();

private:
    static bool IsBlank(int32_t c) noexcept { return c >= 0 && c <= 32; }
    static bool IsSpecial(int32_t c) noexcept {
        return c == '<' || c == '>' || c == '"' || c == '/' || c == '!' || c == '=';
    }
    static bool IsNameCharacter(int32_t c) noexcept { return c > 32 && !IsSpecial(c); }
    [[noreturn]] static void Fail(const YString& message) {
        YRaise(YString("Invalid file contents. ") + message);
    }

    int32_t Get() {
        if (m_back >= -1) {
            int32_t c = m_back;
            m_back = -2;
            return c;
        }
        return m_decoder.Get();
    }
    void Unget(int32_t c) noexcept { m_back = c; }
    int32_t SkipBlanks(int32_t c) {
        while (IsBlank(c)) c = Get();
        return c;
    }

    void FlushText();
    void ParseMarkup();
    void ParseElement(int32_t c);
    void ParseClosing();
    void ParseSpecial();
    void ParseDeclaration();
    // After "&": appends the decoded entity, or the text as it stands when it is not one.
    void DecodeEntity(std::u16string& out);
    static void AppendCodePoint(std::u16string& out, uint32_t code);
    // Names repeat throughout a document: equal names share one string buffer.
    YString Intern(const std::u16string& text);

    YMLTextDecoder m_decoder;
    Handler& m_handler;
    int32_t m_back = -2; // pushed-back unit (-1 is the end of input), -2 when none
    std::u16string m_text;
    bool m_textHasContent = false;
    std::u16string m_name;
    std::u16string m_attributeName;
    std::u16string m_value;
    YList m_attributes;
    YList m_noAttributes;
    static constexpr std::size_t kInternSlots = 256;
    static constexpr std::size_t kInternLongest = 40;
    std::u16string m_internKeys[kInternSlots];
    YString m_interned[kInternSlots];
};

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::Parse() {
    for (;;) {
        int32_t c = Get();
        if (c < 0) break;
        if (c == '<') {
            FlushText();
            ParseMarkup();
        } else if (c == '&') {
            DecodeEntity(m_text);
            m_textHasContent = true;
        } else {
            m_text.push_back(static_cast<char16_t>(c));
            if (c > 32) m_textHasContent = true;
        }
    }
    FlushText();
}

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::FlushText() {
    if (m_textHasContent) m_handler.Text(YString(m_text.data(), static_cast<int32_t>(m_text.size())));
    m_text.clear();
    m_textHasContent = false;
}

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::ParseMarkup() {
    int32_t c = Get();
    if (c == '?')
        ParseDeclaration();
    else if (c == '!')
        ParseSpecial();
    else if (c == '/')
        ParseClosing();
    else
        ParseElement(c);
}

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::ParseElement(int32_t c) {
    m_name.clear();
    while (IsNameCharacter(c)) {
        m_name.push_back(static_cast<char16_t>(c));
        c = Get();
    }
    if (m_name.empty()) Fail("No element name found.");
    const YString name = Intern(m_name);
    m_attributes.clear();
    for (;;) {
        c = SkipBlanks(c);
        if (c < 0) Fail("Unexpected end of file.");
        if (c == '>') {
            m_handler.Element(name, m_attributes, false);
            return;
        }
        if (c == '/') {
            if (Get() != '>') Fail("Invalid element finishing sequence.");
            m_handler.Element(name, m_attributes, false);
            m_handler.Element(name, m_noAttributes, true);
            return;
        }
        if (IsSpecial(c)) Fail("Special character found where attribute expected.");
        m_attributeName.clear();
        while (IsNameCharacter(c)) {
            m_attributeName.push_back(static_cast<char16_t>(c));
            c = Get();
        }
        c = SkipBlanks(c);
        if (c != '=') Fail("Invalid character found where attribute expected.");
        c = SkipBlanks(Get());
        if (c != '"' && c != '\'') Fail("Invalid character found where attribute expected.");
        const int32_t quote = c;
        m_value.clear();
        for (;;) {
            c = Get();
            if (c < 0) Fail("Unexpected end of file.");
            if (c == quote) break;
            if (c == '&')
                DecodeEntity(m_value);
            else
                m_value.push_back(static_cast<char16_t>(c));
        }
        m_attributes.push_back(YAttribute{Intern(m_attributeName),
                                          YString(m_value.data(), static_cast<int32_t>(m_value.size()))});
        c = Get();
    }
}

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::ParseClosing() {
    m_name.clear();
    int32_t c = Get();
    while (IsNameCharacter(c)) {
        m_name.push_back(static_cast<char16_t>(c));
        c = Get();
    }
    c = SkipBlanks(c);
    if (m_name.empty() || c != '>') Fail("Invalid closing element syntax.");
    m_handler.Element(Intern(m_name), m_noAttributes, true);
}

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::ParseSpecial() {
    int32_t c = Get();
    if (c == '-') {
        if (Get() != '-') Fail("Invalid special element sequence.");
        // A comment runs to "-->".
        int dashes = 0;
        for (;;) {
            c = Get();
            if (c < 0) Fail("Unexpected end of file.");
            if (c == '>' && dashes >= 2) return;
            dashes = c == '-' ? dashes + 1 : 0;
        }
    }
    if (c != '[') Fail("Invalid special element sequence.");
    for (const char* expected = "CDATA["; *expected; ++expected)
        if (Get() != *expected) Fail("Invalid special element sequence.");
    // CDATA runs to "]]>" and passes without entity decoding.
    m_text.clear();
    int brackets = 0;
    for (;;) {
        c = Get();
        if (c < 0) Fail("Unexpected end of file.");
        if (c == '>' && brackets >= 2) {
            m_text.resize(m_text.size() - 2);
            break;
        }
        brackets = c == ']' ? brackets + 1 : 0;
        m_text.push_back(static_cast<char16_t>(c));
    }
    if (!m_text.empty()) m_handler.Text(YString(m_text.data(), static_cast<int32_t>(m_text.size())));
    m_text.clear();
}

template <typename YAttribute, typename YList> void YMLParser<YAttribute, YList>::ParseDeclaration() {
    m_name.clear();
    int32_t c = Get();
    while (IsNameCharacter(c) && c != '?') {
        m_name.push_back(static_cast<char16_t>(c));
        c = Get();
    }
    const bool isXml = m_name == u"xml";
    for (;;) {
        c = SkipBlanks(c);
        if (c < 0) Fail("Unexpected end of file.");
        if (c == '?') {
            c = Get();
            if (c == '>') return;
            if (!isXml) continue;
            Fail("Invalid element finishing sequence.");
        }
        if (!isXml) {
            // Other processing instructions are skipped whole.
            c = Get();
            continue;
        }
        if (IsSpecial(c)) Fail("Special character found where attribute expected.");
        m_attributeName.clear();
        while (IsNameCharacter(c) && c != '?') {
            m_attributeName.push_back(static_cast<char16_t>(c));
            c = Get();
        }
        c = SkipBlanks(c);
        if (c != '=') Fail("Invalid character found where attribute expected.");
        c = SkipBlanks(Get());
        if (c != '"' && c != '\'') Fail("Invalid character found where attribute expected.");
        const int32_t quote = c;
        m_value.clear();
        for (;;) {
            c = Get();
            if (c < 0) Fail("Unexpected end of file.");
            if (c == quote) break;
            m_value.push_back(static_cast<char16_t>(c));
        }
        if (m_attributeName == u"encoding") {
            YString encoding(m_value.data(), static_cast<int32_t>(m_value.size()));
            if (!m_decoder.SetEncoding(encoding))
                Fail(YFormat::Text("Unsupported text encoding ({0}).", encoding));
        }
        c = Get();
    }
}

template <typename YAttribute, typename YList>
YString YMLParser<YAttribute, YList>::Intern(const std::u16string& text) {
    const int32_t length = static_cast<int32_t>(text.size());
    if (text.size() > kInternLongest) return YString(text.data(), length);
    uint32_t hash = 2166136261u;
    for (char16_t c : text) hash = (hash ^ c) * 16777619u;
    const std::size_t index = (hash ^ (hash >> 16)) % kInternSlots;
    if (m_internKeys[index] != text || m_interned[index].Length() != length) {
        m_internKeys[index] = text;
        m_interned[index] = YString(text.data(), length);
    }
    return m_interned[index];
}

template <typename YAttribute, typename YList>
void YMLParser<YAttribute, YList>::AppendCodePoint(std::u16string& out, uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

template <typename YAttribute, typename YList>
void YMLParser<YAttribute, YList>::DecodeEntity(std::u16string& out) {
    constexpr std::size_t kLongest = 10;
    char16_t name[kLongest];
    std::size_t length = 0;
    int32_t c = Get();
    while (length < kLongest &&
           (c == '#' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
        name[length++] = static_cast<char16_t>(c);
        c = Get();
    }
    if (c == ';') {
        std::u16string_view entity(name, length);
        if (entity == u"amp") return out.push_back(u'&');
        if (entity == u"lt") return out.push_back(u'<');
        if (entity == u"gt") return out.push_back(u'>');
        if (entity == u"quot") return out.push_back(u'"');
        if (entity == u"apos") return out.push_back(u'\'');
        if (length >= 2 && name[0] == u'#') {
            const bool hex = name[1] == u'x' || name[1] == u'X';
            std::size_t i = hex ? 2 : 1;
            uint32_t code = 0;
            bool valid = i < length;
            for (; i < length && valid; ++i) {
                char16_t d = name[i];
                uint32_t digit = 0;
                if (d >= u'0' && d <= u'9')
                    digit = d - u'0';
                else if (hex && d >= u'a' && d <= u'f')
                    digit = d - u'a' + 10;
                else if (hex && d >= u'A' && d <= u'F')
                    digit = d - u'A' + 10;
                else
                    valid = false;
                code = code * (hex ? 16 : 10) + digit;
            }
            if (valid) return AppendCodePoint(out, code);
        }
    }
    // Not an entity: keep the text as written.
    out.push_back(u'&');
    out.append(name, length);
    Unget(c);
}
