// keydecoder_test.cpp - key presses from the bytes of escape sequences and typed characters.
#include "keydecoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHyoSjis = "\x95\x5C";      // 表: its trail byte is a backslash
const std::string kHyoUtf8 = "\xE8\xA1\xA8";  // 表 as the terminal sends it
const std::string kF12 = "\x1b[24~";

StTERMKEY Decode(ClKeyDecoder& decoder, const std::string& bytes, bool flush = false) {
    decoder.Feed(bytes.data(), bytes.size());
    StTERMKEY key{-1, false, false, false, ""};
    if (!decoder.Next(key, flush)) key.virtualKey = -1;
    return key;
}

TEST(KeyDecoder, FunctionAndEditingKeysWithModifiers) {
    ClKeyDecoder decoder(true);
    StTERMKEY key = Decode(decoder, kF12);
    EXPECT_EQ(VKEY_F12, key.virtualKey);
    EXPECT_FALSE(key.shift || key.control || key.alt);

    key = Decode(decoder, "\x1b[24;2~");
    EXPECT_EQ(VKEY_F12, key.virtualKey);
    EXPECT_TRUE(key.shift);

    key = Decode(decoder, "\x1b[Z");
    EXPECT_EQ(VKEY_TAB, key.virtualKey);
    EXPECT_TRUE(key.shift);

    key = Decode(decoder, "\x1b[1;5C");
    EXPECT_EQ(VKEY_RIGHT, key.virtualKey);
    EXPECT_TRUE(key.control);
    EXPECT_FALSE(key.shift);

    key = Decode(decoder, "\x1b[3~");
    EXPECT_EQ(VKEY_DELETE, key.virtualKey);
    key = Decode(decoder, "\x1bOH");
    EXPECT_EQ(VKEY_HOME, key.virtualKey);
    EXPECT_FALSE(decoder.HasPending());
}

TEST(KeyDecoder, EscAloneOnlyWhenNothingFollows) {
    ClKeyDecoder decoder(true);
    // Alone it may still become a sequence: it waits, then is the Esc key.
    EXPECT_EQ(-1, Decode(decoder, "\x1b").virtualKey);
    StTERMKEY key = Decode(decoder, "", true);
    EXPECT_EQ(VKEY_ESCAPE, key.virtualKey);
    EXPECT_FALSE(key.alt);

    key = Decode(decoder, "\x1bo");
    EXPECT_EQ('O', key.virtualKey);
    EXPECT_TRUE(key.alt);
    EXPECT_TRUE(key.text.empty());  // Alt+O types nothing
    key = Decode(decoder,
                 "\x1b"
                 "d");
    EXPECT_EQ('D', key.virtualKey);
    EXPECT_TRUE(key.alt);

    // ESC O could start SS3; with nothing after it, it is Alt with O.
    EXPECT_EQ(-1, Decode(decoder, "\x1bO").virtualKey);
    key = Decode(decoder, "", true);
    EXPECT_EQ('O', key.virtualKey);
    EXPECT_TRUE(key.alt);

    // Ctrl+C is a key, not a signal, in raw mode.
    key = Decode(decoder, "\x03");
    EXPECT_EQ('C', key.virtualKey);
    EXPECT_TRUE(key.control);
}

TEST(KeyDecoder, ModifiedEnter) {
    ClKeyDecoder decoder(true);
    StTERMKEY key = Decode(decoder, "\r");
    EXPECT_EQ(VKEY_RETURN, key.virtualKey);
    EXPECT_FALSE(key.shift || key.control || key.alt);

    key = Decode(decoder, "\x1b\r");
    EXPECT_EQ(VKEY_RETURN, key.virtualKey);
    EXPECT_TRUE(key.alt);

    key = Decode(decoder, "\x1b[13;5u");
    EXPECT_EQ(VKEY_RETURN, key.virtualKey);
    EXPECT_TRUE(key.control);

    key = Decode(decoder, "\x1b[27;2;13~");
    EXPECT_EQ(VKEY_RETURN, key.virtualKey);
    EXPECT_TRUE(key.shift);
}

TEST(KeyDecoder, CharactersWholeAcrossReads) {
    ClKeyDecoder decoder(true);
    // A character split over two reads comes out once, whole.
    EXPECT_EQ(-1, Decode(decoder, kHyoUtf8.substr(0, 2)).virtualKey);
    StTERMKEY key = Decode(decoder, kHyoUtf8.substr(2));
    EXPECT_EQ(VKEY_PROCESSKEY, key.virtualKey);
    EXPECT_EQ(kHyoUtf8, key.text);

    decoder.Feed("aB\x1b[D\x7f", 6);
    ASSERT_TRUE(decoder.Next(key, false));
    EXPECT_EQ('A', key.virtualKey);
    EXPECT_EQ("a", key.text);
    ASSERT_TRUE(decoder.Next(key, false));
    EXPECT_EQ('B', key.virtualKey);
    EXPECT_TRUE(key.shift);
    ASSERT_TRUE(decoder.Next(key, false));
    EXPECT_EQ(VKEY_LEFT, key.virtualKey);
    ASSERT_TRUE(decoder.Next(key, false));
    EXPECT_EQ(VKEY_BACK, key.virtualKey);

    // A broken UTF-8 byte is dropped, the character after it survives.
    key = Decode(decoder,
                 "\xFF"
                 "x");
    EXPECT_EQ("x", key.text);

    // A Shift-JIS terminal sends the two bytes of a character.
    ClKeyDecoder sjis(false);
    key = Decode(sjis, kHyoSjis);
    EXPECT_EQ(kHyoSjis, key.text);
}

}  // namespace
