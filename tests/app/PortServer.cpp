#include "PortServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
