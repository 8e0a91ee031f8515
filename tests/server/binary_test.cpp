// The pallido-server program itself: options, start-up, serving, a port
// already taken, and a clean end on SIGTERM and SIGINT.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "ServerFixture.h"
#include "ServerProcess.h"
#include "System.h"
#include "TestServer.h"

using namespace std::chrono_literals;

namespace {

std::string TempCatalog()
{
    return platform::TempFolder() + "pallido-server-test-" + std::to_string(getpid()) + ".sqlite";
}

} // namespace

TEST(Binary, ServesAndStopsCleanly)
{
    const std::string catalog = TempCatalog();
    std::remove(catalog.c_str());
    const int port = UnusedPort();
    {
        TProcess p({"--port", std::to_string(port), "--catalog", catalog, "--quiet",
                    "--announce-version=20110101"});
        ASSERT_TRUE(Answers(port, 60s)) << p.Err();
        const auto info = RawGet(port, "/taobao/III/OK/ok_list.php?pid=mm_10000001_0_0");
        EXPECT_NE(info.body.find("version=20110101\r\n"), std::string::npos);
        EXPECT_NE(info.body.find("update_url=http://127.0.0.1:" + std::to_string(port) + "/"),
                  std::string::npos);
        p.Signal(SIGTERM);
        EXPECT_EQ(p.Wait(20s), 0);
        EXPECT_EQ(p.Out(), "") << "--quiet prints nothing";
        EXPECT_EQ(p.Err(), "pallido-server: catalog " + catalog +
                               " did not exist; created it with the demo catalog\n");
    }
    {
        // The catalog made by the first run is reused as it is.
        TProcess p({"--port=" + std::to_string(port), "--catalog=" + catalog});
        ASSERT_TRUE(Answers(port, 60s)) << p.Err();
        p.Signal(SIGINT);
        EXPECT_EQ(p.Wait(20s), 0);
        EXPECT_NE(p.Out().find("opened catalog"), std::string::npos) << p.Out();
        EXPECT_NE(p.Out().find("\"GET /taobao/III/OK/ok_list.php?pid=mm_10000001_0_0 HTTP/1.1\" 200 "),
                  std::string::npos)
            << "access log on stdout";
    }
    std::remove(catalog.c_str());
}

TEST(Binary, PortInUseAndBadOptions)
{
    const std::string catalog = TempCatalog() + "2";
    std::remove(catalog.c_str());
    const int port = UnusedPort();
    TProcess first({"--port", std::to_string(port), "--catalog", catalog, "--quiet"});
    ASSERT_TRUE(Answers(port, 60s)) << first.Err();
    TProcess second({"--port", std::to_string(port), "--catalog", catalog, "--quiet"});
    EXPECT_EQ(second.Wait(60s), 1);
    EXPECT_NE(second.Err().find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos)
        << second.Err();
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(20s), 0);
    std::remove(catalog.c_str());

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--port", "70000"}, {"--port"}, {"--bogus"}, {"--quiet=yes"},
          {"--page-caption", "two\nlines"}}) {
        TProcess p(args);
        EXPECT_EQ(p.Wait(20s), 2) << args[0];
        EXPECT_NE(p.Err().find("Usage:"), std::string::npos);
    }
    TProcess help({"--help"});
    EXPECT_EQ(help.Wait(20s), 0);
    EXPECT_NE(help.Out().find("--update-archive"), std::string::npos);

    const std::string notCatalog = TempCatalog() + "3";
    std::ofstream(notCatalog) << "just text";
    TProcess refused({"--port", std::to_string(port), "--catalog", notCatalog});
    EXPECT_EQ(refused.Wait(20s), 1);
    EXPECT_NE(refused.Err().find("catalog"), std::string::npos);
    std::ifstream in(notCatalog);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "just text");
    std::remove(notCatalog.c_str());
}
