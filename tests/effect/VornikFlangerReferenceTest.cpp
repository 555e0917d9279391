// The flanger against a plain transcription of its algorithm, and its specialised loops against
// its general loop.
#include "VornikEffectTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace VornikEffectTest;

namespace {

// ---------------------------------------------------------------------------------------------
// A plain transcription of the flanger's algorithm, written for checking the effect: rings as
// vectors indexed modulo their length, every value recomputed per sample, sums in order.

class ReferenceFlanger {
public:
    ReferenceFlanger(int channels, double fs, bool sinc, const float* lfoTable, const double* sincTable)
        : m_channels(channels), m_fs(fs), m_sinc(sinc), m_lfo(lfoTable), m_sincTable(sincTable) {}

    void Update(const Settings& s) {
        m_maxRange = m_fs * 0.01;
        m_lp = Design(false, std::pow(10.0, s.maxFrequency));
        m_hp = Design(true, std::pow(10.0, s.minFrequency));
        const double target = std::clamp(m_fs * s.range, 1.0, m_maxRange);
        m_target = target;
        if (m_current == 0.0) {
            m_current = target;
            m_step = 0.0;
        } else {
            m_step = std::clamp(target - m_current, -0.01, 0.01);
        }
        // The dry path waits the latency of the largest range; the wet path the rest of it.
        const auto tapeFor = [&](double range) {
            if (s.mode == V::kModeTape) return static_cast<int>(range * 0.5);
            if (s.mode == V::kModeTape2) return static_cast<int>(range);
            return 0;
        };
        const int compensation = m_sinc ? 18 : 1;
        const int tape = tapeFor(m_current);
        const int latency = tapeFor(m_maxRange) >= 1 || m_sinc ? compensation + tapeFor(m_maxRange) : 0;
        const int extra = latency - (tape >= 1 || m_sinc ? compensation + tape : 0);
        m_dryDelay = latency >= 1;
        if (m_state.empty()) {
            // Preparation lets the first block start from the values without ramping.
            m_depthCopy = s.depth;
            m_feedbackCopy = s.feedback;
            m_jetCopy = s.jet;
            m_jetPhaseCopy = s.jetPhase;
            m_R = std::trunc(m_maxRange) + 1.0;
            m_M = m_sinc ? 39 : 5;
            m_state.resize(m_channels);
            for (Channel& ch : m_state) {
                ch.pre.assign(std::max(1, static_cast<int>(m_fs * s.delay)) + extra, 0.0f);
                ch.line.assign(static_cast<size_t>(2.0 * m_R + m_M), 0.0f);
                ch.dry.assign(std::max(1, latency), 0.0f);
            }
        }
        m_increment = std::pow(10.0, s.rate) / m_fs;
    }

    void Process(const Settings& s, const Channels& in, Channels& out, int offset, int n) {
        double d0, dStep, f0, fStep, j0, jStep, p0, pStep;
        Ramp(m_depthCopy, s.depth, n, d0, dStep);
        Ramp(m_feedbackCopy, s.feedback, n, f0, fStep);
        Ramp(m_jetCopy, s.jet, n, j0, jStep);
        Ramp(m_jetPhaseCopy, s.jetPhase, n, p0, pStep);
        const bool jetOn = std::fabs(j0) >= 1e-50 || std::fabs(jStep) >= 1e-50;
        const double pd = s.phaseDifference;
        const double sat = s.saturation;
        const double o0 = pd < 0.0 ? -8.0 * pd : 0.0;
        double current = m_current, step = m_step;
        for (int c = 0; c < m_channels; ++c) {
            Channel& ch = m_state[c];
            current = m_current;
            step = m_step;
            const double oc = o0 + c * pd;
            for (int i = 0; i < n; ++i) {
                const double depth = d0 + i * dStep, feedback = f0 + i * fStep;
                const double jet = j0 + i * jStep, jetPhase = p0 + i * pStep;
                const double L = std::clamp(Lookup(m_phase + oc + i * m_increment), -1.0, 1.0);
                const double o = (L - 1.0) * current;
                const double p = o + std::trunc(m_M / 2.0) + 2.0 * m_R;
                const int k = static_cast<int>(p);
                const double t = p - k;
                const int S = static_cast<int>(ch.line.size());
                const int index = (k + ch.linePos) % S;
                const float tap = m_sinc ? SincRead(ch.line, index, t) : CubicRead(ch.line, index, t);

                current += step;
                if ((step > 0.0 && current >= m_target) || (step <= 0.0 && current < m_target)) {
                    current = m_target;
                    step = 0.0;
                }

                double g = 1.0;
                if (jetOn) {
                    const double u = Lookup(m_phase + oc + (i + 1) * m_increment + jetPhase);
                    double q = (u + 1.0) / 2.0;
                    if (jet >= 0.0) q -= 1.0;
                    g = 1.0 + q * jet;
                }

                const float x = in[c][offset + i];
                const float pre = PushPop(ch.pre, ch.prePos, x);
                double v = static_cast<double>(pre + 1e-15f);
                v = Filter(m_lp, ch.lpZ, v);
                if (sat >= 1e-50) v += static_cast<double>(1e-15f);
                v = Filter(m_hp, ch.hpZ, v);
                if (sat >= 1e-50) {
                    const double a = std::fabs(v);
                    double y = a >= 1.0 ? 1.0 : a * (3.0 + a * a) / (1.0 + 3.0 * a * a);
                    if (v < 0.0) y = -y;
                    v = sat * (y + 1.0 * (y - v) * (y - v)) + (1.0 - sat) * v;
                }
                ch.line[ch.linePos] = static_cast<float>(tap * feedback) + static_cast<float>(v);
                ch.linePos = (ch.linePos + 1) % S;

                const float dry = m_dryDelay ? PushPop(ch.dry, ch.dryPos, x) : x;
                const double wet = std::clamp(depth, -1.0, 1.0);
                const double dryGain = std::min(2.0 - std::fabs(depth), 1.0);
                out[c][offset + i] = static_cast<float>(g * wet * tap + dry * dryGain);
            }
        }
        m_current = current;
        m_step = step;
        m_phase = std::fmod(m_phase + n * m_increment, 1.0);
    }

private:
    struct Coefficients {
        double b0, b1, b2, na1, na2;
    };
    struct Channel {
        std::vector<float> pre, line, dry;
        int prePos = 0, linePos = 0, dryPos = 0;
        double lpZ[2] = {0, 0}, hpZ[2] = {0, 0};
    };

    Coefficients Design(bool highPass, double f) const {
        const double w = 2.0 * kPi * f / m_fs;
        const double cw = std::cos(w), alpha = std::sin(w) / 1.4;
        const double a0 = 1.0 + alpha, guard = static_cast<double>(1e-15f);
        const double b0 = highPass ? (1.0 + cw) / 2.0 : (1.0 - cw) / 2.0;
        const double b1 = highPass ? -(1.0 + cw) : 1.0 - cw;
        return {b0 / a0 + guard, b1 / a0 + guard, b0 / a0 + guard, 2.0 * cw / a0 + guard,
                -(1.0 - alpha) / a0 + guard};
    }

    static double Filter(const Coefficients& k, double* z, double x) {
        const double y = k.b0 * x + z[0];
        z[0] = k.b1 * x + z[1] + k.na1 * y;
        z[1] = k.b2 * x + k.na2 * y;
        return y;
    }

    static float PushPop(std::vector<float>& ring, int& pos, float x) {
        const float y = ring[pos];
        ring[pos] = x;
        pos = (pos + 1) % static_cast<int>(ring.size());
        return y;
    }

    static void Ramp(double& copy, double value, int n, double& start, double& step) {
        if (std::fabs(value - copy) >= 1e-50) {
            start = copy;
            step = (value - copy) / n;
            copy = value;
        } else {
            start = value;
            step = 0.0;
        }
    }

    // The LFO cycle read with linear interpolation between its 8192 entries.
    double Lookup(double phase) const {
        double s = std::fmod(phase * 8192.0, 8192.0);
        if (s < 0.0) s += 8192.0;
        const int64_t i = static_cast<int64_t>(s);
        const float f = static_cast<float>(s - static_cast<double>(i));
        const int k = static_cast<int>(i & 8191);
        return (1.0f - f) * m_lfo[k] + f * m_lfo[k + 1];
    }

    static float CubicRead(const std::vector<float>& d, int i, double t64) {
        const int S = static_cast<int>(d.size());
        const float t = static_cast<float>(t64);
        const float xm1 = d[(i - 1 + S) % S], x0 = d[i], x1 = d[(i + 1) % S], x2 = d[(i + 2) % S];
        return ((((x0 - x1) * 3.0f - xm1 + x2) * 0.5f * t + (2.0f * x1 + xm1 - (5.0f * x0 + x2) * 0.5f)) * t +
                (x1 - xm1) * 0.5f) *
                   t +
               x0;
    }

    double Kernel(double d) const {
        const int j = static_cast<int>(128.0 * d);
        const double g = 128.0 * d - j;
        return (1.0 - g) * m_sincTable[j] + g * m_sincTable[j + 1];
    }

    float SincRead(const std::vector<float>& d, int i, double t) const {
        const int S = static_cast<int>(d.size());
        double sum = 0.0;
        for (int k = 0; k <= 18; ++k) sum += d[((i - k) % S + S) % S] * Kernel(k + t);
        for (int k = 1; k <= 18; ++k) sum += d[(i + k) % S] * Kernel(k - t);
        return static_cast<float>(sum);
    }

    int m_channels;
    double m_fs;
    bool m_sinc;
    const float* m_lfo;
    const double* m_sincTable;
    double m_maxRange = 0, m_current = 0, m_target = 0, m_step = 0, m_R = 0;
    int m_M = 5;
    bool m_dryDelay = false;
    Coefficients m_lp{}, m_hp{};
    std::vector<Channel> m_state;
    double m_phase = 0.0, m_increment = 0.0;
    double m_depthCopy = 1.0, m_feedbackCopy = 0.0, m_jetCopy = 0.0, m_jetPhaseCopy = 0.0;
};

// One scenario: settings per block (the first also prepares), block sizes, input gain.
struct Scenario {
    const char* name;
    int channels;
    bool sinc;
    double gain;
    double shape;
    std::vector<int> blocks;
    std::vector<Settings> settings; // one per block
    double shapeAtBlock2 = -1.0;    // a shape change there arms the LFO declickers
};

bool NeedsUpdate(const Settings& a, const Settings& b) {
    return a.mode != b.mode || a.range != b.range || a.rate != b.rate || a.delay != b.delay ||
           a.minFrequency != b.minFrequency || a.maxFrequency != b.maxFrequency ||
           a.saturation != b.saturation;
}

int Total(const Scenario& s) {
    int n = 0;
    for (int b : s.blocks) n += b;
    return n;
}

// Runs the effect through a scenario; general selects the unspecialised loop.
Channels RunEffect(const Scenario& sc, bool general, const Channels& input) {
    YEffectFrameSettings frame;
    frame.Sinc = sc.sinc ? 1 : 0;
    auto effect = MakeEffect(sc.settings[0], sc.channels, 48000.0, &frame, sc.shape);
    effect->SetGeneralPathOnly(general);
    Channels in = input, out(sc.channels, std::vector<float>(in[0].size()));
    int offset = 0;
    for (size_t b = 0; b < sc.blocks.size(); ++b) {
        if (b > 0) {
            Apply(*effect, sc.settings[b]);
            if (NeedsUpdate(sc.settings[b - 1], sc.settings[b])) effect->Update();
        }
        if (b == 2 && sc.shapeAtBlock2 >= 0.0) effect->Generator().SetValue(sc.shapeAtBlock2);
        ProcessBlock(*effect, in, out, offset, sc.blocks[b]);
        offset += sc.blocks[b];
    }
    return out;
}

Channels RunReference(const Scenario& sc, const Channels& in) {
    YSignalGenerator generator;
    generator.SetValue(sc.shape);
    generator.Refresh();
    ReferenceFlanger ref(sc.channels, 48000.0, sc.sinc, generator.Table(), YAudioFilters::SincTable());
    Channels out(sc.channels, std::vector<float>(in[0].size()));
    int offset = 0;
    for (size_t b = 0; b < sc.blocks.size(); ++b) {
        if (b == 0 || NeedsUpdate(sc.settings[b - 1], sc.settings[b])) ref.Update(sc.settings[b]);
        ref.Process(sc.settings[b], in, out, offset, sc.blocks[b]);
        offset += sc.blocks[b];
    }
    return out;
}

std::vector<Scenario> GoldenScenarios() {
    const std::vector<int> blocks = {256, 100, 1, 333, 64};
    std::vector<Scenario> list;
    auto same = [&](const Settings& s) { return std::vector<Settings>(blocks.size(), s); };

    list.push_back({"defaults", 2, false, 0.5, 5.0, blocks, same(Settings{})});

    Settings fast;
    fast.rate = std::log10(7.0);
    fast.range = 0.003;
    fast.feedback = 0.7;
    fast.phaseDifference = 0.25;
    list.push_back({"sinc, fast sweep, feedback", 2, true, 0.5, 2.5, blocks, same(fast)});

    Settings sat = fast;
    sat.saturation = 0.7;
    sat.feedback = -0.6;
    sat.delay = 0.0025;
    sat.minFrequency = std::log10(200.0);
    sat.maxFrequency = std::log10(5000.0);
    list.push_back({"saturation driven past 1", 2, false, 1.6, 5.0, blocks, same(sat)});

    Settings jet = fast;
    jet.jet = 0.8;
    jet.jetPhase = 0.3;
    std::vector<Settings> jets = same(jet);
    jets[2].jet = -0.5;
    jets[3].jet = -0.5;
    jets[3].jetPhase = 0.9;
    jets[4].jet = 0.0;
    list.push_back({"jet ramps through both signs", 2, false, 0.5, 9.3, blocks, jets});

    Settings moving = fast;
    std::vector<Settings> ramps = same(moving);
    ramps[1].depth = -1.5;
    ramps[1].feedback = 0.9;
    ramps[2].range = 0.002; // glides from 144 to 96 samples
    ramps[3] = ramps[2];
    ramps[3].depth = 0.3;
    ramps[4] = ramps[3];
    ramps[4].range = 0.00201;
    list.push_back({"depth and feedback ramps, range glide", 2, false, 0.5, 5.0, blocks, ramps});

    Settings tape = fast;
    tape.mode = V::kModeTape2;
    tape.range = 0.0012;
    tape.phaseDifference = -0.3;
    list.push_back({"tape 2, negative phase difference, 3 channels", 3, false, 0.5, 3.7, blocks, same(tape)});

    Settings all = tape;
    all.mode = V::kModeTape;
    all.saturation = 0.4;
    all.jet = -0.6;
    all.delay = 0.001;
    std::vector<Settings> alls = same(all);
    alls[2].depth = 1.8;
    alls[3].depth = 1.8;
    alls[3].range = 0.0005;
    alls[4] = alls[3];
    list.push_back({"tape, sinc, saturation, jet, glide, 4 channels", 4, true, 0.8, 11.0, blocks, alls});
    return list;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Processing

TEST(VornikAudioEffectPlugin, MatchesAPlainTranscriptionOfTheAlgorithm) {
    for (const Scenario& sc : GoldenScenarios()) {
        SCOPED_TRACE(sc.name);
        const Channels in = TestSignal(sc.channels, Total(sc), sc.gain);
        const Channels expected = RunReference(sc, in);
        const Channels actual = RunEffect(sc, false, in);
        double worst = 0.0, energy = 0.0;
        for (int c = 0; c < sc.channels; ++c) {
            for (size_t i = 0; i < in[c].size(); ++i) {
                ASSERT_TRUE(std::isfinite(actual[c][i]));
                worst = std::max(worst, std::fabs(static_cast<double>(actual[c][i]) - expected[c][i]));
                energy += expected[c][i] * expected[c][i];
            }
        }
        EXPECT_LT(worst, 2e-6);
        EXPECT_GT(energy, 1.0); // the scenario produced signal, not silence
    }
}

TEST(VornikAudioEffectPlugin, SpecialisedLoopsGiveTheGeneralLoopsNumbers) {
    // The golden scenarios, then every combination of the loop's five choices, each once more
    // with equal LFOs (bit 5), which lets a pair of lanes share its work.
    std::vector<Scenario> scenarios = GoldenScenarios();
    for (int combo = 0; combo < 64; ++combo) {
        Settings s;
        s.rate = std::log10(3.0);
        s.feedback = 0.5;
        s.phaseDifference = combo % 3 == 0 || (combo & 32) ? 0.0 : 0.125;
        if (combo & 2) s.saturation = 0.6;
        if (combo & 4) s.jet = 0.7, s.jetPhase = 0.2;
        if (combo & 8) s.mode = V::kModeTape2;
        std::vector<Settings> per(3, s);
        if (combo & 16) {
            per[1].depth = -0.4;
            per[1].feedback = -0.8;
            per[2] = per[1];
            per[2].range = 0.002;
        }
        // With equal LFOs the shape also changes at the third block, which sets the declickers
        // going: the lanes then leave the short cut that plans reads straight from the LFO.
        scenarios.push_back(
            {"combination", 2, (combo & 1) != 0, 0.9, 5.0, {200, 57, 300}, per, (combo & 32) ? 9.0 : -1.0});
    }
    Settings declicked;
    declicked.rate = std::log10(4.0);
    declicked.range = 0.005;
    declicked.phaseDifference = -0.2;
    scenarios.push_back({"shape change, 3 channels, long blocks",
                         3,
                         false,
                         0.5,
                         5.0,
                         {700, 300, 1000, 513},
                         std::vector<Settings>(4, declicked),
                         12.0});
    for (size_t k = 0; k < scenarios.size(); ++k) {
        const Scenario& sc = scenarios[k];
        SCOPED_TRACE(testing::Message() << sc.name << " " << k);
        const Channels in = TestSignal(sc.channels, Total(sc), sc.gain, 11 + static_cast<uint32_t>(k));
        const Channels general = RunEffect(sc, true, in);
        const Channels fast = RunEffect(sc, false, in);
        for (int c = 0; c < sc.channels; ++c)
            ASSERT_EQ(0, std::memcmp(general[c].data(), fast[c].data(), sizeof(float) * general[c].size()))
                << "channel " << c;
    }
}
