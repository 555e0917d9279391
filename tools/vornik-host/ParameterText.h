// Finding a plug-in's parameters by name and setting them from the texts a user types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class PluginHost;

namespace ParameterText {

// The parameter a user means: its index as a number, its name (case-insensitive), or the
// one name that starts with the given text. Throws HostError naming the candidates.
int32_t Find(PluginHost& host, const std::string& nameOrIndex);

// The number a value text starts with, in its unit's base: a "k" prefix before a unit
// multiplies by 1000 and "M" by a million ("2.5 kHz" is 2500); other units are kept as shown
// ("5.0 ms" is 5). Nothing when the text does not start with a number.
std::optional<double> Quantity(const std::string& text);

// Sets the parameter from text. The plug-in parses it when it takes text
// (effString2Parameter). Otherwise the host searches the normalised range: a text equal to a
// display text (case and surrounding spaces aside) selects the middle of the values showing
// it, as enumerations need; a number selects the value whose display shows that quantity.
// Returns the normalised value set; throws HostError (value unchanged) when nothing fits.
float Set(PluginHost& host, int32_t index, const std::string& text);

} // namespace ParameterText
