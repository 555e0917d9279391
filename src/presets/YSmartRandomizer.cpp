#include "presets/YSmartRandomizer.h"

#include "core/PluginParameter.h"
#include "foundation/YException.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetTree.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const YXMLItem* FindFolderAnywhere(YPresetTree& tree, const YString& name) {
    std::vector<const YXMLItem*> next{tree.TopFolder().GetFirstChild()};
    while (!next.empty()) {
        const YXMLItem* item = next.back();
        if (!item) {
            next.pop_back();
            continue;
        }
        next.back() = item->GetNextSibling();
        if (!YPresetTree::IsFolder(*item)) continue;
        if (YPresetTree::ItemName(*item) == name) return item;
        next.push_back(item->GetFirstChild());
    }
    return nullptr;
}

// The k-th child named like `child` within its own parent, and the k-th of that name in other.
YXMLItem* MatchingChild(YXMLItem& other, const YXMLItem& child) {
    int32_t rank = 0;
    for (const YXMLItem* before = child.GetPreviousSibling(); before; before = before->GetPreviousSibling())
        if (before->GetName() == child.GetName()) ++rank;
    for (YXMLItem& candidate : other.Children())
        if (candidate.GetName() == child.GetName() && rank-- == 0) return &candidate;
    return nullptr;
}

} // namespace

YSmartRandomizer::Source YSmartRandomizer::FindSource(YPresetTree& tree) {
    if (const YXMLItem* multi = FindFolderAnywhere(tree, YString::Literal(kMultiFolderName))) return {multi, true};
    return {FindFolderAnywhere(tree, YString::Literal(kFolderName)), false};
}

int32_t YSmartRandomizer::DonorCount(int32_t presets, bool multi) {
    if (multi) return std::clamp(presets / 2, 1, 8);
    const auto root = static_cast<int32_t>(std::trunc(std::pow(static_cast<double>(std::max(presets, 0)), 0.3333)));
    return std::clamp(root, 1, 5);
}

int32_t YSmartRandomizer::Draw(int32_t count) {
    if (count < 1) YRaise("Index out of range.");
    return static_cast<int32_t>((YSharedRandom::NextState() >> 16) % static_cast<uint32_t>(count));
}

bool YSmartRandomizer::OneInTwo() noexcept { return ((YSharedRandom::NextState() >> 16) & 1u) != 0; }

bool YSmartRandomizer::SevenInEight() noexcept { return ((YSharedRandom::NextState() >> 16) & 7u) != 0; }

void YSmartRandomizer::Merge(YXMLItem& result, const YXMLItem& donor) {
    // Pairs still to merge; a stack instead of recursion, so that no stored depth can exhaust
    // the thread's stack. Pairs are visited in document order.
    std::vector<std::pair<YXMLItem*, const YXMLItem*>> pending{{&result, &donor}};
    while (!pending.empty()) {
        auto [into, from] = pending.back();
        pending.pop_back();
        if (OneInTwo()) into->SetText(from->GetText());
        for (int32_t i = 0; i < from->GetAttributeCount(); ++i) {
            const YXMLAttribute& attribute = from->GetAttributeAt(i);
            if (OneInTwo()) into->SetAttribute(attribute.name, attribute.value);
        }
        std::vector<std::pair<YXMLItem*, const YXMLItem*>> children;
        for (const YXMLItem& child : from->Children()) {
            if (YXMLItem* match = MatchingChild(*into, child)) {
                if (!SevenInEight()) continue;
                if (child.GetChildCount() == 0) {
                    match->Clear();
                    YPresetContent::CopyTree(child, *match);
                } else {
                    children.emplace_back(match, &child);
                }
            } else if (OneInTwo()) {
                YXMLItem& added = into->AddChild(child.GetName());
                YPresetContent::CopyTree(child, added);
            }
        }
        // Reversed onto the stack so that the first child is merged first.
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
    }
}

std::unique_ptr<YXMLDocument> YSmartRandomizer::Generate(const std::vector<const YXMLItem*>& presets, bool multi,
                                                         std::vector<int32_t>* drawn) {
    const auto count = static_cast<int32_t>(presets.size());
    if (drawn) drawn->clear();
    if (count < 2) return nullptr;
    const int32_t donors = DonorCount(count, multi);
    // Positions of the candidates left in presets.
    std::vector<int32_t> candidates(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) candidates[static_cast<size_t>(i)] = i;
    auto take = [&]() {
        const int32_t index = Draw(static_cast<int32_t>(candidates.size()));
        const int32_t position = candidates[static_cast<size_t>(index)];
        candidates.erase(candidates.begin() + index);
        if (drawn) drawn->push_back(position);
        return YPresetContent::Settings(*presets[static_cast<size_t>(position)]);
    };
    std::unique_ptr<YXMLDocument> result = take();
    for (int32_t d = 0; d < donors && !candidates.empty(); ++d) {
        const std::unique_ptr<YXMLDocument> donor = take();
        Merge(*result, *donor);
    }
    return result;
}
