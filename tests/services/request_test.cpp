#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "MD5.h"
#include "Request.h"
#include "codepage.h"

TEST(PercentEncode, EncodesEveryByteWithUppercaseHex)
{
    EXPECT_EQ(PercentEncode("abc"), "%61%62%63");
    EXPECT_EQ(PercentEncode(""), "");
    EXPECT_EQ(PercentEncode("\t"), "%09");
    EXPECT_EQ(PercentEncode(",Z9"), "%2C%5A%39");
    EXPECT_EQ(PercentEncode(std::string("\xff\x00", 2)), "%FF%00");
    // A Chinese character reaches it as three UTF-8 bytes: nine characters.
    EXPECT_EQ(PercentEncode(AnsiToUtf8(Ansi("手"))), "%E6%89%8B");
}

TEST(Signature, MatchesTheHandComputedScheme)
{
    const std::string pid = "mm_10000001_0_0";
    const std::string stamp = "1281275400";
    const std::string inner = Md5Hex("0");
    EXPECT_EQ(MakeSign(pid, stamp, "0"), Md5Hex(pid + "0045721821" + inner + stamp));
    // An empty signature input still contributes the MD5 of zero bytes.
    EXPECT_EQ(MakeSign(pid, stamp, ""),
              Md5Hex(pid + "0045721821" + "d41d8cd98f00b204e9800998ecf8427e" + stamp));
    EXPECT_EQ(MakeSign(pid, "-5", "x"), Md5Hex(pid + "5-" + Md5Hex("x") + "-5"));
}

TEST(Signature, UrlIsScriptQuestionMarkQueryAndSign)
{
    EXPECT_EQ(AssembleUrl("http://h/s.php", "a=1&b=2", "ff"), "http://h/s.php?a=1&b=2&sign=ff");
}

TEST(Stamp, IsUnixTimeWhateverTheLocalZone)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    for (const char* tz : {"UTC", "Asia/Shanghai", "America/New_York"}) {
        setenv("TZ", tz, 1);
        tzset();
        const auto before = std::time(nullptr);
        const auto s = Stamp();
        const auto after = std::time(nullptr);
        EXPECT_GE(s, before) << tz;
        EXPECT_LE(s, after) << tz;
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
