#include "gui/controls/YButton.h"
#include "gui/controls/YCheckBox.h"
#include "gui/controls/YEdit.h"
#include "gui/controls/YListBox.h"
#include "gui/controls/YMenuBar.h"
#include "gui/controls/YProgressBar.h"
#include "gui/controls/YScrollBar.h"
#include "gui/controls/YStatic.h"
#include "gui/controls/YTabSet.h"
#include "gui/controls/YTreeControl.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/loader/controls/YControlCreators.h"

#include <memory>

void YRegisterGeneralControlCreators() {
    using Loader = YControl::YXmlLoader;
    Loader::Register("button", std::make_unique<Loader::Control<YButton>>());
    Loader::Register("repeaterbutton", std::make_unique<Loader::Control<YRepeaterButton>>());
    Loader::Register("checkbox", std::make_unique<Loader::Control<YCheckBox>>());
    Loader::Register("edit", std::make_unique<Loader::Control<YEdit>>());
    Loader::Register("multilineedit", std::make_unique<Loader::Control<YMultiLineEdit>>());
    Loader::Register("listbox", std::make_unique<Loader::Control<YListBox>>());
    Loader::Register("treecontrol", std::make_unique<Loader::Control<YTreeControl>>());
    Loader::Register("menubar", std::make_unique<Loader::Control<YMenuBar>>());
    Loader::Register("scrollbar", std::make_unique<Loader::Control<YScrollBar>>());
    Loader::Register("static", std::make_unique<Loader::Control<YStatic>>());
    Loader::Register("multilinestatic", std::make_unique<Loader::Control<YStaticMultiLine>>());
    Loader::Register("progressbar", std::make_unique<Loader::Control<YProgressBar>>());
    Loader::Register("tabset", std::make_unique<Loader::Control<YTabSet>>());
}
