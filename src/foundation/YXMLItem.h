// YXMLItem: one element of an XML tree: name, text, attributes sorted by name and owned
// children in document order.
#pragma once

#include "foundation/YObject.h"
#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <vector>

struct YXMLAttribute {
    YString name;
    YString value;
};

class YXMLItem : public YObject {
public:
    explicit YXMLItem(const YString& name = YString());
    YXMLItem(const YXMLItem&) = delete;
    YXMLItem& operator=(const YXMLItem&) = delete;
    // Children are released without recursion, so any depth is safe.
    ~YXMLItem() override;

    const YString& GetName() const noexcept { return m_name; }
    void SetName(const YString& name) { m_name = name; }
    const YString& GetText() const noexcept { return m_text; }
    void SetText(const YString& text) { m_text = text; }
    void AppendText(const YString& text) { m_text.Append(text); }

    YXMLItem* GetParent() const noexcept { return m_parent; }
    YXMLItem* GetNextSibling() const noexcept { return m_next; }
    YXMLItem* GetPreviousSibling() const noexcept { return m_previous; }
    int32_t GetDepth() const noexcept { return m_depth; }

    // Attributes, kept sorted by name (binary search, case-sensitive).
    int32_t GetAttributeCount() const noexcept { return static_cast<int32_t>(m_attributes.size()); }
    const YXMLAttribute& GetAttributeAt(int32_t index) const;
    void SetAttribute(const YString& name, const YString& value);
    // Replaces all attributes by those moved out of the list, which is left empty with its
    // capacity (sorted here; of equal names the last one stays).
    void TakeAttributes(std::vector<YXMLAttribute>& attributes);
    // Returns whether the attribute was there.
    bool RemoveAttribute(const YString& name);
    // Remembers the attribute found (or none) in the attribute cache.
    bool HasAttribute(const YString& name);
    // The attribute of the last HasAttribute, or nullptr.
    const YXMLAttribute* GetCachedAttribute() const noexcept;
    // Raises "Could not find required attribute (name)." when missing.
    const YString& GetAttribute(const YString& name) const;
    YString GetAttribute(const YString& name, const YString& defaultValue) const;
    // nullptr when missing.
    const YString* FindAttribute(const YString& name) const noexcept;

    // Children in document order.
    int32_t GetChildCount() const noexcept { return static_cast<int32_t>(m_children.size()); }
    YXMLItem& GetChildAt(int32_t index) const;
    YXMLItem* GetFirstChild() const noexcept {
        return m_children.empty() ? nullptr : m_children.front().get();
    }
    YXMLItem* GetLastChild() const noexcept { return m_children.empty() ? nullptr : m_children.back().get(); }
    // The first child with exactly this name, or nullptr.
    YXMLItem* FindChild(const YString& name) const noexcept;
    // The first child with this name; raises "Could not find required subitem (name)." when none.
    YXMLItem& GetChild(const YString& name) const;
    // The first child with this name, appended when there is none.
    YXMLItem& GetOrCreateChild(const YString& name);
    // Always appends a new child.
    YXMLItem& AddChild(const YString& name);
    // Destroys child (which must be a child of this item); false when it is not one.
    bool RemoveChild(YXMLItem& child);

    // Removes attributes, text and children; the name stays.
    void Clear();

    // Walks the children (optionally only those with one name):
    //   for (YXMLItem::Iterator it(item, "Edit"); it.IsValid(); it.Next()) it->...
    // A default-constructed iterator raises "XML item iterator has not been initialized."
    // until it is positioned with First.
    class Iterator {
    public:
        Iterator() noexcept = default;
        explicit Iterator(const YXMLItem& parent) noexcept { First(parent); }
        Iterator(const YXMLItem& parent, const YString& name) { First(parent, name); }

        bool First(const YXMLItem& parent) noexcept;
        bool First(const YXMLItem& parent, const YString& name);
        bool Next();
        bool IsValid() const noexcept { return m_current != nullptr; }
        YXMLItem& Get() const;
        YXMLItem& operator*() const { return Get(); }
        YXMLItem* operator->() const { return &Get(); }

    private:
        void SkipToMatch() noexcept;

        YXMLItem* m_current = nullptr;
        YString m_name;
        bool m_filtered = false;
        bool m_positioned = false;
    };

    // Range over the children for range-based for loops.
    class ChildRange {
    public:
        class iterator {
        public:
            explicit iterator(YXMLItem* item) noexcept : m_item(item) {}
            YXMLItem& operator*() const noexcept { return *m_item; }
            iterator& operator++() noexcept {
                m_item = m_item->GetNextSibling();
                return *this;
            }
            bool operator!=(const iterator& other) const noexcept { return m_item != other.m_item; }

        private:
            YXMLItem* m_item;
        };
        explicit ChildRange(const YXMLItem& item) noexcept : m_item(item) {}
        iterator begin() const noexcept { return iterator(m_item.GetFirstChild()); }
        iterator end() const noexcept { return iterator(nullptr); }

    private:
        const YXMLItem& m_item;
    };
    ChildRange Children() const noexcept { return ChildRange(*this); }

private:
    // Index of name, or -(insertion point) - 1.
    int32_t Search(const YString& name) const noexcept;
    void ReleaseChildren() noexcept;

    YXMLItem* m_parent = nullptr;
    YXMLItem* m_next = nullptr;
    YXMLItem* m_previous = nullptr;
    int32_t m_depth = 0;
    std::vector<std::unique_ptr<YXMLItem>> m_children;
    YString m_name;
    YString m_text;
    std::vector<YXMLAttribute> m_attributes;
    int32_t m_cachedAttribute = -1;
};
