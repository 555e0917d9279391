#include "effect/VornikAudioEffectPlugin.h"

#include "foundation/YXMLItem.h"
#include "support/AllocationCounting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using V = VornikAudioEffectPlugin;
using Channels = std::vector<std::vector<float>>;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Deterministic test signal: noise plus a tone, amplitude about `gain`.
Channels TestSignal(int channels, int frames, double gain, uint32_t seed = 7) {
    Channels out(channels, std::vector<float>(frames));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < frames; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = static_cast<double>(seed >> 8) / (1u << 23) - 1.0;
            out[c][i] = static_cast<float>(gain * (0.6 * noise + 0.4 * std::sin(0.031 * i * (c + 1))));
        }
    }
    return out;
}

// Every parameter the tests set, in the records' internal units.
struct Settings {
    int32_t mode = V::kModeDefault;
    double depth = 1.0;
    double range = 0.0008;
    double rate = std::log10(0.2);
    double feedback = 0.0;
    double phaseDifference = 0.0;
    double delay = 0.0;
    double minFrequency = std::log10(40.0);
    double maxFrequency = std::log10(20000.0);
    double jet = 0.0;
    double jetPhase = 0.0;
    double saturation = 0.0;
};

void Apply(V& effect, const Settings& s) {
    effect.Parameter(V::kMode).Enum.Value = s.mode;
    effect.Parameter(V::kDepth).Float.Value = s.depth;
    effect.Parameter(V::kRange).Float.Value = s.range;
    effect.Parameter(V::kRate).Float.Value = s.rate;
    effect.Parameter(V::kFeedback).Float.Value = s.feedback;
    effect.Parameter(V::kPhaseDifference).Float.Value = s.phaseDifference;
    effect.Parameter(V::kDelay).Float.Value = s.delay;
    effect.Parameter(V::kMinFrequency).Float.Value = s.minFrequency;
    effect.Parameter(V::kMaxFrequency).Float.Value = s.maxFrequency;
    effect.Parameter(V::kJet).Float.Value = s.jet;
    effect.Parameter(V::kJetPhase).Float.Value = s.jetPhase;
    effect.Parameter(V::kSaturation).Float.Value = s.saturation;
}

// A prepared effect (command 100) with the settings applied and the LFO table built.
std::unique_ptr<V> MakeEffect(const Settings& s, int channels, double fs, const YEffectFrameSettings* frame,
                              double shape = 5.0) {
    auto effect = std::make_unique<V>();
    effect->SetFrameSettings(frame);
    Apply(*effect, s);
    effect->Generator().SetValue(shape);
    YEffectArguments args;
    args.SetInteger(0, channels);
    args.SetPointer(1, &fs);
    EXPECT_EQ(effect->HandleCommand(kEffectPrepare, &args), 0);
    effect->Generator().Refresh();
    return effect;
}

void ProcessBlock(V& effect, Channels& in, Channels& out, int offset, int frames) {
    std::vector<float*> ins, outs;
    for (auto& ch : in) ins.push_back(ch.data() + offset);
    for (auto& ch : out) outs.push_back(ch.data() + offset);
    YProcessingContext context;
    effect.Process(context, ins.data(), outs.data(), frames);
}

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
        int tape = 0;
        if (s.mode == V::kModeTape) tape = static_cast<int>(m_current * 0.5);
        if (s.mode == V::kModeTape2) tape = static_cast<int>(m_current);
        m_dryDelay = tape >= 1 || m_sinc;
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
                ch.pre.assign(std::max(1, static_cast<int>(m_fs * s.delay)), 0.0f);
                ch.line.assign(static_cast<size_t>(2.0 * m_R + m_M), 0.0f);
                ch.dry.assign((m_sinc ? 18 : 1) + tape, 0.0f);
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
// Parameter table

TEST(VornikAudioEffectPlugin, ParameterTableHoldsTheFlangerRecords) {
    V effect;
    ASSERT_EQ(effect.ParameterCount(), 16);
    struct Row {
        int index;
        const char* id;
        const char* name;
        double min, max, def;
        ParameterShape shape;
        bool interpolable, markOwner, randomizable;
    };
    const Row rows[] = {
        {V::kDepth, "Depth", "Depth", -2.0, 2.0, 1.0, kShapeLinear, false, false, true},
        {V::kRange, "Range2", "Range", 0.0, 0.01, 0.0008, kShapeSquare, false, true, true},
        {V::kRate, "rate", "Rate", -2.0, 1.3010299956639813, -0.6989700043360187, kShapeLinear, false, true,
         true},
        {V::kFeedback, "Feedback", "Feedback", -1.0, 1.0, 0.0, kShapeLinear, false, false, true},
        {V::kPhaseDifference, "phasediff", "Phase difference", -1.0, 1.0, 0.0, kShapeLinear, true, false,
         true},
        {V::kDelay, "Delay", "Delay", 0.0, 0.02, 0.0, kShapeLinear, true, true, true},
        {V::kMinFrequency, "MinFreq", "Min frequency", 1.3010299956639813, 4.301029995663981,
         1.6020599913279625, kShapeLinear, true, true, false},
        {V::kMaxFrequency, "MaxFreq", "Max frequency", 1.3010299956639813, 4.301029995663981,
         4.301029995663981, kShapeLinear, true, true, false},
        {V::kJet, "TremoloDepth", "Jet", -1.0, 1.0, 0.0, kShapeLinear, false, false, true},
        {V::kJetPhase, "TremoloPhase", "Jet phase", 0.0, 1.0, 0.0, kShapeLinear, false, false, true},
        {V::kSaturation, "Saturation", "Saturation", 0.0, 1.0, 0.0, kShapeLinear, false, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const PluginParameter& p = effect.Parameter(r.index);
        EXPECT_EQ(p.Kind, kParameterFloat);
        EXPECT_EQ(p.ID, YString::Literal(r.id));
        EXPECT_EQ(p.Name, YString::Literal(r.name));
        EXPECT_DOUBLE_EQ(p.Float.Min, r.min);
        EXPECT_DOUBLE_EQ(p.Float.Max, r.max);
        EXPECT_DOUBLE_EQ(p.Float.Default, r.def);
        EXPECT_EQ(p.Float.Value, p.Float.Default);
        EXPECT_EQ(p.Float.Processing, p.Float.Default);
        EXPECT_EQ(p.Float.Shape, r.shape);
        EXPECT_EQ(p.IsInterpolable(), r.interpolable);
        EXPECT_EQ((p.FlagsA & PluginParameter::kMarkOwner) != 0, r.markOwner);
        EXPECT_EQ(p.IsRandomizable(), r.randomizable);
        EXPECT_NE(p.FlagsA & PluginParameter::kDefined, 0);
        EXPECT_NE(p.FlagsA & PluginParameter::kPublish, 0);
        EXPECT_NE(p.TextFunction, nullptr);
    }
    const PluginParameter& mode = effect.Parameter(V::kMode);
    EXPECT_EQ(mode.Kind, kParameterEnum);
    EXPECT_EQ(mode.ID, YString("Mode"));
    EXPECT_EQ(mode.Enum.Count, 3);
    EXPECT_EQ(mode.Enum.Default, 0);
    EXPECT_NE(mode.FlagsA & PluginParameter::kMarkOwner, 0);

    // The host-sync records follow at 12 ... 15.
    EXPECT_EQ(effect.Parameter(12).ID, YString("sync"));
    EXPECT_EQ(effect.Parameter(13).ID, YString("synclength__"));
    EXPECT_EQ(effect.Parameter(14).ID, YString("synctype"));
    EXPECT_EQ(effect.Parameter(15).ID, YString("syncphase"));

    ASSERT_EQ(effect.SpecialParameterCount(), 1);
    EXPECT_EQ(effect.SpecialParameters()[0].Name, YString("Shape"));
    EXPECT_EQ(effect.SpecialParameters()[0].Kind, kParameterSpecial);
}

TEST(VornikAudioEffectPlugin, ShapeRecordPublishesTheGeneratorShape) {
    V effect;
    ASSERT_EQ(effect.SpecialParameterCount(), 1);
    PluginParameter& record = effect.SpecialParameters()[0];
    EXPECT_EQ(record.Special.Object, static_cast<YParameterSpecialObject*>(&effect.Generator()));
    EXPECT_NE(record.FlagsA & PluginParameter::kPublish, 0);

    ParameterAdapterSetup setup;
    setup.Owner = &effect;
    setup.Record = &record;
    setup.Index = V::kParameterCount;
    std::unique_ptr<YAudioPluginAutomationAdapter> adapter = CreateParameterAdapter(setup);
    ASSERT_NE(adapter, nullptr);
    ASSERT_EQ(adapter->IndexCount(), 1);
    YString name;
    adapter->GetParameterName(name, 0);
    EXPECT_EQ(name, YString("Shape"));

    // Default "Sine" is bank position 5 of 15.
    EXPECT_NEAR(adapter->GetParameter(0), 5.0 / 15.0, 1e-12);
    EXPECT_NEAR(adapter->GetParameterDefaultValue(0), 5.0 / 15.0, 1e-12);
    effect.Generator().Refresh();
    const float* table = effect.Generator().Table();
    EXPECT_NEAR(table[1024], std::sin(kPi / 4.0), 1e-4);

    // A host write moves the generator to "Triangle" and its next rebuild follows.
    adapter->SetParameter(0, 1.0 / 15.0, false);
    EXPECT_NEAR(effect.Generator().GetValue(), 1.0, 1e-9);
    EXPECT_TRUE(effect.Generator().IsDirty());
    EXPECT_TRUE(effect.Generator().Refresh());
    EXPECT_NEAR(table[1024], 0.5, 1e-4);
    EXPECT_NEAR(table[2048], 1.0, 1e-4);
    EXPECT_NEAR(adapter->GetParameter(0), 1.0 / 15.0, 1e-12);

    // And the generator's own changes read back through the adapter.
    effect.Generator().SetValue(15.0);
    EXPECT_NEAR(adapter->GetParameter(0), 1.0, 1e-12);
}

TEST(VornikAudioEffectPlugin, HelpTextsAreTheProductTexts) {
    V effect;
    const std::pair<int, const char*> texts[] = {
        {V::kMode, "<name>Mode</name> determines the way flange effect is performed. Default mode works by "
                   "mixing slightly variably delayed signal with the original. Tape modes, also known as "
                   "through-null, delay the input signal appropriately as well. They simulate the original "
                   "way flanging was performed using 2 tapes, tampering one with fingers."},
        {V::kDepth, "<name>Depth</name> defines how powerful the effect is. Note that it also affects the "
                    "amount of dry signal."},
        {V::kRange, "<name>Range</name> defines flanging frequency delay line size."},
        {V::kRate, "<name>Rate</name> defines speed of the low frequency oscillator. This is available only "
                   "when synchronization to host is disabled."},
        {V::kFeedback,
         "<name>Feedback</name> determines how much of the signal is returned to the input after "
         "the delay time."},
        {V::kPhaseDifference, "<name>Phase difference</name> defines phase difference between particular "
                              "channels. This is very simple and often practical way to accomplish some kind "
                              "of stereo expansion."},
        {V::kDelay, "<name>Delay</name> defines delay applied on the flanging signal."},
        {V::kMinFrequency, "<name>Min frequency</name> defines minimal flanging signal frequency."},
        {V::kMaxFrequency, "<name>Max frequency</name> defines maximal flanging signal frequency."},
        {V::kJet, "<name>Jet</name> defines how powerful additional tremolo effect is. It affects which part "
                  "of the flaging signal is passed."},
        {V::kJetPhase, "<name>Jet phase</name> defines phase offset of the tremolo generator to the flange "
                       "shape generator."},
        {V::kSaturation,
         "<name>Saturation</name> defines amount of saturation applied on the flanging signal."},
    };
    for (const auto& [index, text] : texts)
        EXPECT_EQ(effect.Parameter(index).Description, YString::Literal(text));
}

TEST(VornikAudioEffectPlugin, ValueTextsAndEnumerationMapping) {
    V effect;
    PluginParameter& depth = effect.Parameter(V::kDepth);
    const std::pair<double, const char*> depths[] = {{1.0, "100% wet, 100% dry"},
                                                     {2.0, "100% wet, 0% dry"},
                                                     {-1.5, "-100% wet, 50% dry"},
                                                     {0.5, "50% wet, 100% dry"},
                                                     {0.005, "1% wet, 100% dry"}};
    for (const auto& [value, text] : depths) {
        depth.Float.Value = value;
        YString out;
        depth.GetValueText(out);
        EXPECT_EQ(out, YString::Literal(text)) << value;
    }
    depth.ParseValueText("-50");
    EXPECT_DOUBLE_EQ(depth.Float.Value, -0.5);

    PluginParameter& mode = effect.Parameter(V::kMode);
    const std::pair<double, int> positions[] = {{0.0, 0}, {0.2, 0}, {0.5, 1}, {0.83, 2}, {1.0, 2}};
    for (const auto& [x, index] : positions) {
        mode.SetNormalized(x);
        EXPECT_EQ(mode.Enum.Value, index) << x;
    }
    YString name;
    mode.GetValueText(name);
    EXPECT_EQ(name, YString("Tape 2"));
    EXPECT_EQ(mode.ParseValueText("Tape"), 0.5);
    EXPECT_EQ(mode.ParseValueText("Tape 2"), 1.0);
    EXPECT_EQ(mode.ParseValueText("Default"), 0.0);
    EXPECT_EQ(mode.ParseValueText("Cassette"), 0.0);

    // Range: square shape, shown in ms; Rate and the frequencies typed in Hz.
    PluginParameter& range = effect.Parameter(V::kRange);
    YString text;
    range.GetValueText(text);
    EXPECT_EQ(text, YString("0.80 ms"));
    range.SetNormalized(0.5);
    EXPECT_DOUBLE_EQ(range.Float.Value, 0.0025);
    PluginParameter& rate = effect.Parameter(V::kRate);
    rate.ParseValueText("2");
    EXPECT_NEAR(rate.Float.Value, std::log10(2.0), 1e-15);
    rate.ParseValueText("-3");
    EXPECT_NEAR(rate.Float.Value, std::log10(2.0), 1e-15);
    PluginParameter& phase = effect.Parameter(V::kPhaseDifference);
    phase.ParseValueText("90");
    EXPECT_DOUBLE_EQ(phase.Float.Value, 0.25);
}

// ---------------------------------------------------------------------------------------------
// Update

TEST(VornikAudioEffectPlugin, UpdateDerivesRangeFiltersAndLineSizes) {
    struct Case {
        double fs;
        Settings s;
        bool sinc;
        double range;
        int tape, preLength, lineLength, dryLength;
    };
    auto with = [](auto f) {
        Settings s;
        f(s);
        return s;
    };
    const Case cases[] = {
        // Defaults at 48 kHz: 38.4 samples; R = 481, line 2R + 5.
        {48000.0, Settings{}, false, 38.4, 0, 1, 967, 1},
        {48000.0, Settings{}, true, 38.4, 0, 1, 1001, 18},
        // Range 0 still sweeps one sample; Delay 0 still delays by one.
        {48000.0, with([](Settings& s) { s.range = 0.0; }), false, 1.0, 0, 1, 967, 1},
        {44100.0, with([](Settings& s) { s.range = 0.01, s.mode = V::kModeTape2; }), false, 441.0, 441, 1,
         889, 442},
        {44100.0, with([](Settings& s) { s.range = 0.001, s.mode = V::kModeTape; }), false, 44.1, 22, 1, 889,
         23},
        {48000.0, with([](Settings& s) { s.range = 0.001, s.mode = V::kModeTape, s.delay = 0.02; }), true,
         48.0, 24, 960, 1001, 42},
        {96000.0, with([](Settings& s) { s.delay = 0.0031; }), false, 76.8, 0, 297, 1927, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fs << " range " << c.s.range << " mode " << c.s.mode);
        YEffectFrameSettings frame;
        frame.Sinc = c.sinc ? 1 : 0;
        auto effect = MakeEffect(c.s, 2, c.fs, &frame);
        EXPECT_DOUBLE_EQ(effect->MaximumRange(), c.fs * 0.01);
        EXPECT_DOUBLE_EQ(effect->CurrentRange(), c.range);
        EXPECT_DOUBLE_EQ(effect->TargetRange(), c.range);
        EXPECT_EQ(effect->RangeStep(), 0.0);
        EXPECT_EQ(effect->TapeDelay(), c.tape);
        EXPECT_EQ(effect->SincInterpolation(), c.sinc);
        EXPECT_EQ(effect->DryDelayed(), c.tape >= 1 || c.sinc);
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(effect->PreDelayLine(ch).Length(), c.preLength);
            EXPECT_EQ(effect->ModulatedLine(ch).Length(), c.lineLength);
            EXPECT_EQ(effect->ModulatedLine(ch).Margin(), c.sinc ? 39 : 5);
            EXPECT_EQ(effect->DryLine(ch).Length(), c.dryLength);
        }
        EXPECT_EQ(effect->LowPass().FilterType(), YBiquadFilterDesign::kLowPass);
        EXPECT_EQ(effect->HighPass().FilterType(), YBiquadFilterDesign::kHighPass);
        EXPECT_NEAR(effect->HighPass().Frequency(), 40.0, 1e-9);
        EXPECT_NEAR(effect->LowPass().Frequency(), 20000.0, 1e-9);
        EXPECT_EQ(effect->LowPass().Q(), 0.7);
    }
}

TEST(VornikAudioEffectPlugin, UpdateWaitsForASampleRate) {
    V effect;
    effect.Parameter(V::kRange).Float.Value = 0.005;
    effect.Update();
    EXPECT_EQ(effect.CurrentRange(), 0.0);
    EXPECT_EQ(effect.ModulatedLine(0).Length(), 0);
    EXPECT_EQ(effect.LowPass().ChangeCounter(), 0u);
    // Process before any preparation leaves the signal alone.
    Channels in = TestSignal(1, 16, 0.5), out(1, std::vector<float>(16, 9.0f));
    ProcessBlock(effect, in, out, 0, 16);
    EXPECT_EQ(out[0], std::vector<float>(16, 9.0f)); // no channels prepared: nothing written
}

TEST(VornikAudioEffectPlugin, RangeGlidesAtOneHundredthSamplePerSample) {
    auto effect = MakeEffect(Settings{}, 1, 48000.0, nullptr);
    EXPECT_DOUBLE_EQ(effect->CurrentRange(), 38.4);
    // 100 samples more: 10 000 samples of glide.
    effect->Parameter(V::kRange).Float.Value = (38.4 + 100.0) / 48000.0;
    effect->Update();
    EXPECT_NEAR(effect->TargetRange(), 138.4, 1e-9);
    EXPECT_DOUBLE_EQ(effect->RangeStep(), 0.01);
    Channels in(1, std::vector<float>(10000, 0.0f)), out = in;
    ProcessBlock(*effect, in, out, 0, 5000);
    EXPECT_NEAR(effect->CurrentRange(), 88.4, 1e-6);
    EXPECT_DOUBLE_EQ(effect->RangeStep(), 0.01);
    ProcessBlock(*effect, in, out, 5000, 4999);
    EXPECT_LT(effect->CurrentRange(), 138.4);
    ProcessBlock(*effect, in, out, 9999, 1);
    EXPECT_DOUBLE_EQ(effect->CurrentRange(), effect->TargetRange());
    EXPECT_EQ(effect->RangeStep(), 0.0);

    // A difference below one step is reached in one sample; downwards as well.
    effect->Parameter(V::kRange).Float.Value = (138.4 - 0.004) / 48000.0;
    effect->Update();
    EXPECT_NEAR(effect->RangeStep(), -0.004, 1e-9);
    ProcessBlock(*effect, in, out, 0, 1);
    EXPECT_NEAR(effect->CurrentRange(), effect->TargetRange(), 1e-9);
    // Landing on the target going down settles on the next sample, before any read sees it.
    ProcessBlock(*effect, in, out, 1, 1);
    EXPECT_EQ(effect->CurrentRange(), effect->TargetRange());
    EXPECT_EQ(effect->RangeStep(), 0.0);
    effect->Parameter(V::kRange).Float.Value = 10.0 / 48000.0;
    effect->Update();
    EXPECT_DOUBLE_EQ(effect->RangeStep(), -0.01);
}

TEST(VornikAudioEffectPlugin, LegacyParameterRangeLoadsAsRange) {
    auto effect = MakeEffect(Settings{}, 2, 48000.0, nullptr);
    YXMLItem item("settings");
    item.SetAttribute("parameterRange", "0.02");
    effect->Load(item);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.0008);
    item.SetAttribute("parameterRange", "0.1");
    effect->Load(item);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.004);
    // Load runs Update: the new range is the glide's target.
    EXPECT_NEAR(effect->TargetRange(), 192.0, 1e-9);
    // Absurd values stay inside the record's range.
    item.SetAttribute("parameterRange", "7");
    effect->Load(item);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.01);

    // Without the attribute Range stays as it is.
    YXMLItem plain("settings");
    effect->Parameter(V::kRange).Float.Value = 0.003;
    effect->Load(plain);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.003);
}

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

TEST(VornikAudioEffectPlugin, ProcessingInPlaceGivesTheSameSignal) {
    Settings s;
    s.mode = V::kModeTape;
    s.feedback = 0.6;
    s.saturation = 0.3;
    s.jet = 0.5;
    s.phaseDifference = 0.1;
    auto apart = MakeEffect(s, 3, 48000.0, nullptr);
    auto inPlace = MakeEffect(s, 3, 48000.0, nullptr);
    Channels in = TestSignal(3, 1200, 0.5), out(3, std::vector<float>(1200)), buffer = in;
    ProcessBlock(*apart, in, out, 0, 700);
    ProcessBlock(*apart, in, out, 700, 500);
    ProcessBlock(*inPlace, buffer, buffer, 0, 700);
    ProcessBlock(*inPlace, buffer, buffer, 700, 500);
    EXPECT_EQ(buffer, out);
}

TEST(VornikAudioEffectPlugin, AChannelReadingAnotherChannelsOutputHearsThatOutput) {
    // Channel 1 reads the buffer channel 0 writes: one channel after the other, channel 1 takes
    // channel 0's output as its input. The specialised loops must not read it before it is written.
    Settings s;
    s.feedback = 0.5;
    const Channels signal = TestSignal(2, 700, 0.5);
    Channels results[2];
    for (int general = 0; general < 2; ++general) {
        auto effect = MakeEffect(s, 2, 48000.0, nullptr);
        effect->SetGeneralPathOnly(general != 0);
        std::vector<float> a = signal[0], shared(700), c(700);
        float* ins[2] = {a.data(), shared.data()};
        float* outs[2] = {shared.data(), c.data()};
        YProcessingContext context;
        for (int offset = 0; offset < 700; offset += 350) {
            float* in[2] = {ins[0] + offset, ins[1] + offset};
            float* out[2] = {outs[0] + offset, outs[1] + offset};
            effect->Process(context, in, out, 350);
        }
        results[general] = {shared, c};
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_GT(std::fabs(results[0][1][600]), 0.0f);
}

TEST(VornikAudioEffectPlugin, ChannelPhaseOffsetsStartFromTheLowestChannel) {
    // Channel phases: pd = −0.25 → 2.0 and 1.75 cycles; pd = 0.25 → 0 and 0.25. Each channel
    // must therefore sound like channel 0 of a run whose single LFO sits at that phase mod 1.
    Settings base;
    base.rate = std::log10(5.0);
    base.range = 0.004;
    base.depth = 2.0; // wet only
    const Channels in = [] {
        Channels one = TestSignal(1, 2048, 0.5);
        return Channels{one[0], one[0]};
    }();
    auto run = [&](double pd) {
        Settings s = base;
        s.phaseDifference = pd;
        auto effect = MakeEffect(s, 2, 48000.0, nullptr);
        Channels copy = in, out(2, std::vector<float>(2048));
        for (int b = 0; b < 8; ++b) ProcessBlock(*effect, copy, out, b * 256, 256);
        return out;
    };
    auto maxDifference = [](const std::vector<float>& a, const std::vector<float>& b) {
        double worst = 0.0;
        for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(double(a[i]) - b[i]));
        return worst;
    };
    const Channels zero = run(0.0), quarter = run(0.25), back = run(-0.25), threeQuarters = run(0.75);
    EXPECT_EQ(maxDifference(zero[0], quarter[0]), 0.0);
    EXPECT_LT(maxDifference(zero[0], back[0]), 1e-5);          // 2.0 cycles
    EXPECT_LT(maxDifference(threeQuarters[1], back[1]), 1e-5); // 1.75 cycles
    EXPECT_GT(maxDifference(quarter[0], quarter[1]), 1e-2);    // the offset is audible
    EXPECT_GT(maxDifference(zero[1], quarter[1]), 1e-2);
}

TEST(VornikAudioEffectPlugin, DryPathDelayFollowsModeAndInterpolation) {
    struct Case {
        int mode;
        bool sinc;
        double range;
        int expectedDelay;
    };
    const Case cases[] = {
        {V::kModeDefault, false, 0.0008, 0},   {V::kModeDefault, true, 0.0008, 18},
        {V::kModeTape2, false, 0.0008, 39},    {V::kModeTape, false, 0.0008, 20},
        {V::kModeTape2, true, 0.002, 18 + 96}, {V::kModeTape, false, 0.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " sinc " << c.sinc);
        Settings s;
        s.mode = c.mode;
        s.range = c.range;
        s.depth = 0.0; // no wet signal: the output is the dry path alone
        YEffectFrameSettings frame;
        frame.Sinc = c.sinc ? 1 : 0;
        auto effect = MakeEffect(s, 1, 48000.0, &frame);
        Channels in(1, std::vector<float>(256, 0.0f)), out = in;
        in[0][10] = 1.0f;
        ProcessBlock(*effect, in, out, 0, 256);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(out[0][i], i == 10 + c.expectedDelay ? 1.0f : 0.0f) << i;
    }
}

TEST(VornikAudioEffectPlugin, SaturationZeroKeepsTheWetPathLinear) {
    auto peakRatio = [](double saturation) {
        Settings s;
        s.saturation = saturation;
        s.depth = 2.0;
        s.feedback = 0.5;
        auto a = MakeEffect(s, 1, 48000.0, nullptr);
        auto b = MakeEffect(s, 1, 48000.0, nullptr);
        Channels in = TestSignal(1, 1024, 0.4), in2 = in;
        for (float& x : in2[0]) x *= 2.0f;
        Channels outA(1, std::vector<float>(1024)), outB = outA;
        for (int k = 0; k < 4; ++k) {
            ProcessBlock(*a, in, outA, k * 256, 256);
            ProcessBlock(*b, in2, outB, k * 256, 256);
        }
        double worst = 0.0;
        for (int i = 0; i < 1024; ++i) worst = std::max(worst, std::fabs(2.0 * outA[0][i] - outB[0][i]));
        return worst;
    };
    EXPECT_LT(peakRatio(0.0), 1e-5);
    EXPECT_GT(peakRatio(1.0), 0.05);
    EXPECT_GT(peakRatio(0.2), 0.01);
}

TEST(VornikAudioEffectPlugin, NonFiniteInputDoesNotStayInTheLoop) {
    const float bad[] = {std::nanf(""), INFINITY, -INFINITY, 3e38f};
    for (float value : bad) {
        SCOPED_TRACE(value);
        Settings s;
        s.mode = V::kModeTape2;
        s.range = 0.01;
        s.delay = 0.02;
        s.feedback = 0.97;
        s.saturation = 0.3;
        auto effect = MakeEffect(s, 2, 48000.0, nullptr);
        const int block = 256, blocks = 24, total = block * blocks;
        Channels in = TestSignal(2, total, 0.5), out(2, std::vector<float>(total));
        const int badAt = 3 * block + 17;
        in[0][badAt] = value;
        in[0][badAt + 40] = value;
        for (int b = 0; b < blocks; ++b) ProcessBlock(*effect, in, out, b * block, block);
        // The longest line here is the 20 ms pre-delay (960 samples).
        int longest = 0;
        for (int c = 0; c < 2; ++c)
            longest = std::max({longest, effect->PreDelayLine(c).Length(), effect->ModulatedLine(c).Length(),
                                effect->DryLine(c).Length()});
        const int finiteFrom = badAt + 40 + 1 + longest + block;
        ASSERT_LT(finiteFrom, total - 2 * block);
        for (int i = finiteFrom; i < total; ++i) ASSERT_TRUE(std::isfinite(out[0][i])) << i;
        // The effect works again afterwards, and the other channel never noticed.
        double energy = 0.0;
        for (int i = total - block; i < total; ++i) energy += out[0][i] * out[0][i];
        EXPECT_GT(energy, 1.0);
        for (float y : out[1]) ASSERT_TRUE(std::isfinite(y));
    }
}

TEST(VornikAudioEffectPlugin, NothingNonFiniteReachesTheOutput) {
    // One channel; and a stereo pair at default settings, whose specialised loop watches its
    // own outputs. 3e38 overflows only on the way out and into the line, never in the filters.
    struct Case {
        int channels;
        double feedback;
        float bad;
    };
    for (const Case& c : {Case{1, -0.9, std::nanf("")}, Case{2, 0.5, std::nanf("")}, Case{2, 0.5, INFINITY},
                          Case{2, 0.5, 3e38f}}) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.bad);
        Settings s;
        s.feedback = c.feedback;
        auto effect = MakeEffect(s, c.channels, 48000.0, nullptr);
        Channels in = TestSignal(c.channels, 1024, 0.5), out(c.channels, std::vector<float>(1024));
        in[0][300] = c.bad;
        in[0][301] = c.bad;
        for (int b = 0; b < 4; ++b) ProcessBlock(*effect, in, out, b * 256, 256);
        for (int i = 0; i < 256; ++i) EXPECT_NE(out[0][i], 0.0f) << i;   // the clean block before
        for (int i = 256; i < 512; ++i) EXPECT_EQ(out[0][i], 0.0f) << i; // the block that carried it
        for (int i = 512; i < 1024; ++i) ASSERT_TRUE(std::isfinite(out[0][i])) << i;
        for (int ch = 1; ch < c.channels; ++ch)
            for (int i = 0; i < 1024; ++i) ASSERT_TRUE(std::isfinite(out[ch][i]) && out[ch][i] != 0.0f) << i;
    }
}

TEST(VornikAudioEffectPlugin, FiltersStayStableAtLowSampleRates) {
    // 20 kHz lies beyond Nyquist at 32 kHz; the designs must not blow up.
    Settings s;
    s.feedback = 0.5;
    s.depth = 2.0;
    for (double fs : {22050.0, 32000.0}) {
        auto effect = MakeEffect(s, 1, fs, nullptr);
        Channels in = TestSignal(1, 8192, 0.5), out(1, std::vector<float>(8192));
        for (int b = 0; b < 32; ++b) ProcessBlock(*effect, in, out, b * 256, 256);
        double peak = 0.0;
        for (float y : out[0]) peak = std::max(peak, std::fabs(double(y)));
        EXPECT_LT(peak, 4.0) << fs;
        EXPECT_GT(peak, 0.1) << fs;
    }
}

TEST(VornikAudioEffectPlugin, TailSilentWatchesTheModulatedLines) {
    V unprepared;
    EXPECT_TRUE(unprepared.TailSilent()); // no channels
    auto effect = MakeEffect(Settings{}, 2, 48000.0, nullptr);
    EXPECT_TRUE(effect->TailSilent());
    Channels in(2, std::vector<float>(256, 0.0f)), out = in;
    in[1][100] = 1e-19f;
    ProcessBlock(*effect, in, out, 0, 256);
    EXPECT_FALSE(effect->TailSilent());
    in[1][100] = 0.0f;
    // One second of silence lets the filters settle far below the threshold.
    for (int b = 0; b < 200; ++b) ProcessBlock(*effect, in, out, 0, 256);
    EXPECT_TRUE(effect->TailSilent());
    YEffectArguments args;
    EXPECT_EQ(effect->HandleCommand(kEffectTailSilent, &args), 1);
}

TEST(VornikAudioEffectPlugin, ProcessAllocatesNothing) {
    Settings s;
    s.saturation = 0.5;
    s.jet = 0.4;
    s.mode = V::kModeTape;
    YEffectFrameSettings frame;
    frame.Sinc = 1;
    auto effect = MakeEffect(s, 8, 48000.0, &frame);
    Channels in = TestSignal(8, 4096, 0.5), out(8, std::vector<float>(4096));
    ProcessBlock(*effect, in, out, 0, 256); // the LFO scratch may grow on the first block
    float* ins[8];
    float* outs[8];
    const YProcessingContext context;
    const uint64_t before = AllocationCounting::Count();
    for (int b = 1; b < 16; ++b) {
        effect->Parameter(V::kDepth).Float.Value = 1.0 - b * 0.1;
        effect->Parameter(V::kFeedback).Float.Value = b * 0.05;
        effect->Parameter(V::kJet).Float.Value = -0.5 + b * 0.05;
        for (int c = 0; c < 8; ++c) {
            ins[c] = in[c].data() + b * 256;
            outs[c] = out[c].data() + b * 256;
        }
        effect->Process(context, ins, outs, 256);
    }
    EXPECT_EQ(AllocationCounting::Count(), before);
}

TEST(VornikAudioEffectPlugin, UpdateAfterPrepareAllocatesNothing) {
    YEffectFrameSettings frame;
    auto effect = MakeEffect(Settings{}, 8, 48000.0, &frame);
    const uint64_t before = AllocationCounting::Count();
    effect->Parameter(V::kDelay).Float.Value = 0.02;
    effect->Parameter(V::kMode).Enum.Value = V::kModeTape2;
    effect->Parameter(V::kRange).Float.Value = 0.01;
    effect->Update();
    frame.Sinc = 1;
    effect->Update();
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_EQ(effect->PreDelayLine(7).Length(), 960);
    EXPECT_EQ(effect->ModulatedLine(7).Length(), 2 * 481 + 39);
}

TEST(VornikAudioEffectPlugin, PrepareClearsHistoryButKeepsSizes) {
    Settings s;
    s.delay = 0.001;
    auto effect = MakeEffect(s, 2, 48000.0, nullptr);
    Channels in = TestSignal(2, 512, 0.5), out(2, std::vector<float>(512));
    ProcessBlock(*effect, in, out, 0, 512);
    EXPECT_FALSE(effect->TailSilent());
    EXPECT_EQ(effect->Prepare(2, 48000.0), 0);
    EXPECT_TRUE(effect->TailSilent());
    EXPECT_EQ(effect->PreDelayLine(0).Length(), 48);
    EXPECT_EQ(effect->CurrentRange(), 0.0);
    for (int i = 0; i < effect->PreDelayLine(1).Length(); ++i)
        EXPECT_EQ(effect->PreDelayLine(1).Data()[i], 0.0f);
}
