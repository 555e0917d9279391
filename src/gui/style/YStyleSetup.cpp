#include "gui/style/YStyleSetup.h"

#include "foundation/YException.h"
#include "gui/style/YBaseStyle.h"
#include "gui/style/YTexturedStyle.h"
#include "platform/YPlatformFile.h"
#include "platform/YPlatformFolders.h"

#include <algorithm>

YStyleSetup::YStyleSetup(YString folder) : m_folder(std::move(folder)), m_style(std::make_unique<YBaseStyle>()) {}

YStyleSetup::~YStyleSetup() {
    if (YStyle::Default() == m_style.get()) YStyle::Install(nullptr);
}

YStyle& YStyleSetup::Style() const noexcept { return *m_style; }

void YStyleSetup::Tell(const YString& message) {
    if (std::find(m_told.begin(), m_told.end(), message) != m_told.end()) return;
    m_told.push_back(message);
    YReportError(message);
}

std::vector<YString> YStyleSetup::AvailableStyles() const {
    std::vector<YString> names{YString::Literal(YBaseStyle::kLightName), YString::Literal(YBaseStyle::kDarkName)};
    for (const YString& name : m_resources.TexturedStyleNames()) names.push_back(name);
    return names;
}

void YStyleSetup::StartUp() noexcept {
    YString why;
    if (m_configuration.Load(m_folder, &why) == YStyleConfiguration::Outcome::kDamaged) {
        Tell(YFormat::Text("The style configuration \"{0}\" is damaged ({1}); the built-in light style is used.",
                           YStyleConfiguration::FileName(m_folder), why));
    }
    const YString resources = YPlatformFolders::Child(m_folder, YString::Literal(YStyleResourceFile::kFileName));
    m_resourcesRead = false;
    m_resourcesDamaged = false;
    if (YPlatformFile::Exists(resources)) {
        try {
            m_resources.Load(resources);
            m_resourcesRead = true;
        } catch (const YException& e) {
            m_resourcesDamaged = true;
            Tell(YFormat::Text("The style resources \"{0}\" are damaged ({1}); the built-in light style is used.",
                               resources, e.Message()));
        }
    }
    Build();
}

void YStyleSetup::Build() noexcept {
    std::unique_ptr<YBaseStyle> style;
    const YString& name = m_configuration.style;
    YGuard("YStyleSetup::Build", [&] {
        if (name == YString::Literal(YBaseStyle::kLightName) || name == YString::Literal(YBaseStyle::kDarkName)) {
            style = std::make_unique<YBaseStyle>(YBaseStyle::ThemeOfName(name));
            return;
        }
        // A textured style needs the resource file; without a whole one the light style stays
        // (a damaged file has been reported already).
        if (!m_resourcesRead) {
            if (!m_resourcesDamaged) Tell(YString::Literal(kResourcesMissing));
            return;
        }
        if (m_resources.TexturedStyleNames().empty()) {
            Tell(YString::Literal(kNoStyles));
            return;
        }
        const YXMLItem* definition = m_resources.Definition(name);
        if (definition == nullptr) {
            Tell(YString::Literal(kNoDefinition));
            return;
        }
        auto textured = std::make_unique<YTexturedStyle>();
        for (int32_t i = 0; i < YStyle::kMainColorCount; ++i)
            textured->SetMainColor(i, m_configuration.mainColors[static_cast<size_t>(i)]);
        try {
            textured->Load(*definition, m_folder, name);
        } catch (const YException& e) {
            Tell(YFormat::Text("The style \"{0}\" could not be loaded ({1}); the built-in light style is used.", name,
                               e.Message()));
            return;
        }
        style = std::move(textured);
    });
    const bool fellBack = !style;
    if (fellBack) style = std::make_unique<YBaseStyle>(YBaseStyle::Theme::kLight);
    // The configuration's colours and scale tint whichever style was built; a fallback keeps
    // the defaults, as a damaged configuration does.
    if (!fellBack) {
        for (int32_t i = 0; i < YStyle::kMainColorCount; ++i)
            style->SetMainColor(i, m_configuration.mainColors[static_cast<size_t>(i)]);
        const YPointF resize = style->Resize();
        style->SetResize(resize.x * m_configuration.resize.x, resize.y * m_configuration.resize.y);
    }
    YStyle* previous = m_style.get();
    m_style = std::move(style);
    // The new style replaces the old as the default only where the old one was installed.
    if (YStyle::Default() == previous || YStyle::Default() == nullptr) YStyle::Install(m_style.get());
}

void YStyleSetup::Apply(const YStyleConfiguration& configuration) noexcept {
    m_configuration = configuration;
    try {
        m_configuration.Save(m_folder);
    } catch (const YException& e) {
        Tell(e.Message());
    }
    Build();
}
