#include "FileBody.h"

#include <httplib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The open file, shared by the reply's provider and released with it.
class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    ~TFd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool TFileBody::Serve(const std::string& path, const char* contentType, httplib::Response& res)
{
    auto file = std::make_shared<TFd>(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (file->Get() < 0 || fstat(file->Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const auto size = static_cast<std::size_t>(st.st_size);
    res.set_content_provider(
        size, contentType,
        [file, size](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            std::vector<char> buffer(std::min(length, kChunk));
            const std::size_t end = std::min(size, offset + length);
            while (offset < end) {
                const ssize_t n = pread(file->Get(), buffer.data(),
                                        std::min(buffer.size(), end - offset),
                                        static_cast<off_t>(offset));
                // A file cut short while being sent ends the connection
                // rather than sending a body shorter than announced.
                if (n <= 0 || !sink.write(buffer.data(), static_cast<std::size_t>(n)))
                    return false;
                offset += static_cast<std::size_t>(n);
            }
            return true;
        });
    return true;
}
