#include "Process.h"

#include <cerrno>
#include <algorithm>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

struct TArgv {
    explicit TArgv(const std::string& path, const std::vector<std::string>& args) : store{path}
    {
        store.insert(store.end(), args.begin(), args.end());
        for (auto& a : store)
            pointers.push_back(a.data());
        pointers.push_back(nullptr);
    }
    std::vector<std::string> store;
    std::vector<char*> pointers;
};

// In a freshly forked child: input and error output from/to /dev/null,
// output to `outFd` (/dev/null when negative), then exec; on failure the
// error number goes down `errorPipe` and the child ends.
[[noreturn]] void ExecQuietly(TArgv& argv, int errorPipe, int outFd = -1)
{
    const int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        ::dup2(devnull, 0);
        ::dup2(outFd >= 0 ? outFd : devnull, 1);
        ::dup2(devnull, 2);
    }
    ::execv(argv.pointers[0], argv.pointers.data());
    const int err = errno;
    [[maybe_unused]] ssize_t n = ::write(errorPipe, &err, sizeof err);
    ::_exit(127);
}

// True when the close-on-exec pipe closed without an error number: exec
// succeeded.
bool ExecSucceeded(int readEnd)
{
    int err = 0;
    ssize_t n;
    while ((n = ::read(readEnd, &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(readEnd);
    return n == 0;
}

bool WaitForExit(pid_t pid, int* status)
{
    while (::waitpid(pid, status, 0) < 0)
        if (errno != EINTR)
            return false;
    return true;
}

} // namespace

// fork, setsid, fork again and exec, so the program is not our child and
// outlives us; a close-on-exec pipe tells whether exec succeeded.
bool SpawnDetached(const std::string& path, const std::vector<std::string>& args)
{
    TArgv argv(path, args);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        ExecQuietly(argv, fds[1]);
    }
    ::close(fds[1]);
    int status = 0;
    const bool waited = WaitForExit(child, &status);
    const bool execOk = ExecSucceeded(fds[0]);
    return waited && WIFEXITED(status) && WEXITSTATUS(status) == 0 && execOk;
}

// fork, setsid and exec: our child, so waitpid tells when it ends, yet in a
// session of its own, so it is not taken down with ours.
long SpawnChild(const std::string& path, const std::vector<std::string>& args)
{
    TArgv argv(path, args);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return -1;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        ExecQuietly(argv, fds[1]);
    }
    ::close(fds[1]);
    if (!ExecSucceeded(fds[0])) {
        int status = 0;
        WaitForExit(child, &status);
        return -1;
    }
    return static_cast<long>(child);
}


std::optional<std::string> RunForOutput(const std::string& path, const std::vector<std::string>& args,
                                        int timeoutMs, std::size_t maxBytes)
{
    TArgv argv(path, args);
    int errors[2];
    int output[2];
    if (::pipe2(errors, O_CLOEXEC) != 0)
        return std::nullopt;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(errors[0]);
        ::close(errors[1]);
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(errors[0]);
        ::close(output[0]);
        ExecQuietly(argv, errors[1], output[1]);
    }
    ::close(errors[1]);
    ::close(output[1]);
    if (child < 0) {
        ::close(errors[0]);
        ::close(output[0]);
        return std::nullopt;
    }
    const bool started = ExecSucceeded(errors[0]);

    std::string text;
    bool complete = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (started) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{output[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[1024];
        const ssize_t n = ::read(output[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            complete = n == 0;
            break;
        }
        if (text.size() < maxBytes)
            text.append(buffer, std::min(static_cast<std::size_t>(n), maxBytes - text.size()));
    }
    ::close(output[0]);
    if (!complete)
        ::kill(child, SIGKILL);
    int status = 0;
    const bool waited = WaitForExit(child, &status);
    if (!started || !complete || !waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

} // namespace platform
