#include "PageWriter.h"

#include <algorithm>
#include <utility>

#include "Markup.h"
#include "Values.h"
#include "data.h"

namespace {

constexpr const char* kStyle = R"(
*{box-sizing:border-box}
html::-webkit-scrollbar,body::-webkit-scrollbar{display:none}
body{margin:0;background:#f5f6fa;color:#333;font:13px/1.5 "Noto Sans CJK SC","Microsoft YaHei",sans-serif}
a{color:#0063dc;text-decoration:none}a:hover{color:#ff5000;text-decoration:underline}
.top{background:linear-gradient(90deg,#ff7e00,#ff4a00);color:#fff;padding:10px 14px}
.top h1{margin:0;font-size:17px}.top p{margin:2px 0 0;font-size:12px;opacity:.9}
.sec{padding:10px 12px 2px;font-weight:bold;color:#ff5000;border-left:4px solid #ff5000;margin:12px 10px 0;background:#fff}
.grid{display:grid;grid-template-columns:repeat(auto-fill,minmax(108px,1fr));gap:10px;padding:10px}
.card{display:block;background:#fff;border-radius:6px;overflow:hidden;box-shadow:0 1px 3px rgba(0,0,0,.1);color:#333}
.card:hover{box-shadow:0 2px 8px rgba(255,80,0,.35);text-decoration:none}
.card img{display:block;width:100%;aspect-ratio:1}
.card .t{padding:4px 6px 0;height:42px;overflow:hidden;font-size:12px;line-height:19px}
.card .p{padding:2px 6px 6px;color:#ff5000;font-weight:bold}
.card .v{float:right;color:#999;font-weight:normal;font-size:11px}
.tile{display:block;padding:12px 8px;border-radius:6px;color:#fff;font-weight:bold;text-align:center;min-height:64px}
.tile small{display:block;font-weight:normal;opacity:.9;margin-top:4px}
.tile:hover{filter:brightness(1.1);text-decoration:none;color:#fff}
.box{background:#fff;margin:12px;padding:14px;border-radius:6px;box-shadow:0 1px 3px rgba(0,0,0,.08)}
.item{display:flex;gap:18px;flex-wrap:wrap}.item img{width:310px;height:310px;border-radius:6px}
.price{color:#ff5000;font-size:24px;font-weight:bold}
.buy{display:inline-block;margin-top:12px;padding:8px 26px;border-radius:4px;background:#ff5000;color:#fff}
.tag{display:inline-block;padding:0 6px;border:1px solid #ff5000;border-radius:3px;color:#ff5000;font-size:12px}
.pager{text-align:center;padding:8px 0 16px}.pager a,.pager b{margin:0 4px}
.foot{color:#999;text-align:center;padding:10px;font-size:12px}
)";

std::string Page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
           Escaped(title) + "</title><style>" + kStyle + "</style></head><body scroll=\"no\">" + body +
           "</body></html>\n";
}

std::string Top(const std::string& title, const std::string& note)
{
    return "<div class=\"top\"><h1>" + Escaped(title) + "</h1><p>" + Escaped(note) + "</p></div>";
}

// Index of the first entry of a 1-based page; `total` when past the end.
std::size_t FirstOfPage(std::size_t total, std::int64_t page)
{
    const auto index = static_cast<std::size_t>(
        std::clamp<std::int64_t>(page - 1, 0, static_cast<std::int64_t>(total)));
    return std::min(total, index * TPageWriter::kPageSize);
}

} // namespace

TPageWriter::TPageWriter(const TCatalog& catalog, const TItemFields& fields, std::string caption)
    : catalog_(catalog), fields_(fields), caption_(std::move(caption))
{
}

std::string TPageWriter::Card(std::uint32_t index) const
{
    const auto& item = catalog_.Items()[index];
    return "<a class=\"card\" href=\"" + Escaped(fields_.ClickUrl(item)) +
           "\" target=\"_blank\"><img src=\"" + Escaped(fields_.PicUrl(item)) +
           "_160x160.jpg\" alt=\"\"><div class=\"t\">" + Escaped(item.row.title) +
           "</div><div class=\"p\">¥" + FormatHundredths(item.row.price) + "<span class=\"v\">" +
           std::to_string(item.row.volume) + "人已购</span></div></a>";
}

std::string TPageWriter::Pager(const std::string& base, std::int64_t page, std::size_t total) const
{
    const auto pages = static_cast<std::int64_t>((total + kPageSize - 1) / kPageSize);
    if (pages < 2)
        return {};
    std::string out = "<div class=\"pager\">";
    if (page > 1)
        out += "<a href=\"" + Escaped(base + "&page=" + std::to_string(page - 1)) + "\">上一页</a>";
    out += "<b>" + std::to_string(std::min(page, pages)) + " / " + std::to_string(pages) + "</b>";
    if (page < pages)
        out += "<a href=\"" + Escaped(base + "&page=" + std::to_string(page + 1)) + "\">下一页</a>";
    return out + "</div>";
}

std::string TPageWriter::Index() const
{
    const std::string base = fields_.BaseUrl();
    std::string body = Top("Pallido 推广服务器", "本地演示目录：" +
                                                    std::to_string(catalog_.Items().size()) + " 件商品，" +
                                                    std::to_string(catalog_.Sellers().size()) + " 位卖家");
    body += "<div class=\"box\"><p><a href=\"" + base + "taobao/III/pindao.html\">淘宝频道</a> · <a href=\"" +
            base + "taobao/III/huodong.html\">" + Escaped(caption_) + "</a> · <a href=\"" + base +
            "taobao/III/OK/ok_list.php?pid=" + kPid + "\">软件信息</a></p>"
            "<p>客户端请求的脚本：taobao/tb_itemcats.php、taobao/tbk_items.php、taobao/tb_items.php、"
            "taobao/tbk_items_convert.php（均需签名）。</p></div>";
    return Page("Pallido 推广服务器", body);
}

std::string TPageWriter::Counter(std::uint64_t visits) const
{
    return Page("计数", "<div class=\"foot\">访问次数：" + std::to_string(visits) + "</div>");
}

std::string TPageWriter::Channels() const
{
    static const char* kColours[] = {"#ff6a3d", "#f5a623", "#4a90e2", "#50b86c", "#9b59b6",
                                     "#e74c8b", "#1abc9c", "#e67e22", "#3f6ad8", "#d35454"};
    std::string body = Top("淘宝频道", "按类目逛逛，发现好货");
    body += "<div class=\"grid\">";
    std::size_t k = 0;
    for (auto root : catalog_.Roots()) {
        const auto& c = catalog_.Categories()[root];
        const std::size_t count = c.itemEnd - c.itemBegin;
        if (count == 0)
            continue;
        body += "<a class=\"tile\" style=\"background:" + std::string(kColours[k++ % 10]) +
                "\" href=\"" + fields_.BaseUrl() + "list.htm?cid=" + std::to_string(c.row.cid) +
                "\" target=\"_blank\">" + Escaped(c.row.name) + "<small>" + std::to_string(count) +
                " 件商品</small></a>";
    }
    body += "</div><div class=\"foot\">点击频道在浏览器中打开</div>";
    return Page("淘宝频道", body);
}

std::string TPageWriter::Activities() const
{
    std::string body = Top(caption_, "每日精选，限时优惠");
    auto section = [&](const std::string& title, TOrder order, std::size_t count,
                       bool (*keep)(const TCatalog::TItem&)) {
        body += "<div class=\"sec\">" + Escaped(title) + "</div><div class=\"grid\">";
        std::size_t shown = 0;
        for (auto i : catalog_.Ordered(order)) {
            if (shown == count)
                break;
            if (keep && !keep(catalog_.Items()[i]))
                continue;
            body += Card(i);
            ++shown;
        }
        body += "</div>";
    };
    section("热销排行", TOrder::VolumeDesc, 8, nullptr);
    section("高额返利", TOrder::CommissionRateDesc, 6,
            [](const TCatalog::TItem& i) { return i.row.volume > 100; });
    section("新品上架", TOrder::DelistDesc, 6, nullptr);
    section("消保精选", TOrder::CreditDesc, 6, [](const TCatalog::TItem& i) {
        return i.row.guarantee && i.row.volume > 50;
    });
    return Page(caption_, body + "<div class=\"foot\">活动商品在浏览器中打开</div>");
}

std::string TPageWriter::Item(const TCatalog::TItem& item) const
{
    const auto& seller = catalog_.Sellers()[item.seller];
    const auto& cat = catalog_.Categories()[item.category];
    std::string body = Top(item.row.title, cat.row.name);
    body += "<div class=\"box item\"><img src=\"" + Escaped(fields_.PicUrl(item)) +
            "\" alt=\"\"><div><h2>" + Escaped(item.row.title) + "</h2><div class=\"price\">¥" +
            FormatHundredths(item.row.price) + "</div><p>最近30天售出 " +
            std::to_string(item.row.volume) + " 件 · 库存 " + std::to_string(item.row.stock) +
            " 件</p><p>所在地：" + Escaped(seller.location) + "</p><p>卖家：<a href=\"" +
            Escaped(fields_.ShopClickUrl(seller)) + "\">" + Escaped(seller.row.nick) +
            "</a> <img style=\"width:auto;height:auto;vertical-align:middle\" src=\"" +
            fields_.BaseUrl() + "newrank/" + RankImages[seller.row.credit_score - 1] + "\" alt=\"\"></p>";
    if (item.row.guarantee)
        body += "<p><span class=\"tag\">消保</span> 已加入消费者保障服务</p>";
    if (item.row.auto_send)
        body += "<p><span class=\"tag\">自动发货</span></p>";
    body += "<span class=\"buy\">立即购买</span><p class=\"foot\" style=\"text-align:left\">"
            "这是本地演示目录中的商品页面，不能下单。</p></div></div>";
    return Page(item.row.title, body);
}

std::string TPageWriter::Shop(const TCatalog::TSeller& seller, std::int64_t page) const
{
    std::string body = Top(seller.row.nick + " 的店铺", "所在地：" + seller.location + " · 共 " +
                                                          std::to_string(seller.items.size()) + " 件商品");
    body += "<div class=\"box\">信用：<img src=\"" + fields_.BaseUrl() + "newrank/" +
            RankImages[seller.row.credit_score - 1] + "\" alt=\"\" style=\"vertical-align:middle\"></div>";
    body += "<div class=\"grid\">";
    const std::size_t first = FirstOfPage(seller.items.size(), page);
    for (std::size_t i = first; i < std::min(seller.items.size(), first + kPageSize); ++i)
        body += Card(seller.items[i]);
    body += "</div>" +
            Pager(fields_.BaseUrl() + "shop.htm?sid=" + std::to_string(seller.row.id), page,
                  seller.items.size());
    return Page(seller.row.nick, body);
}

std::string TPageWriter::Category(const TCatalog::TCategory& c, std::int64_t page) const
{
    const std::size_t total = c.itemEnd - c.itemBegin;
    std::vector<std::uint32_t> items(catalog_.ItemsByCategory().begin() + c.itemBegin,
                                     catalog_.ItemsByCategory().begin() + c.itemEnd);
    std::sort(items.begin(), items.end(), [this](std::uint32_t a, std::uint32_t b) {
        return catalog_.Rank(TOrder::VolumeDesc, a) < catalog_.Rank(TOrder::VolumeDesc, b);
    });
    std::string body = Top(c.row.name, "共 " + std::to_string(total) + " 件商品，按销量排序");
    body += "<div class=\"grid\">";
    const std::size_t first = FirstOfPage(total, page);
    for (std::size_t i = first; i < std::min(total, first + kPageSize); ++i)
        body += Card(items[i]);
    body += "</div>" +
            Pager(fields_.BaseUrl() + "list.htm?cid=" + std::to_string(c.row.cid), page, total);
    return Page(c.row.name, body);
}

std::string TPageWriter::NotFound() const
{
    return Page("未找到", Top("未找到", "没有这个页面或商品") + "<div class=\"box\"><a href=\"" +
                               fields_.BaseUrl() + "\">返回首页</a></div>");
}
