#include "gui/loader/YPlaceholderControl.h"

#include "gui/drawing/YDrawer.h"
#include "gui/toolkit/YStyle.h"

YPlaceholderControl::YPlaceholderControl(YControl* parent, const YString& elementName)
    : YControl(parent), m_elementName(elementName) {}

void YPlaceholderControl::Creator::Create(YControl& parent, const YXMLItem& element, bool addToLayout) const {
    auto* control = new YPlaceholderControl(&parent, m_elementName);
    YControl::YXmlLoader::FinishControl(parent, *control, element, addToLayout);
}

void YPlaceholderControl::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const YRect rect = WindowRect();
    const uint32_t state = YControlStateOf(*this);
    const YControlType type = Type() == YControlType::kControl ? YControlType::kPanel : Type();
    style->DrawControl(drawer, type, state, rect);
    style->DrawText(drawer, style->ContentRect(type, rect), Caption().IsEmpty() ? m_elementName : Caption(),
                    YStdFont::kSmall, YStdColor::kText, kAlignCenter, state);
}
