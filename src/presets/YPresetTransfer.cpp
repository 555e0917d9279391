#include "presets/YPresetTransfer.h"

#include "core/YAudioPlugin.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetTree.h"

#include <cstdint>
#include <vector>

YXMLItem& YPresetTransfer::StorePreset(YXMLItem& folder, const YString& name, YAudioPlugin& plugin) {
    std::vector<uint8_t> state;
    if (!plugin.SaveState(state) || state.empty()) YRaise("The plug-in could not save its settings.");
    // The state's bytes are already the compressed form a preset keeps.
    const YString encoded = YPresetContent::EncodeHex(state.data(), state.size());
    YXMLItem* preset = YPresetTree::FindPreset(folder, name);
    if (preset)
        preset->Clear();
    else
        preset = &folder.AddChild(YString::Literal(YPresetTree::kPresetItem));
    preset->SetAttribute(YString::Literal(YPresetContent::kNameAttribute), name);
    preset->SetAttribute(YString::Literal(YPresetContent::kCompressedAttribute), encoded);
    return *preset;
}

void YPresetTransfer::ApplyPreset(const YXMLItem& preset, YAudioPlugin& plugin) {
    std::vector<uint8_t> state;
    if (const YString* compressed = preset.FindAttribute(YString::Literal(YPresetContent::kCompressedAttribute))) {
        // Read whole (and its XML checked) before the plug-in sees any of it.
        YPresetContent::Decode(*compressed);
        state = YPresetContent::DecodeHex(*compressed);
    } else {
        YMemoryStream stream;
        YPresetContent::Settings(preset)->Save(stream, "utf-8", true);
        state.assign(stream.GetData(), stream.GetData() + stream.GetSize());
    }
    bool loaded = false;
    try {
        loaded = plugin.LoadState(state.data(), state.size());
    } catch (const YException& error) {
        YRaiseFormat(YException::kGeneral, "The preset \"{0}\" could not be applied. {1}", YPresetTree::ItemName(preset),
                     error.Message());
    }
    if (!loaded)
        YRaiseFormat(YException::kGeneral, "The preset \"{0}\" could not be applied. {1}", YPresetTree::ItemName(preset),
                     plugin.StateRefusal());
}
