// YMIDIControllerMap: the user's MIDI assignments and what they do. 32 controller slots drive
// parameters through the shared range mapping, 32 note controllers turn keys into values, and
// one controller steps through presets. As a MIDI listener it receives the normalised events of
// the plug-in's MIDI processor on the processing thread; nothing on that path allocates or
// waits. Parameter writes go through the automated setter so that hosts record them.
#pragma once

#include "core/YMIDIProcessorBase.h"
#include "core/YSPSCQueue.h"
#include "foundation/YString.h"

#include <atomic>
#include <cstdint>

// One MIDI controller assignment: a controller (or aftertouch, pitch-bend, velocity) drives a
// parameter through a range rule.
struct YMIDIControllerAssignment {
    // Sources beyond the 128 controller numbers.
    static constexpr int32_t kAftertouch = 128;
    static constexpr int32_t kPitchBend = 129;
    static constexpr int32_t kVelocityOnAndOff = 130;
    static constexpr int32_t kVelocityOn = 131;

    bool Enabled = false;
    YString ParameterName;
    double Value = 0.0;
    double MaxValue = 0.0;
    double Range = 1.0;
    int32_t Channel = 0; // 1 ... 16; 0 accepts every channel
    int32_t Controller = 1;
    int32_t RangeMode = 2; // "Up and down", "Full range", "Up only", "Down only", "Interval"
    bool Invert = false;
};

// One note controller: keys drive a parameter.
struct YMIDINoteController {
    bool Enabled = false;
    YString ParameterName;
    // "Linear", "Logarithmic", "On/Off", "On/Off (all octaves)", "Switch", "Switch (all octaves)"
    int32_t Mode = 0;
    int32_t Channel = 0; // 0: any channel
    int32_t Note = 48;
    double MinValue = 0.0;
    double MaxValue = 1.0;
};

// The controller that steps through presets.
struct YMIDIPresetSwitchController {
    bool Enabled = false;
    int32_t Controller = 0;
    int32_t Channel = 0;    // 0: any channel
    double LastValue = 0.5; // not stored
};

class YParameterLookup;
class YParameterSetter;
struct YStorer;

class YMIDIControllerMap : public YMIDIProcessorBase {
public:
    static constexpr int32_t kControllerSlots = 32;
    static constexpr int32_t kNoteControllerSlots = 32;
    static constexpr int32_t kSourceCount = 132; // 0..127 controllers, then the four below
    // A full pitch-bend moves the note controllers' pitch by this many semitones either way.
    static constexpr double kPitchBendSemitones = 2.0;
    static constexpr uint32_t kLearnQueueSize = 64;
    static constexpr uint32_t kPresetStepQueueSize = 16;

    enum NoteMode : int32_t {
        kNoteLinear = 0,
        kNoteLogarithmic = 1,
        kNoteOnOff = 2,
        kNoteOnOffAllOctaves = 3,
        kNoteSwitch = 4,
        kNoteSwitchAllOctaves = 5,
        kNoteModeCount = 6,
    };
    static const char* NoteModeName(int32_t mode) noexcept;
    // "Aftertouch", "Pitch-bend", ... for 128..131, nullptr for the controller numbers.
    static const char* SourceName(int32_t source) noexcept;

    // A controller message seen while learning: channel 1..16 and source number.
    struct Learned {
        int32_t Channel = 0;
        int32_t Controller = 0;
    };

    // Told on the processing thread after a learned pair was queued; must neither block nor
    // allocate (post a request to the GUI thread and return).
    class LearnListener {
    public:
        virtual ~LearnListener() = default;
        virtual void OnMIDILearnQueued() noexcept = 0;
    };

    YMIDIControllerMap();
    ~YMIDIControllerMap() override;

    // --- The assignments (GUI side, under the plug-in's parameter lock) ---

    bool ControllersEnabled = false;
    bool NoteControllersEnabled = false;
    YMIDIControllerAssignment Controllers[kControllerSlots];
    YMIDINoteController NoteControllers[kNoteControllerSlots];
    YMIDIPresetSwitchController PresetSwitch;

    // A slot is kept (and stored) while it is enabled or still names a parameter.
    static bool InUse(const YMIDIControllerAssignment& slot) noexcept;
    static bool InUse(const YMIDINoteController& slot) noexcept;
    // The first controller slot not in use, -1 when all 32 are ("Sorry, all controllers are
    // already in use.").
    int32_t FreeControllerSlot() const noexcept;

    // Finds the host index of every slot's parameter; a name that no longer resolves drives
    // nothing. Run after every load and every edit of a name.
    void Resolve(const YParameterLookup& lookup);
    int32_t ControllerTarget(int32_t slot) const noexcept;
    int32_t NoteControllerTarget(int32_t slot) const noexcept;

    // Where the writes go (not owned; none: nothing is written).
    void SetParameterSetter(YParameterSetter* setter) noexcept { m_setter = setter; }

    // Forgets the processing-side memory: switch toggles, last notes, pitch-bend offsets and
    // the preset switch's last value (0.5).
    void ResetPlayingState() noexcept;

    // --- Stored form (Store directions of the storer) ---

    // On the state root: "ControllersEnabled", "NoteControllersEnabled" and the child
    // "PreviousNextPresetController".
    void StoreSwitches(const YStorer& root);
    // On the state root: the items "Controllers" and "NoteControllers" with one numbered child
    // per slot in use. Reading resets every slot and fills those that have a child; without
    // the item the table stays as it is.
    void StoreAssignments(const YStorer& root);

    // --- Learning: filled on the processing thread, read on the GUI side ---

    void SetLearning(bool on) noexcept { m_learning.store(on, std::memory_order_release); }
    bool IsLearning() const noexcept { return m_learning.load(std::memory_order_acquire); }
    void SetLearnListener(LearnListener* listener) noexcept { m_learnListener = listener; }
    bool TakeLearned(Learned& learned) noexcept { return m_learned.Pop(learned); }

    // Preset steps (-1 previous, +1 next) the preset switch asked for, for the GUI thread.
    bool TakePresetStep(int32_t& step) noexcept;
    // Entries a full ring had to drop since creation.
    uint32_t DroppedLearned() const noexcept { return m_learned.Dropped(); }
    uint32_t DroppedPresetSteps() const noexcept { return m_presetSteps.Dropped(); }
    // Steps queued since creation (processing thread), to see whether a block queued any.
    uint32_t PresetStepsQueued() const noexcept { return m_presetStepsQueued; }

    // --- Events (processing thread); channels 0..15, others are ignored ---

    // A controller value 0..1 from any source 0..131.
    void ApplyController(int32_t channel, int32_t source, double value) noexcept;

    void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) override;
    void OnController(int32_t channel, int32_t controller, double value) override;
    // value -1..1.
    void OnPitchBend(int32_t channel, double value) override;
    void OnChannelAftertouch(int32_t channel, double value) override;

    // The position 0..1 a key (plus a pitch offset in semitones) gives in the Linear or
    // Logarithmic note mode.
    static double NotePosition(int32_t mode, double note) noexcept;

private:
    static bool ValidChannel(int32_t channel) noexcept { return channel >= 0 && channel < 16; }
    static bool Hears(int32_t slotChannel, int32_t channel) noexcept {
        return slotChannel == 0 || slotChannel == channel + 1;
    }
    void Set(int32_t index, double value) noexcept;
    void EvaluatePitchControllers(int32_t channel) noexcept;
    void CheckPresetSwitch(int32_t channel, int32_t source, double value) noexcept;

    YParameterSetter* m_setter = nullptr;
    LearnListener* m_learnListener = nullptr;
    int32_t m_controllerTargets[kControllerSlots];
    int32_t m_noteTargets[kNoteControllerSlots];
    bool m_switchOn[kNoteControllerSlots] = {};
    int32_t m_lastNote[16];
    double m_bendSemitones[16] = {};
    std::atomic<bool> m_learning{false};
    YSPSCQueue<Learned, kLearnQueueSize> m_learned;
    YSPSCQueue<int8_t, kPresetStepQueueSize> m_presetSteps;
    uint32_t m_presetStepsQueued = 0;
};
