// YVST3OutputChanges: parameter changes that start on the audio thread (MIDI controllers,
// preset triggers, switch ramps) on their way to a VST 3 host, which forbids calls to its
// component handler there. The block's changes go out with the process call's output
// parameter changes; the GUI thread later tells the component handler, so the host's own
// controls follow. Every table is made by Reset: posting and delivering never allocate.
#pragma once

#include "entry/vst3/Vst3Abi.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class YVST3OutputChanges {
public:
    // One slot per host parameter, with its ID; not while another thread uses the table.
    void Reset(const Vst3::ParamID* ids, size_t count);
    size_t Count() const noexcept { return m_count; }

    // Audio thread: the plug-in set the slot's parameter to value during this block.
    void Post(size_t slot, double value) noexcept;
    // Audio thread, end of the block: adds the block's changes (the last value of each, at the
    // block's start) to the host's list, which may be null; empties the block's list.
    void Deliver(Vst3::IParameterChanges* changes) noexcept;
    // GUI thread: tell(id, value) for every change the component handler has not heard yet,
    // the latest value of each.
    template <typename Tell> void Drain(Tell&& tell) {
        for (size_t i = 0; i < m_count; ++i) {
            // Cleared before the value is read: a newer post raises the flag again.
            if (!m_unheard[i].exchange(false, std::memory_order_acq_rel)) continue;
            tell(m_ids[i], m_latest[i].load(std::memory_order_acquire));
        }
    }

private:
    std::unique_ptr<Vst3::ParamID[]> m_ids;
    std::unique_ptr<std::atomic<double>[]> m_latest;
    std::unique_ptr<std::atomic<bool>[]> m_unheard;
    // The audio thread's own list for the block: slots in order of first change, their values.
    std::unique_ptr<uint32_t[]> m_block;
    std::unique_ptr<double[]> m_blockValue;
    std::unique_ptr<bool[]> m_inBlock;
    size_t m_blockCount = 0;
    size_t m_count = 0;
};
