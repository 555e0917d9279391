// YStyleSetup: the style of the process. Reads "Style.cfg" and "ystyle.yrf" from the product's
// data folder, builds the chosen style and installs it as the process-wide default; windows
// without a style of their own paint with it.
//
// What goes wrong is told once per set-up through the error-report hook (YReportError) and
// never stops the start: a damaged "Style.cfg" or "ystyle.yrf", or a chosen style that cannot
// be built, leaves the built-in light style in use.
#pragma once

#include "foundation/YString.h"
#include "gui/style/YStyleConfiguration.h"
#include "gui/style/YStyleResourceFile.h"

#include <memory>
#include <set>
#include <vector>

class YBaseStyle;
class YStyle;

class YStyleSetup {
public:
    static constexpr const char* kResourcesMissing =
        "Could not load required resources. The software hasn't been installed correctly. Please reinstall the "
        "software and contact our support if it won't help.";
    static constexpr const char* kNoStyles = "No styles are available. Please reinstall the software.";
    static constexpr const char* kNoDefinition = "No style definition has been found.";

    explicit YStyleSetup(YString folder);
    // Uninstalls the style if it is still the default.
    ~YStyleSetup();
    YStyleSetup(const YStyleSetup&) = delete;
    YStyleSetup& operator=(const YStyleSetup&) = delete;

    // Reads the files, builds the style and installs it. Never throws.
    void StartUp() noexcept;
    // Takes a new configuration: saves it and rebuilds the style (installed in place of the
    // old one). Never throws; a file that cannot be written is reported.
    void Apply(const YStyleConfiguration& configuration) noexcept;

    YStyle& Style() const noexcept;
    const YStyleConfiguration& Configuration() const noexcept { return m_configuration; }
    // The style names to choose from: the code-drawn ones, then the textured ones of
    // "ystyle.yrf".
    std::vector<YString> AvailableStyles() const;
    // The messages told so far, in order (each at most once).
    const std::vector<YString>& Told() const noexcept { return m_told; }

private:
    void Tell(const YString& message);
    void Build() noexcept;

    YString m_folder;
    YStyleConfiguration m_configuration;
    YStyleResourceFile m_resources;
    bool m_resourcesRead = false;
    bool m_resourcesDamaged = false;
    std::unique_ptr<YBaseStyle> m_style;
    std::vector<YString> m_told;
};
