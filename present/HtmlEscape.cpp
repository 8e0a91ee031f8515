#include "HtmlEscape.h"

#include <array>

namespace {

// Case-insensitive comparison of an ASCII pattern (given in lower case).
bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view lowerPattern)
{
    if (text.size() - at < lowerPattern.size())
        return false;
    for (std::size_t k = 0; k < lowerPattern.size(); ++k) {
        char c = text[at + k];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPattern[k])
            return false;
    }
    return true;
}

// Length of a highlight opening tag at `at`, or 0.
std::size_t HighlightOpenAt(std::string_view title, std::size_t at)
{
    static constexpr std::array<std::string_view, 3> kForms = {
        "<span class=h>", "<span class=\"h\">", "<span class='h'>"};
    for (auto form : kForms)
        if (StartsWithNoCase(title, at, form))
            return form.size();
    return 0;
}

constexpr std::string_view kHighlightClose = "</span>";

} // namespace

void AppendHtmlText(std::string& out, std::string_view value)
{
    std::size_t plain = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char* entity = nullptr;
        switch (value[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        case '\'': entity = "&#39;"; break;
        default: continue;
        }
        out.append(value.substr(plain, i - plain));
        out.append(entity);
        plain = i + 1;
    }
    out.append(value.substr(plain));
}

std::string HtmlText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    AppendHtmlText(out, value);
    return out;
}

void AppendHtmlAttr(std::string& out, std::string_view value)
{
    // Inside a double-quoted attribute the same set is enough: the quote
    // cannot end the value and '&' cannot start a character reference.
    AppendHtmlText(out, value);
}

std::string HtmlAttr(std::string_view value)
{
    return HtmlText(value);
}

void AppendSafeTitle(std::string& out, std::string_view title)
{
    int open = 0;
    std::size_t plain = 0;
    std::size_t i = 0;
    while (i < title.size()) {
        if (title[i] != '<') {
            ++i;
            continue;
        }
        std::size_t keep = HighlightOpenAt(title, i);
        if (keep != 0) {
            ++open;
        } else if (open > 0 && StartsWithNoCase(title, i, kHighlightClose)) {
            keep = kHighlightClose.size();
            --open;
        } else {
            ++i;
            continue;
        }
        AppendHtmlText(out, title.substr(plain, i - plain));
        out.append(title.substr(i, keep));
        i += keep;
        plain = i;
    }
    AppendHtmlText(out, title.substr(plain));
    for (; open > 0; --open)
        out.append(kHighlightClose);
}

std::string SafeTitle(std::string_view title)
{
    std::string out;
    out.reserve(title.size() + 16);
    AppendSafeTitle(out, title);
    return out;
}
