// YMultiParameter: one host-automatable control that drives any number of parameters (its
// targets), each through its own range rule, optionally reshaped by a curve or replaced by
// per-bank values. Switch and Trigger modes move the control over time in audio frames, so a
// ramp takes the same time at any sample rate and host block size.
//
// Threads: edits, loads, Learn and Resolve run on the GUI side under the plug-in's parameter
// lock; SetHostValue, Advance and Apply run on the processing thread (or the host's parameter
// thread under that lock) and never allocate or wait.
#pragma once

#include "core/YPositionCurve.h"
#include "core/YRangeMapping.h"
#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <vector>

class YParameterLookup;
class YParameterSetter;
struct YStorer;

enum YMultiParameterMode : int32_t {
    kMultiParameterNormal = 0,
    kMultiParameterSwitch = 1,
    kMultiParameterTrigger = 2,
    kMultiParameterBanks = 3,
};

enum YMultiParameterValueMode : int32_t {
    kMultiParameterPercents = 0,
    kMultiParameterByFirstParameter = 1,
};

// One driven parameter.
struct YMultiParameterTarget {
    bool ParameterEnabled = true;
    YString ParameterName;
    YRange Range; // Value 0.5, MaxValue 1, Range 1, Up and down, not inverted
    bool UseFirstRange = false;
    bool ShapeEnabled = false;
    // Null is the identity; shared so that copies of a multiparameter stay cheap. Replaced,
    // never edited, while the processing thread may read it.
    std::shared_ptr<const YPositionCurve> Shape;
    // Banks mode: one normalised value per bank and whether to interpolate between them.
    bool Interpolate = false;
    std::vector<float> Banks;
    // The host index ParameterName resolved to, -1 when it did not.
    int32_t ParameterIndex = -1;
};

class YMultiParameter {
public:
    static constexpr int32_t kModeCount = 4;
    static constexpr int32_t kValueModeCount = 2;
    // Stored bank counts are limited to this, so a damaged state cannot demand memory without
    // bound; zero and negative counts read as 1.
    static constexpr int32_t kMaxBankCount = 128;

    static const char* ModeName(int32_t mode) noexcept;
    static const char* ValueModeName(int32_t mode) noexcept;

    // The factory makes the target curves when they are loaded or edited (not owned; may be
    // null, then every Shape is the identity and is not stored).
    explicit YMultiParameter(const YPositionCurveFactory* curves = nullptr);
    // Back to a new multiparameter's fields, keeping the curve factory and the sample rate.
    void ResetToDefaults();
    // Curves already made stay as they are.
    void SetCurveFactory(const YPositionCurveFactory* curves) noexcept { m_curves = curves; }

    // --- Fields (stored) ---
    YString Name;
    bool Enabled = false;
    YString Group;
    YString Info;
    int32_t Mode = kMultiParameterNormal;
    int32_t ValueMode = kMultiParameterPercents;
    double SwitchTime = 1.0; // seconds
    double DefaultValue = 0.5;
    std::vector<YMultiParameterTarget> Targets;

    double Value() const noexcept { return m_value; }
    int32_t BankCount() const noexcept { return m_bankCount; }
    // Limits the count to 1..kMaxBankCount and sizes every target's banks; new banks take the
    // target's Value.
    void SetBankCount(int32_t count);

    // Kept in the state while enabled, named or driving something.
    bool InUse() const noexcept { return Enabled || !Name.IsEmpty() || !Targets.empty(); }
    // A name starting with "*" hides the multiparameter from the active-preset editor.
    bool IsHidden() const noexcept { return !Name.IsEmpty() && Name[0] == u'*'; }
    bool ShownInActivePresetEditor() const noexcept { return !Name.IsEmpty() && !IsHidden(); }

    // --- Host parameter ---

    // Normal and Banks: the value moves to x (limited to 0..1) and the targets follow.
    // Switch and Trigger: x >= 0.5 presses the switch, below releases it; the movement runs in
    // Advance.
    void SetHostValue(double x, YParameterSetter& setter) noexcept;
    double HostValue() const noexcept { return m_value; }
    // "50.0%" in Percents mode, the first target's value text in By first parameter mode
    // (the percentage when there is no resolved first target).
    YString ValueText(const YParameterLookup& lookup) const;

    // --- Targets ---

    // The normalised value target i takes at position p.
    double TargetValue(size_t i, double p) const noexcept;
    // Writes every enabled, resolved target for the current value.
    void Apply(YParameterSetter& setter) const noexcept;
    // Finds each target's host index by name; run after every load and name edit.
    void Resolve(const YParameterLookup& lookup);
    // A copy of the curve of target i for editing, and the way to put an edited one back.
    std::unique_ptr<YPositionCurve> EditShape(size_t i) const;
    void SetShape(size_t i, std::unique_ptr<YPositionCurve> curve);

    // --- Switch and Trigger movements ---

    void SetSampleRate(double rate) noexcept;
    double SampleRate() const noexcept { return m_sampleRate; }
    void SetSwitch(bool on) noexcept;
    bool SwitchOn() const noexcept { return m_switchOn; }
    // Whether the next Advance will move the value: the frame then cuts fine sub-blocks.
    bool NeedsFineSteps() const noexcept;
    // Decides whether a movement starts, turns or stops, moves the value by frames at the
    // sample rate and applies the targets when it changed. Only Switch and Trigger move.
    void Advance(int32_t frames, YParameterSetter& setter) noexcept;

    // --- Learn ("Learn" and "Clear & Learn") ---

    void StartLearn(bool clearFirst);
    void StopLearn() noexcept { m_learning = false; }
    bool IsLearning() const noexcept { return m_learning; }
    // While learning: a parameter the user moved from before to after. The first move of a
    // parameter adds a target whose Interval runs from before to after; later moves extend it
    // to the newest value. Indices below 0 are ignored.
    void LearnParameterMoved(int32_t index, const YString& name, double before, double after);

    // --- Stored form, on the multiparameter's own item ---

    // Bank values in their stored text: float32 little-endian, zlib level 9, upper-case hex.
    static YString EncodeBanks(const std::vector<float>& banks);
    // Raises "Value doesn't have correct format." for text that does not decode. Reads at most
    // count values (limited to 0..1, non-finite ones as fill); missing ones take fill.
    static std::vector<float> DecodeBanks(const YString& text, int32_t count, float fill);

    // A target whose bank text does not decode keeps fill values and the load goes on; the
    // message is kept here for the caller to report (empty when all was well).
    void Store(const YStorer& storer);
    const YString& LoadProblem() const noexcept { return m_loadProblem; }

private:
    enum class Movement { kIdle, kRising, kFalling, kTriangle };

    void StoreTarget(const YStorer& storer, YMultiParameterTarget& target);
    double PositionAt(int64_t frames) const noexcept;
    // Whether a triangle is still on its way up after frames.
    bool PositionRising(int64_t frames) const noexcept;
    void StartMovement(Movement movement) noexcept;

    const YPositionCurveFactory* m_curves;
    double m_value = 0.5;
    int32_t m_bankCount = 4;
    bool m_learning = false;
    std::vector<int32_t> m_learnedIndices; // parameters moved since StartLearn
    YString m_loadProblem;

    // Movement state: the value at the movement's start and the frames since.
    double m_sampleRate = 44100.0;
    bool m_switchOn = false;
    bool m_triggerPending = false;
    Movement m_movement = Movement::kIdle;
    double m_movementStart = 0.0;
    int64_t m_movementFrames = 0;
};
