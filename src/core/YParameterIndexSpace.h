// YParameterIndexSpace: the flat host-parameter index space. Automation adapters own
// consecutive ranges of host indices; the space keeps them sorted by first index, refuses
// overlaps and maps a host index to its adapter and the local index there. Gaps between
// ranges are allowed. Not thread-safe: the plug-in guards it with its locks.
#pragma once

#include "core/YAudioPluginAutomationAdapter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class YParameterIndexSpace {
public:
    using Adapter = YAudioPluginAutomationAdapter;
    using Adapters = std::vector<std::unique_ptr<Adapter>>;

    // Raises "Index out of range." for a missing adapter, a negative first index, a width
    // below 1 or a range that ends beyond the largest index; nothing is placed then.
    static void CheckPlacement(const Adapter* adapter, int32_t firstIndex);

    // Takes ownership and places the adapter at firstIndex; raises "Index out of range." when
    // CheckPlacement does or when its range would overlap another adapter's.
    Adapter& Insert(std::unique_ptr<Adapter> adapter, int32_t firstIndex);
    void Clear() noexcept { m_adapters.clear(); }

    // The first index after the last adapter's range (0 when empty).
    int32_t End() const noexcept;
    int32_t Count() const noexcept { return static_cast<int32_t>(m_adapters.size()); }
    // Adapters in index order; null outside the table.
    Adapter* At(int32_t number) const noexcept;
    // Unchecked: 0 <= number < Count().
    Adapter& operator[](size_t number) const noexcept { return *m_adapters[number]; }
    Adapters::const_iterator begin() const noexcept { return m_adapters.begin(); }
    Adapters::const_iterator end() const noexcept { return m_adapters.end(); }

    // Binary search: the adapter with the largest first index not above hostIndex; the first
    // adapter below its range, the last at and beyond its first index; -1 when empty.
    int32_t FindNumber(int32_t hostIndex) const noexcept;
    // The adapter that covers hostIndex and the local index there; raises "Index out of
    // range." when no adapter covers it.
    Adapter& Find(int32_t hostIndex, int32_t& local) const;

private:
    Adapters m_adapters; // sorted by first index
};
