#include "gui/loader/YXmlLoader.h"
#include "gui/loader/controls/YControlCreators.h"
#include "gui/toolkit/YContainer.h"

#include <memory>

void YRegisterPlainControlCreators() {
    using Loader = YControl::YXmlLoader;
    Loader::Register("control", std::make_unique<Loader::Control<YControl>>());
    Loader::Register("panel", std::make_unique<Loader::Control<YPanel>>());
    Loader::Register("container", std::make_unique<Loader::Control<YContainer>>());
}
