#include "core/YStoreFields.h"

#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

namespace YStoreFields {

void IntegerOmitted(const YStorer& storer, const YString& name, int32_t& value, int32_t defaultValue) {
    if (storer.Item == nullptr) return;
    if (storer.IsWriting() && value == defaultValue)
        storer.Item->RemoveAttribute(name);
    else
        storer.Integer(name, value, defaultValue);
}

void BoolOmitted(const YStorer& storer, const YString& name, bool& value, bool defaultValue) {
    int32_t v = value ? 1 : 0;
    IntegerOmitted(storer, name, v, defaultValue ? 1 : 0);
    value = v != 0;
}

void DoubleOmitted(const YStorer& storer, const YString& name, double& value, double defaultValue) {
    if (storer.Item == nullptr) return;
    if (storer.IsWriting() && std::fabs(value - defaultValue) <= 1e-50)
        storer.Item->RemoveAttribute(name);
    else
        storer.Double(name, value, defaultValue);
}

void Text(const YStorer& storer, const YString& name, YString& value, bool omitWhenEmpty) {
    if (storer.Item == nullptr) return;
    if (storer.IsWriting()) {
        if (omitWhenEmpty && value.IsEmpty())
            storer.Item->RemoveAttribute(name);
        else
            storer.Item->SetAttribute(name, value);
        return;
    }
    const YString* text = storer.Item->FindAttribute(name);
    value = text != nullptr ? *text : YString();
}

void Fraction(const YStorer& storer, const YString& name, double& value, double defaultValue) {
    storer.Double(name, value, defaultValue);
    if (storer.IsReading()) value = std::clamp(value, 0.0, 1.0);
}

void EnumName(const YStorer& storer, const YString& name, int32_t& value, const char* const* names,
              int32_t count, int32_t defaultValue) {
    if (storer.Item == nullptr) return;
    if (storer.IsWriting()) {
        storer.Item->SetAttribute(name, YString::Literal(names[std::clamp(value, 0, count - 1)]));
        return;
    }
    value = defaultValue;
    const YString* text = storer.Item->FindAttribute(name);
    if (text == nullptr) return;
    for (int32_t i = 0; i < count; ++i)
        if (*text == YString::Literal(names[i])) {
            value = i;
            return;
        }
}

YString Numbered(const char* prefix, int32_t number) {
    return YString::Literal(prefix) + YString::FromInteger(number);
}

} // namespace YStoreFields
