#pragma once
// One HTTP/1.1 GET on a new loopback connection with plain sockets: connect,
// send the request, read the whole reply, close. What a client's transport
// puts on the wire for a GET, without a general HTTP library's per-request
// work, so that a load driver sharing the machine with the servers takes
// as little of its CPU as it can.

#include <string>

class TPlainGet {
public:
    struct TReply {
        bool ok = false;  // connected, sent and read a complete reply
        int status = 0;   // the status line's code
        std::string body;
    };

    explicit TPlainGet(int timeoutMs) : timeoutMs_(timeoutMs) {}

    // `url` is http://127.0.0.1:PORT/... or http://localhost:PORT/...; any
    // other address is refused (ok stays false) and nothing is sent.
    TReply Get(const std::string& url) const;

    // Whether Get would send to `url`.
    static bool Loopback(const std::string& url);

    // The parts of a reply read so far, once its headers are complete:
    // status, where the body starts and its length (-1: until the close).
    // False while the headers are incomplete or when they cannot be read.
    static bool ReadHead(const std::string& data, int& status, std::size_t& bodyAt, long& length);

private:
    int timeoutMs_;
};
