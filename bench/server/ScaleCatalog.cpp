#include "ScaleCatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// Characters for made-up words; none of the words the searches look for
// can come out of them.
constexpr std::string_view kPool =
    "金银红蓝绿白黑紫粉灰春夏秋冬东南西北大小高低长短新旧美丽华贵雅致清风明月山水天地"
    "云雨雪花草木竹石光影乐爱福寿喜安康平和顺利丰盛源泉海洋江河湖岛林森田园城乡古今"
    "精品优质特级超值时尚潮流经典简约休闲商务运动户外家居厨卫数码电器汽车母婴宝贝童趣"
    "男女老少情侣学生职场办公旅行登山游泳跑步瑜伽健身舞蹈音乐书画茶酒香料果蔬鲜活纯净";

struct TRandom {
    std::uint64_t state;
    std::uint64_t Next()
    {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
};

// The i-th character of the pool (each is three bytes of UTF-8).
std::string_view PoolChar(std::size_t i)
{
    const std::size_t count = kPool.size() / 3;
    return kPool.substr((i % count) * 3, 3);
}

// Words drawn with Zipf frequencies (exponent 1): the first is the most
// frequent, the k-th about k times less.
class TVocabulary {
public:
    TVocabulary(std::vector<std::string> fixed, std::size_t size, std::size_t letters, std::uint64_t seed)
        : words_(std::move(fixed))
    {
        TRandom r{seed};
        while (words_.size() < size) {
            std::string w;
            for (std::size_t i = 0; i < letters; ++i)
                w += PoolChar(static_cast<std::size_t>(r.Next()));
            if (std::find(words_.begin(), words_.end(), w) == words_.end())
                words_.push_back(w);
        }
        double sum = 0;
        for (std::size_t k = 0; k < words_.size(); ++k)
            cdf_.push_back(sum += 1.0 / static_cast<double>(k + 1));
        for (double& c : cdf_)
            c /= sum;
    }
    // Puts `word` at rank `rank` (0 the most frequent).
    void Place(std::size_t rank, std::string word) { words_.at(rank) = std::move(word); }
    const std::string& Draw(TRandom& r) const
    {
        const auto at = std::lower_bound(cdf_.begin(), cdf_.end(), r.Unit()) - cdf_.begin();
        return words_[std::min<std::size_t>(static_cast<std::size_t>(at), words_.size() - 1)];
    }

private:
    std::vector<std::string> words_;
    std::vector<double> cdf_;
};

const char* const kRootNames[TScaleCatalog::kRoots] = {
    "女装", "男装", "鞋靴", "箱包", "配饰", "运动", "户外", "数码", "电脑", "家电",
    "美妆", "母婴", "食品", "家居", "家纺", "厨具", "汽车", "图书", "玩具", "宠物"};

const char* const kLocations[] = {"浙江 杭州", "浙江 义乌", "江苏 苏州", "上海 上海", "广东 广州",
                                  "广东 深圳", "广东 东莞", "福建 泉州", "北京 北京", "山东 青岛",
                                  "四川 成都", "湖北 武汉", "河北 石家庄", "香港 香港"};

constexpr std::int64_t kPriceEnds[] = {0, 80, 90};

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

std::string Yuan(std::int64_t fen)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%02lld", static_cast<long long>(fen / 100), static_cast<long long>(fen % 100));
    return buf;
}

bool Open(const std::string& path, TFile& file, std::string& error)
{
    file.reset(std::fopen(path.c_str(), "wb"));
    if (!file)
        error = "cannot write " + path;
    return static_cast<bool>(file);
}

bool Close(TFile& file, const std::string& path, std::string& error)
{
    const bool ok = std::ferror(file.get()) == 0 && std::fclose(file.release()) == 0;
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

} // namespace

bool TScaleCatalog::Write(const std::string& folder, std::string& error) const
{
    const std::string categoriesPath = folder + "/categories.csv";
    const std::string sellersPath = folder + "/sellers.csv";
    const std::string itemsPath = folder + "/items.csv";
    TFile f;

    if (!Open(categoriesPath, f, error))
        return false;
    std::fputs("cid,parent_cid,name,sort_order\n", f.get());
    for (int r = 1; r <= kRoots; ++r) {
        std::fprintf(f.get(), "%d,0,%s,%d\n", r, kRootNames[r - 1], r);
        for (int j = 1; j <= 10; ++j) {
            const int child = r * 100 + j;
            std::fprintf(f.get(), "%d,%d,%s%d类,%d\n", child, r, kRootNames[r - 1], j, j);
            for (int m = 1; m <= 10; ++m)
                std::fprintf(f.get(), "%d,%d,%s%d-%d,%d\n", child * 100 + m, child, kRootNames[r - 1], j, m, m);
        }
    }
    if (!Close(f, categoriesPath, error))
        return false;

    TRandom r{items_ * 7919 + 1};
    const std::uint64_t sellers = std::max<std::uint64_t>(1, items_ / 100);
    if (!Open(sellersPath, f, error))
        return false;
    std::fputs("nick,credit_score,location\n", f.get());
    const std::size_t nLocations = sizeof kLocations / sizeof kLocations[0];
    for (std::uint64_t s = 0; s < sellers; ++s) {
        // Most sellers are young: credit scores fall off towards 20.
        const int credit = 1 + static_cast<int>(std::floor(19.999 * std::pow(r.Unit(), 2.0)));
        std::fprintf(f.get(), "店铺%llu,%d,%s\n", static_cast<unsigned long long>(s + 1), credit,
                     kLocations[r.Below(nLocations)]);
    }
    if (!Close(f, sellersPath, error))
        return false;

    TVocabulary brands({kHotWord}, 400, 2, 11);
    TVocabulary products({kSecondHotWord}, 600, 2, 12);
    TVocabulary attributes({}, 900, 2, 13);
    // "韩" in several words, frequent and rare.
    attributes.Place(2, "韩版");
    attributes.Place(25, "韩国");
    attributes.Place(120, "韩风");
    attributes.Place(600, "韩式");
    if (!Open(itemsPath, f, error))
        return false;
    std::fputs("num_iid,title,nick,cid,price,pic_url,click_url,volume,commission,commission_rate,"
               "commission_num,commission_volume,guarantee,item_location\n",
               f.get());
    std::string title;
    for (std::uint64_t i = 0; i < items_; ++i) {
        title.clear();
        title += brands.Draw(r);
        title += products.Draw(r);
        title += attributes.Draw(r);
        title += attributes.Draw(r);
        if (r.Below(2) == 0)
            title += kHalfWord;
        if (r.Below(100000) == 0)
            title += kRareWord;
        title += " K";
        title += std::to_string(r.Below(10000));
        // Roots by a skewed share, as clothes outnumber pet food.
        const int root = 1 + static_cast<int>(std::floor(kRoots * std::pow(r.Unit(), 1.5)));
        const std::int64_t cid = (root * 100 + 1 + static_cast<std::int64_t>(r.Below(10))) * 100 + 1 +
                                 static_cast<std::int64_t>(r.Below(10));
        // Log-uniform from 1 to 5,000 yuan, ending in .00, .80 or .90.
        const std::int64_t yuan = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::exp(r.Unit() * std::log(5000.0))));
        const std::int64_t price = yuan * 100 + kPriceEnds[r.Below(3)];
        const std::int64_t volume = static_cast<std::int64_t>(std::pow(r.Unit(), 4.0) * 20000);
        const std::int64_t rate = 100 * (1 + static_cast<std::int64_t>(r.Below(30)));
        const std::int64_t commission = price * rate / 10000;
        const std::int64_t sold = static_cast<std::int64_t>(std::pow(r.Unit(), 3.0) * 5000);
        std::fprintf(f.get(), "%llu,%s,店铺%llu,%lld,%s,,,%lld,%s,%lld,%lld,%s,%s,\n",
                     static_cast<unsigned long long>(10000000000ULL + i), title.c_str(),
                     static_cast<unsigned long long>(1 + r.Below(sellers)), static_cast<long long>(cid),
                     Yuan(price).c_str(), static_cast<long long>(volume), Yuan(commission).c_str(),
                     static_cast<long long>(rate), static_cast<long long>(sold), Yuan(commission * sold).c_str(),
                     r.Below(10) < 7 ? "true" : "false");
    }
    return Close(f, itemsPath, error);
}
