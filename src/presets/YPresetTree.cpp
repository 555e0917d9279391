#include "presets/YPresetTree.h"

#include "presets/YPresetContent.h"

#include "foundation/YException.h"

#include <algorithm>
#include <utility>

YPresetTree::YPresetTree() { Clear(); }

void YPresetTree::Clear() {
    m_document = std::make_unique<YXMLDocument>(YString::Literal(kRootName));
    TopFolder();
}

void YPresetTree::Assign(std::unique_ptr<YXMLDocument> document) {
    m_document = document ? std::move(document) : std::make_unique<YXMLDocument>(YString::Literal(kRootName));
    if (m_document->GetName().IsEmpty()) m_document->SetName(YString::Literal(kRootName));
    TopFolder();
}

YXMLItem& YPresetTree::TopFolder() {
    if (YXMLItem* top = m_document->FindChild(YString::Literal(kFolderItem))) return *top;
    YXMLItem& top = m_document->AddChild(YString::Literal(kFolderItem));
    top.SetAttribute(YString::Literal(kFolderNameAttribute), YString::Literal(kRootName));
    return top;
}

bool YPresetTree::IsFolder(const YXMLItem& item) { return item.GetName() == YString::Literal(kFolderItem); }
bool YPresetTree::IsPreset(const YXMLItem& item) { return item.GetName() == YString::Literal(kPresetItem); }

YString YPresetTree::ItemName(const YXMLItem& item) {
    if (IsFolder(item)) return item.GetAttribute(YString::Literal(kFolderNameAttribute), YString());
    if (IsPreset(item)) return item.GetAttribute(YString::Literal(YPresetContent::kNameAttribute), YString());
    return YString();
}

YXMLItem* YPresetTree::FindFolder(const YXMLItem& folder, const YString& name) {
    for (YXMLItem& child : folder.Children())
        if (IsFolder(child) && ItemName(child) == name) return &child;
    return nullptr;
}

YXMLItem* YPresetTree::FindPreset(const YXMLItem& folder, const YString& name) {
    for (YXMLItem& child : folder.Children())
        if (IsPreset(child) && ItemName(child) == name) return &child;
    return nullptr;
}

YXMLItem* YPresetTree::FindFolderPath(const std::vector<YString>& names) {
    YXMLItem* folder = &TopFolder();
    for (const YString& name : names) {
        folder = FindFolder(*folder, name);
        if (!folder) return nullptr;
    }
    return folder;
}

YXMLItem& YPresetTree::AddFolder(YXMLItem& folder, const YString& name) {
    YXMLItem& child = folder.AddChild(YString::Literal(kFolderItem));
    child.SetAttribute(YString::Literal(kFolderNameAttribute), name);
    return child;
}

YXMLItem& YPresetTree::StorePreset(YXMLItem& folder, const YString& name, const YXMLItem& settings) {
    // Encoded first, so a failure leaves the tree as it was.
    const YString encoded = YPresetContent::Encode(settings);
    YXMLItem* preset = FindPreset(folder, name);
    if (preset) {
        preset->Clear();
    } else {
        preset = &folder.AddChild(YString::Literal(kPresetItem));
    }
    preset->SetAttribute(YString::Literal(YPresetContent::kNameAttribute), name);
    preset->SetAttribute(YString::Literal(YPresetContent::kCompressedAttribute), encoded);
    return *preset;
}

std::vector<YXMLItem*> YPresetTree::Presets() {
    std::vector<YXMLItem*> presets;
    // Depth first in document order; each stack entry is the next child to visit at one
    // level, so deep trees need no recursion.
    std::vector<YXMLItem*> next{TopFolder().GetFirstChild()};
    while (!next.empty()) {
        YXMLItem* item = next.back();
        if (!item) {
            next.pop_back();
            continue;
        }
        next.back() = item->GetNextSibling();
        if (IsPreset(*item))
            presets.push_back(item);
        else if (IsFolder(*item))
            next.push_back(item->GetFirstChild());
    }
    return presets;
}

std::vector<YXMLItem*> YPresetTree::PresetsIn(const YXMLItem& folder) {
    std::vector<YXMLItem*> presets;
    for (YXMLItem& child : folder.Children())
        if (IsPreset(child)) presets.push_back(&child);
    return presets;
}

int32_t YPresetTree::ConvertInlinePresets() {
    int32_t converted = 0;
    std::vector<YXMLItem*> next{m_document->GetFirstChild()};
    while (!next.empty()) {
        YXMLItem* item = next.back();
        if (!item) {
            next.pop_back();
            continue;
        }
        next.back() = item->GetNextSibling();
        if (IsPreset(*item)) {
            if (YPresetContent::ConvertInline(*item)) ++converted;
        } else if (IsFolder(*item)) {
            next.push_back(item->GetFirstChild());
        }
    }
    return converted;
}

YPresetTree::Key YPresetTree::KeyOf(const YXMLItem& item) {
    Key key;
    const YXMLItem* top = &TopFolder();
    for (const YXMLItem* at = &item; at != top; at = at->GetParent()) {
        const YXMLItem* parent = at->GetParent();
        if (parent == nullptr || !(IsFolder(*at) || IsPreset(*at))) YRaiseIndexOutOfRange();
        KeyStep step;
        step.folder = IsFolder(*at);
        step.name = ItemName(*at);
        for (const YXMLItem& sibling : parent->Children()) {
            if (&sibling == at) break;
            if (IsFolder(sibling) == step.folder && (IsFolder(sibling) || IsPreset(sibling)) &&
                ItemName(sibling) == step.name)
                ++step.ordinal;
        }
        key.push_back(std::move(step));
    }
    std::reverse(key.begin(), key.end());
    return key;
}

YXMLItem* YPresetTree::Find(const Key& key) {
    YXMLItem* item = &TopFolder();
    for (const KeyStep& step : key) {
        YXMLItem* next = nullptr;
        int32_t seen = 0;
        for (YXMLItem& child : item->Children()) {
            if (!(step.folder ? IsFolder(child) : IsPreset(child)) || ItemName(child) != step.name) continue;
            if (seen++ == step.ordinal) {
                next = &child;
                break;
            }
        }
        if (next == nullptr) return nullptr;
        item = next;
    }
    return item;
}
