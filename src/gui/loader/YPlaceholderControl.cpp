#include "gui/loader/YPlaceholderControl.h"

YPlaceholderControl::YPlaceholderControl(YControl* parent, const YString& elementName)
    : YControl(parent), m_elementName(elementName) {}

void YPlaceholderControl::Creator::Create(YControl& parent, const YXMLItem& element, bool addToLayout) const {
    auto* control = new YPlaceholderControl(&parent, m_elementName);
    YControl::YXmlLoader::FinishControl(parent, *control, element, addToLayout);
}
