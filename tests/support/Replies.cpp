#include "Replies.h"

namespace replies {

std::string Doc(const std::string& root, const std::string& inner)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<" + root + ">" + inner + "</" + root + ">";
}

std::string TbkItems(int count, const std::string& total, int sellers)
{
    std::string items;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        items += "<taobaoke_item><nick>nick " + std::to_string(i % sellers) + "</nick><title>title " +
                 n + "</title><price>" + std::to_string(10 + i) + ".00</price><pic_url>http://img/" +
                 n + ".jpg</pic_url><num_iid>" + std::to_string(1000 + i) +
                 "</num_iid><click_url>http://click/" + n +
                 "</click_url><commission>1.00</commission><commission_num>3</commission_num>"
                 "<commission_rate>500</commission_rate><commission_volume>2.00</commission_volume>"
                 "<shop_click_url>http://shop/" +
                 std::to_string(i % sellers) + "</shop_click_url><seller_credit_score>" +
                 std::to_string(1 + i % 20) + "</seller_credit_score><item_location>loc " + n +
                 "</item_location><volume>" + std::to_string(i * 3) + "</volume></taobaoke_item>";
    }
    return Doc("taobaoke_items_get_response",
               "<taobaoke_items>" + items + "</taobaoke_items><total_results>" + total +
                   "</total_results>");
}

std::string ItemCats(int count, bool isParent)
{
    std::string items;
    for (int i = 0; i < count; ++i) {
        items += "<item_cat><cid>" + std::to_string(100 + i) + "</cid><name>cat " +
                 std::to_string(i) + "</name><status>normal</status><is_parent>" +
                 (isParent ? "true" : "false") + "</is_parent><sort_order>" + std::to_string(i) +
                 "</sort_order><parent_cid>0</parent_cid></item_cat>";
    }
    return Doc("itemcats_get_response", "<item_cats>" + items + "</item_cats>");
}

std::string TbItems(int count, const std::string& total)
{
    std::string items;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        items += "<item><num_iid>" + std::to_string(5000 + i) + "</num_iid><title>shop item " + n +
                 "</title><price>" + std::to_string(20 + i) + ".50</price><pic_url>http://img/s" + n +
                 ".jpg</pic_url><volume>" + n + "</volume><nick>seller</nick>"
                 "<location><city>city " + n + "</city><state>state " + n +
                 "</state></location></item>";
    }
    return Doc("items_get_response",
               "<items>" + items + "</items><total_results>" + total + "</total_results>");
}

} // namespace replies
