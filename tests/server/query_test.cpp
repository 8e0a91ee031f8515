// Reading what clients send: query strings, values, keywords, UTF-8.

#include <gtest/gtest.h>

#include <limits>

#include "Keyword.h"
#include "Markup.h"
#include "QueryString.h"
#include "Utf8.h"
#include "Values.h"

using S = TQueryString::TStatus;

TEST(QueryString, DecodesStrictlyAndKeepsPlusAsIs)
{
    TQueryString q;
    ASSERT_EQ(q.Parse("a=%E6%89%8B&b=1+2&c=&&d&e=x=y"), S::Ok);
    EXPECT_EQ(q.Get("a"), "\xe6\x89\x8b");
    EXPECT_EQ(q.Get("b"), "1+2");
    EXPECT_TRUE(q.Has("c"));
    EXPECT_EQ(q.Get("c"), "");
    EXPECT_TRUE(q.Has("d"));
    EXPECT_EQ(q.Get("e"), "x=y");
    EXPECT_FALSE(q.Has("f"));

    for (const char* bad : {"a=%", "a=%4", "a=%zz", "a=%4g", "%=1", "a=1%"})
        EXPECT_EQ(q.Parse(bad), S::BadEncoding) << bad;
    EXPECT_FALSE(q.Has("a")) << "a failed parse leaves nothing behind";
    EXPECT_EQ(q.Parse("a=1&a=2"), S::Duplicate);
    EXPECT_EQ(q.Parse("a=1&%61=2"), S::Duplicate) << "keys compare decoded";
    EXPECT_EQ(q.Parse("=1"), S::EmptyKey);
    EXPECT_EQ(q.Parse(std::string(TQueryString::kMaxLength + 1, 'a')), S::TooLong);
    std::string many;
    for (int i = 0; i <= static_cast<int>(TQueryString::kMaxParams); ++i)
        many += "k" + std::to_string(i) + "=1&";
    EXPECT_EQ(q.Parse(many), S::TooMany);
    EXPECT_EQ(q.Parse(""), S::Ok);

    EXPECT_EQ(TQueryString::OfTarget("/p?x=1#frag"), "x=1");
    EXPECT_EQ(TQueryString::OfTarget("/p"), "");
}

TEST(Values, NumbersAreStrictAndNeverOverflow)
{
    EXPECT_EQ(ParseId("0"), 0);
    EXPECT_EQ(ParseId("3100000123"), 3100000123LL);
    for (const char* bad : {"", "-1", "+1", "1.0", " 1", "1a", "1234567890123456789"})
        EXPECT_FALSE(ParseId(bad)) << bad;

    EXPECT_EQ(ParsePageNo("1"), 1);
    EXPECT_EQ(ParsePageNo("007"), 7);
    EXPECT_EQ(ParsePageNo("99999999999999999999999999"), std::numeric_limits<std::int64_t>::max());
    for (const char* bad : {"", "0", "-3", "1.5", "x"})
        EXPECT_FALSE(ParsePageNo(bad)) << bad;

    EXPECT_EQ(ParseHundredths("12"), 1200);
    EXPECT_EQ(ParseHundredths("0.5"), 50);
    EXPECT_EQ(ParseHundredths("999999999"), 99999999900LL);
    EXPECT_EQ(ParseHundredths("12.34"), 1234);
    for (const char* bad : {"", "-5", "1.", ".5", "1.234", "1e3", "1,5", "9999999999999"})
        EXPECT_FALSE(ParseHundredths(bad)) << bad;
    EXPECT_EQ(FormatHundredths(1230), "12.30");
    EXPECT_EQ(FormatHundredths(5), "0.05");

    EXPECT_EQ(ParseCreditLevel("1heart"), 1);
    EXPECT_EQ(ParseCreditLevel("5goldencrown"), 20);
    EXPECT_FALSE(ParseCreditLevel("6heart"));
    EXPECT_EQ(ParseBool("true"), true);
    EXPECT_FALSE(ParseBool("TRUE"));

    const auto parts = SplitList(" a, ,b ,,c,");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[2], "c");
}

TEST(Keyword, TermsFoldAndHighlightMergesOverlaps)
{
    auto k = TKeyword::Parse("  HTC\xe3\x80\x80手机  htc ");
    ASSERT_TRUE(k);
    ASSERT_EQ(k->Terms().size(), 2u) << "ideographic space splits, repeats drop";
    EXPECT_EQ(k->Terms()[0], "htc");
    EXPECT_TRUE(k->Matches(FoldAscii("正品 HTC 智能手机")));
    EXPECT_FALSE(k->Matches(FoldAscii("正品 HTC 平板")));
    EXPECT_EQ(k->Highlight("Htc手机"), "<span class=H>Htc手机</span>")
        << "adjacent matches become one span, letter case of the title stays";
    EXPECT_EQ(TKeyword::Parse("aba")->Highlight("xababa"), "x<span class=H>aba</span>ba");
    EXPECT_EQ(TKeyword::Parse("ab b")->Highlight("abc"), "<span class=H>ab</span>c");

    EXPECT_TRUE(TKeyword::Parse("")->Empty());
    EXPECT_TRUE(TKeyword::Parse(" \t")->Empty());
    EXPECT_FALSE(TKeyword::Parse("\xff\xfe"));
    EXPECT_FALSE(TKeyword::Parse(std::string(TKeyword::kMaxBytes + 1, 'a')));
    EXPECT_FALSE(TKeyword::Parse("a b c d e f g h i"));
}

TEST(Utf8, StrictCheckAndSafeEscaping)
{
    EXPECT_TRUE(IsUtf8("手机 abc"));
    for (const char* bad : {"\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe6\x89",
                            "\x80", "\xff"})
        EXPECT_FALSE(IsUtf8(bad)) << bad;
    EXPECT_EQ(SanitizeUtf8("a\xffz"), "a\xef\xbf\xbdz");
    EXPECT_EQ(Escaped("<a href='x'>&\x01\x1f\t</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;\t&lt;/a&gt;");
    EXPECT_EQ(Utf8Prefix("连衣裙abc", 2), "连衣");
    EXPECT_EQ(UrlEncoded("a b/手"), "a%20b%2F%E6%89%8B");
}
