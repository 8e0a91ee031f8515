#include <gtest/gtest.h>

#include "codepage.h"

TEST(CodePage, Gb2312TextIsCodePage936Bytes)
{
    // 手机 in code page 936.
    EXPECT_EQ(Ansi("手机"), "\xca\xd6\xbb\xfa");
    EXPECT_EQ(AnsiToUtf8("\xca\xd6\xbb\xfa"), "手机");
    EXPECT_EQ(Ansi("abc"), "abc");
    EXPECT_EQ(Ansi(""), "");
}

TEST(CodePage, CharactersOutsideCodePage936RoundTrip)
{
    const std::string text = "😀 € ▽ ╮(╯▽╰)╭";
    EXPECT_EQ(AnsiToUtf8(Ansi(text)), text);
}

TEST(CodePage, InvalidInputBecomesReplacementCharacters)
{
    EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi("a\xff" "b")), "a\xEF\xBF\xBD" "b");
    // A truncated GB18030 lead byte at the end.
    EXPECT_EQ(AnsiToUtf8("x\xca"), "x\xEF\xBF\xBD");
    std::string out;
    EXPECT_FALSE(Utf8ToAnsiStrict("a\xc3", out));
    EXPECT_TRUE(Utf8ToAnsiStrict("é", out));
    EXPECT_EQ(AnsiToUtf8(out), "é");
}
