// The storer: one Store operation serves both directions with the same keys, so writing and
// reading cannot drift apart.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YXMLItem;

struct YStorer {
    bool Writing = true;      // true: write into Item; false: read from it
    YXMLItem* Item = nullptr; // the current item; nothing is read or written without one

    bool IsWriting() const noexcept { return Writing; }
    bool IsReading() const noexcept { return !Writing; }

    // The child item of that name, same direction: created when writing, found when reading
    // (Item is null when it is absent).
    YStorer Child(const YString& name) const;

    // Attributes in text: doubles with 12 significant digits, integers and booleans in
    // decimal. Reading an absent or unreadable attribute sets the default.
    void Double(const YString& name, double& value, double defaultValue) const;
    void Integer(const YString& name, int32_t& value, int32_t defaultValue) const;
    void Bool(const YString& name, bool& value, bool defaultValue) const;
    // Reading leaves the value as it is when the attribute is absent or unreadable.
    void DoubleIfPresent(const YString& name, double& value) const;
    void IntegerIfPresent(const YString& name, int32_t& value) const;

    // Reading helpers: whether the attribute was there and readable.
    static bool ReadDouble(const YXMLItem& item, const YString& name, double& value);
    static bool ReadInteger(const YXMLItem& item, const YString& name, int32_t& value);
};
