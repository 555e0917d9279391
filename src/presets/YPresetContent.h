// YPresetContent: a preset's settings as they sit in the preset file: the settings tree saved
// compressed (compact UTF-8 XML through zlib) and written as uppercase hexadecimal text.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"

#include <cstdint>
#include <memory>
#include <vector>

class YPresetContent {
public:
    // The attribute that holds the hexadecimal text, and the name of the settings root.
    static constexpr const char* kCompressedAttribute = "compressed";
    static constexpr const char* kNameAttribute = "name";
    static constexpr const char* kSettingsRoot = "settings";

    // Two digits of "0123456789ABCDEF" per byte, high digit first, no separators.
    static YString EncodeHex(const uint8_t* bytes, size_t count);
    // The reverse; either case is read. Raises on an odd number of digits or any character
    // that is not a hexadecimal digit, naming its position, so a damaged preset is never
    // applied half-read.
    static std::vector<uint8_t> DecodeHex(const YString& text);

    // The settings tree saved compressed and encoded.
    static YString Encode(const YXMLItem& settings);
    // The tree from hexadecimal text holding compressed or plain XML. Raises with a message
    // that says what is wrong (digits, compression or XML).
    static std::unique_ptr<YXMLDocument> Decode(const YString& text);

    // Copies attributes, text and children of source into target (whose name stays). Walks
    // with its own stack, so any depth is safe.
    static void CopyTree(const YXMLItem& source, YXMLItem& target);

    // Whether a preset item still carries its settings inline (no "compressed" attribute).
    static bool IsInline(const YXMLItem& preset);
    // Moves the inline settings of a preset item into "compressed"; every attribute other than
    // "name" and every child go. False (and nothing changed) when it already had the
    // compressed form.
    static bool ConvertInline(YXMLItem& preset);
    // The settings of a preset item (compressed or inline form), root "settings".
    static std::unique_ptr<YXMLDocument> Settings(const YXMLItem& preset);
};
