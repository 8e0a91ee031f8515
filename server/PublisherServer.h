#pragma once
// The publisher server over HTTP on 127.0.0.1: the signed scripts, the
// software information, the static pages, item and shop pages, generated
// pictures and the update archive, all answered from one catalog.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "Catalog.h"
#include "ServerOptions.h"

namespace httplib {
class Server;
}
class TItemFields;
class TItemcatsScript;
class TTbkItemsScript;
class TTbItemsScript;
class TConvertScript;
class TSoftInfoScript;
class TPictureWriter;
class TPageWriter;

class TPublisherServer {
public:
    static constexpr const char* kHost = "127.0.0.1";

    // `catalog` must outlive the server.
    TPublisherServer(const TCatalog& catalog, TServerOptions options);
    ~TPublisherServer();
    TPublisherServer(const TPublisherServer&) = delete;
    TPublisherServer& operator=(const TPublisherServer&) = delete;

    // Binds 127.0.0.1 and the port of the options (any free port for 0);
    // false with a message when the port cannot be had.
    bool Bind(std::string& error);
    int Port() const { return port_; }
    // "http://127.0.0.1:PORT/"
    std::string BaseUrl() const;

    // Serves on the calling thread until Stop(). Bind first.
    void Listen();
    // Bind, then serve on a thread of its own (tests, benchmarks).
    bool Start(std::string& error);
    // Stops serving; safe from any thread, and more than once.
    void Stop();

private:
    void Route();

    const TCatalog& catalog_;
    TServerOptions options_;
    int port_ = 0;
    std::unique_ptr<httplib::Server> http_;
    std::unique_ptr<TItemFields> fields_;
    std::unique_ptr<TItemcatsScript> itemcats_;
    std::unique_ptr<TTbkItemsScript> tbkItems_;
    std::unique_ptr<TTbItemsScript> tbItems_;
    std::unique_ptr<TConvertScript> convert_;
    std::unique_ptr<TSoftInfoScript> softInfo_;
    std::unique_ptr<TPictureWriter> pictures_;
    std::unique_ptr<TPageWriter> pages_;
    std::string channelPage_;
    std::string activityPage_;
    std::atomic<std::uint64_t> visits_{0};
    std::thread thread_;
};
