#pragma once
// Reads a request head from the bytes a connection has received so far.
// Nothing but the head is ever taken from them: a GET or HEAD that says it
// carries a body is refused, any other method too, so no byte of a body can
// be read as the next request.

#include <cstddef>
#include <string_view>

#include "HttpLimits.h"
#include "HttpRequest.h"

struct THeadResult {
    enum class TKind { NeedMore, Done, Failed };
    TKind kind = TKind::NeedMore;
    int status = 0;            // the reply status when Failed; the connection then closes
    std::size_t consumed = 0;  // bytes of the head when Done
    bool close = false;        // the client asked to close after the reply
};

// `bytes` start where the request starts. `request` gets what could be read,
// for the reply and the access log, also when the head is refused.
THeadResult ReadHead(std::string_view bytes, const THttpLimits& limits, THttpRequest& request);
