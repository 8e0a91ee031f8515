#pragma once
// A recording HTTP server on 127.0.0.1 and a port of the caller's choice (the
// client's built-in addresses are fixed ports), serving replies computed per
// request path.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

struct TPortRequest {
    std::string path;
    std::string target;                         // path and raw query as sent
    std::map<std::string, std::string> params;  // decoded
    std::chrono::steady_clock::time_point when;
};

struct TPortReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/xml";
};

class TPortServer {
public:
    using Handler = std::function<TPortReply(const TPortRequest&)>;

    TPortServer();
    ~TPortServer();
    TPortServer(const TPortServer&) = delete;
    TPortServer& operator=(const TPortServer&) = delete;

    // False when the port is taken.
    bool Listen(int port);
    void Stop();

    // Exact path, or every path starting with `prefix` when the key ends in "*".
    void SetHandler(const std::string& path, Handler handler);

    std::vector<TPortRequest> Requests() const;

private:
    Handler Find(const std::string& path) const;

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Handler> handlers_;
    std::vector<TPortRequest> requests_;
};

// The port of a built-in "http://127.0.0.1:PORT/" address; 0 when the
// address is not on 127.0.0.1 (tests then leave it alone).
int LoopbackPort(const std::string& url);

// True when nothing accepts connections on 127.0.0.1:port.
bool PortFree(int port);

// A port on 127.0.0.1 that nobody listens on now (0 when none can be had).
int FreePort();

// A free port on 127.0.0.1 below the range the system takes the local ports
// of outgoing connections from: a server killed and restarted on it finds it
// free again (0 when none can be had).
int LastingPort();

// A handler that forwards each GET to the server at `upstreamPort` on
// 127.0.0.1 and rewrites that server's own address in the reply to
// `ownPort`, so the pictures its pages name come back through us.
TPortServer::Handler Forwarder(int upstreamPort, int ownPort);

// A request as its target ("/path?query") reads: the path and the decoded
// parameters (for requests seen in a front's access log).
TPortRequest RequestOfTarget(const std::string& target);
