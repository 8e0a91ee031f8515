#include "Launcher.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

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

// In a freshly forked child: output to /dev/null, then exec; on failure the
// error number goes down `errorPipe` and the child ends.
[[noreturn]] void ExecQuietly(TArgv& argv, int errorPipe)
{
    const int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
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

class TSystemLauncher : public ILauncher {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& args) override
    {
        const std::string path = FindProgram(program);
        if (path.empty())
            return false;
        return SpawnDetached(path, args);
    }

    long StartChild(const std::string& program, const std::vector<std::string>& args) override
    {
        const std::string path = FindProgram(program);
        return path.empty() ? -1 : SpawnChild(path, args);
    }

    bool ChildRunning(long pid) override
    {
        if (pid <= 0)
            return false;
        int status = 0;
        pid_t r;
        while ((r = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG)) < 0 && errno == EINTR) {
        }
        return r == 0;
    }

    bool OpenUrl(const std::string& url) override
    {
        if (!IsWebUrl(url))
            return false;
        return StartDetached("xdg-open", {url});
    }
};

TSystemLauncher& SystemLauncher()
{
    static TSystemLauncher launcher;
    return launcher;
}

std::atomic<ILauncher*> g_launcher{nullptr};

} // namespace

ILauncher& Launcher()
{
    ILauncher* l = g_launcher.load();
    return l ? *l : SystemLauncher();
}

void SetLauncher(ILauncher* launcher) { g_launcher.store(launcher); }

bool IsWebUrl(const std::string& url)
{
    auto startsWith = [&url](const char* prefix) {
        const std::size_t n = std::strlen(prefix);
        return url.size() > n && ::strncasecmp(url.c_str(), prefix, n) == 0;
    };
    if (url.find_first_of(std::string("\0\r\n", 3)) != std::string::npos)
        return false;
    return startsWith("http://") || startsWith("https://");
}

std::string FindProgram(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty())
            dir.push_back('.');
        std::string candidate;
        candidate.reserve(dir.size() + 1 + name.size());
        candidate.append(dir).append(1, '/').append(name);
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

bool StartCalculator()
{
    for (const char* name : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "xcalc"})
        if (!FindProgram(name).empty())
            return Launcher().StartDetached(name, {});
    return false;
}

bool StartWebBrowser()
{
    if (!FindProgram("x-www-browser").empty())
        return Launcher().StartDetached("x-www-browser", {});
    return Launcher().StartDetached("xdg-open", {"about:blank"});
}

bool TRecordingLauncher::StartDetached(const std::string& program,
                                       const std::vector<std::string>& args)
{
    calls.push_back({program, args, {}});
    return startResult;
}

long TRecordingLauncher::StartChild(const std::string& program, const std::vector<std::string>& args)
{
    calls.push_back({program, args, {}});
    return startResult ? 1 : -1;
}

bool TRecordingLauncher::ChildRunning(long pid) { return pid > 0 && childRuns; }

bool TRecordingLauncher::OpenUrl(const std::string& url)
{
    if (!IsWebUrl(url))
        return false;
    calls.push_back({{}, {}, url});
    return true;
}
