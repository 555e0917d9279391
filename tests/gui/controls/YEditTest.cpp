// Text entry driven by keys, characters and the mouse: cursor and selection, the clipboard
// through the window system, filters, limits, multi-line movement and wrapping.
#include "ControlsFixture.h"

#include "foundation/YXMLItem.h"
#include "gui/controls/YControlText.h"
#include "gui/controls/YEdit.h"

#include <vector>

namespace {

constexpr uint32_t kShift = YEventFlag::kShift;
constexpr uint32_t kCtrl = YEventFlag::kCtrl;

// One user action: a key with modifiers, or typed text.
struct Step {
    uint32_t key = 0;
    uint32_t modifiers = 0;
    const char* text = nullptr;
};
Step K(uint32_t key, uint32_t modifiers = 0) { return {key, modifiers, nullptr}; }
Step T(const char* text) { return {0, 0, text}; }

class EditTest : public ControlsFixture {
protected:
    YEdit* MakeEdit(const char* text, YRect rect = YRect::FromSize(10, 10, 200, 24)) {
        auto* edit = Place(new YEdit(&root, "edit"), rect);
        edit->SetText(YString::FromUTF8(text));
        edit->SetFocus();
        return edit;
    }
    void Run(const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            if (s.text != nullptr) Type(s.text);
            else Key(s.key, s.modifiers);
        }
    }
    // The text with the selection marked as [..] and the cursor as |.
    static std::string Marked(const YEdit& e) {
        std::string out;
        const YString& t = e.Text();
        for (int32_t i = 0; i <= t.Length(); ++i) {
            if (e.HasSelection() && i == e.SelectionStart()) out += '[';
            if (e.HasSelection() && i == e.SelectionEnd()) out += ']';
            if (!e.HasSelection() && i == e.Cursor()) out += '|';
            if (i < t.Length()) out += static_cast<char>(t[i]);
        }
        return out;
    }
};

TEST_F(EditTest, KeysMoveTheCursorAndExtendTheSelection) {
    struct Row {
        const char* name;
        const char* text; // the cursor starts at the end
        std::vector<Step> steps;
        const char* expected;
    };
    const Row rows[] = {
        {"left and right", "abc", {K(YKey::kLeft), K(YKey::kLeft), K(YKey::kRight)}, "ab|c"},
        {"home, end", "abc", {K(YKey::kHome), K(YKey::kRight), K(YKey::kEnd)}, "abc|"},
        {"shift+home selects to the start", "abc", {K(YKey::kLeft), K(YKey::kHome, kShift)}, "[ab]c"},
        {"shift+left twice", "abcd", {K(YKey::kLeft, kShift), K(YKey::kLeft, kShift)}, "ab[cd]"},
        {"left collapses a selection to its start", "abcd", {K(YKey::kHome, kShift), K(YKey::kRight, kShift), K(YKey::kLeft)}, "a|bcd"},
        {"ctrl+left jumps words", "one two three", {K(YKey::kLeft, kCtrl), K(YKey::kLeft, kCtrl)}, "one |two three"},
        {"ctrl+right jumps to the next word", "one two three", {K(YKey::kHome), K(YKey::kRight, kCtrl)}, "one |two three"},
        {"ctrl+shift+left selects a word", "one two", {K(YKey::kLeft, kCtrl | kShift)}, "one [two]"},
        {"ctrl+a selects all", "abc", {K('A', kCtrl)}, "[abc]"},
        {"typing replaces the selection", "hello world", {K(YKey::kLeft, kCtrl | kShift), T("there")}, "hello there|"},
        {"backspace", "abc", {K(YKey::kBack)}, "ab|"},
        {"backspace at the start does nothing", "abc", {K(YKey::kHome), K(YKey::kBack)}, "|abc"},
        {"delete", "abc", {K(YKey::kHome), K(YKey::kDelete)}, "|bc"},
        {"ctrl+backspace deletes a word", "one two", {K(YKey::kBack, kCtrl)}, "one |"},
        {"ctrl+delete deletes to the next word", "one two", {K(YKey::kHome), K(YKey::kDelete, kCtrl)}, "|two"},
        {"delete removes the selection", "abcdef", {K(YKey::kLeft), K(YKey::kLeft, kShift), K(YKey::kLeft, kShift), K(YKey::kDelete)}, "abc|f"},
        {"typing in the middle", "ad", {K(YKey::kLeft), T("bc")}, "abc|d"},
        {"undo brings back the text before the last change", "abc", {K(YKey::kBack), K('Z', kCtrl)}, "abc|"},
        {"a second undo redoes", "abc", {K(YKey::kBack), K('Z', kCtrl), K('Z', kCtrl)}, "ab|"},
        {"ctrl+letters type nothing", "abc", {K('Q', kCtrl)}, "abc|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        YEdit* edit = MakeEdit(row.text);
        Run(row.steps);
        EXPECT_EQ(Marked(*edit), row.expected);
        delete edit;
    }
}

TEST_F(EditTest, ClipboardGoesThroughTheWindowSystem) {
    YEdit* edit = MakeEdit("alpha beta");
    Key(YKey::kLeft, kCtrl | kShift);
    Key('C', kCtrl);
    EXPECT_EQ(Utf8(system.GetClipboardText(root)), "beta");
    EXPECT_EQ(Utf8(edit->Text()), "alpha beta"); // copy leaves the text

    Key('X', kCtrl);
    EXPECT_EQ(Marked(*edit), "alpha |");
    Key(YKey::kHome);
    Key('V', kCtrl);
    EXPECT_EQ(Marked(*edit), "beta|alpha ");
    // The Insert-key forms do the same.
    system.SetClipboardText(root, "X");
    Key(YKey::kInsert, kShift);
    EXPECT_EQ(Marked(*edit), "betaX|alpha ");
    Key(YKey::kHome, kShift);
    Key(YKey::kInsert, kCtrl);
    EXPECT_EQ(Utf8(system.GetClipboardText(root)), "betaX");
    Key(YKey::kDelete, kShift); // cut
    EXPECT_EQ(Marked(*edit), "|alpha ");
    EXPECT_EQ(Utf8(system.GetClipboardText(root)), "betaX");
}

TEST_F(EditTest, PasteIntoOneLineTakesTheFirstLineAndReadOnlyOrMaskedTextsStayPut) {
    YEdit* edit = MakeEdit("");
    system.SetClipboardText(root, "first\r\nsecond");
    Key('V', kCtrl);
    EXPECT_EQ(Utf8(edit->Text()), "first");

    edit->SetReadOnly(true);
    Key('A', kCtrl);
    Key('C', kCtrl); // copying from a read-only text is fine
    EXPECT_EQ(Utf8(system.GetClipboardText(root)), "first");
    system.SetClipboardText(root, "other");
    Key('V', kCtrl);
    Key('X', kCtrl);
    Type("typed");
    Key(YKey::kBack);
    EXPECT_EQ(Utf8(edit->Text()), "first");
    EXPECT_EQ(Utf8(system.GetClipboardText(root)), "other");

    // A masked text (password) never reaches the clipboard and shows only its mask.
    edit->SetReadOnly(false);
    edit->SetShowChar(u'*');
    edit->SetText("secret");
    Key('A', kCtrl);
    Key('C', kCtrl);
    Key('X', kCtrl);
    EXPECT_EQ(Utf8(system.GetClipboardText(root)), "other");
    EXPECT_EQ(Utf8(edit->Text()), "secret");
    EXPECT_EQ(Utf8(edit->DisplayText()), "******");
}

TEST_F(EditTest, IntAndFloatFiltersKeepANumberBeingTyped) {
    struct Row {
        YEditFilter filter;
        const char* typed;
        const char* expected;
    };
    const Row rows[] = {
        {YEditFilter::kInt, "-12abc", "-12"},
        {YEditFilter::kInt, "1-2", "12"},
        {YEditFilter::kInt, "3.5", "35"},
        {YEditFilter::kInt, "--7", "-7"},
        {YEditFilter::kFloat, "-1.25", "-1.25"},
        {YEditFilter::kFloat, "1.2.3", "1.23"},
        {YEditFilter::kFloat, "2e-3x", "2e-3"},
        {YEditFilter::kFloat, "e5", "5"},
        {YEditFilter::kFloat, ".5", ".5"},
        {YEditFilter::kNone, "a-1.b", "a-1.b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        YEdit* edit = MakeEdit("");
        edit->SetFilter(row.filter);
        Type(row.typed);
        EXPECT_EQ(Utf8(edit->Text()), row.expected);
        delete edit;
    }
    // A paste that would break the number is refused whole.
    YEdit* edit = MakeEdit("");
    edit->SetFilter(YEditFilter::kInt);
    system.SetClipboardText(root, "12x");
    Key('V', kCtrl);
    EXPECT_EQ(Utf8(edit->Text()), "");
    system.SetClipboardText(root, "-42");
    Key('V', kCtrl);
    EXPECT_EQ(Utf8(edit->Text()), "-42");
    // Deleting the digits may leave a lone minus, a number still being typed.
    Key(YKey::kBack);
    Key(YKey::kBack);
    EXPECT_EQ(Marked(*edit), "-|");
}

TEST_F(EditTest, MaxLengthCutsTypingAndPaste) {
    YEdit* edit = MakeEdit("");
    edit->SetMaxLength(5);
    Type("abcdefg");
    EXPECT_EQ(Utf8(edit->Text()), "abcde");
    Key(YKey::kHome);
    Key(YKey::kRight, kShift);
    system.SetClipboardText(root, "XYZ");
    Key('V', kCtrl); // one character selected: room for one
    EXPECT_EQ(Utf8(edit->Text()), "Xbcde");
}

TEST_F(EditTest, EnterAndChangeEvents) {
    struct Listener : YEventTarget {
        std::vector<std::string> changes;
        std::vector<std::string> enters;
        void Changed(YOnStringParams& p) { changes.push_back(p.text.ToUTF8()); }
        void Entered(YOnStringParams& p) { enters.push_back(p.text.ToUTF8()); }
    } listener;
    YEdit* edit = MakeEdit("");
    edit->OnChange.Add<&Listener::Changed>(&listener);
    edit->OnEnter.Add<&Listener::Entered>(&listener);
    Type("ab");
    Key(YKey::kLeft); // no change
    Key(YKey::kReturn);
    EXPECT_EQ(listener.changes, (std::vector<std::string>{"a", "ab"}));
    EXPECT_EQ(listener.enters, (std::vector<std::string>{"ab"}));
}

TEST_F(EditTest, MousePlacesTheCursorSelectsByDragAndWordsByDoubleClick) {
    YEdit* edit = MakeEdit("hello brave world");
    const YRect text = edit->TextRect();
    const int32_t y = text.top + 5;
    auto xAt = [&](int32_t index) { return text.left + edit->CaretX(index); };

    Click({text.left - 2, y});
    EXPECT_EQ(Marked(*edit), "|hello brave world");
    Click({xAt(6) + 1, y}); // just right of the edge before "brave"
    EXPECT_EQ(edit->Cursor(), 6);
    Click({edit->WindowRect().right - 1, y}); // past the text
    EXPECT_EQ(edit->Cursor(), 17);

    Drag({xAt(6) + 1, y}, {xAt(11) + 1, y});
    EXPECT_EQ(Marked(*edit), "hello [brave] world");
    // Shift+click extends from the anchor.
    Click({xAt(2) + 1, y}, kShift);
    EXPECT_EQ(Marked(*edit), "he[llo ]brave world");

    DoubleClick({xAt(14), y});
    EXPECT_EQ(Marked(*edit), "hello brave [world]");
    EXPECT_TRUE(edit->HasFocus());
}

TEST_F(EditTest, LongTextScrollsToKeepTheCursorInside) {
    YEdit* edit = MakeEdit("", YRect::FromSize(0, 0, 60, 24));
    Type("the quick brown fox jumps");
    const int32_t width = edit->TextRect().Width();
    EXPECT_GT(edit->ScrollX(), 0);
    EXPECT_LE(edit->CaretX(edit->Cursor()) - edit->ScrollX(), width);
    Key(YKey::kHome);
    EXPECT_EQ(edit->ScrollX(), 0);
}

TEST_F(EditTest, MultiLineEnterUpDownAndWrapping) {
    auto* edit = Place(new YMultiLineEdit(&root, "m"), YRect::FromSize(0, 0, 300, 120));
    edit->SetWrapLines(false);
    edit->SetFocus();
    Type("first line");
    Key(YKey::kReturn);
    Type("2nd");
    Key(YKey::kReturn);
    Type("third line here");
    ASSERT_EQ(edit->Lines().size(), 3u);
    EXPECT_EQ(Utf8(edit->Text()), "first line\n2nd\nthird line here");

    // Up keeps to the x where it started, even over a shorter line.
    Key(YKey::kUp);
    EXPECT_EQ(edit->Cursor(), 14); // end of "2nd"
    Key(YKey::kUp);
    EXPECT_EQ(edit->LineOf(edit->Cursor()), 0);
    EXPECT_GE(edit->Cursor(), 9); // back near the column of the long line's end
    Key(YKey::kHome);
    EXPECT_EQ(edit->Cursor(), 0);
    Key(YKey::kDown, kShift);
    EXPECT_EQ(Utf8(edit->SelectedText()), "first line\n");
    Key(YKey::kEnd, kCtrl);
    EXPECT_EQ(edit->Cursor(), edit->Text().Length());
    Key(YKey::kHome);
    EXPECT_EQ(edit->Cursor(), 15);

    // Wrapping breaks at spaces inside the width; every character is on exactly one line.
    edit->SetText("one two three four five six seven eight nine ten");
    edit->SetWrapLines(true);
    edit->SetSize(90, 120);
    ASSERT_GT(edit->Lines().size(), 1u);
    int32_t covered = 0;
    for (const YEdit::Line& line : edit->Lines()) {
        EXPECT_EQ(line.start, covered);
        covered += line.length;
        const YString text = edit->Text().Substring(line.start, line.length);
        EXPECT_LE(YControlText::Width(*edit, text.Trimmed()), edit->TextRect().Width()) << text.ToUTF8();
    }
    EXPECT_EQ(covered, edit->Text().Length());
}

TEST_F(EditTest, LoadsItsAttributes) {
    YXMLItem element("edit");
    element.SetAttribute("text", "12345");
    element.SetAttribute("filter", "int");
    element.SetAttribute("maxlength", "6");
    element.SetAttribute("selectionstart", "1");
    element.SetAttribute("selectionend", "3");
    element.SetAttribute("readonly", "0");
    auto* edit = new YEdit(&root);
    edit->Load(element);
    EXPECT_EQ(edit->Filter(), YEditFilter::kInt);
    EXPECT_EQ(edit->MaxLength(), 6);
    EXPECT_EQ(Utf8(edit->SelectedText()), "23");

    YXMLItem bad("edit");
    bad.SetAttribute("filter", "hex");
    EXPECT_THROW(edit->Load(bad), YException);
}

} // namespace
