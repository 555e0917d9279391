// The gallery: every control of the toolkit in one window, built from the GUI definition that
// is compiled into the program (resources/gui/gallery.xml), for a person to look at each style
// and try the controls, and for the snapshots and benchmarks of loading and layout.
#pragma once

#include "foundation/YXMLDocument.h"
#include "gui/toolkit/YWindow.h"

#include <memory>

class YGalleryWindow : public YWindow {
public:
    // Loads the built-in definition into the window and lays it out at the definition's size.
    explicit YGalleryWindow(YWindowSystem* system);
    // Loads another definition instead (for tests and benchmarks).
    YGalleryWindow(YWindowSystem* system, const YXMLItem& definition);

    // The window's background in its style.
    void Paint(YDrawer& drawer) override;
    // Closing the gallery's window ends the window system's loop.
    bool CloseRequest() override;

    // The built-in definition, parsed.
    static std::unique_ptr<YXMLDocument> Definition();
    // The built-in definition's text.
    static std::vector<uint8_t> DefinitionBytes();
};
