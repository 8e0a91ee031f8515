#pragma once
// Settings of the publisher server and their command line.

#include <cstddef>
#include <string>

struct TServerOptions {
    int port = 8700;                       // 0: any free port
    std::string listen = "127.0.0.1";      // address to bind
    std::string publicUrl;                 // base of every address written; "" for http://listen:port/
    std::string catalog = "pallido-catalog.sqlite";
    bool noDemo = false;                   // a missing catalog is an error
    std::string announceVersion = "20100823";
    std::string pageCaption = "热门活动";
    std::string updateArchive;             // served at the announced update_url
    std::string updateName = "pallido-update";
    std::string accessLog;                 // "" for stdout
    bool quiet = false;
    int threads = 0;                       // compute threads; 0 for one per core
    std::size_t maxConnections = 1024;     // open connections at most
    std::size_t maxPerClient = 64;         // from one address other than loopback; 0: no limit
};

enum class TParseResult { Run, Help, Error };

// Reads "--port N", "--listen ADDR", "--public-url URL", "--catalog FILE",
// "--no-demo", "--announce-version TEXT", "--page-caption TEXT",
// "--update-archive FILE", "--update-name TEXT", "--access-log FILE",
// "--threads N", "--max-connections N", "--max-per-client N", "--quiet"
// and "--help" (each also as "--name=value"); `error` says what
// was wrong. Texts that end up in a line of the software information refuse
// quotes (the client's line reader pairs them across lines), CR and LF.
TParseResult ParseOptions(int argc, const char* const* argv, TServerOptions& options,
                          std::string& error);

// The base address written into replies for these options and the port
// bound: --public-url, or http://ADDR:PORT/ (a wildcard address written as
// the loopback one).
std::string BaseUrlFor(const TServerOptions& options, int port);

std::string UsageText(const char* program);
