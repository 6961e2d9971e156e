// lineedit.h - the path box's editing model and the display widths of Shift-JIS texts.
//
// Kept apart from the terminal so that editing can be exercised without one.
#pragma once

#include <cstddef>
#include <string>

// Display columns of a Shift-JIS text: a double-byte character takes 2, any single byte
// (half-width katakana included) 1.
size_t SjisColumns(const std::string& sjis);
// Bytes of the longest head of sjis that is made of whole characters and fits columns.
size_t SjisFitColumns(const std::string& sjis, size_t columns);

// The text of a single-line edit box in Shift-JIS with caret, selection, text limit and horizontal
// scrolling. Positions are byte offsets, always at the start of a character.
class ClLineEdit {
public:
    ClLineEdit() : m_limit(0), m_caret(0), m_anchor(0), m_scroll(0) {}

    // Replaces the whole text, as a program sets it (the limit does not apply); caret to the start.
    void SetText(const std::string& sjis);
    const std::string& Text() const { return m_text; }
    // What the user can type at most, in bytes; 0: no limit.
    void SetLimit(size_t bytes) { m_limit = bytes; }
    // Selects from start to end (-1: the end of the text); the caret goes to end.
    void Select(int start, int end);
    bool HasSelection() const { return m_anchor != m_caret; }
    size_t SelectionStart() const { return m_anchor < m_caret ? m_anchor : m_caret; }
    size_t SelectionEnd() const { return m_anchor < m_caret ? m_caret : m_anchor; }
    size_t Caret() const { return m_caret; }

    // Types one character (1 or 2 bytes) in place of the selection; false, nothing changed, when
    // the text would grow beyond the limit.
    bool Insert(const std::string& character);
    void Backspace();
    void Delete();
    // Caret movements; extend keeps the anchor (Shift held).
    void Left(bool extend);
    void Right(bool extend);
    void Home(bool extend);
    void End(bool extend);

    // Start of the visible part of a box columns wide, moved so that the caret is visible.
    size_t ScrollFor(size_t columns);

private:
    size_t PreviousChar(size_t at) const;
    size_t NextChar(size_t at) const;
    size_t Boundary(size_t at) const;  // at, or the start of the character it falls into
    void MoveCaret(size_t to, bool extend);
    void EraseSelection();

    std::string m_text;
    size_t m_limit;
    size_t m_caret;
    size_t m_anchor;
    size_t m_scroll;
};
