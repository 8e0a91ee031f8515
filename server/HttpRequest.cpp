#include "HttpRequest.h"

#include <algorithm>

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string THttpRequest::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (EqualsNoCase(key, name))
            return value;
    return {};
}

bool THttpRequest::HasHeader(std::string_view name) const
{
    return std::any_of(headers.begin(), headers.end(),
                       [name](const auto& h) { return EqualsNoCase(h.first, name); });
}

std::string DecodePath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size()) {
            const int hi = HexValue(path[i + 1]), lo = HexValue(path[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += path[i];
    }
    return out;
}
