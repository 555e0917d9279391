#include "presets/YPresetContent.h"

#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLCopy.h"

#include <utility>

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(YString::Char c) noexcept {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}
} // namespace

YString YPresetContent::EncodeHex(const uint8_t* bytes, size_t count) {
    std::u16string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text.push_back(static_cast<char16_t>(kDigits[bytes[i] >> 4]));
        text.push_back(static_cast<char16_t>(kDigits[bytes[i] & 15]));
    }
    return YString::FromUTF16(text);
}

std::vector<uint8_t> YPresetContent::DecodeHex(const YString& text) {
    const int32_t length = text.Length();
    if (length % 2 != 0)
        YRaiseFormat(YException::kGeneral, "The preset content has an odd number of digits ({0}).", length);
    std::vector<uint8_t> bytes(static_cast<size_t>(length / 2));
    for (int32_t i = 0; i < length; i += 2) {
        const int high = DigitValue(text[i]);
        const int low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            YRaiseFormat(YException::kGeneral, "The preset content holds a character that is not a hexadecimal digit at {0}.",
                         high < 0 ? i : i + 1);
        bytes[static_cast<size_t>(i / 2)] = static_cast<uint8_t>(high * 16 + low);
    }
    return bytes;
}

YString YPresetContent::Encode(const YXMLItem& settings) {
    YXMLDocument document(settings.GetName().IsEmpty() ? YString::Literal(kSettingsRoot) : settings.GetName());
    CopyTree(settings, document);
    YMemoryStream stream;
    document.SaveCompressed(stream, "utf-8");
    return EncodeHex(stream.GetData(), static_cast<size_t>(stream.GetSize()));
}

std::unique_ptr<YXMLDocument> YPresetContent::Decode(const YString& text) {
    const std::vector<uint8_t> bytes = DecodeHex(text);
    if (bytes.empty()) YRaise("The preset content is empty.");
    YMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto document = std::make_unique<YXMLDocument>();
    try {
        // Compressed XML, or plain XML when the bytes are not zlib data.
        document->LoadCompressed(stream);
    } catch (const YException& error) {
        YRaiseFormat(YException::kGeneral, "The preset content is neither compressed nor plain XML. {0}", error.Message());
    }
    return document;
}

void YPresetContent::CopyTree(const YXMLItem& source, YXMLItem& target) { YXMLCopyTree(source, target); }

bool YPresetContent::IsInline(const YXMLItem& preset) {
    return preset.FindAttribute(YString::Literal(kCompressedAttribute)) == nullptr;
}

std::unique_ptr<YXMLDocument> YPresetContent::Settings(const YXMLItem& preset) {
    if (const YString* compressed = preset.FindAttribute(YString::Literal(kCompressedAttribute))) return Decode(*compressed);
    auto settings = std::make_unique<YXMLDocument>(YString::Literal(kSettingsRoot));
    CopyTree(preset, *settings);
    settings->RemoveAttribute(YString::Literal(kNameAttribute));
    return settings;
}

bool YPresetContent::ConvertInline(YXMLItem& preset) {
    if (!IsInline(preset)) return false;
    const YString encoded = Encode(*Settings(preset));
    const YString name = preset.GetAttribute(YString::Literal(kNameAttribute), YString());
    const YString itemName = preset.GetName();
    preset.Clear();
    preset.SetName(itemName);
    preset.SetAttribute(YString::Literal(kNameAttribute), name);
    preset.SetAttribute(YString::Literal(kCompressedAttribute), encoded);
    return true;
}
