#include "foundation/YXMLItem.h"

#include "foundation/YException.h"

#include <algorithm>
#include <bit>
#include <utility>

YXMLItem::YXMLItem(const YString& name) : m_name(name) {}

YXMLItem::~YXMLItem() { ReleaseChildren(); }

void YXMLItem::ReleaseChildren() noexcept {
    // Flatten the subtree into a work list so that destroying a deep tree never recurses.
    std::vector<std::unique_ptr<YXMLItem>> pending = std::move(m_children);
    m_children.clear();
    // Releasing in document order, the order the parser allocated in, keeps the allocator's
    // work local; that matters once a tree outgrows the caches.
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
        std::unique_ptr<YXMLItem> item = std::move(pending.back());
        pending.pop_back();
        for (auto child = item->m_children.rbegin(); child != item->m_children.rend(); ++child)
            pending.push_back(std::move(*child));
        item->m_children.clear();
    }
}

const YXMLAttribute& YXMLItem::GetAttributeAt(int32_t index) const {
    if (index < 0 || index >= GetAttributeCount()) YRaiseIndexOutOfRange();
    return m_attributes[static_cast<std::size_t>(index)];
}

int32_t YXMLItem::Search(const YString& name) const noexcept {
    int32_t low = 0;
    int32_t high = GetAttributeCount() - 1;
    while (low <= high) {
        int32_t middle = low + (high - low) / 2;
        int order = m_attributes[static_cast<std::size_t>(middle)].name.Compare(name);
        if (order == 0) return middle;
        if (order < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -low - 1;
}

void YXMLItem::SetAttribute(const YString& name, const YString& value) {
    // Files written by this system list attributes in order: appending is the common case.
    if (m_attributes.empty() || m_attributes.back().name.Compare(name) < 0) {
        m_attributes.push_back({name, value});
        return;
    }
    int32_t index = Search(name);
    if (index >= 0) {
        m_attributes[static_cast<std::size_t>(index)].value = value;
        return;
    }
    int32_t at = -index - 1;
    m_attributes.insert(m_attributes.begin() + at, YXMLAttribute{name, value});
    // Positions behind the insertion point moved.
    if (m_cachedAttribute >= at) ++m_cachedAttribute;
}

void YXMLItem::TakeAttributes(std::vector<YXMLAttribute>& attributes) {
    m_cachedAttribute = -1;
    m_attributes.clear();
    bool ordered = true;
    for (std::size_t i = 1; i < attributes.size() && ordered; ++i)
        ordered = attributes[i - 1].name.Compare(attributes[i].name) < 0;
    if (ordered) {
        // One allocation of the exact size; the strings move without touching their counts.
        m_attributes.reserve(attributes.size());
        for (YXMLAttribute& attribute : attributes) m_attributes.push_back(std::move(attribute));
    } else {
        for (const YXMLAttribute& attribute : attributes) SetAttribute(attribute.name, attribute.value);
    }
    attributes.clear();
}

bool YXMLItem::RemoveAttribute(const YString& name) {
    int32_t index = Search(name);
    if (index < 0) return false;
    m_attributes.erase(m_attributes.begin() + index);
    if (m_cachedAttribute == index)
        m_cachedAttribute = -1;
    else if (m_cachedAttribute > index)
        --m_cachedAttribute;
    return true;
}

bool YXMLItem::HasAttribute(const YString& name) {
    int32_t index = Search(name);
    m_cachedAttribute = index >= 0 ? index : -1;
    return index >= 0;
}

const YXMLAttribute* YXMLItem::GetCachedAttribute() const noexcept {
    return m_cachedAttribute >= 0 ? &m_attributes[static_cast<std::size_t>(m_cachedAttribute)] : nullptr;
}

const YString* YXMLItem::FindAttribute(const YString& name) const noexcept {
    // The usual pattern is HasAttribute followed by GetAttribute of the same name.
    if (m_cachedAttribute >= 0 && m_attributes[static_cast<std::size_t>(m_cachedAttribute)].name == name)
        return &m_attributes[static_cast<std::size_t>(m_cachedAttribute)].value;
    int32_t index = Search(name);
    return index >= 0 ? &m_attributes[static_cast<std::size_t>(index)].value : nullptr;
}

const YString& YXMLItem::GetAttribute(const YString& name) const {
    const YString* value = FindAttribute(name);
    if (!value) YRaiseFormat(YException::kGeneral, "Could not find required attribute ({0}).", name);
    return *value;
}

YString YXMLItem::GetAttribute(const YString& name, const YString& defaultValue) const {
    const YString* value = FindAttribute(name);
    return value ? *value : defaultValue;
}

YXMLItem& YXMLItem::GetChildAt(int32_t index) const {
    if (index < 0 || index >= GetChildCount()) YRaiseIndexOutOfRange();
    return *m_children[static_cast<std::size_t>(index)];
}

YXMLItem* YXMLItem::FindChild(const YString& name) const noexcept {
    for (const auto& child : m_children)
        if (child->m_name == name) return child.get();
    return nullptr;
}

YXMLItem& YXMLItem::GetChild(const YString& name) const {
    YXMLItem* child = FindChild(name);
    if (!child) YRaiseFormat(YException::kGeneral, "Could not find required subitem ({0}).", name);
    return *child;
}

YXMLItem& YXMLItem::GetOrCreateChild(const YString& name) {
    if (YXMLItem* child = FindChild(name)) return *child;
    return AddChild(name);
}

YXMLItem& YXMLItem::AddChild(const YString& name) {
    auto child = std::make_unique<YXMLItem>(name);
    std::size_t count = m_children.size() + 1;
    // Capacity: exact up to two children, then the next power of two.
    if (count > m_children.capacity()) m_children.reserve(count > 2 ? std::bit_ceil(count) : count);
    YXMLItem* item = child.get();
    item->m_parent = this;
    item->m_depth = m_depth + 1;
    if (!m_children.empty()) {
        YXMLItem* last = m_children.back().get();
        last->m_next = item;
        item->m_previous = last;
    }
    m_children.push_back(std::move(child));
    return *item;
}

bool YXMLItem::RemoveChild(YXMLItem& child) {
    if (child.m_parent != this) return false;
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (it->get() != &child) continue;
        if (child.m_previous) child.m_previous->m_next = child.m_next;
        if (child.m_next) child.m_next->m_previous = child.m_previous;
        std::unique_ptr<YXMLItem> removed = std::move(*it);
        m_children.erase(it);
        return true;
    }
    return false;
}

void YXMLItem::Clear() {
    ReleaseChildren();
    m_attributes.clear();
    m_cachedAttribute = -1;
    m_text = YString();
}

bool YXMLItem::Iterator::First(const YXMLItem& parent) noexcept {
    m_filtered = false;
    m_name = YString();
    m_positioned = true;
    m_current = parent.GetFirstChild();
    return m_current != nullptr;
}

bool YXMLItem::Iterator::First(const YXMLItem& parent, const YString& name) {
    m_filtered = true;
    m_name = name;
    m_positioned = true;
    m_current = parent.GetFirstChild();
    SkipToMatch();
    return m_current != nullptr;
}

void YXMLItem::Iterator::SkipToMatch() noexcept {
    if (!m_filtered) return;
    while (m_current && m_current->GetName() != m_name) m_current = m_current->GetNextSibling();
}

bool YXMLItem::Iterator::Next() {
    if (!m_positioned) YRaise("XML item iterator has not been initialized.");
    if (m_current) {
        m_current = m_current->GetNextSibling();
        SkipToMatch();
    }
    return m_current != nullptr;
}

YXMLItem& YXMLItem::Iterator::Get() const {
    if (!m_positioned) YRaise("XML item iterator has not been initialized.");
    if (!m_current) YRaiseIndexOutOfRange();
    return *m_current;
}
