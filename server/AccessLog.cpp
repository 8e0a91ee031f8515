#include "AccessLog.h"

#include <cerrno>
#include <cstring>

namespace {

void AppendQuoted(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    if (text.empty())
        out += '-';
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c > 0x7e || c == '"' || c == '\\') {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

} // namespace

std::string FormatAccessLine(const TAccessEntry& e)
{
    std::tm tm{};
    localtime_r(&e.time, &tm);
    char when[64];
    std::strftime(when, sizeof when, "[%d/%b/%Y:%H:%M:%S %z]", &tm);
    std::string line;
    line.reserve(e.requestLine.size() + 160);
    // The client address comes from the socket; it holds no spaces.
    line += e.client.empty() ? "-" : e.client;
    line += " - - ";
    line += when;
    line += ' ';
    AppendQuoted(line, e.requestLine);
    line += ' ' + std::to_string(e.status) + ' ';
    line += e.bytes > 0 ? std::to_string(e.bytes) : "-";
    line += ' ';
    AppendQuoted(line, e.referer);
    line += ' ';
    AppendQuoted(line, e.userAgent);
    line += ' ';
    line += e.micros >= 0 ? std::to_string(e.micros) : "-";
    line += ' ';
    line += e.apiError >= 0 ? std::to_string(e.apiError) : "-";
    return line;
}

int ApiErrorCode(std::string_view body)
{
    // The document element right after the declaration.
    constexpr std::string_view kMark = "<error_response><code>";
    const auto declaration = body.find("?>\n");
    const std::size_t at = declaration == std::string_view::npos ? 0 : declaration + 3;
    if (body.substr(at, kMark.size()) != kMark)
        return -1;
    int code = 0;
    std::size_t digits = 0;
    for (std::size_t i = at + kMark.size(); i < body.size() && digits < 6; ++i, ++digits) {
        if (body[i] < '0' || body[i] > '9')
            break;
        code = code * 10 + (body[i] - '0');
    }
    return digits > 0 ? code : -1;
}

TAccessLog::~TAccessLog()
{
    if (file_ && file_ != stdout)
        std::fclose(file_);
}

bool TAccessLog::Open(std::string& error)
{
    std::FILE* file = stdout;
    if (!path_.empty()) {
        file = std::fopen(path_.c_str(), "ae");
        if (!file) {
            error = "cannot open the access log " + path_ + ": " + std::strerror(errno);
            return false;
        }
    }
    std::lock_guard lock(mutex_);
    if (file_ && file_ != stdout)
        std::fclose(file_);
    file_ = file;
    return true;
}

void TAccessLog::Write(const TAccessEntry& entry)
{
    std::string line = FormatAccessLine(entry);
    line += '\n';
    std::lock_guard lock(mutex_);
    if (!file_)
        return;
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}
