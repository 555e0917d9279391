// The control an element makes while its own class is not written yet: a plain control that
// keeps the element's name, so that lookup, ids, layout membership and sizes already work.
#pragma once

#include "gui/loader/YXmlLoader.h"

class YPlaceholderControl : public YControl {
public:
    YPlaceholderControl(YControl* parent, const YString& elementName);
    const YString& ElementName() const noexcept { return m_elementName; }
    // A frame of the control's type with its caption, or the element name, inside: a view
    // of the tree shows where the control will be.
    void Paint(YDrawer& drawer) override;

    // Creates a placeholder for one element name.
    class Creator : public YControl::YXmlLoader::Creator {
    public:
        explicit Creator(const YString& elementName) : m_elementName(elementName) {}
        void Create(YControl& parent, const YXMLItem& element, bool addToLayout) const override;

    private:
        YString m_elementName;
    };

private:
    YString m_elementName;
};
