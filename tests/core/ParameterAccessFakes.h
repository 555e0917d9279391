// Parameter spaces for model tests: a named list of values that records every write.
#pragma once

#include "core/YParameterAccess.h"

#include <cstdint>
#include <vector>

class FakeParameters : public YParameterLookup, public YParameterSetter {
public:
    struct Write {
        int32_t Index;
        double Value;
        bool Automated;
    };

    explicit FakeParameters(std::vector<const char*> names) : m_names(std::move(names)), m_values(m_names.size(), 0.0) {
        m_writes.reserve(4096);
    }

    int32_t FindParameter(const YString& name) const override {
        for (size_t i = 0; i < m_names.size(); ++i)
            if (name == YString::Literal(m_names[i])) return static_cast<int32_t>(i);
        return -1;
    }
    YString ParameterName(int32_t index) const override { return YString::Literal(m_names.at(static_cast<size_t>(index))); }
    YString ParameterValueText(int32_t index) const override {
        return YString::FromDouble(m_values.at(static_cast<size_t>(index)), 3) + YString(" units");
    }
    double ParameterValue(int32_t index) const override { return m_values.at(static_cast<size_t>(index)); }

    void SetParameter(int32_t index, double value) noexcept override { Record(index, value, false); }
    void SetParameterAutomated(int32_t index, double value) noexcept override { Record(index, value, true); }

    double Value(int32_t index) const { return m_values.at(static_cast<size_t>(index)); }
    const std::vector<Write>& Writes() const { return m_writes; }
    void ClearWrites() { m_writes.clear(); }

private:
    void Record(int32_t index, double value, bool automated) noexcept {
        if (index < 0 || static_cast<size_t>(index) >= m_values.size()) return;
        m_values[static_cast<size_t>(index)] = value;
        if (m_writes.size() < m_writes.capacity()) m_writes.push_back({index, value, automated});
    }

    std::vector<const char*> m_names;
    std::vector<double> m_values;
    std::vector<Write> m_writes;
};
