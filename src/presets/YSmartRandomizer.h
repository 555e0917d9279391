// YSmartRandomizer: new settings bred from the presets of one folder. A base preset is drawn,
// then a few donors, each merged into the result item by item, every choice one step of the
// shared random state, so that a seeded run gives the same settings again.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"

#include <cstdint>
#include <memory>
#include <vector>

class YPresetTree;

class YSmartRandomizer {
public:
    static constexpr const char* kFolderName = "Randomizer";
    static constexpr const char* kMultiFolderName = "Randomizer Multi";

    // Where the presets come from: "Randomizer Multi" when the tree has one (the multi
    // variant), else "Randomizer"; the first folder of that name in tree order. folder is
    // null when there is neither.
    struct Source {
        const YXMLItem* folder = nullptr;
        bool multi = false;
    };
    static Source FindSource(YPresetTree& tree);

    // Donors for n presets: multi n / 2 within 1 ... 8; otherwise trunc(n^0.3333) within 1 ... 5.
    static int32_t DonorCount(int32_t presets, bool multi);
    // One draw among count candidates: (state >> 16) modulo count, one step of the state.
    static int32_t Draw(int32_t count);

    // Merges donor into result: the donor's text replaces result's with probability 1/2, each
    // donor attribute replaces or joins result's with 1/2, a child matched by name (the k-th of
    // its name to the k-th) is taken over with 7/8 (an item without children is copied, one
    // with children merged the same way), and an unmatched donor child is added with 1/2.
    static void Merge(YXMLItem& result, const YXMLItem& donor);

    // The whole draw over the presets of a folder (the settings trees, decoded in the
    // order they are drawn). Null with fewer than 2 presets. Raises when a drawn preset's
    // content cannot be read. drawn, when given, receives the positions in presets of the base
    // and the donors in the order they were drawn.
    static std::unique_ptr<YXMLDocument> Generate(const std::vector<const YXMLItem*>& presets, bool multi,
                                                  std::vector<int32_t>* drawn = nullptr);

    // Decision bits of the state: bit 16 for 1/2, bits 16 to 18 not all zero for 7/8.
    static bool OneInTwo() noexcept;
    static bool SevenInEight() noexcept;
};
