// A small stand-in publisher server with canned Chinese content, for the
// screenshot script and manual runs: pallido_demo_server [port] (default 8700).
// Stops on SIGINT or SIGTERM.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "DemoReplies.h"
#include "PortServer.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }
} // namespace

int main(int argc, char* argv[])
{
    const int port = argc > 1 ? std::atoi(argv[1]) : 8700;
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
    TPortServer server;
    server.SetHandler("/taobao/III/OK/ok_list.php",
                      [](const TPortRequest&) { return TPortReply{200, demo::SoftInfo(), "text/plain; charset=utf-8"}; });
    server.SetHandler("/taobao/tb_itemcats.php", [](const TPortRequest& r) {
        const auto it = r.params.find("parent_cid");
        const int parent = it == r.params.end() ? 0 : std::atoi(it->second.c_str());
        return TPortReply{200, parent == 0 ? demo::RootCategories() : demo::ChildCategories(parent, 8)};
    });
    server.SetHandler("/taobao/tbk_items.php", [base](const TPortRequest& r) {
        const auto it = r.params.find("page_no");
        const int page = it == r.params.end() ? 1 : std::max(1, std::atoi(it->second.c_str()));
        return TPortReply{200, demo::Items(base, page, 40, "857")};
    });
    for (const char* path : {"/pic/*", "/newrank/*"})
        server.SetHandler(path, [](const TPortRequest& r) {
            return TPortReply{200, demo::Picture(r.path), "image/svg+xml"};
        });
    server.SetHandler("/taobao/III/*", [](const TPortRequest& r) {
        return TPortReply{200, demo::Page(r.path), "text/html; charset=utf-8"};
    });
    if (!server.Listen(port)) {
        std::fprintf(stderr, "port %d is taken\n", port);
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!stopRequested)
        ::usleep(50 * 1000);
    server.Stop();
    return 0;
}
