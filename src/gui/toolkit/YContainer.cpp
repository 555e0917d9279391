#include "gui/toolkit/YContainer.h"

YContainer::YContainer(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kNoBackground);
}

YPanel::YPanel(YControl* parent, const YString& id) : YContainer(parent, id) { SetType(YControlType::kPanel); }

YSpacer::YSpacer(YControl* parent, const YString& id) : YControl(parent, id) { SetType(YControlType::kEmpty); }
