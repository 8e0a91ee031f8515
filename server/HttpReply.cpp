#include "HttpReply.h"

#include <algorithm>
#include <cctype>

void THttpReply::SetContent(std::string content, const char* contentType)
{
    body = std::move(content);
    file_.reset();
    fileSize_ = 0;
    SetHeader("Content-Type", contentType);
}

void THttpReply::SetFile(std::shared_ptr<const TOpenFile> file, std::size_t size, const char* contentType)
{
    body.clear();
    file_ = std::move(file);
    fileSize_ = size;
    SetHeader("Content-Type", contentType);
}

void THttpReply::SetHeader(const std::string& name, const std::string& value) { headers_[name] = value; }

void THttpReply::SendRange(std::size_t first, std::size_t last)
{
    status = 206;
    ranged_ = true;
    offset_ = first;
    length_ = last - first + 1;
    SetHeader("Content-Range",
              "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(BodyLength()));
}

void THttpReply::Redirect(const std::string& url)
{
    status = 302;
    SetHeader("Location", url);
}

bool THttpReply::TNoCase::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

const char* THttpReply::Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 414: return "URI Too Long";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "";
    }
}

std::string THttpReply::Head(std::size_t length, bool head, bool close, std::string_view keepAlive) const
{
    auto fields = headers_;
    if (close)
        fields["Connection"] = "close";
    else
        fields["Keep-Alive"] = std::string(keepAlive);
    if (head && !fields.count("Accept-Ranges"))
        fields["Accept-Ranges"] = "bytes";
    if (!fields.count("Content-Type") && length > 0)
        fields["Content-Type"] = "text/plain";
    fields["Content-Length"] = std::to_string(length);

    const int code = status < 0 ? 200 : status;
    std::string out = "HTTP/1.1 " + std::to_string(code) + " " + Reason(code) + "\r\n";
    for (const auto& [name, value] : fields)
        out += name + ": " + value + "\r\n";
    out += "\r\n";
    return out;
}
