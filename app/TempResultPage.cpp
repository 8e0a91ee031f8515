#include "TempResultPage.h"

#include "codepage.h"

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string TempResultPage(const TAB& tab)
{
    std::string page = Ansi(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />"
        "<style>body{margin:0;font:12px 'Noto Sans CJK SC',sans-serif;color:#404040;}"
        ".li{width:200px;height:300px;float:left;margin:6px 4px 0 6px;}"
        ".pic{width:200px;height:200px;border:1px solid #d9d9d9;background:#fff;"
        "display:flex;align-items:center;justify-content:center;overflow:hidden;}"
        ".pic img{max-width:200px;max-height:200px;}"
        ".t{height:38px;padding-top:6px;line-height:18px;overflow:hidden;}"
        "a{color:#0063DC;text-decoration:none;}a:hover{color:#ff6600;text-decoration:underline;}"
        ".p{color:#FF2900;font-weight:bold;font-size:16px;}.n{color:#555;}</style></head>"
        "<body>");
    for (const Tbk_Items_Info& r : tab.items) {
        if (r.title.empty())
            break;
        const std::string link = EscapeHtml(r.click_url);
        page += "<div class=\"li\"><div class=\"pic\"><a href=\"" + link +
                "\" target=\"_blank\"><img src=\"" + EscapeHtml(r.pic_url) +
                "_160x160.jpg\" /></a></div><div class=\"t\"><a href=\"" + link +
                "\" target=\"_blank\">" + EscapeHtml(r.title) + "</a></div>" + Ansi("<div class=\"p\">￥") +
                EscapeHtml(r.price) + "</div><div class=\"n\">" + EscapeHtml(r.nick) + " " +
                EscapeHtml(r.item_location) + "</div></div>";
    }
    return page + "</body></html>";
}
