// lineedit.cpp - the path box's editing model and the display widths of Shift-JIS texts.
#include "lineedit.h"

#include "sjisbytes.h"

size_t SjisColumns(const std::string& sjis) {
    size_t columns = 0;
    for (size_t i = 0; i < sjis.size();) {
        const int width = SjisCharBytes(sjis.c_str() + i);
        columns += width == 2 ? 2 : 1;
        i += static_cast<size_t>(width);
    }
    return columns;
}

size_t SjisFitColumns(const std::string& sjis, size_t columns) {
    size_t n = 0;
    size_t used = 0;
    while (n < sjis.size()) {
        const int width = SjisCharBytes(sjis.c_str() + n);
        const size_t cells = width == 2 ? 2 : 1;
        if (used + cells > columns) break;
        used += cells;
        n += static_cast<size_t>(width);
    }
    return n;
}

void ClLineEdit::SetText(const std::string& sjis) {
    m_text = sjis;
    m_caret = m_anchor = m_scroll = 0;
}

size_t ClLineEdit::Boundary(size_t at) const {
    for (size_t i = 0; i < m_text.size();) {
        const size_t next = i + static_cast<size_t>(SjisCharBytes(m_text.c_str() + i));
        if (at < next) return i;
        i = next;
    }
    return m_text.size();
}

size_t ClLineEdit::PreviousChar(size_t at) const {
    size_t previous = 0;
    for (size_t i = 0; i < at && i < m_text.size();) {
        previous = i;
        i += static_cast<size_t>(SjisCharBytes(m_text.c_str() + i));
    }
    return previous;
}

size_t ClLineEdit::NextChar(size_t at) const {
    if (at >= m_text.size()) return m_text.size();
    const size_t next = at + static_cast<size_t>(SjisCharBytes(m_text.c_str() + at));
    return next > m_text.size() ? m_text.size() : next;
}

void ClLineEdit::Select(int start, int end) {
    const auto position = [this](int at) {
        return at < 0 || static_cast<size_t>(at) >= m_text.size() ? m_text.size()
                                                                  : Boundary(static_cast<size_t>(at));
    };
    m_anchor = position(start);
    m_caret = position(end);
}

void ClLineEdit::EraseSelection() {
    const size_t from = SelectionStart();
    m_text.erase(from, SelectionEnd() - from);
    m_caret = m_anchor = from;
}

bool ClLineEdit::Insert(const std::string& character) {
    if (character.empty()) return false;
    const size_t grown = m_text.size() - (SelectionEnd() - SelectionStart()) + character.size();
    if (m_limit != 0 && grown > m_limit) return false;
    EraseSelection();
    m_text.insert(m_caret, character);
    m_caret = m_anchor = m_caret + character.size();
    return true;
}

void ClLineEdit::Backspace() {
    if (HasSelection()) {
        EraseSelection();
    } else if (m_caret > 0) {
        const size_t from = PreviousChar(m_caret);
        m_text.erase(from, m_caret - from);
        m_caret = m_anchor = from;
    }
}

void ClLineEdit::Delete() {
    if (HasSelection()) {
        EraseSelection();
    } else if (m_caret < m_text.size()) {
        m_text.erase(m_caret, NextChar(m_caret) - m_caret);
    }
}

void ClLineEdit::MoveCaret(size_t to, bool extend) {
    m_caret = to;
    if (!extend) m_anchor = to;
}

void ClLineEdit::Left(bool extend) {
    if (!extend && HasSelection())
        MoveCaret(SelectionStart(), false);
    else
        MoveCaret(PreviousChar(m_caret), extend);
}

void ClLineEdit::Right(bool extend) {
    if (!extend && HasSelection())
        MoveCaret(SelectionEnd(), false);
    else
        MoveCaret(NextChar(m_caret), extend);
}

void ClLineEdit::Home(bool extend) { MoveCaret(0, extend); }

void ClLineEdit::End(bool extend) { MoveCaret(m_text.size(), extend); }

size_t ClLineEdit::ScrollFor(size_t columns) {
    if (columns == 0) return m_scroll = m_caret;
    // A text that fits whole is shown whole; otherwise the caret's cell stays inside the box.
    if (SjisColumns(m_text) < columns) return m_scroll = 0;
    m_scroll = Boundary(m_scroll > m_caret ? m_caret : m_scroll);
    while (m_scroll < m_caret && SjisColumns(m_text.substr(m_scroll, m_caret - m_scroll)) + 1 > columns)
        m_scroll = NextChar(m_scroll);
    return m_scroll;
}
