// Copies one XML item's attributes, text and children into another (whose name stays).
#pragma once

#include "foundation/YXMLDocument.h"

#include <utility>
#include <vector>

// Walks with its own stack so that deep trees cannot exhaust the thread's stack.
inline void YXMLCopyTree(const YXMLItem& source, YXMLItem& target) {
    std::vector<std::pair<const YXMLItem*, YXMLItem*>> pending{{&source, &target}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        to->SetText(from->GetText());
        for (int32_t i = 0; i < from->GetAttributeCount(); ++i) {
            const YXMLAttribute& attribute = from->GetAttributeAt(i);
            to->SetAttribute(attribute.name, attribute.value);
        }
        for (const YXMLItem& child : from->Children()) pending.emplace_back(&child, &to->AddChild(child.GetName()));
    }
}
