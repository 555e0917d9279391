// Attribute helpers for records whose stored form omits defaults or holds text and enumeration
// names. Each works in both directions of the storer, like YStorer's own operations.
#pragma once

#include "core/YStorer.h"

#include <cstdint>

namespace YStoreFields {

// Written only when it differs from the default; read as the default when absent.
void IntegerOmitted(const YStorer& storer, const YString& name, int32_t& value, int32_t defaultValue);
void BoolOmitted(const YStorer& storer, const YString& name, bool& value, bool defaultValue);
// Written unless within 1e-50 of the default; read as the default when absent.
void DoubleOmitted(const YStorer& storer, const YString& name, double& value, double defaultValue);
// Text; an absent attribute reads as empty.
void Text(const YStorer& storer, const YString& name, YString& value, bool omitWhenEmpty);
// A double limited to 0..1 when read (absent: the default).
void Fraction(const YStorer& storer, const YString& name, double& value, double defaultValue);
// An enumeration stored by its name; an absent or unknown name reads as the default.
void EnumName(const YStorer& storer, const YString& name, int32_t& value, const char* const* names,
              int32_t count, int32_t defaultValue);
// "prefix" followed by the number in decimal ("Controller7").
YString Numbered(const char* prefix, int32_t number);

} // namespace YStoreFields
