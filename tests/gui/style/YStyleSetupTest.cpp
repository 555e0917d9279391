// "Style.cfg" and "ystyle.yrf" as the process's style set-up reads them: defaults written when
// the configuration is missing, and a damaged file of either kind falling back to the built-in
// light style with one message.
#include "gui/style/YBaseStyle.h"
#include "gui/style/YStyleColors.h"
#include "gui/style/YStyleConfiguration.h"
#include "gui/style/YStyleSetup.h"
#include "gui/style/YTexturedStyle.h"

#include "foundation/YException.h"
#include "foundation/YXMLDocument.h"
#include "platform/YStdFileStream.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_reports;
void CollectReport(const YString& text) { g_reports.push_back(text.ToUTF8()); }

// Collects what the error-report hook hears while it lives.
struct ReportCollector {
    YErrorReportHook previous;
    ReportCollector() : previous(YSetErrorReportHook(&CollectReport)) { g_reports.clear(); }
    ~ReportCollector() { YSetErrorReportHook(previous); }
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

YString U(const std::string& s) { return YString::FromUTF8(s); }

void ExpectDefaults(const YStyleConfiguration& c) {
    EXPECT_EQ(c.style.ToUTF8(), "Default (light)");
    const char* colours[] = {"506B87FF", "0A09E8FF", "EDA50BDC", "1277E3A6"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(YStyleColorText(c.mainColors[static_cast<size_t>(i)]).ToUTF8(), colours[i]);
    EXPECT_EQ(c.resize.x, 1.0f);
    EXPECT_EQ(c.resize.y, 1.0f);
}

TEST(StyleConfiguration, DeletingTheFileRestoresTheDefaultsAndWritesThem) {
    ScratchFolder folder;
    const YString dir = U(folder.Path());
    YStyleConfiguration chosen;
    chosen.style = "Default (dark)";
    chosen.mainColors[2] = YStyleColorParse("11223344");
    chosen.resize = {2.0f, 1.5f};
    chosen.Save(dir);

    YStyleConfiguration read;
    ASSERT_EQ(read.Load(dir), YStyleConfiguration::Outcome::kRead);
    EXPECT_EQ(read.style.ToUTF8(), "Default (dark)");
    EXPECT_EQ(YStyleColorText(read.mainColors[2]).ToUTF8(), "11223344");
    EXPECT_EQ(read.resize.x, 2.0f);
    EXPECT_EQ(read.resize.y, 1.5f);

    std::filesystem::remove(folder.Path("Style.cfg"));
    YStyleConfiguration restored;
    restored.style = "something else";
    EXPECT_EQ(restored.Load(dir), YStyleConfiguration::Outcome::kCreated);
    ExpectDefaults(restored);
    // The defaults are on disk now, with exactly the five keys.
    const std::string text = ReadFile(folder.Path("Style.cfg"));
    for (const char* key : {"Style=\"Default (light)\"", "maincolor0=\"506B87FF\"", "maincolor1=\"0A09E8FF\"",
                            "maincolor2=\"EDA50BDC\"", "maincolor3=\"1277E3A6\""})
        EXPECT_NE(text.find(key), std::string::npos) << key << " in " << text;
    EXPECT_EQ(text.find("resize"), std::string::npos);
    YStyleConfiguration again;
    EXPECT_EQ(again.Load(dir), YStyleConfiguration::Outcome::kRead);
    ExpectDefaults(again);
}

TEST(StyleConfiguration, DamagedFilesKeepTheDefaultsAndSayWhy) {
    struct Row {
        const char* name;
        const char* contents;
        const char* reason; // part of the message
    };
    const Row rows[] = {
        {"not XML", "\x01\x02garbage", ""},
        {"wrong root", "<Other Style=\"Default (dark)\"/>", "Invalid style configuration."},
        {"bad colour", "<StyleConfiguration Style=\"Default (dark)\" maincolor1=\"12345\"/>",
         "Invalid color value (12345)."},
        {"bad digit", "<StyleConfiguration maincolor0=\"GG6B87FF\"/>", "Invalid color value (GG6B87FF)."},
        {"absurd scale", "<StyleConfiguration Style=\"Default (dark)\" resizex=\"1e9\"/>", "Invalid style configuration."},
        {"empty file", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        WriteFile(folder.Path("Style.cfg"), row.contents);
        YStyleConfiguration c;
        YString why;
        EXPECT_EQ(c.Load(U(folder.Path()), &why), YStyleConfiguration::Outcome::kDamaged);
        ExpectDefaults(c);
        EXPECT_FALSE(why.IsEmpty());
        EXPECT_NE(why.ToUTF8().find(row.reason), std::string::npos) << why.ToUTF8();
        // The damaged file is left for the user, not overwritten.
        EXPECT_EQ(ReadFile(folder.Path("Style.cfg")), row.contents);
    }
}

TEST(StyleSetup, MissingConfigurationInstallsTheLightStyleSilently) {
    ReportCollector reports;
    ScratchFolder folder;
    YStyleSetup setup(U(folder.Path()));
    setup.StartUp();
    EXPECT_EQ(YStyle::Default(), &setup.Style());
    EXPECT_EQ(setup.Style().Name().ToUTF8(), "Default (light)");
    EXPECT_TRUE(g_reports.empty());
    EXPECT_TRUE(std::filesystem::exists(folder.Path("Style.cfg")));
}

TEST(StyleSetup, TheChosenStyleAndColoursAreBuilt) {
    ReportCollector reports;
    ScratchFolder folder;
    YStyleConfiguration c;
    c.style = "Default (dark)";
    c.mainColors[3] = YStyleColorParse("FF0000FF");
    c.resize = {2.0f, 2.0f};
    c.Save(U(folder.Path()));
    YStyleSetup setup(U(folder.Path()));
    setup.StartUp();
    EXPECT_EQ(setup.Style().Name().ToUTF8(), "Default (dark)");
    EXPECT_EQ(YStyleColorText(setup.Style().MainColor(3)).ToUTF8(), "FF0000FF");
    EXPECT_EQ(setup.Style().Metric(YStyleMetric::kDefLayoutSpace), 12);
    EXPECT_TRUE(g_reports.empty());
}

TEST(StyleSetup, DamagedFilesFallBackToTheLightStyleAndSaySoOnce) {
    struct Row {
        const char* name;
        const char* config;    // nullptr: none
        const char* resources; // nullptr: none
        const char* message;   // the start of the one message
    };
    const Row rows[] = {
        {"damaged Style.cfg", "<StyleConfiguration Style=\"Default (dark)\" maincolor0=\"zz\"/>", nullptr,
         "The style configuration"},
        {"damaged ystyle.yrf", "<StyleConfiguration Style=\"Brushed\"/>", "this is not a resource file",
         "The style resources"},
        {"resource file of another kind", "<StyleConfiguration Style=\"Brushed\"/>", "<notyrf/>", "The style resources"},
        {"textured style without resources", "<StyleConfiguration Style=\"Brushed\"/>", nullptr,
         "Could not load required resources."},
        {"empty style list", "<StyleConfiguration Style=\"Brushed\"/>", "<yrf version=\"1\"/>",
         "No styles are available. Please reinstall the software."},
        {"style not defined", "<StyleConfiguration Style=\"Brushed\"/>",
         "<yrf version=\"1\"><resource name=\"YTexturedStyles\"><style name=\"Other\"/></resource></yrf>",
         "No style definition has been found."},
        {"bad fill mode in the definition", "<StyleConfiguration Style=\"Brushed\"/>",
         "<yrf version=\"1\"><resource name=\"YTexturedStyles\"><style name=\"Brushed\"/></resource>"
         "<resource name=\"ystyle\"><definition name=\"Brushed\"><button><image fill=\"Tile\"/></button>"
         "</definition></resource></yrf>",
         "The style \"Brushed\" could not be loaded (Invalid YBitmapFill identifier to parse (Tile).)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReportCollector reports;
        ScratchFolder folder;
        if (row.config) WriteFile(folder.Path("Style.cfg"), row.config);
        if (row.resources) WriteFile(folder.Path("ystyle.yrf"), row.resources);
        YStyleSetup setup(U(folder.Path()));
        setup.StartUp();
        setup.StartUp();
        EXPECT_EQ(setup.Style().Name().ToUTF8(), "Default (light)");
        EXPECT_EQ(dynamic_cast<YTexturedStyle*>(&setup.Style()), nullptr);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].rfind(row.message, 0), 0u) << g_reports[0];
        EXPECT_EQ(YStyle::Default(), &setup.Style());
    }
    EXPECT_EQ(YStyle::Default(), nullptr);
}

TEST(StyleSetup, ATexturedStyleComesFromTheResourceFileAndApplyingSavesTheChoice) {
    ReportCollector reports;
    ScratchFolder folder;
    const YString dir = U(folder.Path());
    YStyleResourceFile file;
    YXMLDocument definition("definition");
    definition.AddChild("button").SetAttribute("fillcolor", "20C040FF");
    file.PutDefinition("Green", definition);
    file.Save(U(folder.Path("ystyle.yrf")));

    YStyleSetup setup(dir);
    setup.StartUp();
    const std::vector<YString> names = setup.AvailableStyles();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[2].ToUTF8(), "Green");

    YStyleConfiguration choice = setup.Configuration();
    choice.style = "Green";
    setup.Apply(choice);
    auto* textured = dynamic_cast<YTexturedStyle*>(&setup.Style());
    ASSERT_NE(textured, nullptr);
    EXPECT_EQ(textured->Description().ToUTF8(), "Universal textured style using XML definition");
    EXPECT_EQ(textured->DefinitionListName().ToUTF8(), "YTexturedStyles");
    EXPECT_TRUE(textured->HasSection(YControlType::kButton));
    EXPECT_EQ(YStyle::Default(), textured);
    YStyleConfiguration saved;
    ASSERT_EQ(saved.Load(dir), YStyleConfiguration::Outcome::kRead);
    EXPECT_EQ(saved.style.ToUTF8(), "Green");
    EXPECT_TRUE(g_reports.empty());
}

} // namespace
