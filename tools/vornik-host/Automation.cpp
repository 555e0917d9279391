#include "Automation.h"

#include "FileBytes.h"
#include "PluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A finite number that fills the whole field.
bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == 0 && std::isfinite(value);
}
} // namespace

namespace AutomationFile {

std::vector<AutomationFilePoint> Parse(const std::string& content, const std::string& name) {
    std::vector<AutomationFilePoint> points;
    int32_t lineNumber = 0;
    const auto fail = [&](const std::string& reason) {
        throw HostError("\"" + name + "\": line " + std::to_string(lineNumber) + ": " + reason);
    };
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        // The time field, then the value: a number, or text in quotes that may hold a '#'.
        std::size_t at = 0;
        while (at < line.size() && IsSpace(line[at])) ++at;
        if (at == line.size() || line[at] == '#') continue;
        const std::size_t timeStart = at;
        while (at < line.size() && !IsSpace(line[at]) && line[at] != '#') ++at;
        const std::string timeText = line.substr(timeStart, at - timeStart);
        while (at < line.size() && IsSpace(line[at])) ++at;

        AutomationFilePoint point;
        point.line = lineNumber;
        if (!ParseNumber(timeText, point.seconds))
            fail("expected a time in seconds, then a value, not \"" + line + "\"");
        if (point.seconds < 0) fail("the time " + timeText + " is before the start");
        if (!points.empty() && point.seconds < points.back().seconds)
            fail("the time " + timeText + " s is earlier than the point before (line " +
                 std::to_string(points.back().line) + ")");

        std::string rest;
        if (at < line.size() && line[at] == '"') {
            const std::size_t close = line.find('"', at + 1);
            if (close == std::string::npos) fail("the quoted text has no closing quote");
            point.text = line.substr(at + 1, close - at - 1);
            if (point.text.empty()) fail("the quoted text is empty");
            at = close + 1;
        } else {
            const std::size_t valueStart = at;
            while (at < line.size() && !IsSpace(line[at]) && line[at] != '#') ++at;
            const std::string valueText = line.substr(valueStart, at - valueStart);
            if (valueText.empty()) fail("the time " + timeText + " has no value after it");
            if (!ParseNumber(valueText, point.value))
                fail("the value \"" + valueText + "\" is no number (put text the parameter shows in quotes)");
            if (point.value < 0.0 || point.value > 1.0)
                fail("the value " + valueText + " is outside 0 to 1 (normalised)");
        }
        while (at < line.size() && IsSpace(line[at])) ++at;
        if (at < line.size() && line[at] != '#')
            fail("unexpected \"" + line.substr(at) + "\" after the value");
        points.push_back(point);
    }
    if (points.empty()) throw HostError("\"" + name + "\": no points (lines of SECONDS VALUE)");
    return points;
}

std::vector<AutomationFilePoint> Read(const std::string& path) {
    const std::vector<uint8_t> bytes = FileBytes::Read(path);
    return Parse(std::string(bytes.begin(), bytes.end()), path);
}

} // namespace AutomationFile

AutomationLane::AutomationLane(int32_t parameter, std::vector<Point> points)
    : m_parameter(parameter), m_points(std::move(points)) {
    if (m_points.empty()) throw HostError("An automation lane needs a point");
}

double AutomationLane::ValueAt(int64_t sample) const {
    // The last point at or before sample; the one after it is later still.
    const auto after = std::upper_bound(m_points.begin(), m_points.end(), sample,
                                        [](int64_t s, const Point& p) { return s < p.sample; });
    if (after == m_points.begin()) return m_points.front().value;
    const Point& from = *(after - 1);
    if (after == m_points.end()) return from.value;
    const double t =
        static_cast<double>(sample - from.sample) / static_cast<double>(after->sample - from.sample);
    return from.value + (after->value - from.value) * t;
}

void AutomationLane::BlockPoints(int64_t start, int32_t frames, std::vector<BlockPoint>& out) {
    const std::size_t first = out.size();
    const int64_t end = start + frames;
    auto next = std::lower_bound(m_points.begin(), m_points.end(), start,
                                 [](const Point& p, int64_t s) { return p.sample < s; });
    if (next == m_points.end() || next->sample != start) out.push_back({0, ValueAt(start)});
    // Grid points strictly inside ramps, merged with the file's points in time order.
    int64_t grid = (start / kRampStep + 1) * kRampStep;
    for (;;) {
        const int64_t pointSample = next != m_points.end() ? next->sample : end;
        for (; grid < std::min(pointSample, end); grid += kRampStep) {
            const bool ramping =
                next != m_points.begin() && next != m_points.end() && (next - 1)->value != next->value;
            if (ramping) out.push_back({static_cast<int32_t>(grid - start), ValueAt(grid)});
        }
        if (pointSample >= end) break;
        out.push_back({static_cast<int32_t>(pointSample - start), next->value});
        if (grid == pointSample) grid += kRampStep;
        ++next;
    }
    const bool changes = std::any_of(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                                     [&](const BlockPoint& p) { return p.value != m_sent; });
    if (!changes) {
        out.resize(first);
        return;
    }
    m_sent = out.back().value;
}
