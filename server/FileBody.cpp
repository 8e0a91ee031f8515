#include "FileBody.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "HttpReply.h"

TOpenFile::~TOpenFile()
{
    if (fd_ >= 0)
        close(fd_);
}

ssize_t TOpenFile::Read(std::size_t offset, char* out, std::size_t size) const
{
    return pread(fd_, out, size, static_cast<off_t>(offset));
}

bool TFileBody::Serve(const std::string& path, const char* contentType, THttpReply& res)
{
    auto file = std::make_shared<const TOpenFile>(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (file->Get() < 0 || fstat(file->Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    res.SetFile(std::move(file), static_cast<std::size_t>(st.st_size), contentType);
    return true;
}
