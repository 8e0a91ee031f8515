// The access log: combined format lines that stay one line, with fields
// that can be split off, whatever a client sends; rotation.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <map>
#include <sstream>
#include <thread>

#include "AccessLog.h"
#include "ServerFixture.h"
#include "ServerProcess.h"
#include "XmlWriter.h"

using namespace std::chrono_literals;

namespace {

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// client, time, request, status, bytes, referrer, agent, micros, error
const std::regex kLine(R"re(^(\S+) - - \[[0-9]{2}/[A-Z][a-z]{2}/[0-9]{4}:[0-9:]{8} [-+][0-9]{4}\] "((?:[^"\\]|\\x[0-9a-f]{2})*)" ([0-9]{3}) ([0-9]+|-) "([^"]*)" "([^"]*)" ([0-9]+|-) ([0-9]+|-)$)re");

} // namespace

TEST(AccessLog, HostileTextsStayInsideTheirFields)
{
    TAccessEntry e;
    e.client = "127.0.0.1";
    e.requestLine = std::string("GET /a\"b\\c\x01\x1b[31m\r\n\xff\x7f HTTP/1.1");
    e.status = 200;
    e.bytes = 512;
    e.referer = "\" injected \"";
    e.userAgent = "agent\n127.0.0.1 - - fake line";
    e.micros = 830;
    e.apiError = 25;
    e.time = 0;
    const std::string line = FormatAccessLine(e);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, kLine)) << line;
    EXPECT_EQ(m[2].str(), "GET /a\\x22b\\x5cc\\x01\\x1b[31m\\x0d\\x0a\\xff\\x7f HTTP/1.1");
    EXPECT_EQ(m[5].str(), "\\x22 injected \\x22");
    EXPECT_EQ(m[6].str(), "agent\\x0a127.0.0.1 - - fake line");
    EXPECT_EQ(m[7].str(), "830");
    EXPECT_EQ(m[8].str(), "25");

    TAccessEntry unknown; // a request line that could not be read
    unknown.status = 400;
    const std::string unknownLine = FormatAccessLine(unknown);
    EXPECT_TRUE(std::regex_match(unknownLine, m, kLine));
    EXPECT_EQ(m[1].str() + m[2].str() + m[4].str() + m[7].str() + m[8].str(), "----" "-");

    EXPECT_EQ(ApiErrorCode(ErrorReply(25, "Invalid signature")), 25);
    EXPECT_EQ(ApiErrorCode("<?xml version=\"1.0\"?><items_get_response/>"), -1);
    EXPECT_EQ(ApiErrorCode("<html><error_response><code>7"), -1) << "only at the start";
}

TEST(AccessLog, ServerWritesOneLinePerRequestAndReopens)
{
    const std::string path = TestTempPath("access.log");
    std::remove(path.c_str());
    std::remove((path + ".1").c_str());
    const std::string archive = TestTempPath("log-archive.zip");
    std::ofstream(archive, std::ios::binary) << std::string(5000, 'z');
    std::ofstream(archive + ".minisig", std::ios::binary) << "untrusted comment: test\nRWQ\n";
    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    options.accessLog = path;
    options.updateArchive = archive;
    TPublisherServer server(SharedCatalog(), options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const int port = server.Port();

    const std::string signedQuery = SignedQuery({{"fields", "title"}, {"keyword", "a"}}, "a");
    std::string forged = signedQuery;
    forged.back() = forged.back() == '0' ? '1' : '0';
    const std::size_t okBytes =
        RawGet(port, "/taobao/tbk_items.php?" + signedQuery, "User-Agent: Pallido\r\nReferer: http://x/\r\n")
            .body.size();
    // The byte counts of a whole file, a part of it (its end past the file)
    // and a HEAD of it.
    const std::string zip = "/update/pallido-update.zip";
    ASSERT_EQ(RawGet(port, zip).body.size(), 5000u);
    ASSERT_EQ(RawGet(port, zip, "Range: bytes=4990-99999\r\n").body.size(), 10u);
    RawRequest(port, "HEAD " + zip + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    RawGet(port, "/taobao/tbk_items.php?" + forged);
    RawGet(port, "/item.htm?id=\x01\x1b[2J\"\\\xff", "User-Agent: a\"b\r\n");
    RawRequest(port, "GET /a b c HTTP/1.1\r\nHost: x\r\n\r\n");
    RawGet(port, "/" + std::string(9000, 'x'));
    RawRequest(port, "HEAD / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");

    // A line is written once its reply has gone out, so the next request's
    // line may come first: they are taken by their requests.
    auto lines = Lines(path);
    for (int i = 0; i < 100 && lines.size() < 9; ++i, std::this_thread::sleep_for(10ms))
        lines = Lines(path);
    ASSERT_EQ(lines.size(), 9u);
    std::map<std::string, std::smatch> by; // request line + status
    std::vector<std::smatch> m(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(std::regex_match(lines[i], m[i], kLine)) << lines[i];
        by[m[i][2].str() + " " + m[i][3].str()] = m[i];
    }
    const auto& ok = by["GET /taobao/tbk_items.php?" + signedQuery + " HTTP/1.1 200"];
    EXPECT_EQ(ok[1].str(), "127.0.0.1");
    EXPECT_EQ(ok[5].str() + ok[6].str() + ok[8].str(), "http://x/Pallido-");
    EXPECT_NE(ok[7].str(), "-") << "time taken";
    EXPECT_EQ(ok[4].str(), std::to_string(okBytes));
    EXPECT_EQ(by["GET " + zip + " HTTP/1.1 200"][4].str(), "5000");
    EXPECT_EQ(by["GET " + zip + " HTTP/1.1 206"][4].str(), "10");
    EXPECT_EQ(by["HEAD " + zip + " HTTP/1.1 200"][4].str(), "-") << "no body for HEAD";
    EXPECT_EQ(by["GET /taobao/tbk_items.php?" + forged + " HTTP/1.1 200"][8].str(), "25")
        << "the platform error code";
    EXPECT_EQ(by["GET /item.htm?id=\\x01\\x1b[2J\\x22\\x5c\\xff HTTP/1.1 404"][6].str(), "a\\x22b");
    EXPECT_EQ(by.count("- 414"), 1u);
    EXPECT_EQ(by["HEAD / HTTP/1.1 200"][4].str(), "-") << "no body for HEAD";
    std::size_t bad = 0;
    for (const auto& [key, match] : by)
        bad += match[3].str() == "400";
    EXPECT_EQ(bad, 1u);

    // Rotation: the file is moved away, the server opens a new one.
    ASSERT_EQ(std::rename(path.c_str(), (path + ".1").c_str()), 0);
    RawGet(port, "/");
    for (int i = 0; i < 100 && Lines(path + ".1").size() < 10; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(server.ReopenLog(error)) << error;
    RawGet(port, "/taobao/III/pindao.html");
    EXPECT_EQ(Lines(path + ".1").size(), 10u) << "written until reopened";
    for (int i = 0; i < 100 && Lines(path).empty(); ++i)
        std::this_thread::sleep_for(10ms);
    lines = Lines(path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"GET /taobao/III/pindao.html HTTP/1.1\" 200 "), std::string::npos);
    server.Stop();
    std::remove(path.c_str());
    std::remove((path + ".1").c_str());
    std::remove(archive.c_str());
    std::remove((archive + ".minisig").c_str());
}
