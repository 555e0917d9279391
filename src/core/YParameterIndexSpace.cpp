#include "core/YParameterIndexSpace.h"

#include "foundation/YException.h"

#include <algorithm>
#include <climits>
#include <utility>

void YParameterIndexSpace::CheckPlacement(const Adapter* adapter, int32_t firstIndex) {
    if (adapter == nullptr || firstIndex < 0 || adapter->IndexCount() < 1) YRaiseIndexOutOfRange();
    const int64_t end = static_cast<int64_t>(firstIndex) + adapter->IndexCount();
    if (end > INT32_MAX) YRaiseIndexOutOfRange();
}

YParameterIndexSpace::Adapter& YParameterIndexSpace::Insert(std::unique_ptr<Adapter> adapter,
                                                            int32_t firstIndex) {
    CheckPlacement(adapter.get(), firstIndex);
    const int64_t end = static_cast<int64_t>(firstIndex) + adapter->IndexCount();
    auto position = std::upper_bound(
        m_adapters.begin(), m_adapters.end(), firstIndex,
        [](int32_t index, const std::unique_ptr<Adapter>& a) { return index < a->FirstIndex(); });
    if (position != m_adapters.end() && (*position)->FirstIndex() < end) YRaiseIndexOutOfRange();
    if (position != m_adapters.begin()) {
        const Adapter& before = **(position - 1);
        if (static_cast<int64_t>(before.FirstIndex()) + before.IndexCount() > firstIndex)
            YRaiseIndexOutOfRange();
    }
    adapter->SetFirstIndex(firstIndex);
    return **m_adapters.insert(position, std::move(adapter));
}

int32_t YParameterIndexSpace::End() const noexcept {
    if (m_adapters.empty()) return 0;
    const Adapter& last = *m_adapters.back();
    return last.FirstIndex() + last.IndexCount();
}

YParameterIndexSpace::Adapter* YParameterIndexSpace::At(int32_t number) const noexcept {
    if (number < 0 || number >= Count()) return nullptr;
    return m_adapters[static_cast<size_t>(number)].get();
}

int32_t YParameterIndexSpace::FindNumber(int32_t hostIndex) const noexcept {
    const int32_t count = Count();
    if (count == 0) return -1;
    if (count == 1 || hostIndex < m_adapters.front()->FirstIndex()) return 0;
    if (hostIndex >= m_adapters.back()->FirstIndex()) return count - 1;
    // Invariant: first index of low <= hostIndex < first index of high.
    int32_t low = 0;
    int32_t high = count - 1;
    while (high - low > 1) {
        const int32_t middle = low + (high - low) / 2;
        if (m_adapters[static_cast<size_t>(middle)]->FirstIndex() <= hostIndex)
            low = middle;
        else
            high = middle;
    }
    return low;
}

YParameterIndexSpace::Adapter& YParameterIndexSpace::Find(int32_t hostIndex, int32_t& local) const {
    const int32_t number = FindNumber(hostIndex);
    if (number < 0) YRaiseIndexOutOfRange();
    Adapter& adapter = *m_adapters[static_cast<size_t>(number)];
    // The search settles on the nearest adapter; an index outside it (gaps, beyond the end,
    // negative) must not reach the adapter as a local index it never published.
    const int64_t offset = static_cast<int64_t>(hostIndex) - adapter.FirstIndex();
    if (offset < 0 || offset >= adapter.IndexCount()) YRaiseIndexOutOfRange();
    local = static_cast<int32_t>(offset);
    return adapter;
}
