#include "core/YParameterInterpolation.h"

#include <cmath>
#include <cstddef>

void YParameterInterpolation::Rebuild() {
    m_records.clear();
    for (int32_t number = 0; number < m_space.Count(); ++number) {
        YParameterIndexSpace::Adapter& adapter = m_space[static_cast<size_t>(number)];
        for (int32_t local = 0; local < adapter.IndexCount(); ++local) {
            if (!adapter.IsInterpolable(local)) continue;
            Record record;
            record.Adapter = number;
            record.Local = local;
            m_records.push_back(record);
        }
    }
    m_inUse.clear();
    m_inUse.reserve(m_records.size());
    m_reset = true;
}

bool YParameterInterpolation::Prepare(int32_t frames) {
    m_inUse.clear();
    if (m_reset) {
        m_reset = false;
        for (Record& r : m_records) r.Previous = r.Target = AdapterOf(r).GetParameter(r.Local);
        return false;
    }
    for (size_t i = 0; i < m_records.size(); ++i) {
        Record& r = m_records[i];
        r.Target = AdapterOf(r).GetParameter(r.Local);
        r.Active = std::fabs(r.Target - r.Previous) > kThreshold;
        if (r.Active) m_inUse.push_back(static_cast<int32_t>(i));
    }
    if (m_inUse.empty() || frames < 2) {
        // The block runs at the targets, so the next ramp has to start from them.
        for (Record& r : m_records) {
            r.Previous = r.Target;
            r.Active = false;
        }
        m_inUse.clear();
        return false;
    }
    for (Record& r : m_records) {
        if (!r.Active) r.Previous = r.Target;
    }
    for (int32_t i : m_inUse) {
        Record& r = m_records[static_cast<size_t>(i)];
        YParameterIndexSpace::Adapter& adapter = AdapterOf(r);
        r.Step = (r.Target - r.Previous) / frames;
        r.Current = r.Previous;
        adapter.SetHold(r.Local, true);
        adapter.SetParameter(r.Local, r.Current, true);
    }
    return true;
}

void YParameterInterpolation::Advance(int32_t frames) {
    for (int32_t i : m_inUse) {
        Record& r = m_records[static_cast<size_t>(i)];
        r.Current += frames * r.Step;
        AdapterOf(r).SetParameter(r.Local, r.Current, true);
    }
}

void YParameterInterpolation::Finish() {
    for (Record& r : m_records) r.Previous = r.Target;
    for (int32_t i : m_inUse) {
        Record& r = m_records[static_cast<size_t>(i)];
        YParameterIndexSpace::Adapter& adapter = AdapterOf(r);
        adapter.SetHold(r.Local, false);
        adapter.SetParameter(r.Local, r.Target, true);
        r.Active = false;
    }
    m_inUse.clear();
}

void YParameterInterpolation::Sync() {
    if (m_reset) return; // the next prepare reads them anyway
    for (Record& r : m_records) r.Previous = r.Target = AdapterOf(r).GetParameter(r.Local);
}
