#pragma once
// What the black-box tests share: the programs they run, the client's
// built-in addresses, and the checks of the requests a client's first run
// made (as a recording server or a front's access log saw them).

#include <functional>
#include <string>
#include <vector>

#include "PortServer.h"

// The built-in primary and fallback ports on 127.0.0.1 (0: not on loopback).
extern const int kPrimary;
extern const int kFallback;

// The program named by the environment variable, or the built one.
std::string Program(const char* variable, const char* built);

std::string Base(int port);

bool Has(const std::vector<TPortRequest>& requests, const std::string& path);
bool HasSuffix(const std::vector<TPortRequest>& requests, const std::string& prefix, const std::string& suffix);

// Runs the client until `seen()` holds every path in `paths` and `more`
// holds of it (at most 90 seconds), and returns what was seen then.
std::vector<TPortRequest> RunClientUntil(
    const std::string& client, const std::function<std::vector<TPortRequest>()>& seen,
    const std::vector<std::string>& paths,
    const std::function<bool(const std::vector<TPortRequest>&)>& more = [](const auto&) { return true; });

// The software information first (when asked for), then the category level
// and the first search, signed as the client signs them for `base`.
void CheckFirstRun(const std::vector<TPortRequest>& requests, const std::string& base, bool withSoftInfo);
