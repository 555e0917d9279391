#include "gui/stml/YSTMLTagParser.h"

#include <string>
#include <string_view>

const YString* YSTMLAttributes::Find(const YString& name) const noexcept {
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (it->name == name) return &it->value;
    return nullptr;
}

YSTMLTagHandler::~YSTMLTagHandler() = default;

namespace {

bool IsBlank(char16_t c) noexcept { return c <= 32; }
bool IsNameCharacter(char16_t c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':';
}
char16_t Lower(char16_t c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c; }

YString Make(const std::u16string& s) { return YString(s.data(), static_cast<int32_t>(s.size())); }

class Tokenizer {
public:
    Tokenizer(std::u16string_view text, YSTMLTagHandler& handler) : m_in(text), m_handler(handler) {}

    void Run() {
        size_t i = 0;
        while (i < m_in.size()) {
            const char16_t c = m_in[i];
            if (c == '<') {
                const size_t end = TryTag(i);
                if (end != 0) {
                    i = end;
                    continue;
                }
                m_text.push_back(c);
                ++i;
            } else if (c == '&') {
                i = DecodeEntity(i, m_text);
            } else {
                m_text.push_back(c);
                ++i;
            }
        }
        FlushText();
    }

private:
    void FlushText() {
        if (m_text.empty()) return;
        m_handler.Text(Make(m_text));
        m_text.clear();
    }

    // Reads a tag starting at '<' at position start; returns the position after it, or 0
    // when no well-formed tag starts there (the caller then keeps '<' as text).
    size_t TryTag(size_t start) {
        size_t i = start + 1;
        bool closing = false;
        if (i < m_in.size() && m_in[i] == '/') {
            closing = true;
            ++i;
        }
        m_name.clear();
        while (i < m_in.size() && IsNameCharacter(m_in[i])) m_name.push_back(Lower(m_in[i++]));
        if (m_name.empty()) return 0;
        m_attributes.Clear();
        bool selfClosing = false;
        for (;;) {
            while (i < m_in.size() && IsBlank(m_in[i])) ++i;
            if (i >= m_in.size() || m_in[i] == '<') return 0;
            if (m_in[i] == '>') {
                ++i;
                break;
            }
            if (m_in[i] == '/') {
                if (i + 1 < m_in.size() && m_in[i + 1] == '>') {
                    selfClosing = true;
                    i += 2;
                    break;
                }
                ++i; // a stray slash is skipped
                continue;
            }
            if (closing) {
                // A closing tag carries no attributes: whatever stands there is skipped.
                ++i;
                continue;
            }
            m_attributeName.clear();
            while (i < m_in.size() && !IsBlank(m_in[i]) && m_in[i] != '=' && m_in[i] != '>' && m_in[i] != '<' &&
                   !(m_in[i] == '/' && i + 1 < m_in.size() && m_in[i + 1] == '>'))
                m_attributeName.push_back(Lower(m_in[i++]));
            size_t j = i;
            while (j < m_in.size() && IsBlank(m_in[j])) ++j;
            m_value.clear();
            if (j < m_in.size() && m_in[j] == '=') {
                i = j + 1;
                while (i < m_in.size() && IsBlank(m_in[i])) ++i;
                if (i >= m_in.size()) return 0;
                const char16_t quote = m_in[i];
                if (quote == '"' || quote == '\'') {
                    bool& missing = quote == '"' ? m_noDoubleQuote : m_noSingleQuote;
                    if (missing) return 0;
                    const size_t close = m_in.find(quote, i + 1);
                    if (close == std::u16string_view::npos) {
                        // No closing quote anywhere after: none after any later position either.
                        missing = true;
                        return 0;
                    }
                    for (size_t k = i + 1; k < close;) {
                        if (m_in[k] == '&')
                            k = DecodeEntity(k, m_value);
                        else
                            m_value.push_back(m_in[k++]);
                    }
                    i = close + 1;
                } else {
                    while (i < m_in.size() && !IsBlank(m_in[i]) && m_in[i] != '>' && m_in[i] != '<' &&
                           !(m_in[i] == '/' && i + 1 < m_in.size() && m_in[i + 1] == '>'))
                        m_value.push_back(m_in[i++]);
                }
            } else {
                m_value.assign(1, u'1');
            }
            if (m_attributeName.empty()) {
                if (i < m_in.size() && m_in[i] == '=') ++i; // "=" with no name: skipped
                continue;
            }
            m_attributes.Add(Make(m_attributeName), Make(m_value));
        }
        FlushText();
        const YString name = Make(m_name);
        if (closing) {
            m_attributes.Clear();
            m_handler.Tag(name, m_attributes, true);
        } else {
            m_handler.Tag(name, m_attributes, false);
            if (selfClosing) {
                m_attributes.Clear();
                m_handler.Tag(name, m_attributes, true);
            }
        }
        return i;
    }

    // Decodes the entity at '&' at position start into out; returns the position after it.
    // Text that is not an entity stays as written.
    size_t DecodeEntity(size_t start, std::u16string& out) {
        constexpr size_t kLongest = 10;
        size_t i = start + 1;
        while (i < m_in.size() && i - start - 1 < kLongest && (IsNameCharacter(m_in[i]) || m_in[i] == '#')) ++i;
        if (i >= m_in.size() || m_in[i] != ';') {
            out.push_back('&');
            return start + 1;
        }
        const std::u16string_view name = m_in.substr(start + 1, i - start - 1);
        char16_t decoded = 0;
        if (name == u"lt")
            decoded = '<';
        else if (name == u"gt")
            decoded = '>';
        else if (name == u"amp")
            decoded = '&';
        else if (name == u"quot")
            decoded = '"';
        else if (name == u"apos")
            decoded = '\'';
        else if (name == u"nbsp")
            decoded = 0xA0;
        else if (name.size() >= 2 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            uint32_t code = 0;
            size_t k = hex ? 2 : 1;
            bool valid = k < name.size();
            for (; k < name.size() && valid; ++k) {
                const char16_t d = name[k];
                uint32_t digit;
                if (d >= '0' && d <= '9')
                    digit = d - '0';
                else if (hex && d >= 'a' && d <= 'f')
                    digit = d - 'a' + 10;
                else if (hex && d >= 'A' && d <= 'F')
                    digit = d - 'A' + 10;
                else {
                    valid = false;
                    break;
                }
                code = code * (hex ? 16 : 10) + digit;
                if (code > 0x10FFFF) valid = false;
            }
            if (valid && code != 0 && !(code >= 0xD800 && code <= 0xDFFF)) {
                if (code >= 0x10000) {
                    code -= 0x10000;
                    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
                    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
                } else {
                    out.push_back(static_cast<char16_t>(code));
                }
                return i + 1;
            }
        }
        if (decoded == 0) {
            out.push_back('&');
            return start + 1;
        }
        out.push_back(decoded);
        return i + 1;
    }

    std::u16string_view m_in;
    YSTMLTagHandler& m_handler;
    std::u16string m_text;
    std::u16string m_name;
    std::u16string m_attributeName;
    std::u16string m_value;
    YSTMLAttributes m_attributes;
    bool m_noDoubleQuote = false;
    bool m_noSingleQuote = false;
};

} // namespace

namespace YSTMLTagParser {

void Parse(const YString& text, YSTMLTagHandler& handler) {
    const std::u16string chars = text.ToUTF16();
    Tokenizer(chars, handler).Run();
}

} // namespace YSTMLTagParser
