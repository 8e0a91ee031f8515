#include "Markup.h"

#include "Utf8.h"

namespace {

void AppendValid(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (IsNonCharacterAt(text, i)) {
            i += 2;
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                break;
            out += ch;
        }
    }
}

} // namespace

void AppendEscaped(std::string& out, std::string_view text)
{
    if (IsUtf8(text)) {
        AppendValid(out, text);
        return;
    }
    AppendValid(out, SanitizeUtf8(text));
}

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 16);
    AppendEscaped(out, text);
    return out;
}

std::string UrlEncoded(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}
