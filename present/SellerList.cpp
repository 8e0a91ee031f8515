#include "SellerList.h"

#include "HtmlEscape.h"
#include "codepage.h"

namespace {

// The head's fixed text around its four colour places.
constexpr std::string_view kHeadParts[] = {
    R"PAGE(<head> <meta http-equiv="Content-Type" content="text/html; charset=gb2312" /> <style> .item{MARGIN: 0px;cursor:pointer;border:1px solid #dddddd;width:242px;padding-top: 7px;padding-right: 4px;padding-bottom: 2px;padding-left: 5px;}a{text-decoration: none;} .mytitle{COLOR:)PAGE",
    R"PAGE(;DISPLAY: block;TEXT-ALIGN: left;padding-bottom: 2px;float: left;padding-right: 4px;}.mylocal{COLOR:)PAGE",
    R"PAGE(;DISPLAY: block;TEXT-ALIGN:right;padding-bottom: 2px;}.mycredit{COLOR:)PAGE",
    R"PAGE(;DISPLAY: block;float: left;padding-top: 2px;}img {border-top-width: 0px;border-right-width: 0px;border-bottom-width: 0px;border-left-width: 0px;}</style> <script language=JavaScript>function over(mydiv) {mydiv.style.border="1px solid #99bbe8";mydiv.style.background= "#dfe8f6";}function out(mydiv) {mydiv.style.border="1px solid #dddddd";mydiv.style.background= "";}</script> </head><body leftMargin=0  topMargin=0 scroll="no" style="color:)PAGE",
    R"PAGE(;font-size:12px;width:100%; border-width=0;">)PAGE",
};

struct TAnsiLabels {
    std::string seller = Ansi("<DIV class=\"mytitle\">卖家：");
    std::string area = Ansi("<div class=\"mylocal\">地区：");
    std::string credit = Ansi("<div class=\"mycredit\">信用：</div>");
};

const TAnsiLabels& Labels()
{
    static const TAnsiLabels labels;
    return labels;
}

} // namespace

std::string SellerListHead(std::string_view color)
{
    std::string out;
    out.reserve(1200);
    out.append(kHeadParts[0]);
    for (int i = 1; i < 5; ++i) {
        out.append(color);
        out.append(kHeadParts[i]);
    }
    return out;
}

void AppendSellerBlock(std::string& out, int slot, const std::string& nick, const std::string& location,
                       const std::string& creditPic)
{
    out.append("<a href=\"#");
    if (slot < 10)
        out.push_back('0');
    out.append(std::to_string(slot));
    out.append("\"><DIV class=\"item\" onMouseOver=\"over(this)\" onMouseOut=\"out(this)\">");
    out.append(Labels().seller);
    AppendHtmlText(out, nick);
    out.append("</DIV>");
    out.append(Labels().area);
    AppendHtmlText(out, location);
    out.append("</div>");
    out.append(Labels().credit);
    if (!creditPic.empty()) {
        out.append("<img src=\"");
        AppendHtmlAttr(out, creditPic);
        out.append("\"/>");
    }
    out.append("</DIV></a>");
}
