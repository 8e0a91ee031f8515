// The demo catalog: its shape, determinism, storage, and how a damaged
// catalog is read.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

#include "Catalog.h"
#include "CatalogSeeder.h"
#include "CatalogStore.h"
#include "MD5.h"
#include "ServerFixture.h"
#include "Sqlite.h"
#include "System.h"
#include "codepage.h"
#include "data.h"

namespace {

// Fingerprint of the rows in id order.
std::string Digest(TCatalogRows rows)
{
    std::sort(rows.categories.begin(), rows.categories.end(),
              [](const auto& a, const auto& b) { return a.cid < b.cid; });
    std::sort(rows.sellers.begin(), rows.sellers.end(),
              [](const auto& a, const auto& b) { return a.id < b.id; });
    std::sort(rows.items.begin(), rows.items.end(),
              [](const auto& a, const auto& b) { return a.num_iid < b.num_iid; });
    std::ostringstream s;
    for (const auto& c : rows.categories)
        s << c.cid << '|' << c.parent_cid << '|' << c.name << '|' << c.sort_order << '\n';
    for (const auto& v : rows.sellers)
        s << v.id << '|' << v.nick << '|' << v.credit_score << '|' << v.state << '|' << v.city << '\n';
    for (const auto& i : rows.items)
        s << i.num_iid << '|' << i.cid << '|' << i.seller_id << '|' << i.title << '|' << i.price << '|'
          << i.volume << '|' << i.commission_rate << '|' << i.commission_num << '|' << i.stock << '|'
          << i.guarantee << i.auto_send << '|' << i.list_time << '\n';
    return Md5Hex(s.str());
}

class TTempFile {
public:
    explicit TTempFile(const std::string& name)
        : path_(platform::TempFolder() + "pallido-test-" + std::to_string(getpid()) + "-" + name)
    {
        std::remove(path_.c_str());
    }
    ~TTempFile()
    {
        std::remove(path_.c_str());
        std::remove((path_ + "-journal").c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(CatalogSeed, SameRowsEveryTime)
{
    EXPECT_EQ(Digest(TCatalogSeeder().Generate()), Digest(TCatalogSeeder().Generate()));
}

TEST(CatalogSeed, ShapeOfTheDemoCatalog)
{
    const TCatalog& c = SharedCatalog();
    EXPECT_EQ(c.Skipped(), 0u);

    // The 65 root names of the category table, in its order; most with two
    // further levels; every root has items.
    ASSERT_EQ(c.Roots().size(), RootCategoryNames.size());
    std::size_t withGrandchildren = 0;
    for (std::size_t r = 0; r < c.Roots().size(); ++r) {
        const auto& root = c.Categories()[c.Roots()[r]];
        EXPECT_EQ(root.row.name, AnsiToUtf8(RootCategoryNames[r]));
        EXPECT_GT(root.itemEnd, root.itemBegin) << root.row.name;
        bool deep = false;
        for (auto child : root.children)
            deep = deep || c.Categories()[child].IsParent();
        withGrandchildren += deep;
    }
    EXPECT_GE(withGrandchildren, 30u);

    ASSERT_EQ(c.Items().size(), TCatalogSeeder::kItems);
    ASSERT_EQ(c.Sellers().size(), TCatalogSeeder::kSellers);
    std::size_t big = 0;
    std::set<int> credits;
    for (const auto& s : c.Sellers()) {
        big += s.items.size() > 80;
        EXPECT_FALSE(s.items.empty()) << s.row.nick;
        credits.insert(s.row.credit_score);
    }
    EXPECT_GE(big, 10u) << "sellers with more than two pages of items";
    EXPECT_EQ(credits.size(), 20u) << "every credit level occurs";
    EXPECT_TRUE(c.FindSeller("Coco小铺") && c.FindSeller("coco小铺"))
        << "two nicks that differ only in letter case";

    // Every place of the area table has sellers.
    for (std::size_t a = 1; a < Areas.size(); ++a) {
        std::string list = AnsiToUtf8(Areas[a]);
        std::size_t pos = 0;
        while (!list.empty() && pos <= list.size()) {
            const auto end = std::min(list.find(',', pos), list.size());
            const std::string place = list.substr(pos, end - pos);
            EXPECT_NE(c.SellersAt(place), nullptr) << place;
            pos = end + 1;
        }
    }

    std::size_t guaranteed = 0, virtualGoods = 0;
    for (const auto& i : c.Items()) {
        EXPECT_FALSE(i.row.title.empty());
        EXPECT_GT(i.row.price, 0);
        EXPECT_FALSE(c.Categories()[i.category].IsParent()) << "items live in leaf categories";
        guaranteed += i.row.guarantee;
        virtualGoods += i.row.auto_send;
    }
    EXPECT_GT(guaranteed, 10000u);
    EXPECT_LT(guaranteed, 19000u);
    EXPECT_GT(virtualGoods, 0u);
}

TEST(CatalogStore, CreatesOnceThenReadsTheSameRows)
{
    TTempFile file("store.sqlite");
    bool seeded = false;
    const auto first = TCatalogStore::Load(file.Path(), TCatalogStore::TMissing::CreateDemo, &seeded);
    EXPECT_TRUE(seeded);
    const auto second = TCatalogStore::Load(file.Path(), TCatalogStore::TMissing::CreateDemo, &seeded);
    EXPECT_FALSE(seeded);
    EXPECT_EQ(Digest(first), Digest(second));
    EXPECT_EQ(Digest(second), Digest(TCatalogSeeder().Generate()));
}

TEST(CatalogStore, RefusesFilesThatAreNotItsCatalog)
{
    TTempFile text("notes.sqlite");
    {
        std::ofstream out(text.Path(), std::ios::binary);
        out << "my notes, not a database\n" << std::string(2000, 'x');
    }
    const std::string before = ReadAll(text.Path());
    EXPECT_THROW(TCatalogStore::Load(text.Path()), std::runtime_error);
    EXPECT_EQ(ReadAll(text.Path()), before) << "left untouched";

    TTempFile other("other.sqlite");
    {
        TSqliteDb db(other.Path(), true);
        db.Exec("CREATE TABLE contacts(name TEXT); INSERT INTO contacts VALUES('x');");
    }
    EXPECT_THROW(TCatalogStore::Load(other.Path()), std::runtime_error);
    TSqliteDb db(other.Path(), false);
    TSqliteStmt st(db, "SELECT count(*) FROM sqlite_master");
    ASSERT_TRUE(st.Step());
    EXPECT_EQ(st.Int(0), 1) << "no tables were added";

    EXPECT_THROW(TCatalogStore::Load("/nonexistent-folder/x/catalog.sqlite"), std::runtime_error);
}

TEST(CatalogBuild, LeavesOutRowsThatDoNotFit)
{
    TCatalogRows rows;
    rows.categories = {{1, 0, "root", 1},     {11, 1, "leaf", 1},  {12, 1, "leaf2", 2},
                       {11, 1, "again", 3},   {20, 99, "orphan", 1}, {30, 31, "loop a", 1},
                       {31, 30, "loop b", 1}, {40, 40, "self", 1}};
    rows.sellers = {{1, "s", 25, "浙江", "杭州", ""}, {2, "s", 3, "x", "", ""}, {3, "bad\xff", 3, "", "", ""}};
    rows.items = {
        {100, 11, 1, "ok", 100, 1, 500, 1, 1, true, false, 0, "", "", "", -1, -1},
        {100, 11, 1, "same id", 100, 1, 500, 1, 1, true, false, 0, "", "", "", -1, -1},
        {101, 20, 1, "orphan category", 100, 1, 500, 1, 1, true, false, 0, "", "", "", -1, -1},
        {102, 11, 9, "unknown seller", 100, 1, 500, 1, 1, true, false, 0, "", "", "", -1, -1},
        {103, 11, 1, "negative", -1, 1, 500, 1, 1, true, false, 0, "", "", "", -1, -1},
        {104, 12, 3, "title\xff", 100, -5, 99999, -1, 1, false, false, 0, "", "", "", -1, -1},
        {105, 12, 3, "priceless", INT64_MAX, 1, 500, 1, 1, true, false, 0, "", "", "", -1, -1},
        {106, 12, 3, "extremes", 1'000'000'000'000, INT64_MAX, 10000, INT64_MAX, INT64_MAX, true,
         false, INT64_MAX, "", "", "", -1, -1},
    };
    const TCatalog c(rows);
    EXPECT_EQ(c.Categories().size(), 3u);
    EXPECT_TRUE(c.FindCategory(1)->IsParent());
    EXPECT_EQ(c.FindCategory(11)->row.name, "leaf") << "the first of a repeated id is kept";
    EXPECT_EQ(c.FindCategory(30), nullptr);
    EXPECT_EQ(c.FindCategory(40), nullptr);
    EXPECT_EQ(c.Sellers().size(), 2u);
    EXPECT_EQ(c.FindSeller("s")->row.credit_score, 20) << "clamped into 1..20";
    ASSERT_EQ(c.Items().size(), 3u);
    const auto* odd = c.FindItem(104);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->row.title, "title\xef\xbf\xbd");
    EXPECT_EQ(odd->row.volume, 0);
    EXPECT_EQ(odd->row.commission_rate, 10000);
    EXPECT_EQ(c.Skipped(), 5u + 1u + 5u);
    EXPECT_EQ(c.FindCategory(1)->itemEnd - c.FindCategory(1)->itemBegin, 3u);
    const auto* extreme = c.FindItem(106);
    ASSERT_NE(extreme, nullptr);
    EXPECT_GT(extreme->commissionVolume, 0) << "clamped, no overflow";
    EXPECT_GT(extreme->delistTime, extreme->row.list_time);
}
