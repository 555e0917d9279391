#include "gui/controls/YEdit.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"
#include "gui/toolkit/YWindow.h"
#include "gui/toolkit/YWindowSystem.h"

#include <algorithm>

namespace {

// Room between the border and the text.
constexpr int32_t kPadX = 4;
constexpr int32_t kPadY = 3;

bool IsDigit(char16_t c) noexcept { return c >= u'0' && c <= u'9'; }

} // namespace

YEdit::YEdit(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kEdit);
    SetFlag(YControlFlag::kTabStop, true);
    SetUpEvents(YControlUpEvents::kLeftUp);
    Relines();
}

// ---- attributes ----

void YEdit::Load(const YXMLItem& element) {
    YControl::Load(element);
    using namespace YControlAttributes;
    ReadFlag(element, "multiline", m_multiLine);
    ReadFlag(element, "wraplines", m_wrapLines);
    ReadFlag(element, "readonly", m_readOnly);
    ReadFlag(element, "centertext", m_centerText);
    int32_t maxLength = m_maxLength;
    if (ReadInt(element, "maxlength", maxLength)) SetMaxLength(maxLength);
    if (const YString* v = element.FindAttribute("showchar")) {
        // A number is a character code (1 for the usual dot); anything else is the character.
        int32_t consumed = 0;
        const int64_t code = v->ToInteger(10, &consumed);
        if (consumed > 0) {
            m_showChar = code <= 0 ? 0 : (code < 32 || code > 0xFFFF ? u'\u2022' : static_cast<char16_t>(code));
        } else if (!v->IsEmpty()) {
            m_showChar = (*v)[0];
        }
    }
    if (const YString* v = element.FindAttribute("filter")) {
        if (*v == YString("int")) {
            m_filter = YEditFilter::kInt;
        } else if (*v == YString("float")) {
            m_filter = YEditFilter::kFloat;
        } else if (v->IsEmpty() || *v == YString("none")) {
            m_filter = YEditFilter::kNone;
        } else {
            YRaiseFormat(YException::kGeneral, "Invalid edit filter identifier to parse ({0}).", *v);
        }
    }
    YString text;
    if (ReadText(element, "text", text)) SetText(text);
    int32_t cursor = m_cursor;
    if (ReadInt(element, "cursorpos", cursor)) SetCursor(cursor);
    int32_t start = SelectionStart();
    int32_t end = SelectionEnd();
    const bool hasStart = ReadInt(element, "selectionstart", start);
    const bool hasEnd = ReadInt(element, "selectionend", end);
    if (hasStart || hasEnd) SetSelection(start, end);
    Relines();
}

// ---- text and selection ----

void YEdit::SetText(const YString& text) {
    YString clean = text;
    if (!m_multiLine) {
        // One line: line breaks become spaces.
        for (int32_t i = 0; i < clean.Length(); ++i) {
            if (clean[i] == u'\n' || clean[i] == u'\r') clean.MutableData()[i] = u' ';
        }
    }
    m_canUndo = false;
    ChangeText(clean, clean.Length());
}

YString YEdit::DisplayText() const {
    if (m_showChar == 0) return m_text;
    YString shown;
    shown.Resize(m_text.Length());
    char16_t* data = shown.MutableData();
    for (int32_t i = 0; i < m_text.Length(); ++i) data[i] = m_text[i] == u'\n' ? u'\n' : m_showChar;
    return shown;
}

YString YEdit::SelectedText() const { return m_text.Substring(SelectionStart(), SelectionEnd() - SelectionStart()); }

void YEdit::SetSelection(int32_t anchor, int32_t cursor) {
    const int32_t n = m_text.Length();
    m_anchor = std::clamp(anchor, 0, n);
    m_cursor = std::clamp(cursor, 0, n);
    m_goalX = -1;
    ScrollToCursor();
    RestartCaret();
    Repaint();
}

void YEdit::SetCursor(int32_t cursor, bool extendSelection) {
    SetSelection(extendSelection ? m_anchor : cursor, cursor);
}

bool YEdit::PassesFilter(YEditFilter filter, const YString& text) {
    if (filter == YEditFilter::kNone) return true;
    int32_t i = 0;
    const int32_t n = text.Length();
    if (i < n && text[i] == u'-') ++i;
    while (i < n && IsDigit(text[i])) ++i;
    if (filter == YEditFilter::kInt) return i == n;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i;
    }
    if (i < n && (text[i] == u'e' || text[i] == u'E') && i > 0 && IsDigit(text[i - 1])) {
        ++i;
        if (i < n && (text[i] == u'-' || text[i] == u'+')) ++i;
        while (i < n && IsDigit(text[i])) ++i;
    }
    return i == n;
}

bool YEdit::ReplaceSelection(const YString& inserted) {
    if (m_readOnly) return false;
    YString text = inserted;
    // Carriage returns never enter; a single line takes only the first line of a paste.
    YString clean;
    for (int32_t i = 0; i < text.Length(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') continue;
        if (c == u'\n' && !m_multiLine) break;
        if (c == u'\t' && !m_multiLine) {
            clean.Append(u' ');
            continue;
        }
        clean.Append(c);
    }
    const int32_t start = SelectionStart();
    const int32_t end = SelectionEnd();
    if (m_maxLength > 0) {
        const int32_t room = m_maxLength - (m_text.Length() - (end - start));
        if (room <= 0 && !clean.IsEmpty()) return false;
        if (clean.Length() > room) clean = clean.Substring(0, std::max(room, 0));
    }
    if (clean.IsEmpty() && start == end) return false;
    YString result = m_text.Substring(0, start);
    result.Append(clean);
    result.Append(m_text.Substring(end));
    if (!PassesFilter(m_filter, result)) return false;
    m_undoText = m_text;
    m_undoCursor = m_cursor;
    m_canUndo = true;
    ChangeText(result, start + clean.Length());
    return true;
}

void YEdit::ChangeText(const YString& text, int32_t cursor) {
    const bool changed = text != m_text;
    m_text = text;
    m_anchor = m_cursor = std::clamp(cursor, 0, m_text.Length());
    m_goalX = -1;
    Relines();
    ScrollToCursor();
    RestartCaret();
    Repaint();
    if (changed) {
        YOnStringParams params{this, m_text};
        OnChange.Fire(params);
    }
}

bool YEdit::DeleteRange(int32_t from, int32_t to) {
    const int32_t anchor = m_anchor;
    const int32_t cursor = m_cursor;
    m_anchor = from;
    m_cursor = to;
    if (ReplaceSelection(YString())) return true;
    // Refused (read-only, or "-5" to "-5" minus a digit the filter rejects): nothing moves.
    m_anchor = anchor;
    m_cursor = cursor;
    return false;
}

void YEdit::Copy() {
    // A masked text stays where it is.
    if (!HasSelection() || m_showChar != 0) return;
    if (YWindowSystem* system = WindowSystem()) system->SetClipboardText(*Window(), SelectedText());
}

void YEdit::Cut() {
    if (!HasSelection() || m_readOnly || m_showChar != 0) return;
    Copy();
    ReplaceSelection(YString());
}

void YEdit::Paste() {
    YWindowSystem* system = WindowSystem();
    if (system == nullptr || m_readOnly) return;
    const YString text = system->GetClipboardText(*Window());
    if (!text.IsEmpty()) ReplaceSelection(text);
}

void YEdit::Undo() {
    if (!m_canUndo || m_readOnly) return;
    const YString redo = m_text;
    const int32_t redoCursor = m_cursor;
    ChangeText(m_undoText, m_undoCursor);
    m_undoText = redo;
    m_undoCursor = redoCursor;
    m_canUndo = true;
}

void YEdit::SetMultiLine(bool multiLine) {
    m_multiLine = multiLine;
    Relines();
}

void YEdit::SetWrapLines(bool wrap) {
    m_wrapLines = wrap;
    Relines();
}

// ---- words ----

bool YEdit::IsWordChar(char16_t c) noexcept {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}

int32_t YEdit::WordStart(int32_t index) const noexcept {
    // Back over spaces and punctuation, then over the word.
    while (index > 0 && !IsWordChar(m_text[index - 1])) --index;
    while (index > 0 && IsWordChar(m_text[index - 1])) --index;
    return index;
}

int32_t YEdit::WordEnd(int32_t index) const noexcept {
    const int32_t n = m_text.Length();
    while (index < n && IsWordChar(m_text[index])) ++index;
    while (index < n && !IsWordChar(m_text[index]) && m_text[index] != u'\n') ++index;
    return index;
}

// ---- layout ----

YRect YEdit::TextRect() {
    const YRect r = WindowRect();
    if (YStyle* style = YStyleOf(*this)) return style->ContentRect(YControlType::kEdit, r);
    return {r.left + kPadX, r.top + kPadY, r.right - kPadX, r.bottom - kPadY};
}

void YEdit::Relines() {
    m_lines.clear();
    const YString shown = DisplayText();
    const int32_t n = shown.Length();
    const int32_t width = TextRect().Width();
    const bool wrap = m_multiLine && m_wrapLines && width > 0;
    int32_t start = 0;
    for (int32_t i = 0; i <= n; ++i) {
        if (i < n && !(m_multiLine && shown[i] == u'\n')) continue;
        // [start, i) is one paragraph; wrapped at the last space that fits.
        int32_t lineStart = start;
        while (wrap && i - lineStart > 1 && YControlText::Width(*this, shown.Substring(lineStart, i - lineStart)) > width) {
            int32_t fit = YControlText::IndexAt(*this, shown.Substring(lineStart, i - lineStart), width);
            // IndexAt rounds to the nearer edge; keep the last character inside.
            while (fit > 1 && YControlText::Width(*this, shown.Substring(lineStart, fit)) > width) --fit;
            fit = std::max(fit, 1);
            int32_t cut = lineStart + fit;
            int32_t space = cut;
            while (space > lineStart && shown[space - 1] != u' ') --space;
            if (space > lineStart) cut = space; // the space stays at the end of the line
            m_lines.push_back({lineStart, cut - lineStart});
            lineStart = cut;
        }
        m_lines.push_back({lineStart, i - lineStart});
        start = i + 1;
    }
    if (m_lines.empty()) m_lines.push_back({0, 0});
}

int32_t YEdit::LineOf(int32_t index) const noexcept {
    // The last line starting at or before index; a wrapped line's end belongs to the next.
    int32_t line = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(m_lines.size()); ++i) {
        if (m_lines[i].start <= index) line = i;
    }
    return line;
}

int32_t YEdit::VisibleLines() {
    const int32_t h = YControlText::LineHeight(*this);
    return std::max(1, TextRect().Height() / std::max(h, 1));
}

int32_t YEdit::CaretX(int32_t index) {
    const Line& line = m_lines[static_cast<size_t>(LineOf(index))];
    return YControlText::Width(*this, DisplayText().Substring(line.start, index - line.start));
}

void YEdit::ScrollToCursor() {
    if (m_multiLine) {
        const int32_t line = LineOf(m_cursor);
        const int32_t visible = VisibleLines();
        if (line < m_firstLine) m_firstLine = line;
        if (line >= m_firstLine + visible) m_firstLine = line - visible + 1;
        const int32_t last = std::max(0, static_cast<int32_t>(m_lines.size()) - visible);
        m_firstLine = std::clamp(m_firstLine, 0, last);
    }
    if (m_multiLine && m_wrapLines) {
        m_scrollX = 0;
        return;
    }
    const int32_t width = TextRect().Width();
    const int32_t x = CaretX(m_cursor);
    if (x - m_scrollX > width - 1) m_scrollX = x - width + 1;
    if (x < m_scrollX) m_scrollX = x;
    if (m_scrollX < 0) m_scrollX = 0;
}

void YEdit::Resized() {
    Relines();
    ScrollToCursor();
}

YSize YEdit::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    const int32_t lines = m_multiLine ? 3 : 1;
    size.y = std::max(size.y, YControlText::LineHeight(*this) * lines + 2 * kPadY);
    size.x = std::max(size.x, 2 * kPadX + 8);
    return size;
}

// ---- caret ----

void YEdit::RestartCaret() {
    m_caretOn = HasFocus();
    if (!m_caretOn) return;
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, kCaretBlinkMs);
}

void YEdit::FocusGained() {
    YControl::FocusGained();
    RestartCaret();
}

void YEdit::FocusLost() {
    YControl::FocusLost();
    m_caretOn = false;
    m_selecting = false;
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, 0);
}

void YEdit::Timer() {
    m_caretOn = !m_caretOn && HasFocus();
    Repaint();
}

void YEdit::HoverChanged(bool hovered) {
    if (Window() == nullptr) return;
    if (YWindowSystem* system = WindowSystem()) system->SetCursor(*Window(), hovered ? YCursor::kIBeam : YCursor::kArrow);
}

// ---- events ----

bool YEdit::HandleEvent(YSystemEvent& event) {
    if (YEventCode::IsMouse(event.code)) return HandleMouse(event);
    if (event.code == YEventCode::kKeyDown) return HandleKey(event);
    if (event.code == YEventCode::kCharacter) {
        // Control characters come with their key down (Enter, Tab, Backspace, Ctrl+letter).
        if (event.character < 32 || event.character == 127) return false;
        if ((event.flags & (YEventFlag::kCtrl | YEventFlag::kAlt)) == YEventFlag::kCtrl) return false;
        if (event.character > 0xFFFF) {
            const uint32_t v = event.character - 0x10000;
            YString pair;
            pair.Append(static_cast<char16_t>(0xD800 + (v >> 10)));
            pair.Append(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
            ReplaceSelection(pair);
        } else {
            YString one;
            one.Append(static_cast<char16_t>(event.character));
            ReplaceSelection(one);
        }
        return true;
    }
    return false;
}

bool YEdit::HandleKey(const YSystemEvent& event) {
    const bool shift = (event.flags & YEventFlag::kShift) != 0;
    const bool ctrl = (event.flags & YEventFlag::kCtrl) != 0;
    const int32_t n = m_text.Length();
    switch (event.keyCode) {
    case YKey::kLeft:
        if (HasSelection() && !shift) SetCursor(SelectionStart());
        else SetCursor(ctrl ? WordStart(m_cursor) : std::max(m_cursor - 1, 0), shift);
        return true;
    case YKey::kRight:
        if (HasSelection() && !shift) SetCursor(SelectionEnd());
        else SetCursor(ctrl ? WordEnd(m_cursor) : std::min(m_cursor + 1, n), shift);
        return true;
    case YKey::kHome:
        if (ctrl || !m_multiLine) SetCursor(0, shift);
        else SetCursor(m_lines[static_cast<size_t>(LineOf(m_cursor))].start, shift);
        return true;
    case YKey::kEnd:
        if (ctrl || !m_multiLine) {
            SetCursor(n, shift);
        } else {
            const Line& line = m_lines[static_cast<size_t>(LineOf(m_cursor))];
            SetCursor(line.start + line.length, shift);
        }
        return true;
    case YKey::kUp:
    case YKey::kDown:
        if (!m_multiLine) return false; // a single line leaves them to its owner
        MoveVertically(event.keyCode == YKey::kUp ? -1 : 1, shift);
        return true;
    case YKey::kPrior:
    case YKey::kNext:
        if (!m_multiLine) return false;
        MoveVertically((event.keyCode == YKey::kPrior ? -1 : 1) * std::max(VisibleLines() - 1, 1), shift);
        return true;
    case YKey::kBack:
        if (HasSelection()) ReplaceSelection(YString());
        else if (m_cursor > 0) DeleteRange(ctrl ? WordStart(m_cursor) : m_cursor - 1, m_cursor);
        return true;
    case YKey::kDelete:
        if (shift && !ctrl) Cut();
        else if (HasSelection()) ReplaceSelection(YString());
        else if (m_cursor < n) DeleteRange(m_cursor, ctrl ? WordEnd(m_cursor) : m_cursor + 1);
        return true;
    case YKey::kInsert:
        if (ctrl && !shift) Copy();
        else if (shift && !ctrl) Paste();
        else return false;
        return true;
    case YKey::kReturn:
        if (m_multiLine) {
            ReplaceSelection(YString("\n"));
        } else {
            YOnStringParams params{this, m_text};
            OnEnter.Fire(params);
        }
        return true;
    default:
        break;
    }
    if (ctrl && (event.flags & YEventFlag::kAlt) == 0) {
        switch (event.keyCode) {
        case 'A': SelectAll(); return true;
        case 'C': Copy(); return true;
        case 'X': Cut(); return true;
        case 'V': Paste(); return true;
        case 'Z': Undo(); return true;
        default: break;
        }
    }
    return false;
}

void YEdit::MoveVertically(int32_t lines, bool extend) {
    const int32_t line = LineOf(m_cursor);
    const int32_t target = std::clamp(line + lines, 0, static_cast<int32_t>(m_lines.size()) - 1);
    const int32_t goal = m_goalX >= 0 ? m_goalX : CaretX(m_cursor);
    int32_t index;
    if (target == line) {
        index = lines < 0 ? 0 : m_text.Length();
    } else {
        const Line& l = m_lines[static_cast<size_t>(target)];
        index = l.start + YControlText::IndexAt(*this, DisplayText().Substring(l.start, l.length), goal);
    }
    SetCursor(index, extend);
    m_goalX = goal;
}

int32_t YEdit::IndexAtPoint(YPoint p) {
    const YRect r = TextRect();
    const int32_t lineHeight = std::max(YControlText::LineHeight(*this), 1);
    int32_t line = m_multiLine ? m_firstLine + (p.y - r.top) / lineHeight : 0;
    if (p.y < r.top && m_multiLine) line = m_firstLine - 1;
    line = std::clamp(line, 0, static_cast<int32_t>(m_lines.size()) - 1);
    const Line& l = m_lines[static_cast<size_t>(line)];
    const YString text = DisplayText().Substring(l.start, l.length);
    int32_t originX = r.left - m_scrollX;
    if (m_centerText) originX += std::max(0, (r.Width() - YControlText::Width(*this, text)) / 2);
    return l.start + YControlText::IndexAt(*this, text, p.x - originX);
}

bool YEdit::HandleMouse(const YSystemEvent& event) {
    switch (event.code) {
    case YEventCode::kLeftDown:
        m_selecting = true;
        SetCursor(IndexAtPoint(event.point), (event.flags & YEventFlag::kShift) != 0);
        return true;
    case YEventCode::kLeftDoubleClick: {
        const int32_t at = IndexAtPoint(event.point);
        int32_t start = at;
        int32_t end = at;
        while (start > 0 && IsWordChar(m_text[start - 1])) --start;
        while (end < m_text.Length() && IsWordChar(m_text[end])) ++end;
        SetSelection(start, end);
        m_selecting = false;
        return true;
    }
    case YEventCode::kMouseMove:
        if (m_selecting && HasCapture()) SetCursor(IndexAtPoint(event.point), true);
        return m_selecting;
    case YEventCode::kLeftUp:
        m_selecting = false;
        return true;
    case YEventCode::kWheel:
        if (!m_multiLine) return false;
        m_firstLine = std::clamp(m_firstLine - event.extra / 40, 0,
                                 std::max(0, static_cast<int32_t>(m_lines.size()) - VisibleLines()));
        Repaint();
        return true;
    default:
        return false;
    }
}

// ---- YMultiLineEdit ----

YMultiLineEdit::YMultiLineEdit(YControl* parent, const YString& id) : YEdit(parent, id) {
    SetMultiLine(true);
    SetWrapLines(true);
}

// ---- painting ----

void YEdit::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const YRect rect = WindowRect();
    uint32_t state = YControlStateOf(*this) & ~YControlState::kClicked;
    style->DrawControl(drawer, YControlType::kEdit, state, rect);
    const YRect area = TextRect();
    YControlPaint::ClipTo clip(drawer, area);
    if (clip.IsEmpty()) return;
    const YString shown = DisplayText();
    const YStdFont font = YControlPaint::FontOf(*this);
    const int32_t lineHeight = std::max(YControlText::LineHeight(*this), 1);
    const int32_t lines = static_cast<int32_t>(m_lines.size());
    // A single line sits in the middle of the box; several start at the top.
    const int32_t top = m_multiLine ? area.top : area.top + (area.Height() - lineHeight) / 2;
    const int32_t selStart = SelectionStart();
    const int32_t selEnd = SelectionEnd();
    for (int32_t i = m_firstLine; i < lines; ++i) {
        const int32_t y = top + (i - m_firstLine) * lineHeight;
        if (y > area.bottom) break;
        const Line& line = m_lines[static_cast<size_t>(i)];
        const YString text = shown.Substring(line.start, line.length);
        int32_t x = area.left - m_scrollX;
        if (m_centerText) x += std::max(0, (area.Width() - YControlText::Width(*this, text)) / 2);
        const int32_t lineEnd = line.start + line.length;
        if (selStart < selEnd && selStart <= lineEnd && selEnd >= line.start) {
            const int32_t a = std::max(selStart, line.start) - line.start;
            const int32_t b = std::min(selEnd, lineEnd) - line.start;
            int32_t left = x + YControlText::Width(*this, text.Substring(0, a));
            int32_t right = x + YControlText::Width(*this, text.Substring(0, b)) - 1;
            // A selected line break shows as a little room after the line.
            if (selEnd > lineEnd && i + 1 < lines) right += style->ScaleX(4);
            if (right >= left) style->DrawTextSelection(drawer, {left, y, right, y + lineHeight - 1}, state);
        }
        style->DrawText(drawer, {x, y, x + YControlText::Width(*this, text) + 1, y + lineHeight - 1}, text, font,
                        YStdColor::kText, kAlignLeft | kAlignVCenter, state);
    }
    if (m_caretOn && HasFocus()) {
        const int32_t line = LineOf(m_cursor);
        const int32_t y = top + (line - m_firstLine) * lineHeight;
        const Line& l = m_lines[static_cast<size_t>(line)];
        int32_t x = area.left - m_scrollX + CaretX(m_cursor);
        if (m_centerText) {
            x += std::max(0, (area.Width() - YControlText::Width(*this, shown.Substring(l.start, l.length))) / 2);
        }
        style->DrawCaret(drawer, std::min(x, area.right), y, y + lineHeight - 1);
    }
}
