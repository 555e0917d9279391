// YVST3ControllerValues: the values a VST 3 host gave the edit controller with
// setParamNormalized, one slot per host parameter. A host reads back what it set at once, long
// before the processor has seen it; a slot holds the host's value until the processor receives
// a different one for that parameter, the plug-in reports one itself, or a state replaces them
// all. Every operation is lock-free, so the audio thread can release slots.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class YVST3ControllerValues {
public:
    // Values closer than this to the held one count as the same (as the plug-in compares).
    static constexpr double kSameValue = 1e-7;

    // Makes count empty slots; not while another thread uses the slots.
    void Reset(size_t count);
    size_t Count() const noexcept { return m_count; }

    // Holds value (finite) in the slot; slots out of range are ignored.
    void Hold(size_t slot, double value) noexcept;
    // Whether the slot holds a value, and which.
    bool Held(size_t slot, double& value) const noexcept;
    // Drops the slot's value.
    void Release(size_t slot) noexcept;
    // The processor received value: drops the slot's value unless it is the same.
    void ReleaseUnlessSame(size_t slot, double value) noexcept;
    void ReleaseAll() noexcept;

private:
    std::unique_ptr<std::atomic<uint64_t>[]> m_slots;
    size_t m_count = 0;
};
