#include "core/YStorer.h"

#include "foundation/YXMLItem.h"

#include <cmath>
#include <limits>

YStorer YStorer::Child(const YString& name) const {
    if (!Item) return {Writing, nullptr};
    return {Writing, Writing ? &Item->GetOrCreateChild(name) : Item->FindChild(name)};
}

bool YStorer::ReadDouble(const YXMLItem& item, const YString& name, double& value) {
    const YString* text = item.FindAttribute(name);
    if (!text) return false;
    int32_t consumed = 0;
    const double v = text->Trimmed().ToDouble(&consumed);
    if (consumed == 0 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool YStorer::ReadInteger(const YXMLItem& item, const YString& name, int32_t& value) {
    const YString* text = item.FindAttribute(name);
    if (!text) return false;
    int32_t consumed = 0;
    const int64_t v = text->Trimmed().ToInteger(10, &consumed);
    if (consumed == 0) return false;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    value = static_cast<int32_t>(v < lo ? lo : (v > hi ? hi : v));
    return true;
}

void YStorer::Double(const YString& name, double& value, double defaultValue) const {
    if (!Item) return;
    if (Writing)
        Item->SetAttribute(name, YString::FromDouble(value, 12));
    else if (!ReadDouble(*Item, name, value))
        value = defaultValue;
}

void YStorer::Integer(const YString& name, int32_t& value, int32_t defaultValue) const {
    if (!Item) return;
    if (Writing)
        Item->SetAttribute(name, YString::FromInteger(value));
    else if (!ReadInteger(*Item, name, value))
        value = defaultValue;
}

void YStorer::Bool(const YString& name, bool& value, bool defaultValue) const {
    if (!Item) return;
    int32_t v = value ? 1 : 0;
    Integer(name, v, defaultValue ? 1 : 0);
    value = v != 0;
}

void YStorer::DoubleIfPresent(const YString& name, double& value) const {
    if (!Item) return;
    if (Writing)
        Item->SetAttribute(name, YString::FromDouble(value, 12));
    else
        ReadDouble(*Item, name, value);
}

void YStorer::IntegerIfPresent(const YString& name, int32_t& value) const {
    if (!Item) return;
    if (Writing)
        Item->SetAttribute(name, YString::FromInteger(value));
    else
        ReadInteger(*Item, name, value);
}
