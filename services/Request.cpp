#include "Request.h"

#include <algorithm>
#include <ctime>

#include "MD5.h"

std::string PercentEncode(std::string_view bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.resize(bytes.size() * 3);
    char* p = out.data();
    for (unsigned char c : bytes) {
        *p++ = '%';
        *p++ = kHex[c >> 4];
        *p++ = kHex[c & 0x0f];
    }
    return out;
}

std::int32_t Stamp() { return static_cast<std::int32_t>(std::time(nullptr)); }

std::string MakeSign(const std::string& pid, const std::string& stampText,
                     const std::string& signInput)
{
    std::string reversed(stampText.rbegin(), stampText.rend());
    std::string outer;
    outer.reserve(pid.size() + 2 * stampText.size() + 32);
    outer += pid;
    outer += reversed;
    outer += Md5Hex(signInput);
    outer += stampText;
    return Md5Hex(outer);
}

void AppendParam(std::string& query, const char* key, const std::string& value)
{
    if (value.empty())
        return;
    query += '&';
    query += key;
    query += '=';
    query += value;
}

std::string AssembleUrl(const std::string& url, const std::string& query, const std::string& sign)
{
    std::string out;
    out.reserve(url.size() + query.size() + sign.size() + 8);
    out += url;
    out += '?';
    out += query;
    out += "&sign=";
    out += sign;
    return out;
}
