// A GET whose body hides an unfinished chunked POST, sent through nginx with
// the shipped site in front of two server programs: the shopper after it
// must not get the hidden request's reply, nor wait for it. The site refuses
// such a GET itself; the replicas refuse it as well, so the same holds with
// that line taken out of the site.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "NginxFront.h"
#include "RawClient.h"
#include "ServerProcess.h"
#include "TestServer.h"

using namespace std::chrono_literals;

namespace {

const std::string kNormal =
    "GET /taobao/III/OK/ok_list.php?pid=mm_10000001_0_0 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";

std::vector<int> Exchange(int port, const std::string& bytes)
{
    TClient c(port);
    bool closed = false;
    c.Send(bytes);
    return Statuses(c.ReceiveAll(1s, closed));
}

// The shipped site without its refusal of bodies on GET and HEAD.
std::string WithoutRefusal(const std::string& site)
{
    std::istringstream in(site);
    std::string out, line;
    while (std::getline(in, line))
        if (line.find("if ($pallido_body_on_get)") == std::string::npos)
            out += line + "\n";
    return out;
}

} // namespace

TEST(HostileFront, AGetWithAHiddenChunkedPostThroughNginx)
{
    if (TNginxFront::Binary().empty())
        GTEST_SKIP() << "nginx is not installed";
    std::ifstream shippedFile(PALLIDO_NGINX_SITE);
    std::stringstream shipped;
    shipped << shippedFile.rdbuf();
    ASSERT_NE(shipped.str().find("if ($pallido_body_on_get)"), std::string::npos);

    const int front = UnusedPort();
    const std::string catalog = TestTempPath("front.sqlite");
    std::vector<int> ports;
    std::vector<std::unique_ptr<TProcess>> replicas;
    for (int i = 0; i < 2; ++i) {
        ports.push_back(UnusedPort());
        replicas.push_back(std::make_unique<TProcess>(std::vector<std::string>{
            "--port", std::to_string(ports.back()), "--catalog", catalog, "--quiet", "--public-url",
            "http://127.0.0.1:" + std::to_string(front) + "/"}));
        ASSERT_TRUE(Answers(ports.back(), 60s)) << replicas.back()->Err();
    }

    const std::string hidden = "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab";
    const std::string attack =
        "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(hidden.size()) + "\r\n\r\n" + hidden;
    for (const bool refusing : {true, false}) {
        char folderName[] = "/tmp/pallido-front-XXXXXX";
        ASSERT_NE(mkdtemp(folderName), nullptr);
        const std::string folder = folderName;
        const std::string site = folder + "/shipped.conf";
        std::ofstream(site) << (refusing ? shipped.str() : WithoutRefusal(shipped.str()));
        TNginxFront nginx;
        std::string error;
        ASSERT_TRUE(nginx.Start(folder, site, front, ports, error)) << error;
        for (int round = 0; round < 3; ++round) {
            EXPECT_EQ(Exchange(front, attack), std::vector<int>{400}) << "refusing at the front: " << refusing;
            // Shoppers after it, on whatever upstream connection nginx
            // takes: each answered at once, with its own reply.
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(Exchange(front, kNormal), std::vector<int>{200}) << "refusing at the front: " << refusing;
        }
        // Refused by nginx itself, or by a replica behind it.
        int refusedAtFront = 0;
        for (const auto& e : nginx.Entries())
            refusedAtFront += e.status == 400 && (e.upstreams.empty() || e.upstreams == "-");
        EXPECT_EQ(refusedAtFront, refusing ? 3 : 0);
        nginx.Stop();
        std::filesystem::remove_all(folder);
    }
    std::remove(catalog.c_str());
}
