#pragma once
// One demo catalog and one in-process publisher server per test program, on
// a free port of 127.0.0.1, plus a raw HTTP/1.1 GET that sends the request
// target byte for byte (no encoding, no validation) and reports what came
// back, for the malformed-input tests.

#include <map>
#include <string>

#include "Catalog.h"
#include "PublisherServer.h"

const TCatalog& SharedCatalog();
TPublisherServer& SharedServer();
// "http://127.0.0.1:PORT/"
std::string SharedBase();

struct TRawReply {
    int status = 0; // 0: no valid HTTP reply at all
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
};

// GET of `target` (e.g. "/taobao/tbk_items.php?...") on 127.0.0.1:port;
// `headers` are further header lines, each ending in CRLF.
TRawReply RawGet(int port, const std::string& target, const std::string& headers = "");
// Sends `request` as it is (request line, headers, blank line).
TRawReply RawRequest(int port, const std::string& request);

// Signed query string for a script, built the way the service clients build
// theirs: the given parameters in order (values percent-encoded when
// `encode`), then stamp, pid and the signature of `signInput`.
std::string SignedQuery(const std::vector<std::pair<std::string, std::string>>& params,
                        const std::string& signInput, bool encode = true);
