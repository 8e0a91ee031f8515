#include "PlainGet.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

class TSocket {
public:
    TSocket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~TSocket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Port and path of a loopback address; false for anything else.
bool SplitLoopback(const std::string& url, int& port, std::string& path)
{
    for (const char* prefix : {"http://127.0.0.1:", "http://localhost:"}) {
        const std::size_t n = std::strlen(prefix);
        if (url.compare(0, n, prefix) != 0)
            continue;
        const std::size_t slash = url.find('/', n);
        const std::string digits = url.substr(n, slash == std::string::npos ? std::string::npos : slash - n);
        char* end = nullptr;
        const long p = std::strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end || p < 1 || p > 65535)
            return false;
        port = static_cast<int>(p);
        path = slash == std::string::npos ? "/" : url.substr(slash);
        return true;
    }
    return false;
}

bool SendAll(int fd, const std::string& data)
{
    for (std::size_t sent = 0; sent < data.size();) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool TPlainGet::Loopback(const std::string& url)
{
    int port = 0;
    std::string path;
    return SplitLoopback(url, port, path);
}

bool TPlainGet::ReadHead(const std::string& data, int& status, std::size_t& bodyAt, long& length)
{
    const std::size_t end = data.find("\r\n\r\n");
    if (end == std::string::npos || data.compare(0, 5, "HTTP/") != 0)
        return false;
    const std::size_t space = data.find(' ');
    if (space == std::string::npos || space > end)
        return false;
    status = std::atoi(data.c_str() + space + 1);
    bodyAt = end + 4;
    length = -1;
    for (std::size_t line = data.find("\r\n") + 2; line < end; line = data.find("\r\n", line) + 2) {
        static constexpr char kLength[] = "content-length:";
        if (::strncasecmp(data.c_str() + line, kLength, sizeof kLength - 1) == 0)
            length = std::atol(data.c_str() + line + sizeof kLength - 1);
    }
    return status > 0;
}

TPlainGet::TReply TPlainGet::Get(const std::string& url) const
{
    TReply reply;
    int port = 0;
    std::string path;
    if (!SplitLoopback(url, port, path))
        return reply;
    TSocket s;
    if (s.fd() < 0)
        return reply;
    // The time limits bound the connect, every send and every read.
    timeval limit{timeoutMs_ / 1000, (timeoutMs_ % 1000) * 1000};
    ::setsockopt(s.fd(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(s.fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const int one = 1;
    ::setsockopt(s.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s.fd(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
        return reply;
    if (!SendAll(s.fd(), "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                             "\r\nAccept: */*\r\n\r\n"))
        return reply;

    std::string data;
    int status = 0;
    std::size_t bodyAt = 0;
    long length = -1;
    bool head = false;
    char buffer[16384];
    while (true) {
        if (!head)
            head = ReadHead(data, status, bodyAt, length);
        if (head && length >= 0 && data.size() >= bodyAt + static_cast<std::size_t>(length))
            break;
        const ssize_t n = ::recv(s.fd(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return reply; // timed out or failed
        if (n == 0) {
            // Closed: complete only for a reply that runs until the close.
            if (!head)
                head = ReadHead(data, status, bodyAt, length);
            if (!head || length >= 0)
                return reply;
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > (64u << 20))
            return reply;
    }
    reply.ok = true;
    reply.status = status;
    reply.body = data.substr(bodyAt, length >= 0 ? static_cast<std::size_t>(length) : std::string::npos);
    return reply;
}
