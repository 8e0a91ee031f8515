#pragma once
// The signed request scheme shared by the four service clients.

#include <cstdint>
#include <string>
#include <string_view>

// Every byte as "%" and two upper-case hex digits, letters and digits too.
std::string PercentEncode(std::string_view bytes);

// Seconds since 1970-01-01 00:00:00 UTC.
std::int32_t Stamp();

// sign = Md5Hex(pid + reversed stamp text + Md5Hex(signInput) + stamp text).
std::string MakeSign(const std::string& pid, const std::string& stampText,
                     const std::string& signInput);

// Appends "&" key "=" value to a query when the value is non-empty.
void AppendParam(std::string& query, const char* key, const std::string& value);

// "%s?%s&sign=%s"
std::string AssembleUrl(const std::string& url, const std::string& query, const std::string& sign);
