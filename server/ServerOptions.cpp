#include "ServerOptions.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <string_view>

#include "Utf8.h"
#include "Values.h"

namespace {

bool TakesValue(std::string_view name)
{
    return name == "--port" || name == "--catalog" || name == "--announce-version" ||
           name == "--page-caption" || name == "--update-archive" || name == "--update-name" ||
           name == "--listen" || name == "--public-url" || name == "--access-log" ||
           name == "--threads" || name == "--max-connections" || name == "--max-per-client";
}

// A single line of text for the software information: no line break, and no
// quote, which would open a stretch that the client reads across lines.
bool IsLineText(const std::string& text)
{
    return IsUtf8(text) && text.find_first_of("\r\n\"'") == std::string::npos;
}

bool IsFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

bool IsAddress(const std::string& text)
{
    unsigned char buf[16];
    return inet_pton(AF_INET, text.c_str(), buf) == 1 || inet_pton(AF_INET6, text.c_str(), buf) == 1;
}

// 127.0.0.0/8 or ::1: the addresses written into replies then reach this
// machine only from this machine, which is where the clients are.
bool IsLoopback(const std::string& text)
{
    unsigned char v4[4];
    in6_addr v6{};
    if (inet_pton(AF_INET, text.c_str(), v4) == 1)
        return v4[0] == 127;
    return inet_pton(AF_INET6, text.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

// An http or https base address with a host and printable ASCII only (no
// quotes, blanks or line breaks); a missing final "/" is added.
bool ReadPublicUrl(std::string text, std::string& out)
{
    if (!IsWebAddress(text) || text.find_first_of("?#") != std::string::npos)
        return false;
    if (text.back() != '/')
        text += '/';
    out = text;
    return true;
}

} // namespace

TParseResult ParseOptions(int argc, const char* const* argv, TServerOptions& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view name = arg;
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = std::string(arg.substr(eq + 1));
            hasValue = true;
        }
        if (name == "--help" || name == "-h")
            return TParseResult::Help;
        if ((name == "--quiet" || name == "--no-demo") && !hasValue) {
            (name == "--quiet" ? o.quiet : o.noDemo) = true;
            continue;
        }
        if (!TakesValue(name)) {
            error = "unknown option " + std::string(arg);
            return TParseResult::Error;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return TParseResult::Error;
            }
            value = argv[++i];
        }
        if (name == "--port") {
            const auto port = ParseId(value);
            if (!port || *port > 65535) {
                error = "--port needs a number from 0 to 65535";
                return TParseResult::Error;
            }
            o.port = static_cast<int>(*port);
        } else if (name == "--threads" || name == "--max-connections" || name == "--max-per-client") {
            const auto n = ParseId(value);
            const std::int64_t least = name == "--max-per-client" ? 0 : 1;
            const std::int64_t most = name == "--threads" ? 256 : 1'000'000;
            if (!n || *n < least || *n > most) {
                error = std::string(name) + " needs a number from " + std::to_string(least) + " to " +
                        std::to_string(most);
                return TParseResult::Error;
            }
            if (name == "--threads")
                o.threads = static_cast<int>(*n);
            else
                (name == "--max-connections" ? o.maxConnections : o.maxPerClient) = static_cast<std::size_t>(*n);
        } else if (name == "--listen") {
            if (!IsAddress(value)) {
                error = "--listen needs an IPv4 or IPv6 address, such as 127.0.0.1 or ::1";
                return TParseResult::Error;
            }
            o.listen = value;
        } else if (name == "--public-url") {
            if (!ReadPublicUrl(value, o.publicUrl)) {
                error = "--public-url needs an http:// or https:// address without quotes, "
                        "blanks, query or fragment, such as https://example.com/pallido/";
                return TParseResult::Error;
            }
        } else if (name == "--catalog" || name == "--access-log") {
            if (value.empty()) {
                error = std::string(name) + " needs a file name";
                return TParseResult::Error;
            }
            (name == "--catalog" ? o.catalog : o.accessLog) = value;
        } else if (name == "--update-archive") {
            o.updateArchive = value;
        } else {
            if (!IsLineText(value)) {
                error = std::string(name) + " needs one line of UTF-8 text without quotes";
                return TParseResult::Error;
            }
            if (name == "--update-name" && !IsFileName(value)) {
                error = "--update-name needs a file name without / or \\";
                return TParseResult::Error;
            }
            (name == "--announce-version" ? o.announceVersion
             : name == "--page-caption"   ? o.pageCaption
                                          : o.updateName) = value;
        }
    }
    // Without a public address the replies would name the loopback address,
    // and send remote clients to their own machine for updates and pages.
    if (!IsLoopback(o.listen) && o.publicUrl.empty()) {
        error = "--listen " + o.listen + " is not a loopback address: give --public-url with the "
                "address clients reach this server by";
        return TParseResult::Error;
    }
    return TParseResult::Run;
}

std::string BaseUrlFor(const TServerOptions& o, int port)
{
    if (!o.publicUrl.empty())
        return o.publicUrl;
    const bool v6 = o.listen.find(':') != std::string::npos;
    std::string host = o.listen == "0.0.0.0" ? "127.0.0.1" : o.listen == "::" ? "::1" : o.listen;
    if (v6)
        host = "[" + host + "]";
    return "http://" + host + ":" + std::to_string(port) + "/";
}

std::string UsageText(const char* program)
{
    return std::string("Usage: ") + program + R"( [options]
       )" + program + R"( import --catalog FILE --categories FILE --sellers FILE --items FILE
       )" + program + R"( export [--catalog FILE] [--categories FILE] [--sellers FILE] [--items FILE]
Serves the publisher scripts, pages and pictures for Pallido.

  --port N                 port to listen on (default 8700; 0 picks a free one)
  --listen ADDR            address to listen on (default 127.0.0.1; 0.0.0.0 or ::
                           for every address); any but a loopback address needs
                           --public-url
  --public-url URL         base of every address written into replies, such as
                           https://shop.example.com/pallido/ behind a reverse
                           proxy (default http://ADDR:PORT/)
  --catalog FILE           SQLite catalog (default pallido-catalog.sqlite); a
                           missing file is created with the demo catalog
  --no-demo                a missing catalog file is an error
  --announce-version TEXT  version announced to clients (default 20100823)
  --page-caption TEXT      caption of the client's activity page (default 热门活动)
  --update-archive FILE    ZIP archive served at the announced update address;
                           FILE.minisig, when present, is served beside it
  --update-name TEXT       name of the update announced to clients (default pallido-update)
  --access-log FILE        access log file (default: stdout); reopened on SIGUSR1
  --threads N              threads that build replies (default: one per core)
  --max-connections N      open connections at most (default 1024); more are
                           closed at once
  --max-per-client N       connections from one address at most (default 64;
                           0 for no limit, as behind a front on another
                           machine); loopback clients are never limited
  --quiet                  print nothing but errors (and no access log on stdout)
  --help                   show this text

SIGHUP reloads the catalog file; SIGUSR1 reopens the access log.

import builds a catalog from CSV files (UTF-8, a header row naming the
columns); it replaces --catalog only when every row is good.
export writes the demo catalog (or --catalog FILE) as these CSV files
(default categories.csv, sellers.csv, items.csv).
)";
}
