#include "DemoReplies.h"

#include <array>
#include <functional>

#include "codepage.h"
#include "data.h"

namespace demo {

namespace {

std::string Doc(const std::string& root, const std::string& inner)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<" + root + ">" + inner + "</" + root + ">";
}

std::string Escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

std::string Cat(const std::string& cid, const std::string& name, bool parent)
{
    return "<item_cat><cid>" + cid + "</cid><name>" + Escape(name) + "</name><status>normal</status>"
           "<is_parent>" + (parent ? "true" : "false") + "</is_parent><sort_order>1</sort_order>"
           "<parent_cid>0</parent_cid></item_cat>";
}

const std::array<const char*, 8> kChildNames = {"新品上市", "热卖推荐", "品牌专区", "特价促销",
                                                "精品推荐", "时尚潮流", "经典款式", "其他"};
const std::array<const char*, 10> kGoods = {"纯棉短袖T恤", "韩版修身衬衫", "真皮手提包", "运动跑步鞋",
                                             "蓝牙耳机", "保温杯 500ml", "羊毛围巾", "机械键盘",
                                             "儿童积木玩具", "有机绿茶 250g"};
const std::array<const char*, 6> kPlaces = {"浙江 杭州", "广东 深圳", "上海", "北京", "江苏 苏州", "福建 厦门"};

} // namespace

std::string SoftInfo(const std::string& pageCaption, const std::string& version)
{
    return "[Pallido]\nextra1=1\nextra2=2\nupdate_name=pallido_new\nversion=" + version +
           "\nupdate_url=http://127.0.0.1:8700/update.zip\npage_caption=" + pageCaption + "\n";
}

std::string RootCategories(int extra)
{
    std::string rows;
    for (std::size_t k = 0; k < RootCategoryNames.size(); ++k)
        rows += Cat(std::to_string(1001 + k), AnsiToUtf8(RootCategoryNames[k]), true);
    for (int i = 0; i < extra; ++i)
        rows += Cat(std::to_string(2001 + i), "未知类目 " + std::to_string(i + 1), false);
    return Doc("itemcats_get_response", "<item_cats>" + rows + "</item_cats>");
}

std::string ChildCategories(int parent, int count, bool parents)
{
    std::string rows;
    for (int n = 0; n < count; ++n)
        rows += Cat(std::to_string(parent * 100 + n + 1),
                    std::string(kChildNames[static_cast<std::size_t>(n) % kChildNames.size()]) +
                        (n >= static_cast<int>(kChildNames.size()) ? " " + std::to_string(n + 1) : ""),
                    parents);
    return Doc("itemcats_get_response", "<item_cats>" + rows + "</item_cats>");
}

std::string Categories(const std::string& rowList)
{
    std::string rows;
    std::size_t start = 0;
    while (start < rowList.size()) {
        std::size_t end = rowList.find(';', start);
        if (end == std::string::npos)
            end = rowList.size();
        const std::string row = rowList.substr(start, end - start);
        const auto a = row.find('|'), b = row.rfind('|');
        rows += Cat(row.substr(0, a), row.substr(a + 1, b - a - 1), row.substr(b + 1) == "true");
        start = end + 1;
    }
    return Doc("itemcats_get_response", "<item_cats>" + rows + "</item_cats>");
}

std::string Items(const std::string& base, int page, int count, const std::string& total,
                  const std::string& tag)
{
    std::string items;
    for (int i = 0; i < count; ++i) {
        const int n = (page - 1) * 40 + i + 1;
        const std::string id = std::to_string(n);
        const std::string title = "第" + std::to_string(page) + "页 " + tag +
                                  kGoods[static_cast<std::size_t>(n) % kGoods.size()] + " 2010新款 包邮 #" + id;
        items += "<taobaoke_item><nick>小店" + std::to_string(n % 7) + "</nick><title>" + Escape(title) +
                 "</title><price>" + std::to_string(19 + (n * 37) % 300) + ".00</price><pic_url>" + base +
                 "pic/" + id + "</pic_url><num_iid>" + std::to_string(9000 + n) +
                 "</num_iid><click_url>" + base + "click/" + id +
                 "</click_url><commission>1.00</commission><commission_num>3</commission_num>"
                 "<commission_rate>500</commission_rate><commission_volume>2.00</commission_volume>"
                 "<shop_click_url>" + base + "shop/" + std::to_string(n % 7) +
                 "</shop_click_url><seller_credit_score>" + std::to_string(1 + n % 20) +
                 "</seller_credit_score><item_location>" + kPlaces[static_cast<std::size_t>(n) % kPlaces.size()] +
                 "</item_location><volume>" + std::to_string(n * 3) + "</volume></taobaoke_item>";
    }
    return Doc("taobaoke_items_get_response",
               "<taobaoke_items>" + items + "</taobaoke_items><total_results>" + total + "</total_results>");
}

std::string NoItems()
{
    return Doc("taobaoke_items_get_response", "<total_results>0</total_results>");
}

std::string Picture(const std::string& path)
{
    const std::size_t h = std::hash<std::string>{}(path);
    const int hue = static_cast<int>(h % 360);
    const std::string label = path.substr(path.find_last_of('/') + 1, 6);
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"160\" height=\"160\" viewBox=\"0 0 160 160\">"
           "<defs><linearGradient id=\"g\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
           "<stop offset=\"0\" stop-color=\"hsl(" + std::to_string(hue) + ",70%,85%)\"/>"
           "<stop offset=\"1\" stop-color=\"hsl(" + std::to_string(hue) + ",60%,60%)\"/></linearGradient></defs>"
           "<rect width=\"160\" height=\"160\" fill=\"url(#g)\"/>"
           "<rect x=\"40\" y=\"36\" width=\"80\" height=\"70\" rx=\"10\" fill=\"white\" fill-opacity=\"0.75\"/>"
           "<circle cx=\"80\" cy=\"71\" r=\"20\" fill=\"hsl(" + std::to_string(hue) + ",60%,50%)\"/>"
           "<text x=\"80\" y=\"138\" font-size=\"18\" text-anchor=\"middle\" fill=\"#333\" font-family=\"sans-serif\">" +
           Escape(label) + "</text></svg>";
}

std::string Page(const std::string& title)
{
    return "<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body style=\"font-family:sans-serif\">"
           "<h3>" + title + "</h3></body></html>";
}

} // namespace demo
