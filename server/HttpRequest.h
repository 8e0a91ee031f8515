#pragma once
// One request as the HTTP layer read it: the request line, the headers in
// their order, and where it came from.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RangeHeader.h"

struct THttpRequest {
    std::string requestLine; // "" when it was too long to read
    std::string method;
    std::string target;  // as sent
    std::string path;    // the target before "?", percent-decoded
    std::string version; // "HTTP/1.0" or "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string remoteAddr;
    // The one range asked for (made absolute once the body is known); none
    // for no usable Range header.
    std::vector<TByteRange> ranges;

    // The value of the first header of that name (any case); "" when none.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

// Letters compared without case (ASCII).
bool EqualsNoCase(std::string_view a, std::string_view b);

// "%XX" sequences decoded; anything else, broken sequences included, kept.
std::string DecodePath(std::string_view path);
