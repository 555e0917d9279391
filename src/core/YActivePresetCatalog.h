// YActivePresetCatalog: the active presets a product offers, as the frame sees them. The file
// they come from is read by the presets layer; the core sees only this face and a loader
// that the creating layer hands to the plug-in before its initialisation.
#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <memory>

class YXMLItem;

class YActivePresetCatalog {
public:
    virtual ~YActivePresetCatalog() = default;
    virtual int32_t Count() const noexcept = 0;
    // The name shown for an active preset. Raises "Index out of range." outside 0..Count-1.
    virtual YString DisplayName(int32_t index) const = 0;
    // Its settings in the state layout (root "settings"). Raises as DisplayName.
    virtual const YXMLItem& Settings(int32_t index) const = 0;
};

class YActivePresetLoader {
public:
    virtual ~YActivePresetLoader() = default;
    // The product's active presets; null when the product has none (no file). Raises with the
    // file's name and the fault when the file cannot be read.
    virtual std::unique_ptr<YActivePresetCatalog> Load(const YString& productName) const = 0;
};
