#pragma once
// What one client may ask of the HTTP layer. Everything a connection holds
// is bounded by these: a request head is read into a buffer of `headBytes`
// and never grows it.

#include <chrono>
#include <cstddef>

struct THttpLimits {
    std::size_t requestLineBytes = 8 * 1024; // longer: 414
    std::size_t headBytes = 16 * 1024;       // request line and headers; longer: 431
    std::size_t headerLines = 100;           // more: 431
    // A head must be complete this long after the connection opened or its
    // previous reply went out.
    std::chrono::milliseconds headDeadline{10'000};
    // With no byte of a next request, a connection is closed after this.
    std::chrono::milliseconds idle{2'000};
    // Each write of a reply must get through within this.
    std::chrono::milliseconds writeDeadline{5'000};
    std::size_t maxConnections = 1024;
    std::size_t maxPerClient = 64; // 0: no limit; loopback clients are never limited
    std::size_t requestsPerConnection = 1000;
};
