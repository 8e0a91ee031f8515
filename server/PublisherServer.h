#pragma once
// The publisher server over HTTP: the signed scripts, the software
// information, the static pages, item and shop pages, generated pictures and
// the update archive, all answered from one catalog snapshot. Requests are
// routed by exact path (two picture families by a small parser), never by a
// pattern over the path.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>

#include "Catalog.h"
#include "ServerOptions.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}
class TAccessLog;
class TSnapshot;
class TSoftInfoScript;

class TPublisherServer {
public:
    // `catalog` must outlive the server.
    TPublisherServer(const TCatalog& catalog, TServerOptions options);
    TPublisherServer(std::shared_ptr<const TCatalog> catalog, TServerOptions options);
    ~TPublisherServer();
    TPublisherServer(const TPublisherServer&) = delete;
    TPublisherServer& operator=(const TPublisherServer&) = delete;

    // Binds the address and port of the options (any free port for 0) and
    // opens the access log; false with a message when either fails.
    bool Bind(std::string& error);
    int Port() const { return port_; }
    // The base of every address the server writes: --public-url, or
    // "http://ADDR:PORT/".
    std::string BaseUrl() const;

    // Serves on the calling thread until Stop(). Bind first.
    void Listen();
    // Bind, then serve on a thread of its own (tests, benchmarks).
    bool Start(std::string& error);
    // Stops serving; safe from any thread, and more than once.
    void Stop();

    // Answers from `catalog` from now on; requests in flight finish on the
    // catalog they started with. Safe from any thread once bound.
    void Reload(std::shared_ptr<const TCatalog> catalog);
    // Opens the access log file again (after rotation).
    bool ReopenLog(std::string& error);

    // Answers a request read by the HTTP library as a served one is
    // answered, without a connection (fuzzing); false when no route takes
    // it. Bind first.
    bool Answer(httplib::Request& req, httplib::Response& res) const;

private:
    using TRoute = std::function<void(const TSnapshot&, const httplib::Request&, httplib::Response&)>;

    void Route();
    void AddRoutes();
    // Answers a request of the catalog snapshot; false for an unknown path.
    bool Dispatch(const TSnapshot& s, const httplib::Request& req, httplib::Response& res) const;
    void Log(const httplib::Request& req, const httplib::Response& res) const;
    std::shared_ptr<const TSnapshot> Current() const;

    std::shared_ptr<const TCatalog> firstCatalog_;
    TServerOptions options_;
    int port_ = 0;
    int listening_ = -1; // the listening socket, once bound
    std::unique_ptr<httplib::Server> http_;
    std::shared_ptr<const TSnapshot> snapshot_; // atomic access only
    std::unique_ptr<TSoftInfoScript> softInfo_;
    std::unique_ptr<TAccessLog> log_;
    std::unordered_map<std::string, TRoute> routes_;
    std::atomic<std::uint64_t> visits_{0};
    std::thread thread_;
};
