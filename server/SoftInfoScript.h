#pragma once
// taobao/III/OK/ok_list.php?pid=: the software information, seven UTF-8
// lines (a heading, then extra1, extra2, update_name, version, update_url,
// page_caption as key=value). Any other pid gets the body "error".

#include <string>

#include "QueryString.h"
#include "ServerOptions.h"

class TSoftInfoScript {
public:
    TSoftInfoScript(const TServerOptions& options, const std::string& baseUrl);

    std::string Reply(const TQueryString& query) const;
    // Decoded request path ("/update/NAME.zip") at which the update archive
    // is served.
    const std::string& ArchivePath() const { return archivePath_; }

private:
    std::string body_;
    std::string archivePath_;
};
