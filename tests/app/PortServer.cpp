#include "PortServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <random>

TPortServer::TPortServer() : server_(std::make_unique<httplib::Server>())
{
    server_->set_keep_alive_max_count(1);
    // SO_REUSEADDR only: a port someone else listens on must make Listen
    // fail (the library's default, SO_REUSEPORT, would share it silently).
    server_->set_socket_options([](int sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        TPortRequest r;
        r.path = req.path;
        r.target = req.target;
        r.when = std::chrono::steady_clock::now();
        for (const auto& [k, v] : req.params)
            r.params[k] = v;
        Handler handler;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(r);
        }
        handler = Find(r.path);
        if (!handler) {
            res.status = 404;
            res.set_content("not found", "text/plain");
            return;
        }
        const TPortReply reply = handler(r);
        res.status = reply.status;
        res.set_content(reply.body, reply.contentType.c_str());
    });
}

TPortServer::~TPortServer() { Stop(); }

bool TPortServer::Listen(int port)
{
    if (!server_->bind_to_port("127.0.0.1", port))
        return false;
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void TPortServer::Stop()
{
    if (server_)
        server_->stop();
    if (thread_.joinable())
        thread_.join();
}

void TPortServer::SetHandler(const std::string& path, Handler handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handlers_[path] = std::move(handler);
}

TPortServer::Handler TPortServer::Find(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = handlers_.find(path); it != handlers_.end())
        return it->second;
    for (const auto& [key, handler] : handlers_) {
        if (!key.empty() && key.back() == '*' && path.compare(0, key.size() - 1, key, 0, key.size() - 1) == 0)
            return handler;
    }
    return {};
}

std::vector<TPortRequest> TPortServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

int LoopbackPort(const std::string& url)
{
    const std::string prefix = "http://127.0.0.1:";
    if (url.rfind(prefix, 0) != 0)
        return 0;
    int port = 0;
    for (std::size_t i = prefix.size(); i < url.size() && url[i] != '/'; ++i) {
        if (url[i] < '0' || url[i] > '9' || port > 65535)
            return 0;
        port = port * 10 + (url[i] - '0');
    }
    return port > 0 && port <= 65535 ? port : 0;
}

bool PortFree(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool listening = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return !listening;
}

TPortServer::Handler Forwarder(int upstreamPort, int ownPort)
{
    const std::string from = "127.0.0.1:" + std::to_string(upstreamPort);
    const std::string to = "127.0.0.1:" + std::to_string(ownPort);
    return [upstreamPort, from, to](const TPortRequest& r) {
        httplib::Client upstream("127.0.0.1", upstreamPort);
        TPortReply reply;
        auto res = upstream.Get(r.target.c_str());
        if (!res) {
            reply.status = 502;
            return reply;
        }
        reply.status = res->status;
        reply.body = res->body;
        reply.contentType = res->get_header_value("Content-Type");
        for (std::size_t at = reply.body.find(from); at != std::string::npos; at = reply.body.find(from, at + to.size()))
            reply.body.replace(at, from.size(), to);
        return reply;
    };
}

namespace {

// Binds a socket to `port` on 127.0.0.1 (0: any free one) and lets it go
// again; the port that was bound, or 0 when binding failed.
int BindLoopback(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t len = sizeof addr;
    int bound = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        bound = ntohs(addr.sin_port);
    ::close(fd);
    return bound;
}

} // namespace

int FreePort() { return BindLoopback(0); }

int LastingPort()
{
    int low = 32768;
    if (FILE* range = std::fopen("/proc/sys/net/ipv4/ip_local_port_range", "r")) {
        if (std::fscanf(range, "%d", &low) != 1)
            low = 32768;
        std::fclose(range);
    }
    if (low <= 2048)
        return FreePort();
    std::random_device seed;
    std::uniform_int_distribution<int> pick(1024, low - 1);
    for (int i = 0; i < 100; ++i) {
        const int port = pick(seed);
        if (BindLoopback(port) == port && PortFree(port))
            return port;
    }
    return 0;
}

TPortRequest RequestOfTarget(const std::string& target)
{
    TPortRequest r;
    r.target = target;
    const auto query = target.find('?');
    r.path = httplib::detail::decode_url(target.substr(0, query), false);
    if (query != std::string::npos) {
        httplib::Params params;
        httplib::detail::parse_query_text(target.substr(query + 1), params);
        for (const auto& [k, v] : params)
            r.params[k] = v;
    }
    return r;
}
