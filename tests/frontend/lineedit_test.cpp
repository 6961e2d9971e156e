// lineedit_test.cpp - the path box's editing: whole Shift-JIS characters, the limit, selection, scrolling.
#include "lineedit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHyoSjis = "\x95\x5C";  // 表: its trail byte is a backslash

TEST(LineEdit, WidthsCountDoubleByteCharactersTwice) {
    EXPECT_EQ(4u, SjisColumns(kHyoSjis + "\xB1"
                                         "a"));        // half-width katakana takes one column
    EXPECT_EQ(1u, SjisFitColumns("a" + kHyoSjis, 2));  // never half a character
    EXPECT_EQ(3u, SjisFitColumns("a" + kHyoSjis, 3));
}

TEST(LineEdit, LimitCountsBytesAndRefusesWhatDoesNotFit) {
    ClLineEdit edit;
    edit.SetLimit(5);
    for (const char* c : {"a", "b", "c", "d"}) ASSERT_TRUE(edit.Insert(c));
    EXPECT_FALSE(edit.Insert(kHyoSjis));  // 4 + 2 > 5
    EXPECT_EQ("abcd", edit.Text());
    EXPECT_TRUE(edit.Insert("e"));
    EXPECT_FALSE(edit.Insert("f"));
    EXPECT_EQ("abcde", edit.Text());

    // A text the program sets is taken whole; replacing its selection frees room.
    edit.SetText("0123456789");
    edit.Select(0, -1);
    EXPECT_TRUE(edit.Insert(kHyoSjis));
    EXPECT_EQ(kHyoSjis, edit.Text());
}

TEST(LineEdit, WholeCharactersAroundTrailByte5C) {
    ClLineEdit edit;
    edit.SetText("C:\\" + kHyoSjis + "\\");
    edit.End(false);
    edit.Backspace();  // the real backslash only
    EXPECT_EQ("C:\\" + kHyoSjis, edit.Text());
    edit.Backspace();  // the whole of 表, not its 0x5C
    EXPECT_EQ("C:\\", edit.Text());

    edit.SetText("a" + kHyoSjis + "b");
    edit.End(false);
    edit.Left(false);
    edit.Left(false);
    EXPECT_EQ(1u, edit.Caret());
    edit.Delete();
    EXPECT_EQ("ab", edit.Text());

    // A selection given in bytes never starts inside a character.
    edit.SetText(kHyoSjis + kHyoSjis);
    edit.Select(1, 3);
    EXPECT_EQ(0u, edit.SelectionStart());
    EXPECT_EQ(2u, edit.SelectionEnd());
}

TEST(LineEdit, SelectionIsReplacedOrCollapsed) {
    ClLineEdit edit;
    edit.SetText("C:\\old.csv");
    edit.Select(0, -1);
    ASSERT_TRUE(edit.Insert("x"));
    EXPECT_EQ("x", edit.Text());
    EXPECT_FALSE(edit.HasSelection());

    edit.SetText("abcdef");
    edit.Select(1, 4);
    edit.Left(false);  // to the selection's start
    EXPECT_EQ(1u, edit.Caret());
    EXPECT_FALSE(edit.HasSelection());
    edit.Right(true);
    edit.Right(true);
    edit.Backspace();
    EXPECT_EQ("adef", edit.Text());
}

TEST(LineEdit, ScrollsByWholeCharactersToKeepTheCaretVisible) {
    ClLineEdit edit;
    std::string wide;
    for (int i = 0; i < 10; ++i) wide += kHyoSjis;
    edit.SetText(wide);
    edit.End(false);
    // 7 columns: the caret's cell and three characters before it.
    EXPECT_EQ(14u, edit.ScrollFor(7));
    edit.Home(false);
    EXPECT_EQ(0u, edit.ScrollFor(7));
    edit.SetText("short");
    edit.End(false);
    EXPECT_EQ(0u, edit.ScrollFor(7));
}

}  // namespace
