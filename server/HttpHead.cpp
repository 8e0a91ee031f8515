#include "HttpHead.h"

#include <cstring>

namespace {

using TKind = THeadResult::TKind;

bool IsTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool IsToken(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c == '\0' || !IsTokenChar(c))
            return false;
    return true;
}

THeadResult Fail(int status) { return {TKind::Failed, status, 0, true}; }

// The line at `pos` without its CRLF or LF; `next` is where the following
// one starts. False when its end has not arrived.
bool NextLine(std::string_view bytes, std::size_t pos, std::string_view& line, std::size_t& next)
{
    const auto lf = bytes.find('\n', pos);
    if (lf == std::string_view::npos)
        return false;
    std::size_t end = lf;
    if (end > pos && bytes[end - 1] == '\r')
        --end;
    line = bytes.substr(pos, end - pos);
    next = lf + 1;
    return true;
}

bool ReadRequestLine(std::string_view line, THttpRequest& r)
{
    const auto sp1 = line.find(' ');
    const auto sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos)
        return false;
    const auto method = line.substr(0, sp1);
    const auto target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const auto version = line.substr(sp2 + 1);
    if (!IsToken(method) || target.empty() || target.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos ||
        (version != "HTTP/1.1" && version != "HTTP/1.0"))
        return false;
    r.method = method;
    r.target = target;
    r.version = version;
    r.path = DecodePath(target.substr(0, target.find('?')));
    return true;
}

bool ReadHeaderLine(std::string_view line, THttpRequest& r)
{
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
        return false; // also folded lines, which start with a blank
    auto value = line.substr(colon + 1);
    if (value.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos)
        return false;
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    r.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    return true;
}

} // namespace

THeadResult ReadHead(std::string_view bytes, const THttpLimits& limits, THttpRequest& r)
{
    std::string_view line;
    std::size_t next = 0;
    if (!NextLine(bytes, 0, line, next))
        return bytes.size() > limits.requestLineBytes ? Fail(414) : THeadResult{};
    if (line.size() > limits.requestLineBytes)
        return Fail(414);

    r.requestLine = line;
    // The whole head first: its size and line count are bounded before
    // anything of it is taken.
    std::size_t end = next;
    std::size_t lines = 0;
    std::string_view header;
    while (true) {
        if (!NextLine(bytes, end, header, end))
            return bytes.size() >= limits.headBytes ? Fail(431) : THeadResult{};
        if (end > limits.headBytes || lines > limits.headerLines)
            return Fail(431);
        if (header.empty())
            break;
        ++lines;
    }
    if (lines > limits.headerLines)
        return Fail(431);

    if (!ReadRequestLine(line, r))
        return Fail(400);
    for (std::size_t pos = next; NextLine(bytes, pos, header, pos) && !header.empty();)
        if (!ReadHeaderLine(header, r))
            return Fail(400);
    if (r.method != "GET" && r.method != "HEAD")
        return Fail(405);
    for (const auto& [name, value] : r.headers) {
        if (EqualsNoCase(name, "Transfer-Encoding") || (EqualsNoCase(name, "Content-Length") && value != "0"))
            return Fail(400);
    }
    return {TKind::Done, 0, end, EqualsNoCase(r.Header("Connection"), "close")};
}
