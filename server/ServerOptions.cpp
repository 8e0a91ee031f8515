#include "ServerOptions.h"

#include <string_view>

#include "Utf8.h"
#include "Values.h"

namespace {

bool TakesValue(std::string_view name)
{
    return name == "--port" || name == "--catalog" || name == "--announce-version" ||
           name == "--page-caption" || name == "--update-archive" || name == "--update-name";
}

// A single line of text: it goes into one line of the software information.
bool IsLineText(const std::string& text)
{
    return IsUtf8(text) && text.find_first_of("\r\n") == std::string::npos;
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
        if (name == "--quiet" && !hasValue) {
            o.quiet = true;
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
        } else if (name == "--catalog") {
            if (value.empty()) {
                error = "--catalog needs a file name";
                return TParseResult::Error;
            }
            o.catalog = value;
        } else if (name == "--update-archive") {
            o.updateArchive = value;
        } else {
            if (!IsLineText(value)) {
                error = std::string(name) + " needs one line of UTF-8 text";
                return TParseResult::Error;
            }
            (name == "--announce-version" ? o.announceVersion
             : name == "--page-caption"   ? o.pageCaption
                                          : o.updateName) = value;
        }
    }
    return TParseResult::Run;
}

std::string UsageText(const char* program)
{
    return std::string("Usage: ") + program + R"( [options]
Serves the publisher scripts, pages and pictures for Pallido on 127.0.0.1.

  --port N                 port to listen on (default 8700; 0 picks a free one)
  --catalog FILE           SQLite catalog, created and seeded on first use
                           (default pallido-catalog.sqlite)
  --announce-version TEXT  version announced to clients (default 20100823)
  --page-caption TEXT      caption of the client's activity page (default 热门活动)
  --update-archive FILE    ZIP archive served at the announced update address;
                           FILE.minisig, when present, is served beside it
  --update-name TEXT       name of the update announced to clients (default pallido-update)
  --quiet                  print nothing but errors
  --help                   show this text
)";
}
