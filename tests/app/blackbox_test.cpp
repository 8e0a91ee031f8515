// The built client, started with no arguments, against recording servers on
// its built-in addresses (by default 127.0.0.1:8700 primary, 127.0.0.1:8701
// fallback), and against the publisher server behind such a recorder.
// PALLIDO_TEST_CLIENT and PALLIDO_TEST_SERVER name other binaries to run
// instead of the built ones (the package check runs the installed ones).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "BlackBoxChecks.h"
#include "ClientProcess.h"
#include "DemoReplies.h"

namespace {

void ServeDemo(TPortServer& server, int port)
{
    const std::string base = Base(port);
    server.SetHandler("/taobao/III/OK/ok_list.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::SoftInfo(), "text/plain"}; });
    server.SetHandler("/taobao/tb_itemcats.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::RootCategories()}; });
    server.SetHandler("/taobao/tbk_items.php",
                      [base](const TPortRequest&) { return TPortReply{200, demo::Items(base, 1, 40, "857")}; });
    server.SetHandler("/taobao/III/*", [](const TPortRequest& r) {
        return TPortReply{200, demo::Page(r.path), "text/html"};
    });
    server.SetHandler("/pic/*", [](const TPortRequest& r) {
        return TPortReply{200, demo::Picture(r.path), "image/svg+xml"};
    });
}

// Runs the built client until `server` has seen every path in `paths` and
// `more` holds of what it saw.
std::vector<TPortRequest> RunUntil(
    TPortServer& server, const std::vector<std::string>& paths,
    const std::function<bool(const std::vector<TPortRequest>&)>& more = [](const auto&) { return true; })
{
    return RunClientUntil(Program("PALLIDO_TEST_CLIENT", PALLIDO_CLIENT), [&server] { return server.Requests(); },
                          paths, more);
}

std::string ReadProcFile(pid_t pid, const char* name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

struct TProcessLines {
    std::string commandLine, environment;
};

// The command line and environment of every process below `root`, each as
// one line of space-separated entries.
std::vector<TProcessLines> DescendantProcesses(pid_t root)
{
    std::map<pid_t, pid_t> parents;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(proc)) {
            const pid_t pid = std::atoi(entry->d_name);
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string line;
            if (pid <= 0 || !std::getline(stat, line) || line.rfind(')') == std::string::npos)
                continue;
            // pid (comm) state ppid ...: the name may hold anything but the last ')'.
            std::istringstream rest(line.substr(line.rfind(')') + 1));
            std::string state;
            pid_t parent = 0;
            rest >> state >> parent;
            parents[pid] = parent;
        }
        ::closedir(proc);
    }
    std::vector<TProcessLines> lines;
    for (const auto& [pid, parent] : parents) {
        pid_t up = parent;
        while (up > 1 && up != root && parents.count(up))
            up = parents[up];
        if (up == root)
            lines.push_back({ReadProcFile(pid, "cmdline"), " " + ReadProcFile(pid, "environ")});
    }
    return lines;
}

} // namespace

// The pages need one page process and the zygote it comes from; the engine's
// second zygote, for helper processes that run without a sandbox, would sit
// idle for the whole run and take about 8 MB. Each of the engine's processes
// allocates from one heap.
TEST(BlackBox, TheBrowserEngineRunsNoIdleHelperZygoteAndOneHeapPerProcess)
{
    if (kPrimary == 0 || !PortFree(kPrimary))
        GTEST_SKIP() << "the built-in primary address is not a free port on 127.0.0.1";
    TPortServer primary;
    ServeDemo(primary, kPrimary);
    if (!primary.Listen(kPrimary))
        GTEST_SKIP() << "the primary port " << kPrimary << " cannot be bound";
    TClientProcess client;
    ASSERT_TRUE(client.Start(Program("PALLIDO_TEST_CLIENT", PALLIDO_CLIENT)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!HasSuffix(primary.Requests(), "/pic/", "") && client.Running() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(HasSuffix(primary.Requests(), "/pic/", "")) << "the first result page never asked for a picture";
    const auto processes = DescendantProcesses(client.Pid());
    std::string all;
    int zygotes = 0;
    for (const auto& process : processes) {
        all += process.commandLine + "\n";
        zygotes += process.commandLine.find("--type=zygote") != std::string::npos;
        EXPECT_EQ(process.commandLine.find("--no-zygote-sandbox"), std::string::npos) << process.commandLine;
        EXPECT_NE(process.environment.find(" MALLOC_ARENA_MAX=1 "), std::string::npos) << process.commandLine;
    }
    // The zygote and the page process forked from it (which keeps its command line).
    EXPECT_GE(zygotes, 1) << all;
    client.Stop();
}

TEST(BlackBox, FirstRunAsksSoftwareInfoThenCategoriesAndTheFirstSearchSigned)
{
    if (kPrimary == 0)
        GTEST_SKIP() << "the built-in primary address is not on 127.0.0.1";
    if (!PortFree(kPrimary))
        GTEST_SKIP() << "the primary port " << kPrimary << " is in use";
    TPortServer primary;
    ServeDemo(primary, kPrimary);
    if (!primary.Listen(kPrimary))
        GTEST_SKIP() << "the primary port " << kPrimary << " cannot be bound";
    const auto requests = RunUntil(primary, {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php",
                                             "/taobao/tbk_items.php", "/taobao/III/count.html"});
    CheckFirstRun(requests, Base(kPrimary), true);
}

TEST(BlackBox, WithThePrimaryDownEveryRequestGoesToTheFallback)
{
    if (kPrimary == 0 || kFallback == 0)
        GTEST_SKIP() << "the built-in addresses are not on 127.0.0.1";
    if (!PortFree(kPrimary) || !PortFree(kFallback))
        GTEST_SKIP() << "port " << kPrimary << " or " << kFallback << " is in use";
    TPortServer fallback;
    ServeDemo(fallback, kFallback);
    if (!fallback.Listen(kFallback))
        GTEST_SKIP() << "the fallback port " << kFallback << " cannot be bound";
    const auto requests = RunUntil(fallback, {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php",
                                              "/taobao/tbk_items.php", "/taobao/III/count.html"});
    // The fallback gets the repeated software information first, then the rest.
    CheckFirstRun(requests, Base(kFallback), true);
}

TEST(BlackBox, StartsUpAgainstThePublisherServerAndShowsItsPictures)
{
    if (kPrimary == 0 || !PortFree(kPrimary))
        GTEST_SKIP() << "the built-in primary address is not a free port on 127.0.0.1";
    char folder[] = "/tmp/pallido-blackbox-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    const std::string catalog = std::string(folder) + "/catalog.sqlite";
    const int upstream = FreePort();
    TClientProcess publisher;
    ASSERT_TRUE(publisher.Start(Program("PALLIDO_TEST_SERVER", PALLIDO_SERVER),
                                {"--port", std::to_string(upstream), "--catalog", catalog, "--quiet"}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (PortFree(upstream) && publisher.Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TPortServer forwarder;
    forwarder.SetHandler("/*", Forwarder(upstream, kPrimary));
    ASSERT_TRUE(forwarder.Listen(kPrimary));

    // The first result page asks for its item pictures and the sellers'
    // credit pictures.
    const auto requests = RunUntil(
        forwarder, {"/taobao/III/OK/ok_list.php", "/taobao/tb_itemcats.php", "/taobao/tbk_items.php", "/taobao/III/count.html"},
        [](const std::vector<TPortRequest>& seen) { return HasSuffix(seen, "/bao/uploaded/", ".jpg") && HasSuffix(seen, "/newrank/", ".gif"); });
    CheckFirstRun(requests, Base(kPrimary), true);
    std::string paths;
    for (const auto& r : requests)
        paths += r.path + " ";
    EXPECT_TRUE(HasSuffix(requests, "/bao/uploaded/", ".jpg")) << "no item picture was asked for: " << paths;
    EXPECT_TRUE(HasSuffix(requests, "/newrank/", ".gif")) << "no credit picture was asked for: " << paths;
    EXPECT_FALSE(HasSuffix(requests, "/update/", "")) << "the client must not update itself";
    forwarder.Stop();
    publisher.Stop();
    std::remove(catalog.c_str());
    ::rmdir(folder);
}
