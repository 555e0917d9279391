// Both code-drawn styles at 100 % and 200 %: the sheet of every control type in every state
// and all standard icons, written as PNG into the build folder for a person to look at.
#include "StyleSheet.h"
#include "gui/style/YBaseStyle.h"
#include "../windows/PngSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef VORNIK_SNAPSHOT_DIR
#define VORNIK_SNAPSHOT_DIR "snapshots"
#endif

namespace {

TEST(BaseStyleSnapshot, BothThemesAtBothScalesAreWrittenAndDiffer) {
    std::filesystem::create_directories(VORNIK_SNAPSHOT_DIR);
    struct Row {
        YBaseStyle::Theme theme;
        float scale;
        const char* file;
    };
    const Row rows[] = {
        {YBaseStyle::Theme::kLight, 1.0f, "style-light-100.png"},
        {YBaseStyle::Theme::kLight, 2.0f, "style-light-200.png"},
        {YBaseStyle::Theme::kDark, 1.0f, "style-dark-100.png"},
        {YBaseStyle::Theme::kDark, 2.0f, "style-dark-200.png"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        YBaseStyle style(row.theme);
        style.SetResize(row.scale, row.scale);
        const YBitmap sheet = RenderStyleSheet(style);
        EXPECT_EQ(sheet.Width(), static_cast<int32_t>(1040 * row.scale));
        EXPECT_TRUE(snapshot::WritePng(sheet, std::string(VORNIK_SNAPSHOT_DIR) + "/" + row.file));
    }
}

} // namespace
