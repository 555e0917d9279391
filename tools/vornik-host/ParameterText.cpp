#include "ParameterText.h"

#include "PluginHost.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {
std::string Normalised(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    std::string result;
    for (std::size_t i = begin; i < end; ++i) result += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    return result;
}

std::optional<double> LeadingQuantity(const std::string& text);

// The form texts are compared in: "-0.0" is the same as "0.0", which formatting a small
// negative number gives.
std::string Canonical(const std::string& text) {
    std::string result = Normalised(text);
    if (!result.empty() && result[0] == '-' && LeadingQuantity(result) == 0.0) result.erase(0, 1);
    return result;
}

// Steps of the first scan over the normalised range; fine enough to separate the entries of
// any enumeration a host can show as a list.
constexpr int kScanSteps = 1000;

struct Sample {
    float value;
    std::string display;
    std::optional<double> quantity;
};

Sample Probe(PluginHost& host, int32_t index, float value) {
    host.SetParameter(index, value);
    Sample sample{value, host.ParameterDisplay(index), std::nullopt};
    sample.quantity = ParameterText::Quantity(sample.display);
    return sample;
}

// The middle of the contiguous values around `inside` whose display equals `display`
// (normalised). The scan brackets the run's ends; bisection finds them between its steps.
float MiddleOfRun(PluginHost& host, int32_t index, const std::vector<Sample>& scan, const std::string& display,
                  float inside) {
    const auto shows = [&](const std::string& text) { return Canonical(text) == display; };
    const int last = static_cast<int>(scan.size()) - 1;
    float inLow = inside, inHigh = inside;
    std::optional<float> outLow, outHigh;
    for (int i = last; i >= 0; --i) {
        if (scan[i].value > inside) continue;
        if (!shows(scan[i].display)) {
            outLow = scan[i].value;
            break;
        }
        inLow = scan[i].value;
    }
    for (int i = 0; i <= last; ++i) {
        if (scan[i].value < inside) continue;
        if (!shows(scan[i].display)) {
            outHigh = scan[i].value;
            break;
        }
        inHigh = scan[i].value;
    }
    for (int i = 0; i < 30 && outLow; ++i) {
        const float mid = 0.5f * (*outLow + inLow);
        if (shows(Probe(host, index, mid).display)) inLow = mid;
        else outLow = mid;
    }
    for (int i = 0; i < 30 && outHigh; ++i) {
        const float mid = 0.5f * (*outHigh + inHigh);
        if (shows(Probe(host, index, mid).display)) inHigh = mid;
        else outHigh = mid;
    }
    return 0.5f * (inLow + inHigh);
}

std::optional<double> LeadingQuantity(const std::string& text) { return ParameterText::Quantity(text); }

std::string RangeText(const std::vector<Sample>& scan) {
    return "\"" + scan.front().display + "\" … \"" + scan.back().display + "\"";
}
} // namespace

namespace ParameterText {

int32_t Find(PluginHost& host, const std::string& nameOrIndex) {
    const int32_t count = host.ParameterCount();
    if (!nameOrIndex.empty() && std::isdigit(static_cast<unsigned char>(nameOrIndex[0]))) {
        char* end = nullptr;
        const long index = std::strtol(nameOrIndex.c_str(), &end, 10);
        if (*end == 0) {
            if (index < 0 || index >= count)
                throw HostError("Parameter index " + nameOrIndex + " is out of range (0 … " + std::to_string(count - 1) +
                                ")");
            return static_cast<int32_t>(index);
        }
    }
    const std::string wanted = Normalised(nameOrIndex);
    std::vector<int32_t> prefixed;
    std::string names;
    for (int32_t i = 0; i < count; ++i) {
        const std::string name = host.ParameterName(i);
        if (Normalised(name) == wanted) return i;
        if (!wanted.empty() && Normalised(name).rfind(wanted, 0) == 0) prefixed.push_back(i);
        names += (names.empty() ? "" : ", ") + name;
    }
    if (prefixed.size() == 1) return prefixed.front();
    if (prefixed.size() > 1) {
        std::string candidates;
        for (int32_t i : prefixed) candidates += (candidates.empty() ? "" : ", ") + host.ParameterName(i);
        throw HostError("Parameter \"" + nameOrIndex + "\" is ambiguous: " + candidates);
    }
    throw HostError("No parameter \"" + nameOrIndex + "\"; the plug-in has: " + names);
}

std::optional<double> Quantity(const std::string& text) {
    const char* start = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*start))) ++start;
    if (!(std::isdigit(static_cast<unsigned char>(*start)) || *start == '-' || *start == '+' || *start == '.'))
        return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(start, &end);
    if (end == start || !std::isfinite(number)) return std::nullopt;
    while (std::isspace(static_cast<unsigned char>(*end))) ++end;
    // A prefix counts only before a unit's letters: "k" alone is no kilo.
    if ((end[0] == 'k' || end[0] == 'M') && std::isalpha(static_cast<unsigned char>(end[1])))
        return number * (end[0] == 'k' ? 1e3 : 1e6);
    return number;
}

float Set(PluginHost& host, int32_t index, const std::string& text) {
    if (host.ParseParameterText(index, text)) return host.GetParameter(index);

    const float original = host.GetParameter(index);
    try {
        std::vector<Sample> scan;
        scan.reserve(kScanSteps + 1);
        for (int step = 0; step <= kScanSteps; ++step)
            scan.push_back(Probe(host, index, static_cast<float>(step) / kScanSteps));

        const std::string wanted = Canonical(text);
        for (const Sample& sample : scan) {
            if (Canonical(sample.display) != wanted) continue;
            const float value = MiddleOfRun(host, index, scan, wanted, sample.value);
            host.SetParameter(index, value);
            return value;
        }

        const std::optional<double> target = Quantity(text);
        if (!target)
            throw HostError("\"" + text + "\" is none of the texts the parameter shows (" + RangeText(scan) + ")");
        for (int step = 0; step < kScanSteps; ++step) {
            if (!scan[step].quantity || !scan[step + 1].quantity) continue;
            float low = scan[step].value, high = scan[step + 1].value;
            double lowOff = *scan[step].quantity - *target, highOff = *scan[step + 1].quantity - *target;
            if (lowOff != 0 && highOff != 0 && (lowOff < 0) == (highOff < 0)) continue;
            // Bisect to a value whose display shows the quantity, or else to the edge between
            // the two displays around it, on the nearer side.
            std::optional<float> exact;
            if (lowOff == 0) exact = low;
            else if (highOff == 0) exact = high;
            for (int i = 0; i < 40 && !exact; ++i) {
                const float mid = 0.5f * (low + high);
                const Sample sample = Probe(host, index, mid);
                if (!sample.quantity) break;
                const double offset = *sample.quantity - *target;
                if (offset == 0) exact = mid;
                else if ((offset < 0) == (lowOff < 0)) low = mid, lowOff = offset;
                else high = mid, highOff = offset;
            }
            // Several values may show the same text: take the middle of them.
            const float value = exact ? MiddleOfRun(host, index, scan, Canonical(Probe(host, index, *exact).display), *exact)
                                      : (std::fabs(lowOff) <= std::fabs(highOff) ? low : high);
            host.SetParameter(index, value);
            return value;
        }
        throw HostError("\"" + text + "\" is outside what the parameter shows (" + RangeText(scan) + ")");
    } catch (...) {
        host.SetParameter(index, original);
        throw;
    }
}

} // namespace ParameterText
