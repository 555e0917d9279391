// The F1 help text of a control.
#include "gui/toolkit/YControlHelp.h"
#include "gui/toolkit/YControl.h"

#include <gtest/gtest.h>

namespace {

class Typed : public YControl {
public:
    Typed() : YControl(nullptr) {}
    YString usage;
    YString HelpTextOfType() override { return usage; }
};

TEST(ControlHelp, TextHasTheTitleTheOwnHelpAndTheUsageLines) {
    struct Row {
        const char* name;
        const char* help;
        const char* usage;
        const char* expected;
    };
    const Row rows[] = {
        {"nothing at all", "", "", "Sorry, no help is defined for this control."},
        {"own help only", "<name>Depth</name> mixes.", "",
         "<center invert=1 singleline=1><l2>Depth</l2></center><justify><s/></justify><name>Depth</name> mixes."},
        {"usage lines only", "", "Drag it.\nWheel it.",
         "<center invert=1 singleline=1><l2>Depth</l2></center><justify><s/></justify>"
         "<p><b>Control meaning</b><li>Drag it.</li><li>Wheel it.</li>"},
        {"both, empty lines skipped", "Mixes.", "Drag it.\n\nWheel it.\n",
         "<center invert=1 singleline=1><l2>Depth</l2></center><justify><s/></justify>Mixes."
         "<p><b>General control usage</b><li>Drag it.</li><li>Wheel it.</li>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Typed control;
        control.SetHelp(YString::FromUTF8(row.help));
        control.usage = YString::FromUTF8(row.usage);
        EXPECT_EQ(YControlHelp::Text(control, "Depth").ToUTF8(), row.expected);
    }
}

TEST(ControlHelp, AControlWithoutTextCanUseItsParentsHelp) {
    YControl parent(nullptr);
    parent.SetHelp("Parent help.");
    auto* child = new YControl(&parent);
    EXPECT_EQ(child->HelpText().ToUTF8(), "");
    child->SetFlag(YControlFlag::kUseParentHelp, true);
    EXPECT_EQ(child->HelpText().ToUTF8(), "Parent help.");
    child->SetHelp("Own help.");
    EXPECT_EQ(child->HelpText().ToUTF8(), "Own help.");
}

} // namespace
