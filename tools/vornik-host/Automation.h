// Parameter automation over time, as a DAW's automation lane: points of time and value with
// straight ramps between them. Before the first point a lane holds the first value, after the
// last the last; two points at one time make a jump.
//
// The file format, one point a line:
//     # comment (also after a point)
//     SECONDS  VALUE
// SECONDS is the time from the start of the render, never earlier than the point before.
// VALUE is a normalised value from 0 to 1, or in double quotes the text the parameter shows
// ("Tape", "50%"), which the host turns into a normalised value as --set does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AutomationFilePoint {
    double seconds = 0.0;
    double value = 0.0; // normalised; unset while text is not empty
    std::string text;   // the quoted display text, to be resolved through the plug-in
    int32_t line = 0;
};

namespace AutomationFile {
// name is how errors call the file. Throws HostError: "NAME": line N: reason.
std::vector<AutomationFilePoint> Parse(const std::string& content, const std::string& name);
std::vector<AutomationFilePoint> Read(const std::string& path);
} // namespace AutomationFile

// One parameter's lane at sample positions, played block by block.
class AutomationLane {
public:
    struct Point {
        int64_t sample;
        double value;
    };
    struct BlockPoint {
        int32_t frame; // in the block
        double value;
    };
    // Ramps reach the plug-in as a point this often (in samples), as hosts send them.
    static constexpr int64_t kRampStep = 32;

    // points: at least one, samples never decreasing.
    AutomationLane(int32_t parameter, std::vector<Point> points);
    int32_t Parameter() const { return m_parameter; }
    // The value from sample on (after a jump there).
    double ValueAt(int64_t sample) const;

    // Starts playing with the parameter at value.
    void Begin(double value) { m_sent = value; }
    // The points that carry the lane through the block [start, start + frames) in frame order:
    // the value at its start, every point of the file in it, and a point every kRampStep
    // samples along a ramp. Nothing when the block would only repeat the value sent last.
    void BlockPoints(int64_t start, int32_t frames, std::vector<BlockPoint>& out);

private:
    int32_t m_parameter;
    std::vector<Point> m_points;
    double m_sent = -1.0;
};
