// Host parameters of the signal generator: each adapter publishes a group of its settings as
// consecutive host indices with normalised values. Every write marks the generator dirty.
#pragma once

#include "core/YParameterAdapters.h"

#include <cstdint>

class YSignalGenerator;

// One published value: its name, its default and the mapping to and from 0 ... 1.
struct YSignalGeneratorValue {
    // How the value is shown: the shape names, a fraction or a phase in cycles, the last two
    // either as is or after mapping back to −1 ... 1.
    enum class Text { Shape, Percent, BipolarPercent, Cycles, BipolarCycles };

    const char* Name;
    double (*Get)(const YSignalGenerator& generator, int32_t harmonic);
    void (*Set)(YSignalGenerator& generator, int32_t harmonic, double normalized);
    double DefaultNormalized;
    Text Display;
    int32_t Harmonic; // 2 ... 8 for the harmonic values, else 0
};

class YSignalGeneratorParameterBase : public ParameterSpecialBase<YSignalGenerator, void> {
public:
    YSignalGeneratorParameterBase(const ParameterAdapterSetup& setup, YSignalGenerator& generator,
                                  const YSignalGeneratorValue* values, int32_t count);

    void SetParameter(int32_t local, double normalized, bool silent) override;
    double GetParameter(int32_t local) override;
    void GetParameterName(YString& out, int32_t local) override;
    void GetParameterValueName(YString& out, int32_t local) override;
    void GetParameterValueNameFrom01(YString& out, int32_t local, double normalized) override;
    double GetParameterDefaultValue(int32_t local) override;
    bool IsRandomizable() override { return Record().IsRandomizable(); }
    void Randomize(double amount, bool force = false) override;

private:
    const YSignalGeneratorValue* Value(int32_t local) const noexcept;

    const YSignalGeneratorValue* m_values;
};

// "Shape": the position in the shape bank, value / 15.
class YSignalGeneratorShapeParameter : public YSignalGeneratorParameterBase {
public:
    YSignalGeneratorShapeParameter(const ParameterAdapterSetup& setup, YSignalGenerator& generator);
};

// "Custom morph": the amount of the hand-drawn shape.
class YSignalGeneratorCustomMorphParameter : public YSignalGeneratorParameterBase {
public:
    YSignalGeneratorCustomMorphParameter(const ParameterAdapterSetup& setup, YSignalGenerator& generator);
};

// "Step sequencer": the amount of the step sequencer.
class YSignalGeneratorStepSequencerParameter : public YSignalGeneratorParameterBase {
public:
    YSignalGeneratorStepSequencerParameter(const ParameterAdapterSetup& setup, YSignalGenerator& generator);
};

// "Smoothness".
class YSignalGeneratorSmoothnessParameter : public YSignalGeneratorParameterBase {
public:
    YSignalGeneratorSmoothnessParameter(const ParameterAdapterSetup& setup, YSignalGenerator& generator);
};

// "Transformations": Phase, Skew, Full skew and Halve, each (v + 1) / 2.
class YSignalGeneratorTransformationsParameter : public YSignalGeneratorParameterBase {
public:
    YSignalGeneratorTransformationsParameter(const ParameterAdapterSetup& setup, YSignalGenerator& generator);
};

// "Shape harmonics": for harmonics 2 ... 8 the amount, (v + 1) / 2, and the phase as is.
class YSignalGeneratorHarmonicsParameter : public YSignalGeneratorParameterBase {
public:
    YSignalGeneratorHarmonicsParameter(const ParameterAdapterSetup& setup, YSignalGenerator& generator);
};
