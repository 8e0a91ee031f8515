#include <gtest/gtest.h>

#include <chrono>

#include "TestServer.h"
#include "codepage.h"
#include "ok.h"

using namespace std::chrono_literals;

namespace {

const std::string kPath = "/taobao/III/OK/ok_list.php";

SOFT_INFO Parse(const std::string& reply)
{
    SOFT_INFO info;
    ParseSoftInfo(reply, info);
    return info;
}

void ExpectAtoF(const SOFT_INFO& i)
{
    EXPECT_EQ(i.extra1, "a");
    EXPECT_EQ(i.extra2, "b");
    EXPECT_EQ(i.update_name, "c");
    EXPECT_EQ(i.version, "d");
    EXPECT_EQ(i.update_url, "e");
    EXPECT_EQ(i.page_caption, "f");
}

} // namespace

TEST(SoftInfoParse, SevenLinesWithAnyLineEnds)
{
    ExpectAtoF(Parse("head\r\nk1=a\r\nk2=b\r\nk3=c\r\nk4=d\r\nk5=e\r\nk6=f\r\n"));
    ExpectAtoF(Parse("head\nk1=a\nk2=b\nk3=c\nk4=d\nk5=e\nk6=f"));
    ExpectAtoF(Parse("head\rk1=a\rk2=b\rk3=c\rk4=d\rk5=e\rk6=f\r"));
    ExpectAtoF(Parse("\r\n\r\nhead\n\nk1=a\r\n\r\n\nk2=b\n\rk3=c\nk4=d\n\n\nk5=e\nk6=f\n\n"));
}

TEST(SoftInfoParse, ValuesAfterTheFirstEqualsSign)
{
    const auto i = Parse("x\n=a=b\nno equals here\n  k = spaced \n\tk=\t\n");
    EXPECT_EQ(i.extra1, "a=b");
    EXPECT_EQ(i.extra2, "no equals here");
    EXPECT_EQ(i.update_name, " spaced ");
    EXPECT_EQ(i.version, "\t");
    EXPECT_TRUE(i.update_url.empty());
}

TEST(SoftInfoParse, QuotesKeepLineBreaksInside)
{
    const auto i = Parse("x\nk=\"one\ntwo\"\nk='a\r\nb'\nk=c\n");
    EXPECT_EQ(i.extra1, "\"one\ntwo\"");
    EXPECT_EQ(i.extra2, "'a\r\nb'");
    EXPECT_EQ(i.update_name, "c");
}

TEST(SoftInfoParse, ShortAndLongReplies)
{
    const auto three = Parse("x\nk=a\nk=b");
    EXPECT_EQ(three.extra1, "a");
    EXPECT_EQ(three.extra2, "b");
    EXPECT_TRUE(three.update_name.empty() && three.version.empty() && three.update_url.empty() &&
                three.page_caption.empty());
    ExpectAtoF(Parse("x\nk=a\nk=b\nk=c\nk=d\nk=e\nk=f\nk=g\nk=h\nk=i"));
    const auto none = Parse("");
    EXPECT_TRUE(none.extra1.empty() && none.page_caption.empty());
}

TEST(SoftInfo, FetchesWithPidAndConvertsUtf8)
{
    TTestServer server;
    server.Set(kPath, "line1\nextra1=x\nextra2=y\nname=pallido_new\nversion=20100901\n"
                      "url=http://127.0.0.1/u.zip\ncaption=热门活动\n");
    TOK ok;
    SOFT_INFO info;
    info.extra1 = "stale";
    ASSERT_TRUE(ok.GetSoftInfo(server.BaseUrl() + "taobao/III/OK/ok_list.php", "mm_10000001_0_0", info));
    EXPECT_EQ(info.page_caption, Ansi("热门活动"));
    EXPECT_EQ(info.version, "20100901");
    EXPECT_EQ(info.update_name, "pallido_new");
    EXPECT_EQ(info.update_url, "http://127.0.0.1/u.zip");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0");
}

TEST(SoftInfo, ErrorBodyEmptyPidAndFailuresGiveFalseAndAnEmptyRecord)
{
    TTestServer server;
    const std::string url = server.BaseUrl() + "taobao/III/OK/ok_list.php";
    TOK ok;
    SOFT_INFO info;

    server.Set(kPath, "error");
    info.version = "stale";
    EXPECT_FALSE(ok.GetSoftInfo(url, "mm_10000001_0_0", info));
    EXPECT_TRUE(info.version.empty());

    server.Set(kPath, "x\nk=a\n", 500);
    EXPECT_FALSE(ok.GetSoftInfo(url, "mm_10000001_0_0", info));
    EXPECT_EQ(ok.FetchReply(url, "mm_10000001_0_0"), "error");

    server.Set(kPath, "x\nk=\xff\xfe\n");
    EXPECT_FALSE(ok.GetSoftInfo(url, "mm_10000001_0_0", info));

    server.ClearRequests();
    EXPECT_FALSE(ok.GetSoftInfo(url, "", info));
    EXPECT_TRUE(server.Requests().empty());

    // "error" only counts when it is the whole body.
    server.Set(kPath, "error\n");
    EXPECT_TRUE(ok.GetSoftInfo(url, "mm_10000001_0_0", info));
    server.Set(kPath, "");
    EXPECT_TRUE(ok.GetSoftInfo(url, "mm_10000001_0_0", info));
    EXPECT_TRUE(info.page_caption.empty());
}

TEST(SoftInfo, UnreachableAndSilentServersFailInBoundedTime)
{
    TOK ok;
    SOFT_INFO info;
    EXPECT_FALSE(ok.GetSoftInfo("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/x.php",
                                "mm_10000001_0_0", info));

    TTestServer server;
    TCannedReply silent;
    silent.body = "never";
    silent.delayBeforeHeaders = 30s;
    server.Set(kPath, silent);
    ok.stallTimeoutMs = 500;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(ok.GetSoftInfo(server.BaseUrl() + "taobao/III/OK/ok_list.php", "mm_10000001_0_0",
                                info));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
}
