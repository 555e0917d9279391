// The editor's root window with the real plug-in's parameters, rendered headless: its texts
// come out in the built-in font where the layout puts them, a host change repaints the value
// text, and PNG snapshots land in the build folder for a person to look at.
#include "../windows/PngSnapshot.h"

#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "entry/VornikIdentity.h"
#include "gui/drawing/YFont.h"
#include "gui/editor/YPluginEditor.h"
#include "gui/windows/YWindowSystemHeadless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#ifndef VORNIK_SNAPSHOT_DIR
#define VORNIK_SNAPSHOT_DIR "snapshots"
#endif

namespace {

// Columns of ink: text pixels are far brighter than any background of the editor.
struct Ink {
    int32_t pixels = 0;
    int32_t left = -1;
    int32_t right = -1;
};

Ink FindInk(const YBaseBitmap& bitmap, const YRect& rect) {
    Ink ink;
    for (int32_t y = rect.top; y <= rect.bottom; ++y) {
        for (int32_t x = rect.left; x <= rect.right; ++x) {
            if (bitmap.At(x, y).g < 120) continue;
            ++ink.pixels;
            if (ink.left < 0 || x < ink.left) ink.left = x;
            ink.right = std::max(ink.right, x);
        }
    }
    return ink;
}

void WriteSnapshot(const YBaseBitmap& bitmap, const char* name) {
    std::filesystem::create_directories(VORNIK_SNAPSHOT_DIR);
    const std::string path = std::string(VORNIK_SNAPSHOT_DIR) + "/" + name;
    EXPECT_TRUE(snapshot::WritePng(bitmap, path)) << path;
}

class PluginEditorTest : public testing::Test {
protected:
    void SetUp() override {
        plugin = YQuenlorAudioEffectPlugin::Create(VornikIdentity::kProductName, VornikIdentity::kVendorName,
                                                   VornikAudioEffectPluginInterface, VornikIdentity::kEditorWidth,
                                                   VornikIdentity::kEditorHeight);
        ASSERT_NE(plugin, nullptr);
        editor = std::make_unique<YPluginEditor>(&system, *plugin);
        system.CreateNativeWindow(*editor, 0);
        system.Show(*editor);
        system.Pump();
        ASSERT_NE(Bitmap(), nullptr);
    }
    void TearDown() override { editor.reset(); }

    const YBaseBitmap* Bitmap() const { return system.Bitmap(*editor); }
    static YRect NameRect(int32_t row) {
        const int32_t top = YPluginEditor::kHeaderHeight + row * YPluginEditor::kRowHeight;
        return {12, top, 170, top + YPluginEditor::kRowHeight - 1};
    }
    YRect ValueTextRect(int32_t row) const {
        const YRect bar = editor->ValueBarRect(row);
        const YRect name = NameRect(row);
        return {name.right + 6, name.top, bar.left - 8, name.bottom};
    }

    YWindowSystemHeadless system;
    std::unique_ptr<YQuenlorAudioEffectPlugin> plugin;
    std::unique_ptr<YPluginEditor> editor;
    std::unique_ptr<YFont> font = YFont::Default(YPluginEditor::kTextPixels);
};

TEST_F(PluginEditorTest, TitleNamesAndValueTextsAreDrawnInTheBuiltInFont) {
    WriteSnapshot(*Bitmap(), "editor.png");
    ASSERT_GT(editor->RowCount(), 5);

    const Ink title = FindInk(*Bitmap(), {0, 0, editor->Size().x - 1, YPluginEditor::kHeaderHeight - 6});
    const auto titleFont = YFont::Default(YPluginEditor::kTitlePixels);
    EXPECT_NEAR(title.left, 12, 2) << "the title starts at the margin";
    EXPECT_NEAR(title.right - title.left + 1, titleFont->TextWidth(VornikIdentity::kProductName), 3);

    // Every row: the name from the left margin, as wide as the font sets it; the value text
    // ends at the column before the bar.
    for (int32_t row = 0; row < editor->RowCount(); ++row) {
        SCOPED_TRACE(plugin->GetParameterName(row).ToUTF8());
        const Ink name = FindInk(*Bitmap(), NameRect(row));
        ASSERT_GT(name.pixels, 5);
        EXPECT_LE(name.left, 13);
        const int32_t nameWidth = std::min(font->TextWidth(plugin->GetParameterName(row)), 170 - 12 + 1);
        EXPECT_NEAR(name.right - 12 + 1, nameWidth, 2);

        const YString text = plugin->GetParameterValueName(row);
        if (text.IsEmpty()) continue;
        const Ink value = FindInk(*Bitmap(), ValueTextRect(row));
        ASSERT_GT(value.pixels, 3) << text.ToUTF8();
        EXPECT_NEAR(value.right, ValueTextRect(row).right, 2) << text.ToUTF8();
        EXPECT_NEAR(value.right - value.left + 1, font->TextWidth(text), 3) << text.ToUTF8();
    }
}

TEST_F(PluginEditorTest, AHostChangeRepaintsTheValueTextAndBar) {
    // Two values whose texts differ in width, so the repaint shows in the ink.
    plugin->SetParameter(0, 0.0);
    editor->Refresh();
    system.Pump();
    const YString low = plugin->GetParameterValueName(0);
    const Ink before = FindInk(*Bitmap(), ValueTextRect(0));
    const YRect bar = editor->ValueBarRect(0);
    const YColor track = Bitmap()->At(bar.left + 1, bar.top + 1);
    EXPECT_EQ(Bitmap()->At(bar.right - 1, bar.top + 1), track) << "an empty bar";

    plugin->SetParameter(0, 1.0);
    editor->Refresh();
    const int32_t paints = system.PaintCount(*editor);
    system.Pump();
    EXPECT_EQ(system.PaintCount(*editor), paints + 1);
    const YString high = plugin->GetParameterValueName(0);
    ASSERT_NE(low, high);
    const Ink after = FindInk(*Bitmap(), ValueTextRect(0));
    EXPECT_NEAR(after.right - after.left + 1, font->TextWidth(high), 3) << high.ToUTF8();
    EXPECT_NEAR(before.right - before.left + 1, font->TextWidth(low), 3) << low.ToUTF8();
    EXPECT_NE(Bitmap()->At(bar.left + 1, bar.top + 1), track) << "a full bar";
    EXPECT_EQ(Bitmap()->At(bar.right - 1, bar.top + 1), Bitmap()->At(bar.left + 1, bar.top + 1)) << "a full bar";
    // Only that row was painted again.
    EXPECT_EQ(system.LastPainted(*editor).top, NameRect(0).top);
    EXPECT_EQ(system.LastPainted(*editor).bottom, NameRect(0).bottom);
    WriteSnapshot(*Bitmap(), "editor-changed.png");

    system.Resize(*editor, {760, editor->Size().y + 60});
    system.Pump();
    WriteSnapshot(*Bitmap(), "editor-wide.png");
    EXPECT_NEAR(FindInk(*Bitmap(), ValueTextRect(0)).right, editor->ValueBarRect(0).left - 8, 2)
        << "the value text follows the bar";
}

} // namespace
