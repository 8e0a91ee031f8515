#pragma once
// Software information: which version is current, where its update archive
// lies, and the caption of the fourth notebook page. Also the start-up probe
// that decides between the primary and the fallback server.

#include <string>

struct SOFT_INFO {
    std::string extra2;
    std::string page_caption;
    std::string update_url;
    std::string update_name;
    std::string extra1;
    std::string version;
};

class TOK {
public:
    // GET of url "?pid=" pid; the UTF-8 body in the 8-bit code page, or the
    // literal "error" on any failure (connect 10 s, no data for 15 s, a status
    // outside 2xx, a body over 8 MiB or not valid UTF-8).
    std::string FetchReply(const std::string& url, const std::string& pid);
    // True when a reply arrived, whatever it held; `info` is emptied first.
    bool GetSoftInfo(const std::string& url, const std::string& pid, SOFT_INFO& info);

    // Time limits of the next requests; tests shorten them.
    long connectTimeoutMs = 10000;
    long stallTimeoutMs = 15000;
};

// Parses a reply already in the 8-bit code page into `info` (no reset).
void ParseSoftInfo(const std::string& reply, SOFT_INFO& info);
