// The two faces of the host-parameter space that multiparameters and MIDI controllers need,
// kept abstract so that they can be built and tested without a plug-in: names are resolved to
// indices on the GUI side, values are written on the processing thread.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

// Finding and describing parameters (GUI side: may allocate).
class YParameterLookup {
public:
    virtual ~YParameterLookup() = default;
    // The host index of the parameter with that name (or ID), -1 when there is none.
    virtual int32_t FindParameter(const YString& name) const = 0;
    virtual YString ParameterName(int32_t index) const = 0;
    // Text of the current value, as the host shows it.
    virtual YString ParameterValueText(int32_t index) const = 0;
    // Current normalised value.
    virtual double ParameterValue(int32_t index) const = 0;
};

// Writing normalised values (processing thread: implementations neither allocate nor wait).
class YParameterSetter {
public:
    virtual ~YParameterSetter() = default;
    // A plain write, as a parameter adapter's SetParameter.
    virtual void SetParameter(int32_t index, double value) noexcept = 0;
    // A write the host records as automation (MIDI control).
    virtual void SetParameterAutomated(int32_t index, double value) noexcept = 0;
};
