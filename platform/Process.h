#pragma once
// Starting other programs: detached from this process, as a watched child,
// or to read what they print. Every program gets /dev/null as its input and
// error output.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// fork, setsid, fork again and exec `path`, so the program is not our child
// and outlives us; its output discarded. True when exec succeeded.
bool SpawnDetached(const std::string& path, const std::vector<std::string>& args);

// fork, setsid and exec `path`: our child, so waitpid tells when it ends, yet
// in a session of its own. Its process id, or -1 when it cannot be started.
long SpawnChild(const std::string& path, const std::vector<std::string>& args);

// Runs `path` and returns what it printed on its standard output (at most
// `maxBytes` kept) once it exited with status 0; nothing when it cannot be
// started, fails, or has not finished within `timeoutMs` (it is then killed).
std::optional<std::string> RunForOutput(const std::string& path, const std::vector<std::string>& args,
                                        int timeoutMs, std::size_t maxBytes);

} // namespace platform
