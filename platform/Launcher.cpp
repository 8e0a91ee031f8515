#include "Launcher.h"

#include "DesktopApps.h"
#include "Process.h"

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

class TSystemLauncher : public ILauncher {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& args) override
    {
        const std::string path = FindProgram(program);
        if (path.empty())
            return false;
        return platform::SpawnDetached(path, args);
    }

    long StartChild(const std::string& program, const std::vector<std::string>& args) override
    {
        const std::string path = FindProgram(program);
        return path.empty() ? -1 : platform::SpawnChild(path, args);
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

    std::string Query(const std::string& program, const std::vector<std::string>& args) override
    {
        const std::string path = FindProgram(program);
        if (path.empty())
            return {};
        return platform::RunForOutput(path, args, kQueryTimeoutMs, kQueryMaxBytes).value_or(std::string());
    }

private:
    static constexpr int kQueryTimeoutMs = 3000;
    static constexpr std::size_t kQueryMaxBytes = 4096;
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

namespace {

// Starts an application by its desktop entry, as the desktop itself would.
bool LaunchEntry(const platform::TDesktopEntry& entry)
{
    if (!FindProgram("gio").empty())
        return Launcher().StartDetached("gio", {"launch", entry.path});
    if (!FindProgram("gtk-launch").empty())
        return Launcher().StartDetached("gtk-launch", {entry.id.substr(0, entry.id.size() - 8)});
    return false;
}

} // namespace

bool StartCalculator()
{
    if (const auto entry = platform::FindCalculator())
        return LaunchEntry(*entry);
    // Calculators that come without a desktop entry.
    for (const char* name : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "xcalc"})
        if (!FindProgram(name).empty())
            return Launcher().StartDetached(name, {});
    return false;
}

bool StartWebBrowser()
{
    const std::string id = Launcher().Query("xdg-settings", {"get", "default-web-browser"});
    if (const auto entry = platform::EntryNamed(id))
        if (LaunchEntry(*entry))
            return true;
    if (!FindProgram("x-www-browser").empty())
        return Launcher().StartDetached("x-www-browser", {});
    return false;
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

std::string TRecordingLauncher::Query(const std::string& program, const std::vector<std::string>& args)
{
    queries.push_back({program, args, {}});
    const auto answer = answers.find(program);
    return answer == answers.end() ? std::string() : answer->second;
}

bool TRecordingLauncher::OpenUrl(const std::string& url)
{
    if (!IsWebUrl(url))
        return false;
    calls.push_back({{}, {}, url});
    return true;
}
