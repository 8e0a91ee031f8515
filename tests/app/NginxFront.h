#pragma once
// nginx from the machine's package, run by a test in the foreground from a
// private prefix and configuration in front of publisher server replicas
// (never the system's service): the shipped site with its listen address and
// upstream servers moved to the test's loopback ports.

#include <string>
#include <vector>

#include "ClientProcess.h"
#include "PortServer.h"

// One request as nginx logged it.
struct TFrontEntry {
    TPortRequest request;
    int status = 0;
    std::string upstreams; // the replicas tried, in order ("127.0.0.1:P, 127.0.0.1:Q")
    std::string userAgent; // "-" when none was sent
};

class TNginxFront {
public:
    // The nginx program ("" when none is installed); PALLIDO_TEST_NGINX
    // names another one.
    static std::string Binary();

    // The site `site` listening on 127.0.0.1:port in front of `replicas`
    // (as many as the site lists), everything nginx writes under `folder`.
    // False, with the reason, when the site does not fit or nginx does not
    // listen within 10 seconds.
    bool Start(const std::string& folder, const std::string& site, int port, const std::vector<int>& replicas,
               std::string& error);
    void Stop() { process_.Stop(); }

    // The requests answered so far, from the access log.
    std::vector<TFrontEntry> Entries() const;
    // nginx's own messages so far.
    std::string Errors() const;

private:
    TClientProcess process_;
    std::string folder_;
};

// The shipped site moved to 127.0.0.1:port and `replicas`: the first listen
// line is replaced, the other ones dropped, the upstream servers are given
// the replica ports in order, and caches are kept under `folder`. Empty when
// the site lists a different number of servers or no listen line.
std::string LocalSite(const std::string& site, int port, const std::vector<int>& replicas,
                      const std::string& folder);
