#include "Utf8.h"

namespace {

// Length of the valid sequence at p (1..4), or 0 when it is invalid.
std::size_t SequenceLength(const unsigned char* p, std::size_t left, std::uint32_t& cp)
{
    const unsigned char c = p[0];
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    std::size_t n;
    std::uint32_t min;
    if ((c & 0xe0) == 0xc0) {
        n = 2;
        cp = c & 0x1f;
        min = 0x80;
    } else if ((c & 0xf0) == 0xe0) {
        n = 3;
        cp = c & 0x0f;
        min = 0x800;
    } else if ((c & 0xf8) == 0xf0) {
        n = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (n > left)
        return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xc0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3f);
    }
    if (cp < min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
        return 0;
    return n;
}

} // namespace

bool IsUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        if (*p < 0x80) {
            ++p;
            --left;
            continue;
        }
        std::uint32_t cp;
        const std::size_t n = SequenceLength(p, left, cp);
        if (n == 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view bytes)
{
    if (IsUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        std::uint32_t cp;
        const std::size_t n = SequenceLength(p, left, cp);
        if (n == 0) {
            out += "\xef\xbf\xbd";
            ++p;
            --left;
        } else {
            out.append(reinterpret_cast<const char*>(p), n);
            p += n;
            left -= n;
        }
    }
    return out;
}

bool IsNonCharacterAt(std::string_view bytes, std::size_t at)
{
    return at + 2 < bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xef &&
           static_cast<unsigned char>(bytes[at + 1]) == 0xbf &&
           (static_cast<unsigned char>(bytes[at + 2]) & 0xfe) == 0xbe;
}

std::string XmlText(std::string_view bytes)
{
    std::string text = SanitizeUtf8(bytes);
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            ++i;
        } else if (IsNonCharacterAt(text, i)) {
            i += 3;
        } else {
            text[out++] = text[i++];
        }
    }
    text.resize(out);
    return text;
}

std::vector<std::uint32_t> CodePoints(std::string_view utf8)
{
    std::vector<std::uint32_t> out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t left = utf8.size();
    while (left > 0) {
        std::uint32_t cp;
        std::size_t n = SequenceLength(p, left, cp);
        if (n == 0) {
            cp = 0xfffd;
            n = 1;
        }
        out.push_back(cp);
        p += n;
        left -= n;
    }
    return out;
}

std::string FoldAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t n = 0; i < utf8.size() && n < count; ++n) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xc0) == 0x80)
            ++i;
    }
    return utf8.substr(0, i);
}

std::string TerminalText(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    auto escape = [&out](unsigned char c) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (c < 0x20 || c == 0x7f) {
            escape(c);
        } else if (c == 0xc2 && next >= 0x80 && next <= 0x9f) {
            escape(c);
            escape(next);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
