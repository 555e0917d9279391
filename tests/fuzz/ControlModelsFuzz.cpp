// Feeds arbitrary bytes, read as a state document, to the multiparameter and MIDI-controller
// models. Whatever the bytes, reading either succeeds or raises YException; what was read then
// drives parameters only with values in 0..1, and writing it out, reading that back and
// writing again gives the same tree.
#include "core/YMIDIControllerMap.h"
#include "core/YMultiParameter.h"
#include "core/YParameterAccess.h"
#include "core/YStoreFields.h"
#include "core/YStorer.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "modulation/YEnvelopePositionCurve.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr int32_t kParameters = 8;

class CheckedParameters : public YParameterLookup, public YParameterSetter {
public:
    int32_t FindParameter(const YString& name) const override {
        for (int32_t i = 0; i < kParameters; ++i)
            if (name == YStoreFields::Numbered("p", i)) return i;
        return -1;
    }
    YString ParameterName(int32_t index) const override { return YStoreFields::Numbered("p", index); }
    YString ParameterValueText(int32_t index) const override { return YString::FromDouble(ParameterValue(index), 3); }
    double ParameterValue(int32_t index) const override { return index >= 0 && index < kParameters ? m_values[index] : 0.0; }
    void SetParameter(int32_t index, double value) noexcept override { Check(index, value); }
    void SetParameterAutomated(int32_t index, double value) noexcept override { Check(index, value); }

private:
    void Check(int32_t index, double value) noexcept {
        if (index < 0 || index >= kParameters || !(value >= 0.0 && value <= 1.0)) __builtin_trap();
        m_values[index] = value;
    }
    double m_values[kParameters] = {};
};

struct Models {
    YEnvelopePositionCurveFactory curves;
    YMultiParameter multi[4] = {YMultiParameter(&curves), YMultiParameter(&curves), YMultiParameter(&curves),
                                YMultiParameter(&curves)};
    YMIDIControllerMap map;

    void Store(const YStorer& root) {
        map.StoreSwitches(root);
        map.StoreAssignments(root);
        const YStorer table = root.Child("MultiParameters");
        if (table.Item == nullptr) return;
        for (int32_t n = 0; n < 4; ++n) {
            const YString name = YStoreFields::Numbered("MultiParameter", n);
            YXMLItem* child = root.IsWriting() ? &table.Item->GetOrCreateChild(name) : table.Item->FindChild(name);
            if (child != nullptr) multi[n].Store(YStorer{root.IsWriting(), child});
        }
    }
};

std::string Written(Models& models) {
    YXMLDocument document("settings");
    models.Store(YStorer{true, &document});
    YMemoryStream stream;
    document.Save(stream);
    return std::string(reinterpret_cast<const char*>(stream.GetData()), static_cast<size_t>(stream.GetSize()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 18)) return 0;
    YXMLDocument document;
    try {
        YMemoryStream stream(data, static_cast<int32_t>(size));
        document.LoadCompressed(stream);
    } catch (const YException&) {
        return 0;
    }
    Models models;
    try {
        models.Store(YStorer{false, &document});
    } catch (const YException&) {
        return 0;
    }

    CheckedParameters parameters;
    models.map.Resolve(parameters);
    models.map.SetParameterSetter(&parameters);
    for (int32_t c = 0; c < 16; ++c) {
        models.map.OnController(c, c * 8, 0.75);
        models.map.OnNote(c, 60 + c, 0.5, true, 1);
        models.map.OnPitchBend(c, 0.3);
        models.map.OnNote(c, 60 + c, 0.0, false, 0);
    }
    for (YMultiParameter& multi : models.multi) {
        multi.Resolve(parameters);
        multi.SetSampleRate(44100.0);
        multi.SetHostValue(0.8, parameters);
        multi.Advance(4410, parameters);
        multi.SetHostValue(0.1, parameters);
        multi.Advance(4410, parameters);
    }

    const std::string first = Written(models);
    Models again;
    YXMLDocument reread;
    YMemoryStream stream(first.data(), static_cast<int32_t>(first.size()));
    reread.Load(stream);
    again.Store(YStorer{false, &reread});
    if (Written(again) != first) __builtin_trap();
    return 0;
}
