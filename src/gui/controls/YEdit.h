// Text entry: YEdit (one line, or several with "multiline") and YMultiLineEdit (several
// lines, wrapped to the width by default). Cursor and selection, word jumps, undo of the
// last change, the clipboard through the window system, and the "int" and "float" filters
// that keep the text a number being typed.
#pragma once

#include "gui/toolkit/YControl.h"

#include <cstdint>
#include <vector>

enum class YEditFilter : int32_t { kNone, kInt, kFloat };

class YEdit : public YControl {
public:
    // Blink period of the caret while the edit has the focus.
    static constexpr uint32_t kCaretBlinkMs = 530;

    YEdit(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    void FocusGained() override;
    void FocusLost() override;
    void Timer() override;
    void HoverChanged(bool hovered) override;
    void Resized() override;
    YSize ComputeMinimalSize() override;

    // Text. SetText keeps the filter and the length limit out of it (it is the program's
    // text) and puts the cursor at the end.
    const YString& Text() const noexcept { return m_text; }
    void SetText(const YString& text);
    // The text as shown: every character replaced by the "showchar" character when set.
    YString DisplayText() const;

    // Cursor and selection: indices 0 .. length; the selection runs between the anchor and
    // the cursor.
    int32_t Cursor() const noexcept { return m_cursor; }
    int32_t SelectionStart() const noexcept { return m_anchor < m_cursor ? m_anchor : m_cursor; }
    int32_t SelectionEnd() const noexcept { return m_anchor < m_cursor ? m_cursor : m_anchor; }
    bool HasSelection() const noexcept { return m_anchor != m_cursor; }
    YString SelectedText() const;
    // Selects from anchor to cursor (clamped); the cursor is where typing continues.
    void SetSelection(int32_t anchor, int32_t cursor);
    void SetCursor(int32_t cursor, bool extendSelection = false);
    void SelectAll() { SetSelection(0, m_text.Length()); }

    // Editing as the user does it: the filter, the length limit and "readonly" apply.
    // Replaces the selection with text; false when nothing could be inserted.
    bool ReplaceSelection(const YString& text);
    void Copy();
    void Cut();
    void Paste();
    // Back to the text before the last change; a second undo redoes it.
    void Undo();

    // Options.
    bool IsMultiLine() const noexcept { return m_multiLine; }
    void SetMultiLine(bool multiLine);
    bool WrapsLines() const noexcept { return m_wrapLines; }
    void SetWrapLines(bool wrap);
    bool IsReadOnly() const noexcept { return m_readOnly; }
    void SetReadOnly(bool readOnly) noexcept { m_readOnly = readOnly; }
    bool CentersText() const noexcept { return m_centerText; }
    int32_t MaxLength() const noexcept { return m_maxLength; }
    void SetMaxLength(int32_t maxLength) noexcept { m_maxLength = maxLength < 0 ? 0 : maxLength; }
    char16_t ShowChar() const noexcept { return m_showChar; }
    void SetShowChar(char16_t c) { m_showChar = c; Relines(); }
    YEditFilter Filter() const noexcept { return m_filter; }
    void SetFilter(YEditFilter filter) noexcept { m_filter = filter; }
    // Whether text passes the filter as a whole (a number being typed: "-", "1.", "2e" pass).
    static bool PassesFilter(YEditFilter filter, const YString& text);

    // Layout of the text (window painting and mouse use the same): lines as index ranges of
    // the text, without their line break.
    struct Line {
        int32_t start = 0;
        int32_t length = 0;
    };
    const std::vector<Line>& Lines() const noexcept { return m_lines; }
    int32_t LineOf(int32_t index) const noexcept;
    int32_t FirstVisibleLine() const noexcept { return m_firstLine; }
    int32_t ScrollX() const noexcept { return m_scrollX; }
    int32_t VisibleLines();
    bool CaretVisible() const noexcept { return m_caretOn; }
    // The rectangle the text is laid out in (inside the border), window coordinates.
    YRect TextRect();
    // Pixel x of a caret index within its line, from the line's start.
    int32_t CaretX(int32_t index);

    // The text changed (typing, paste, cut, undo, SetText).
    YEvent<YOnStringParams> OnChange;
    // Enter in a single-line edit.
    YEvent<YOnStringParams> OnEnter;

protected:
    // Characters that make up words for Ctrl+arrows, double-click and Ctrl+Backspace.
    static bool IsWordChar(char16_t c) noexcept;

private:
    bool HandleKey(const YSystemEvent& event);
    bool HandleMouse(const YSystemEvent& event);
    void MoveVertically(int32_t lines, bool extend);
    bool DeleteRange(int32_t from, int32_t to);
    int32_t IndexAtPoint(YPoint windowPoint);
    int32_t WordStart(int32_t index) const noexcept;
    int32_t WordEnd(int32_t index) const noexcept;
    void ChangeText(const YString& text, int32_t cursor);
    void Relines();
    void ScrollToCursor();
    void RestartCaret();

    YString m_text;
    int32_t m_cursor = 0;
    int32_t m_anchor = 0;
    YString m_undoText;
    int32_t m_undoCursor = 0;
    bool m_canUndo = false;

    bool m_multiLine = false;
    bool m_wrapLines = false;
    bool m_readOnly = false;
    bool m_centerText = false;
    int32_t m_maxLength = 0; // 0: no limit
    char16_t m_showChar = 0;
    YEditFilter m_filter = YEditFilter::kNone;

    std::vector<Line> m_lines;
    int32_t m_firstLine = 0;
    int32_t m_scrollX = 0;
    int32_t m_goalX = -1; // the x that up and down keep to
    bool m_caretOn = false;
    bool m_selecting = false;
};

class YMultiLineEdit : public YEdit {
public:
    YMultiLineEdit(YControl* parent, const YString& id = YString());
};
