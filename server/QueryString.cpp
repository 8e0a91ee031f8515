#include "QueryString.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

const std::string kEmpty;

} // namespace

bool PercentDecode(std::string_view in, std::string& out)
{
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            out += in[i];
            continue;
        }
        if (i + 2 >= in.size())
            return false;
        const int hi = HexValue(in[i + 1]);
        const int lo = HexValue(in[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string_view TQueryString::OfTarget(std::string_view target)
{
    const auto q = target.find('?');
    if (q == std::string_view::npos)
        return {};
    std::string_view query = target.substr(q + 1);
    const auto hash = query.find('#');
    return hash == std::string_view::npos ? query : query.substr(0, hash);
}

TQueryString::TStatus TQueryString::Parse(std::string_view raw)
{
    params_.clear();
    if (raw.size() > kMaxLength)
        return TStatus::TooLong;
    std::vector<std::pair<std::string, std::string>> params;
    std::size_t pos = 0;
    while (pos <= raw.size()) {
        std::size_t end = raw.find('&', pos);
        if (end == std::string_view::npos)
            end = raw.size();
        const std::string_view part = raw.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;
        const auto eq = part.find('=');
        const std::string_view rawKey = part.substr(0, eq);
        const std::string_view rawValue =
            eq == std::string_view::npos ? std::string_view{} : part.substr(eq + 1);
        std::string key, value;
        if (!PercentDecode(rawKey, key) || !PercentDecode(rawValue, value))
            return TStatus::BadEncoding;
        if (key.empty())
            return TStatus::EmptyKey;
        for (const auto& p : params)
            if (p.first == key)
                return TStatus::Duplicate;
        if (params.size() == kMaxParams)
            return TStatus::TooMany;
        params.emplace_back(std::move(key), std::move(value));
    }
    params_ = std::move(params);
    return TStatus::Ok;
}

const std::string* TQueryString::Find(std::string_view key) const
{
    for (const auto& p : params_)
        if (p.first == key)
            return &p.second;
    return nullptr;
}

const std::string& TQueryString::Get(std::string_view key) const
{
    const std::string* v = Find(key);
    return v ? *v : kEmpty;
}
