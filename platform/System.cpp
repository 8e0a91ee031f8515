#include "System.h"

#include <cstdlib>
#include <limits.h>
#include <unistd.h>

namespace platform {

namespace {
std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}
} // namespace

std::string TempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return WithSlash(tmp && *tmp ? tmp : "/tmp");
}

std::string ExecutablePath()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string ExecutableFolder()
{
    const std::string path = ExecutablePath();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ExecutableName()
{
    const std::string path = ExecutablePath();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* ExecutableSuffix() { return ""; }

std::string CurrentFolder()
{
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf))
        return "./";
    return WithSlash(buf);
}

} // namespace platform
