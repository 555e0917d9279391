#include "gui/loader/YGallery.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YResource.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/toolkit/YStyle.h"
#include "gui/toolkit/YWindowSystem.h"

Y_DECLARE_RESOURCE(GalleryDefinition)

YGalleryWindow::YGalleryWindow(YWindowSystem* system) : YGalleryWindow(system, *Definition()) {}

YGalleryWindow::YGalleryWindow(YWindowSystem* system, const YXMLItem& definition) : YWindow(system) {
    YControl::YXmlLoader::LoadDefinition(*this, definition);
    // The definition set the size without laying out.
    Relayout();
}

void YGalleryWindow::Paint(YDrawer& drawer) {
    if (YStyle* style = YStyleOf(*this)) style->DrawControl(drawer, YControlType::kWindow, 0, WindowRect());
}

bool YGalleryWindow::CloseRequest() {
    if (YWindowSystem* system = System()) system->QuitLoop(0);
    return true;
}

std::vector<uint8_t> YGalleryWindow::DefinitionBytes() { return YResource::Inflate(YResources::GalleryDefinition); }

std::unique_ptr<YXMLDocument> YGalleryWindow::Definition() {
    const std::vector<uint8_t> bytes = DefinitionBytes();
    YMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto document = std::make_unique<YXMLDocument>();
    document->Load(stream);
    return document;
}
