#include "SampleRows.h"

#include <array>

#include "codepage.h"
#include "data.h"

namespace {

constexpr std::array<const char*, 8> kTitles = {
    "诺基亚 <span class=H>手机</span> N8 正品行货 全国联保 送豪华大礼包",
    "2010新款 韩版修身 <span class=H>手机</span>套 超薄 保护壳",
    "原装正品 <span class=H>手机</span>电池 大容量 1500毫安",
    "特价包邮 蓝牙耳机 立体声 通用型 <span class=H>手机</span>配件",
    "三星 <span class=H>手机</span> i9000 Galaxy S 港行 现货",
    "<span class=H>手机</span>贴膜 高清防刮 磨砂 钻石膜 三片装",
    "车载 <span class=H>手机</span>支架 出风口 万能 吸盘式",
    "创意 <span class=H>手机</span>挂饰 可爱卡通 情侣 一对"};
constexpr std::array<const char*, 5> kPlaces = {"浙江 杭州", "广东 深圳", "上海", "北京", "江苏 苏州"};

} // namespace

TResultRows SampleResultRows(const std::string& pictureBase, int count)
{
    TResultRows rows;
    for (int i = 0; i < count && i < kMaxPageItems; ++i) {
        const std::string n = std::to_string(i);
        auto& r = rows[i];
        r.title = Ansi(kTitles[i % kTitles.size()]);
        r.nick = Ansi("数码旗舰店") + std::to_string(i % 7);
        r.price = std::to_string(19 + i * 37 % 1200) + ".00";
        r.pic_url = pictureBase + "item" + std::to_string(i % 8) + ".jpg";
        r.click_url = "http://127.0.0.1:8700/click?e=" + std::to_string(1000000 + i * 7919) + "&pid=" + kPid;
        r.shop_click_url = "http://127.0.0.1:8700/shop?nick=" + std::to_string(i % 7) + "&pid=" + kPid;
        r.seller_credit_score = std::to_string(1 + i % 20);
        r.item_location = Ansi(kPlaces[i % kPlaces.size()]);
        r.volume = std::to_string(i * 13 % 500);
    }
    return rows;
}

SHOP_ITEM SampleShop(const std::string& pictureBase, int count)
{
    SHOP_ITEM s;
    s.nick = Ansi("数码旗舰店1");
    s.shop_url = std::string("http://127.0.0.1:8700/shop?nick=1&pid=") + kPid;
    s.credit_pic = CreditPictureUrl("13");
    s.location = Ansi("广东 深圳");
    s.page_count = 2;
    for (int i = 0; i < count && i < kMaxPageItems; ++i) {
        auto& item = s.items[i];
        item.title = Ansi(kTitles[(i + 3) % kTitles.size()]);
        item.price = std::to_string(29 + i * 11 % 300) + ".50";
        item.num_iid = std::to_string(7000000 + i);
        item.pic_url = pictureBase + "item" + std::to_string(i % 8) + ".jpg";
        item.volume = std::to_string(i * 7 % 90);
    }
    return s;
}
