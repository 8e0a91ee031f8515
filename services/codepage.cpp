#include "codepage.h"

#include <cerrno>
#include <iconv.h>

namespace {

bool IsAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

// One iconv descriptor per direction and thread, opened on first use.
class TConverter {
public:
    TConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~TConverter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // Converts `in`; invalid or truncated input sequences are replaced by
    // `replacement` (already in the target encoding) unless `strict`.
    bool Convert(std::string_view in, std::string& out, std::string_view replacement, bool strict)
    {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL: one bad byte at `src`.
            if (strict)
                return false;
            if (out.size() - used < replacement.size())
                out.resize(out.size() * 2 + replacement.size());
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            ++src;
            --srcLeft;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return true;
    }

private:
    iconv_t cd_;
};

TConverter& ToUtf8()
{
    thread_local TConverter c("UTF-8", "GB18030");
    return c;
}

TConverter& ToAnsi()
{
    thread_local TConverter c("GB18030", "UTF-8");
    return c;
}

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kAnsiReplacement = "\x84\x31\xA4\x37"; // U+FFFD in GB18030

} // namespace

std::string AnsiToUtf8(std::string_view ansi)
{
    if (IsAscii(ansi))
        return std::string(ansi);
    std::string out;
    ToUtf8().Convert(ansi, out, kUtf8Replacement, false);
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    std::string out;
    ToAnsi().Convert(utf8, out, kAnsiReplacement, false);
    return out;
}

bool Utf8ToAnsiStrict(std::string_view utf8, std::string& out)
{
    if (IsAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    return ToAnsi().Convert(utf8, out, {}, true);
}
