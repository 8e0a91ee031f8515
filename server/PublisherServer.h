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

class TAccessLog;
class THttpReply;
class THttpServer;
struct THttpRequest;
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

    // Answers a request as a served one is answered, without a connection
    // (fuzzing): a request whose head was refused comes with the reply's
    // status set, and gets its error document. Bind first.
    void Answer(THttpRequest& req, THttpReply& res) const;

private:
    using TRoute = std::function<void(const TSnapshot&, const THttpRequest&, THttpReply&)>;

    void AddRoutes();
    // A GET or HEAD of a known path, with its range fitted; false (reply
    // untouched) when no route takes it.
    bool Route(THttpRequest& req, THttpReply& res) const;
    // Answers a request of the catalog snapshot; false for an unknown path.
    bool Dispatch(const TSnapshot& s, const THttpRequest& req, THttpReply& res) const;
    void ErrorDocument(const THttpRequest& req, THttpReply& res) const;
    void Log(const THttpRequest& req, const THttpReply& res, std::int64_t micros) const;
    std::shared_ptr<const TSnapshot> Current() const;

    std::shared_ptr<const TCatalog> firstCatalog_;
    TServerOptions options_;
    int port_ = 0;
    std::shared_ptr<const TSnapshot> snapshot_; // atomic access only
    std::unique_ptr<TSoftInfoScript> softInfo_;
    std::unique_ptr<TAccessLog> log_;
    std::unordered_map<std::string, TRoute> routes_;
    std::atomic<std::uint64_t> visits_{0};
    // Last: its threads, which call the members above, end first.
    std::unique_ptr<THttpServer> http_;
    std::thread thread_;
};
