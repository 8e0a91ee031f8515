#include "ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string RandomSuffix()
{
    thread_local std::mt19937_64 gen{std::random_device{}()};
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(gen()));
    return buf;
}

} // namespace

TReplacingFile::TReplacingFile(std::string path, mode_t mode) : path_(std::move(path))
{
    const std::string folder = FolderOf(path_);
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temp_ = folder + ".pallido-part-" + RandomSuffix();
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        Fail("cannot create");
        temp_.clear();
    }
}

TReplacingFile::~TReplacingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

bool TReplacingFile::Fail(const char* what)
{
    error_ = std::string(what) + " " + path_ + ": " + std::strerror(errno);
    return false;
}

bool TReplacingFile::Write(const char* data, std::size_t size)
{
    if (fd_ < 0)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail("cannot write");
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool TReplacingFile::SetMode(mode_t mode)
{
    return fd_ >= 0 && (::fchmod(fd_, mode) == 0 || Fail("cannot set the mode of"));
}

bool TReplacingFile::MakeReadOnly()
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return false;
    return SetMode(st.st_mode & 0555);
}

bool TReplacingFile::Commit()
{
    if (fd_ < 0)
        return false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return Fail("cannot write");
    if (::rename(temp_.c_str(), path_.c_str()) != 0)
        return Fail("cannot replace");
    temp_.clear();
    return true;
}

bool TReplacingFile::WriteAll(const std::string& path, const std::string& data, std::string* error)
{
    TReplacingFile file(path);
    const bool ok = file.Write(data.data(), data.size()) && file.Commit();
    if (!ok && error)
        *error = file.Error().empty() ? "cannot write " + path : file.Error();
    return ok;
}
