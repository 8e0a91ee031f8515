#include "HtmlColor.h"

#include <algorithm>

namespace {

void AppendHex2(std::string& out, int value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const int v = std::clamp(value, 0, 255);
    out.push_back(kDigits[v >> 4]);
    out.push_back(kDigits[v & 15]);
}

} // namespace

std::string ColorToHtml(int red, int green, int blue)
{
    std::string out = "#";
    AppendHex2(out, red);
    AppendHex2(out, green);
    AppendHex2(out, blue);
    out.push_back(' ');
    return out;
}
