// vornik-gallery [--dark]: every control of the toolkit in a window, in the light style or
// the dark one, for a person to try with mouse and keyboard. Closing the window ends it.
#include "foundation/YException.h"
#include "gui/loader/YGallery.h"
#include "gui/style/YBaseStyle.h"
#if !defined(_WIN32)
#include "gui/windows/x11/YWindowSystemX11.h"
#endif

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    bool dark = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dark") == 0) {
            dark = true;
        } else {
            std::fprintf(stderr, "usage: vornik-gallery [--dark]\n");
            return 2;
        }
    }
#if defined(_WIN32)
    (void)dark;
    std::fprintf(stderr, "vornik-gallery: the Win32 window system is not part of this build yet\n");
    return 1;
#else
    try {
        YBaseStyle style(dark ? YBaseStyle::Theme::kDark : YBaseStyle::Theme::kLight);
        YStyle::Install(&style);
        YWindowSystemX11 system;
        YGalleryWindow gallery(&system);
        system.CreateNativeWindow(gallery, 0);
        system.SetTitle(gallery, "Vornik control gallery");
        system.SetClientSize(gallery, gallery.Size());
        system.Show(gallery);
        const int code = system.RunMessageLoop();
        YStyle::Install(nullptr);
        return code;
    } catch (const YException& e) {
        std::fprintf(stderr, "vornik-gallery: %s\n", e.Message().ToUTF8().c_str());
        return 1;
    }
#endif
}
