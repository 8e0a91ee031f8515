#pragma once
// One reply of the HTTP layer: status, headers, and a body that is either
// in memory or a file read in pieces while it is sent.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class TOpenFile;

class THttpReply {
public:
    int status = -1; // -1: not answered yet (200 once a body is set)
    std::string body;

    void SetContent(std::string content, const char* contentType);
    // A file body of `size` bytes, read from `file` while it is sent.
    void SetFile(std::shared_ptr<const TOpenFile> file, std::size_t size, const char* contentType);
    void SetHeader(const std::string& name, const std::string& value);
    void Redirect(const std::string& url); // 302 to `url`
    bool HasHeader(const std::string& name) const { return headers_.count(name) > 0; }

    // Sends bytes `first` to `last` of the body only (206).
    void SendRange(std::size_t first, std::size_t last);
    std::size_t SentOffset() const { return offset_; }
    // The length of what goes out: the range, or the whole body.
    std::size_t SentLength() const { return ranged_ ? length_ : BodyLength(); }

    bool HasFile() const { return file_ != nullptr; }
    const TOpenFile* File() const { return file_.get(); }
    // The length of the whole body, in memory or on disk.
    std::size_t BodyLength() const { return file_ ? fileSize_ : body.size(); }

    // The status line and headers as sent: the headers in order of their
    // names, Content-Length of `length` (the range sent), and
    // "Connection: close" or the keep-alive terms.
    std::string Head(std::size_t length, bool head, bool close, std::string_view keepAlive) const;

    static const char* Reason(int status);

private:
    struct TNoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, std::string, TNoCase> headers_;
    std::shared_ptr<const TOpenFile> file_;
    std::size_t fileSize_ = 0;
    bool ranged_ = false;
    std::size_t offset_ = 0, length_ = 0;
};
