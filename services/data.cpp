#include "data.h"

#include "codepage.h"

#ifndef PALLIDO_PRIMARY_URL
#define PALLIDO_PRIMARY_URL "http://127.0.0.1:8700/"
#endif
#ifndef PALLIDO_FALLBACK_URL
#define PALLIDO_FALLBACK_URL "http://127.0.0.1:8701/"
#endif
#ifndef PALLIDO_IMAGE_URL
#define PALLIDO_IMAGE_URL "http://127.0.0.1:8700/"
#endif

std::string BaseUrl = PALLIDO_PRIMARY_URL;
std::string FallbackUrl = PALLIDO_FALLBACK_URL;
const std::string ImageUrl = PALLIDO_IMAGE_URL;

namespace {

template <std::size_t N>
std::array<std::string, N> AnsiTable(const std::array<const char*, N>& utf8)
{
    std::array<std::string, N> out;
    for (std::size_t i = 0; i < N; ++i)
        out[i] = Ansi(utf8[i]);
    return out;
}

// Items 5..62 of the area list: single places, value equal to the label.
constexpr std::array<const char*, 58> kPlaces = {
    "北京", "香港", "上海", "杭州", "广州", "深圳", "南京", "武汉", "天津", "成都",
    "哈尔滨", "重庆", "宁波", "无锡", "济南", "苏州", "温州", "青岛", "沈阳", "福州",
    "西安", "长沙", "合肥", "南宁", "南昌", "郑州", "厦门", "大连", "常州", "石家庄",
    "东莞", "安徽", "福建", "甘肃", "广东", "广西", "贵州", "海南", "河北", "黑龙江",
    "河南", "湖北", "湖南", "江苏", "江西", "吉林", "辽宁", "内蒙古", "宁夏", "青海",
    "山东", "山西", "陕西", "四川", "新疆", "西藏", "云南", "浙江"};

std::array<std::string, 64> MakeAreas()
{
    std::array<std::string, 64> out;
    out[1] = Ansi("江苏,浙江,上海");
    out[2] = Ansi("广州,深圳,中山,珠海,佛山,东莞,惠州");
    out[3] = Ansi("香港,澳门,台湾");
    out[4] = Ansi("美国,英国,法国,瑞士,澳洲,新西兰,加拿大,奥地利,韩国,日本,德国,意大利,西班牙,"
                  "俄罗斯,泰国,印度,荷兰,新加坡,其它国家");
    for (std::size_t i = 0; i < kPlaces.size(); ++i)
        out[5 + i] = Ansi(kPlaces[i]);
    return out;
}

std::array<std::string, 63> MakeAreaLabels()
{
    std::array<std::string, 63> out;
    out[0] = Ansi("所有地区");
    out[1] = Ansi("江浙沪");
    out[2] = Ansi("珠三角");
    out[3] = Ansi("港澳台");
    out[4] = Ansi("海外");
    for (std::size_t i = 0; i < kPlaces.size(); ++i)
        out[5 + i] = Ansi(kPlaces[i]);
    return out;
}

} // namespace

const std::array<std::string, 6> SortKeys = {"commissionVolume_desc", "price_asc", "price_desc",
                                             "credit_desc", "commissionNum_desc",
                                             "commissionRate_desc"};

const std::array<std::string, 20> CreditLevels = {
    "1heart",   "2heart",   "3heart",   "4heart",   "5heart",   "1diamond",     "2diamond",
    "3diamond", "4diamond", "5diamond", "1crown",   "2crown",   "3crown",       "4crown",
    "5crown",   "1goldencrown", "2goldencrown", "3goldencrown", "4goldencrown", "5goldencrown"};

const std::array<std::string, 64> Areas = MakeAreas();
const std::array<std::string, 63> AreaLabels = MakeAreaLabels();

const std::array<std::string, 20> RankImages = {
    "b_red_1.gif",  "b_red_2.gif",  "b_red_3.gif",  "b_red_4.gif",  "b_red_5.gif",
    "s_blue_1.gif", "s_blue_2.gif", "s_blue_3.gif", "s_blue_4.gif", "s_blue_5.gif",
    "s_cap_1.gif",  "s_cap_2.gif",  "s_cap_3.gif",  "s_cap_4.gif",  "s_cap_5.gif",
    "s_crown_1.gif", "s_crown_2.gif", "s_crown_3.gif", "s_crown_4.gif", "s_crown_5.gif"};

const std::array<std::string, 65> RootCategoryNames = AnsiTable<65>({
    "女装/女士精品", "书籍/杂志/报纸", "男装", "箱包皮具/热销女包/男包",
    "饰品/流行首饰/时尚饰品新", "运动鞋", "汽车/用品/配件/改装/摩托", "运动服/运动包/颈环配件",
    "服饰配件/皮带/帽子/围巾", "音乐/影视/明星/音像", "古董/邮币/字画/收藏",
    "女士内衣/男士内衣/家居服", "童装/童鞋/孕妇装", "特价机票/门票旅游/酒店客栈",
    "数码相机/摄像机/摄影器材", "电玩/配件/游戏/攻略", "3C数码配件市场",
    "电脑硬件/显示器/电脑周边", "网络设备/网络相关", "台式机/一体机/服务器",
    "闪存卡/U盘/存储/移动硬盘", "办公设备/耗材/相关服务", "居家日用/收纳/礼品", "厨房/餐饮用具",
    "日化/清洁/护理", "床上用品/靠垫/毛巾/布艺", "家装饰品/窗帘/地毯", "奶粉/辅食/营养品",
    "尿片/洗护/喂哺等用品", "益智玩具/早教/童车床/出行", "零食/坚果/茶叶/特产",
    "滋补/生鲜/速食/订餐", "保健食品", "MP3/MP4/iPod/录音笔", "手机", "国货精品手机",
    "腾讯QQ专区", "笔记本电脑", "运动/瑜伽/健身/球迷用品", "户外/登山/野营/旅行用品",
    "玩具/模型/娃娃/人偶", "网游装备/游戏币/帐号/代练", "IP卡/网络电话/手机号码", "网络游戏点卡",
    "家具/家具定制/宜家代购", "鲜花速递/花卉仿真/绿植园艺", "移动/联通/小灵通充值中心",
    "装潢/灯具/五金/安防/卫浴", "品牌手表/流行手表", "彩妆/香水/美发/工具", "流行男鞋", "女鞋",
    "珠宝/钻石/翡翠/黄金", "ZIPPO/瑞士军刀/眼镜", "宠物/宠物食品及用品", "其它", "厨房电器",
    "生活电器", "个人护理/保健/按摩器材", "影音电器", "美容护肤/美体/精油", "演出/吃喝玩乐折扣券",
    "世博会特许商品", "网店/网络服务/个性定制/软件", "乐器/吉他/钢琴/配件"});

std::string CreditPictureUrl(const std::string& score)
{
    if (score.empty() || score.size() > 9)
        return {};
    int n = 0;
    for (char c : score) {
        if (c < '0' || c > '9')
            return {};
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 20)
        return {};
    return ImageUrl + "newrank/" + RankImages[n - 1];
}

int RootCategoryIcon(const std::string& name)
{
    for (std::size_t k = 0; k < RootCategoryNames.size(); ++k)
        if (RootCategoryNames[k] == name)
            return static_cast<int>(k) + 1;
    return 0;
}
