#include "CleanupScript.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Contains(const std::string& text, const char* bytes, std::size_t count)
{
    return text.find_first_of(std::string(bytes, count)) != std::string::npos;
}

std::string BatchText(const std::string& name)
{
    if (name.empty() || Contains(name, "\0\r\n\"/\\", 6))
        return {};
    std::string literal;
    for (char c : name) {
        literal += c;
        if (c == '%')
            literal += '%';
    }
    return "@echo off\r\n"
           ":loop\r\n"
           "del \"" + literal + "\"\r\n"
           "if exist \"" + literal + "\" goto loop\r\n"
           "del update.bat\r\n";
}

std::string ShellText(const TCleanupJob& job)
{
    const std::string& name = job.programName;
    if (name.empty() || name == "." || name == ".." || Contains(name, "\0/", 2) ||
        job.programFolder.empty() || Contains(job.programFolder, "\0", 1) ||
        job.scriptPath.empty() || Contains(job.scriptPath, "\0", 1) || job.pid <= 0)
        return {};
    const std::string pid = std::to_string(job.pid);
    return "#!/bin/sh\n"
           "# Deletes the previous program once its process " + pid + " has ended, then this script.\n"
           "while kill -0 " + pid + " 2>/dev/null; do sleep 1; done\n"
           "cd -- " + ShellQuote(job.programFolder) + " && rm -f -- " + ShellQuote(name) + "\n"
           "rm -f -- " + ShellQuote(job.scriptPath) + "\n";
}

} // namespace

const char* CleanupScriptName(TScriptKind kind)
{
    return kind == TScriptKind::WindowsBatch ? "update.bat" : "update.sh";
}

TScriptKind NativeScriptKind()
{
#ifdef _WIN32
    return TScriptKind::WindowsBatch;
#else
    return TScriptKind::PosixShell;
#endif
}

std::string CleanupScriptText(TScriptKind kind, const TCleanupJob& job)
{
    return kind == TScriptKind::WindowsBatch ? BatchText(job.programName) : ShellText(job);
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool WriteCleanupScript(const std::string& folder, TCleanupJob& job, std::string* error)
{
    auto fail = [error](std::string text) {
        if (error)
            *error = std::move(text);
        return false;
    };
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += "pallido-cleanup-XXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return fail("cannot create a clean-up script in " + folder + ": " + std::strerror(errno));
    job.scriptPath = path;
    const std::string text = CleanupScriptText(NativeScriptKind(), job);
    bool ok = !text.empty() && ::fchmod(fd, 0700) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    const int err = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(path.c_str());
        job.scriptPath.clear();
        return fail(text.empty() ? "no safe clean-up script for " + job.programName
                                 : "cannot write " + path + ": " + std::strerror(err));
    }
    return true;
}
