// The catalog from CSV: the strict CSV reader and writer, the import with
// every kind of bad row reported by line, the all-or-nothing file
// replacement, the export/import round trip, and the client's own service
// classes against an imported catalog.

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "Catalog.h"
#include "CatalogExport.h"
#include "CatalogImport.h"
#include "CatalogStore.h"
#include "CsvReader.h"
#include "CsvWriter.h"
#include "ServerFixture.h"
#include "ServerProcess.h"
#include "Taobao_Itemcats.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"
#include "codepage.h"
#include "data.h"

using namespace std::chrono_literals;

namespace {

std::vector<std::vector<std::string>> ReadCsv(std::string_view text, std::string* error = nullptr,
                                              std::size_t* line = nullptr)
{
    TCsvReader reader(text);
    std::vector<std::vector<std::string>> rows;
    for (std::vector<std::string> fields; reader.Next(fields);)
        rows.push_back(fields);
    if (error)
        *error = reader.Error();
    if (line)
        *line = reader.Line();
    return rows;
}

const std::string kCategories = "\xef\xbb\xbf" "cid,parent_cid,name,sort_order\r\n"
                                "1,0,数码,1\r\n"
                                "10,1,手机,2\r\n"
                                "11,1,\"相机, 镜头\",1\r\n";
const std::string kSellers = "location,nick,credit_score,note\n"
                             "浙江 杭州,小店,12,ignored\n"
                             "上海,\"大\"\"牌\"\"店\",20,\n";
const std::string kItemsHeader = "num_iid,title,nick,cid,price,pic_url,click_url,volume,commission,"
                                 "commission_rate,commission_num,commission_volume,guarantee";
const std::string kItems = kItemsHeader + ",item_location\n"
                           "501,\"手机 5G, \"\"旗舰\"\"\",小店,10,1999.5,https://img.example.com/a.jpg,"
                           "https://s.click.example.com/t?e=1,120,99.95,500,30,2998.50,true,\n"
                           "502,单反相机,\"大\"\"牌\"\"店\",11,4200,,,5,210.00,500.00,1,210,false,广东 深圳\n";

TCatalogImport Import(const std::string& categories, const std::string& sellers, const std::string& items)
{
    TCatalogImport import(1300000000);
    import.Categories("categories.csv", categories);
    import.Sellers("sellers.csv", sellers);
    import.Items("items.csv", items);
    return import;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A set of CSV files and a catalog path in the temporary folder.
struct TFiles {
    explicit TFiles(const std::string& tag)
        : categories(TestTempPath(tag + "-categories.csv")), sellers(TestTempPath(tag + "-sellers.csv")),
          items(TestTempPath(tag + "-items.csv")), catalog(TestTempPath(tag + "-catalog.sqlite"))
    {
    }
    ~TFiles()
    {
        for (const auto* p : {&categories, &sellers, &items, &catalog})
            std::remove(p->c_str());
    }
    void Write(const std::string& c, const std::string& s, const std::string& i) const
    {
        std::ofstream(categories, std::ios::binary) << c;
        std::ofstream(sellers, std::ios::binary) << s;
        std::ofstream(items, std::ios::binary) << i;
    }
    std::vector<std::string> ImportArgs() const
    {
        return {"import", "--catalog", catalog, "--categories", categories, "--sellers", sellers,
                "--items", items};
    }
    std::string categories, sellers, items, catalog;
};

// Files of the temporary folder whose names start with `prefix`.
std::size_t CountFiles(const std::string& prefix)
{
    const auto slash = prefix.rfind('/');
    const std::string folder = prefix.substr(0, slash + 1), start = prefix.substr(slash + 1);
    std::size_t n = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d))
            n += std::string(e->d_name).rfind(start, 0) == 0;
        closedir(d);
    }
    return n;
}

const std::string kTbkFields = "nick,title,price,pic_url,num_iid,click_url,commission,commission_num,"
                               "commission_rate,commission_volume,shop_click_url,seller_credit_score,"
                               "item_location,volume";

// A signed affiliate search with the client's order of signature values.
std::string TbkTarget(const std::map<std::string, std::string>& p)
{
    std::string input;
    for (const char* k : {"cid", "area", "sort", "keyword", "page_no", "auto_send", "end_price", "guarantee",
                          "end_credit", "start_price", "start_credit", "end_commissionNum",
                          "end_commissionRate", "start_commissionNum", "start_commissionRate"})
        if (const auto it = p.find(k); it != p.end())
            input += it->second;
    std::vector<std::pair<std::string, std::string>> params = {{"fields", kTbkFields}};
    params.insert(params.end(), p.begin(), p.end());
    return "/taobao/tbk_items.php?" + SignedQuery(params, input);
}

std::string Rebased(std::string body, const std::string& from, const std::string& to)
{
    for (auto at = body.find(from); at != std::string::npos; at = body.find(from, at + to.size()))
        body.replace(at, from.size(), to);
    return body;
}

} // namespace

TEST(Csv, QuotingLineBreaksAndByteOrderMark)
{
    const auto rows = ReadCsv("\xef\xbb\xbf" "a,b,c\r\n\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\n\n,,\n"
                              "last,,row");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"x, y", "say \"hi\"", "two\r\nlines"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"last", "", "row"}));

    TCsvReader lines("h\n\"a\nb\nc\"\nnext\n");
    std::vector<std::string> f;
    ASSERT_TRUE(lines.Next(f) && lines.Next(f));
    ASSERT_TRUE(lines.Next(f));
    EXPECT_EQ(f[0], "next");
    EXPECT_EQ(lines.Line(), 5u) << "a record after a quoted line break keeps its own line";

    const std::vector<std::pair<std::string, std::size_t>> bad = {
        {"a,b\n\"open,x\n\n", 2}, {"a\nb\"c\n", 2}, {"a\n\"b\"c\n", 2}, {"a\nb\rc\n", 2}, {"\n\nx\"\n", 3}};
    for (const auto& [text, line] : bad) {
        std::string error;
        std::size_t at = 0;
        ReadCsv(text, &error, &at);
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(at, line) << text << ": " << error;
    }

    TCsvWriter w;
    w.Row({"plain", "com,ma", "quo\"te", "line\nbreak", " blank", ""});
    EXPECT_EQ(w.Text(), "plain,\"com,ma\",\"quo\"\"te\",\"line\nbreak\",\" blank\",\r\n");
    EXPECT_EQ(ReadCsv(w.Text())[0], (std::vector<std::string>{"plain", "com,ma", "quo\"te", "line\nbreak",
                                                               " blank", ""}));
}

TEST(Import, GoodFilesInAnyColumnOrder)
{
    auto import = Import(kCategories, kSellers, kItems);
    ASSERT_EQ(import.Errors(), std::vector<std::string>{});
    const auto& rows = import.Rows();
    ASSERT_EQ(rows.categories.size(), 3u);
    EXPECT_EQ(rows.categories[2].name, "相机, 镜头");
    ASSERT_EQ(rows.sellers.size(), 2u);
    EXPECT_EQ(rows.sellers[1].nick, "大\"牌\"店");
    EXPECT_EQ(rows.sellers[0].state + "/" + rows.sellers[0].city, "浙江/杭州");
    ASSERT_EQ(rows.items.size(), 2u);
    const auto& a = rows.items[0];
    EXPECT_EQ(a.title, "手机 5G, \"旗舰\"");
    EXPECT_EQ(a.price, 199950);
    EXPECT_EQ(a.commission, 9995);
    EXPECT_EQ(a.commission_rate, 500) << "hundredths of a percent, as in the replies";
    EXPECT_EQ(a.commission_volume, 299850);
    EXPECT_EQ(a.list_time, 1300000000) << "the import's time when none is given";

    const TCatalog catalog(rows);
    EXPECT_EQ(catalog.Skipped(), 0u);
    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    TPublisherServer server(catalog, options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const auto reply = RawGet(server.Port(), TbkTarget({{"cid", "1"}, {"sort", "price_asc"}})).body;
    EXPECT_NE(reply.find("<total_results>2</total_results>"), std::string::npos) << reply;
    // Own addresses are kept; an item without them gets this server's.
    EXPECT_NE(reply.find("<pic_url>https://img.example.com/a.jpg</pic_url>"), std::string::npos);
    EXPECT_NE(reply.find("<click_url>https://s.click.example.com/t?e=1</click_url>"), std::string::npos);
    EXPECT_NE(reply.find("<pic_url>" + server.BaseUrl() + "bao/uploaded/"), std::string::npos);
    EXPECT_NE(reply.find("<item_location>广东 深圳</item_location>"), std::string::npos);
    EXPECT_NE(reply.find("<item_location>浙江 杭州</item_location>"), std::string::npos);
    EXPECT_NE(reply.find("<commission_rate>500.00</commission_rate>"), std::string::npos);
    EXPECT_NE(reply.find("<commission>99.95</commission>"), std::string::npos);

    // The area condition follows the place shown: an item's own, else its
    // seller's.
    auto area = [&](const std::string& places) {
        const auto body = RawGet(server.Port(), TbkTarget({{"cid", "1"}, {"area", places}})).body;
        std::string ids;
        for (auto at = body.find("<num_iid>"); at != std::string::npos; at = body.find("<num_iid>", at + 1))
            ids += body.substr(at + 9, 3) + " ";
        return ids;
    };
    EXPECT_EQ(area("广东"), "502 ");
    EXPECT_EQ(area("深圳"), "502 ");
    EXPECT_EQ(area("上海"), "") << "the seller's place, but not the item's";
    EXPECT_EQ(area("浙江"), "501 ");
    EXPECT_EQ(area("上海,广东,杭州"), "501 502 ");
    server.Stop();
}

TEST(Import, EveryBadRowIsReportedWithItsLine)
{
    const auto errors = Import("cid,parent_cid,name\n"
                               "1,0,root\n"
                               "1,0,again\n"         // 3
                               "2,99,orphan\n"       // 4
                               "3,4,loop a\n"        // 5
                               "4,3,loop b\n"        // 6
                               "0,0,zero\n"          // 7
                               "5,1,\n"              // 8
                               "6,1,bad\xff\n"       // 9
                               "7,1\n"               // 10
                               "8,8,self\n",         // 11
                               "nick,credit_score,location,shop_url\n"
                               "a,5,上海,\n"
                               "a,6,上海,\n"         // 3
                               "b,0,上海,\n"         // 4
                               "c,21,上海,\n"        // 5
                               "d,5,,\n"             // 6
                               "e,5,上海,javascript:x\n", // 7
                               kItemsHeader + "\n"
                               "1,ok,a,1,1.00,,,0,0,0,0,0,true\n"
                               "1,twice,a,1,1.00,,,0,0,0,0,0,true\n"   // 3
                               "2,x,zz,1,1.00,,,0,0,0,0,0,true\n"      // 4
                               "3,x,a,42,1.00,,,0,0,0,0,0,true\n"      // 5
                               "4,x,a,1,1.005,,,0,0,0,0,0,true\n"      // 6
                               "5,x,a,1,-1,,,0,0,0,0,0,true\n"         // 7
                               "6,x,a,1,1,,,0,0,0,0,0,yes\n"           // 8
                               "7,x,a,1,1,,,-3,0,0,0,0,true\n"         // 9
                               "8,x,a,1,1,,,0,0,5.5,0,0,true\n"        // 10
                               "9,x,a,1,1,ftp://x,,0,0,0,0,0,true\n"   // 11
                               "abc,x,a,1,1,,,0,0,0,0,0,true\n"        // 12
                               "10,,a,1,1,,,0,0,0,0,0,true\n"          // 13
                               "11,x,a,1,1,,,0,0,0,0,0\n"              // 14
                               "12,\"x\xe6\x89\",a,1,1,,,0,0,0,0,0,true\n" // 15
                               "13,x,a,1,1,,,0,0,0,0,0,true,\"open\n")
                            .Errors();
    const std::vector<std::string> expected = {
        "categories.csv:3: cid 1 appears twice (first on line 2)",
        "categories.csv:7: cid must be a whole number from 1 to 2147483647",
        "categories.csv:8: name is empty",
        "categories.csv:9: invalid UTF-8",
        "categories.csv:10: 2 fields where the header has 3",
        "categories.csv:4: unknown parent_cid 99",
        "categories.csv:5: category 3 is more than 8 levels deep, or its parents form a cycle",
        "categories.csv:6: category 4 is more than 8 levels deep, or its parents form a cycle",
        "categories.csv:11: category 8 is its own parent",
        "sellers.csv:3: seller \"a\" appears twice",
        "sellers.csv:4: credit_score must be a whole number from 1 to 20",
        "sellers.csv:5: credit_score must be a whole number from 1 to 20",
        "sellers.csv:6: location is empty",
        "sellers.csv:7: shop_url is not an http:// or https:// address",
        "items.csv:3: num_iid 1 appears twice (first on line 2)",
        "items.csv:4: unknown seller \"zz\"",
        "items.csv:5: unknown category \"42\"",
        "items.csv:6: price must be yuan with up to two decimals",
        "items.csv:7: price must be yuan with up to two decimals",
        "items.csv:8: guarantee must be true or false",
        "items.csv:9: volume must be a whole number up to 1000000000",
        "items.csv:10: commission_rate must be hundredths of a percent from 0 to 10000 (550 = 5.50 %)",
        "items.csv:11: pic_url is not an http:// or https:// address",
        "items.csv:12: num_iid must be a positive whole number",
        "items.csv:13: title is empty",
        "items.csv:14: 12 fields where the header has 13",
        "items.csv:15: invalid UTF-8",
        "items.csv:16: a quoted field is not closed",
    };
    EXPECT_EQ(errors, expected);

    const auto missing = Import("cid,name\n1,x\n", "nick,location\n", "num_iid\n").Errors();
    EXPECT_EQ(missing.front(), "categories.csv:1: missing column parent_cid");
    EXPECT_NE(std::find(missing.begin(), missing.end(), "sellers.csv:1: missing column credit_score"),
              missing.end());
    EXPECT_NE(std::find(missing.begin(), missing.end(), "items.csv:1: missing column guarantee"), missing.end());
    EXPECT_EQ(Import("", "nick,nick,credit_score,location\n", "").Errors(),
              (std::vector<std::string>{"categories.csv:1: no header row",
                                        "sellers.csv:1: column nick appears twice",
                                        "items.csv:1: no header row"}));
}

TEST(Import, EachFieldsBadValueTheDepthLimitAndEveryOptionalColumnThroughExportAndImport)
{
    // Every field of an item row in turn, with a value it must refuse.
    const std::vector<std::string> columns = {"num_iid", "title", "nick", "cid", "price", "pic_url",
                                              "click_url", "volume", "commission", "commission_rate",
                                              "commission_num", "commission_volume", "guarantee",
                                              "item_location", "auto_send", "stock", "list_time"};
    const std::map<std::string, std::string> good = {
        {"num_iid", "1"}, {"title", "t"}, {"nick", "a"}, {"cid", "1"}, {"price", "1.00"}, {"pic_url", ""},
        {"click_url", ""}, {"volume", "0"}, {"commission", "0"}, {"commission_rate", "0"},
        {"commission_num", "0"}, {"commission_volume", "0"}, {"guarantee", "true"}, {"item_location", ""},
        {"auto_send", "false"}, {"stock", "0"}, {"list_time", "0"}};
    const struct {
        const char* column;
        const char* value;
        const char* problem;
    } bad[] = {
        {"click_url", "ftp://x", "click_url is not an http:// or https:// address"},
        {"click_url", "javascript:alert(1)", "click_url is not an http:// or https:// address"},
        {"commission", "1.005", "commission must be yuan with up to two decimals"},
        {"commission", "-1", "commission must be yuan with up to two decimals"},
        {"commission_num", "x", "commission_num must be a whole number up to 1000000"},
        {"commission_num", "-1", "commission_num must be a whole number up to 1000000"},
        {"commission_volume", "abc", "commission_volume must be yuan with up to two decimals"},
        {"auto_send", "yes", "auto_send must be true or false"},
        {"stock", "-1", "stock must be a whole number up to 1000000000"},
        {"stock", "1000000001", "stock must be a whole number up to 1000000000"},
        {"list_time", "soon", "list_time must be Unix seconds"},
        {"list_time", "-5", "list_time must be Unix seconds"},
    };
    auto join = [](const std::vector<std::string>& fields) {
        std::string line;
        for (const auto& f : fields)
            line += (line.empty() ? "" : ",") + f;
        return line + "\n";
    };
    std::string items = join(columns);
    std::vector<std::string> expected;
    int line = 1, id = 100;
    for (const auto& b : bad) {
        std::vector<std::string> fields;
        for (const auto& c : columns)
            fields.push_back(c == b.column ? b.value : c == "num_iid" ? std::to_string(++id) : good.at(c));
        items += join(fields);
        expected.push_back("items.csv:" + std::to_string(++line) + ": " + b.problem);
    }
    expected.insert(expected.begin(), {"categories.csv:3: parent_cid must be 0 or a cid",
                                       "categories.csv:4: sort_order must be a whole number"});
    EXPECT_EQ(Import("cid,parent_cid,name,sort_order\n1,0,root,1\n2,x,n,1\n3,1,n,first\n",
                     "nick,credit_score,location\na,5,上海\n", items)
                  .Errors(),
              expected);

    // Eight levels of categories are a tree; a ninth is refused.
    std::string chain = "cid,parent_cid,name\n";
    for (int level = 1; level <= 9; ++level) {
        chain += std::to_string(level) + "," + std::to_string(level - 1) + ",level " + std::to_string(level) + "\n";
        if (level < 8)
            continue;
        auto import = Import(chain, "nick,credit_score,location\n", kItemsHeader + "\n");
        if (level == 8) {
            EXPECT_EQ(import.Errors(), std::vector<std::string>{});
            EXPECT_EQ(import.Rows().categories.size(), 8u);
        } else {
            EXPECT_EQ(import.Errors(), (std::vector<std::string>{
                                           "categories.csv:10: category 9 is more than 8 levels deep, or its "
                                           "parents form a cycle"}));
        }
    }

    // Every optional column, with values no other column shares, and rows
    // without them, through import, export and import again.
    const std::string categories = "cid,parent_cid,name,sort_order\n1,0,数码,7\n10,1,手机,-3\n11,1,相机,\n";
    const std::string sellers = "nick,credit_score,location,shop_url\n"
                                "小店,12,浙江 杭州,https://shop.example.com/small\n大店,20,上海,\n";
    const std::string full = kItemsHeader + ",item_location,auto_send,stock,list_time\n"
                             "501,手机,小店,10,1999.50,https://img.example.com/a.jpg,https://s.example.com/c,"
                             "120,99.95,500,30,2998.50,true,广东 深圳,true,77,1234567890\n"
                             "502,相机,大店,11,4200,,,5,210.00,600,1,210,false,,,,\n";
    auto first = Import(categories, sellers, full);
    ASSERT_EQ(first.Errors(), std::vector<std::string>{});
    const TCatalog catalog(first.Rows());
    const TCatalogExport exported(catalog);
    auto again = Import(exported.Categories(), exported.Sellers(), exported.Items());
    ASSERT_EQ(again.Errors(), std::vector<std::string>{});
    auto NickOf = [](const TCatalogRows& rows, std::int64_t seller) {
        for (const auto& s : rows.sellers)
            if (s.id == seller)
                return s.nick;
        return std::string("?");
    };
    const TCatalogRows& a = first.Rows();
    const TCatalogRows& b = again.Rows();
    ASSERT_EQ(b.categories.size(), 3u);
    ASSERT_EQ(b.sellers.size(), 2u);
    ASSERT_EQ(b.items.size(), 2u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(b.categories[i].cid, a.categories[i].cid);
        EXPECT_EQ(b.categories[i].parent_cid, a.categories[i].parent_cid);
        EXPECT_EQ(b.categories[i].sort_order, a.categories[i].sort_order) << a.categories[i].cid;
    }
    EXPECT_EQ(a.categories[1].sort_order, -3);
    EXPECT_EQ(a.categories[2].sort_order, 0);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(b.sellers[i].nick, a.sellers[i].nick);
        EXPECT_EQ(b.sellers[i].shop_url, a.sellers[i].shop_url);
        EXPECT_EQ(b.sellers[i].state + "/" + b.sellers[i].city, a.sellers[i].state + "/" + a.sellers[i].city);
        EXPECT_EQ(b.sellers[i].credit_score, a.sellers[i].credit_score);
    }
    EXPECT_EQ(a.sellers[0].shop_url, "https://shop.example.com/small");
    for (std::size_t i = 0; i < 2; ++i) {
        const TItemRow& x = a.items[i];
        const TItemRow& y = b.items[i];
        const std::string id = std::to_string(x.num_iid);
        EXPECT_EQ(y.num_iid, x.num_iid);
        EXPECT_EQ(y.cid, x.cid) << id;
        EXPECT_EQ(NickOf(b, y.seller_id), NickOf(a, x.seller_id)) << id;
        EXPECT_EQ(y.title, x.title) << id;
        EXPECT_EQ(y.price, x.price) << id;
        EXPECT_EQ(y.volume, x.volume) << id;
        EXPECT_EQ(y.commission_rate, x.commission_rate) << id;
        EXPECT_EQ(y.commission_num, x.commission_num) << id;
        EXPECT_EQ(y.stock, x.stock) << id;
        EXPECT_EQ(y.guarantee, x.guarantee) << id;
        EXPECT_EQ(y.auto_send, x.auto_send) << id;
        EXPECT_EQ(y.list_time, x.list_time) << id;
        EXPECT_EQ(y.pic_url, x.pic_url) << id;
        EXPECT_EQ(y.click_url, x.click_url) << id;
        EXPECT_EQ(y.item_location, x.item_location) << id;
        EXPECT_EQ(y.commission, x.commission) << id;
        EXPECT_EQ(y.commission_volume, x.commission_volume) << id;
    }
    // What the first file said, and the defaults of a row that says nothing.
    EXPECT_EQ(a.items[0].stock, 77);
    EXPECT_EQ(a.items[0].volume, 120);
    EXPECT_EQ(a.items[0].list_time, 1234567890);
    EXPECT_TRUE(a.items[0].auto_send);
    EXPECT_EQ(a.items[0].item_location, "广东 深圳");
    EXPECT_EQ(a.items[1].stock, 0);
    EXPECT_EQ(a.items[1].list_time, 1300000000);
    EXPECT_FALSE(a.items[1].auto_send);
}

TEST(Import, AllOrNothingOnDisk)
{
    TFiles files("allornothing");
    files.Write(kCategories, kSellers, kItems);
    TProcess good(files.ImportArgs());
    ASSERT_EQ(good.Wait(60s), 0) << good.Err();
    EXPECT_NE(good.Out().find("3 categories, 2 sellers, 2 items"), std::string::npos) << good.Out();
    const std::string before = ReadAll(files.catalog);
    EXPECT_EQ(TCatalogStore::Load(files.catalog, TCatalogStore::TMissing::Fail).items.size(), 2u);

    files.Write(kCategories, kSellers, kItems + "503,x,nobody,10,1,,,0,0,0,0,0,true,\n");
    TProcess bad(files.ImportArgs());
    EXPECT_EQ(bad.Wait(60s), 1);
    EXPECT_NE(bad.Err().find(files.items + ":4: unknown seller \"nobody\""), std::string::npos) << bad.Err();
    EXPECT_NE(bad.Err().find("was not changed"), std::string::npos);
    EXPECT_TRUE(ReadAll(files.catalog) == before) << "the old catalog is untouched";
    EXPECT_EQ(CountFiles(files.catalog + ".import-"), 0u) << "no temporary file is left";

    // A file that is not a catalog is never replaced.
    std::ofstream(files.catalog, std::ios::binary) << "someone's notes";
    files.Write(kCategories, kSellers, kItems);
    TProcess refused(files.ImportArgs());
    EXPECT_EQ(refused.Wait(60s), 1);
    EXPECT_EQ(ReadAll(files.catalog), "someone's notes");

    TProcess usage({"import", "--catalog", files.catalog});
    EXPECT_EQ(usage.Wait(20s), 2);
    EXPECT_NE(usage.Err().find("--categories FILE is needed"), std::string::npos) << usage.Err();
}

TEST(Import, ExportThenImportGivesTheSameReplies)
{
    TFiles files("roundtrip");
    TProcess exported({"export", "--categories", files.categories, "--sellers", files.sellers, "--items",
                       files.items});
    ASSERT_EQ(exported.Wait(60s), 0) << exported.Err();
    TProcess imported(files.ImportArgs());
    ASSERT_EQ(imported.Wait(60s), 0) << imported.Err();
    EXPECT_NE(imported.Out().find("2000 sellers, 20000 items"), std::string::npos) << imported.Out();

    const TCatalog catalog(TCatalogStore::Load(files.catalog, TCatalogStore::TMissing::Fail));
    EXPECT_EQ(catalog.Skipped(), 0u);
    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    TPublisherServer server(catalog, options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;

    const auto& demo = SharedCatalog();
    std::string ids;
    for (std::size_t i = 0; i < 40; ++i)
        ids += std::to_string(demo.Items()[i * 97].row.num_iid) + ",";
    const std::string nick = demo.Sellers()[5].row.nick;
    const std::vector<std::string> targets = {
        TbkTarget({{"keyword", "手机"}, {"sort", "price_asc"}, {"page_no", "2"}}),
        TbkTarget({{"cid", "1"}, {"guarantee", "true"}, {"start_credit", "1diamond"}}),
        TbkTarget({{"cid", "0"}, {"area", "江苏,浙江,上海"}, {"sort", "commissionRate_desc"}}),
        TbkTarget({{"keyword", "韩版"}, {"start_price", "10"}, {"end_price", "200"}, {"sort", "credit_desc"}}),
        TbkTarget({{"cid", "0"}, {"auto_send", "true"}, {"sort", "commissionVolume_desc"}}),
        "/taobao/tbk_items_convert.php?" + SignedQuery({{"fields", kTbkFields}}, ids) + "&num_iids=" + ids,
        "/taobao/tb_itemcats.php?" + SignedQuery({{"fields", "cid,name,is_parent,parent_cid,sort_order"},
                                                  {"parent_cid", "0"}}, "0"),
        "/taobao/tb_itemcats.php?" + SignedQuery({{"fields", "cid,name,is_parent"}, {"parent_cid", "2"}}, "2"),
        "/taobao/tb_items.php?" + SignedQuery({{"fields", "volume,title,price,num_iid,pic_url,detail_url,desc"},
                                               {"nicks", nick}, {"page_no", "1"}, {"order_by", "volume"}},
                                              nick + "1volume"),
        "/taobao/III/huodong.html",
    };
    for (const auto& target : targets) {
        const auto want = RawGet(SharedServer().Port(), target);
        const auto got = RawGet(server.Port(), target);
        ASSERT_EQ(want.status, 200) << target;
        EXPECT_GT(want.body.size(), 300u) << target;
        EXPECT_TRUE(Rebased(got.body, server.BaseUrl(), SharedBase()) == want.body) << target;
    }
    server.Stop();
}

TEST(Import, ClientServicesAgainstAnImportedCatalog)
{
    auto import = Import(kCategories, kSellers, kItems);
    ASSERT_TRUE(import.Errors().empty());
    const TCatalog catalog(import.Rows());
    TServerOptions options;
    options.port = 0;
    options.quiet = true;
    TPublisherServer server(catalog, options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const std::string base = server.BaseUrl();

    TTaobao_Itemcats cats;
    const ATb_Itemcats_Info* catRows = nullptr;
    ASSERT_TRUE(cats.Fetch({kPid, base + "taobao/tb_itemcats.php", "", "1"}, Tb_Itemcats_Info{}, catRows));
    EXPECT_EQ((*catRows)[0].name, Ansi("相机, 镜头")) << "sort_order 1 first";
    EXPECT_EQ((*catRows)[1].name, Ansi("手机"));
    EXPECT_EQ((*catRows)[2].cid, "");

    TTaobaoke_Items search;
    Tbk_Items_Cond cond;
    cond.pid = kPid;
    cond.url = base + "taobao/tbk_items.php";
    cond.keyword = Ansi("旗舰");
    const ATbk_Items_Info* items = nullptr;
    ASSERT_TRUE(search.Fetch(cond, Tbk_Items_Info{}, items));
    EXPECT_EQ((*items)[0].num_iid, "501");
    EXPECT_EQ((*items)[0].click_url, "https://s.click.example.com/t?e=1");
    EXPECT_EQ((*items)[0].price, "1999.50");
    EXPECT_EQ((*items)[0].seller_credit_score, "12");
    EXPECT_EQ((*items)[1].num_iid, "");

    TTaobao_Items sellerItems;
    Tb_Items_Cond sellerCond;
    sellerCond.pid = kPid;
    sellerCond.url = base + "taobao/tb_items.php";
    sellerCond.nicks = Ansi("大\"牌\"店");
    sellerCond.page_no = "1";
    sellerCond.order_by = "volume";
    const ATb_Items_Info* own = nullptr;
    ASSERT_TRUE(sellerItems.Fetch(sellerCond, Tb_Items_Info{}, own));
    EXPECT_EQ((*own)[0].title, Ansi("单反相机"));
    EXPECT_EQ((*own)[0].total_results, "1");

    TTaobaoke_Items_Convert convert;
    const ATbk_Items_Convert_Info* converted = nullptr;
    ASSERT_TRUE(convert.Fetch({kPid, base + "taobao/tbk_items_convert.php", "502,501,"},
                              Tbk_Items_Convert_Info{}, converted));
    std::map<std::string, std::string> links;
    for (const auto& r : *converted)
        if (!r.num_iid.empty())
            links[r.num_iid] = r.click_url;
    EXPECT_EQ(links["501"], "https://s.click.example.com/t?e=1");
    EXPECT_EQ(links["502"], base + "click.htm?id=502");
    server.Stop();
}

TEST(Import, ControlCharactersOfAFileAreWrittenEscaped)
{
    // The messages go to a terminal: an escape sequence in a seller's nick
    // must not reach it raw.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\x1b[2J", "\\x1B[2J"},
        {"a\tb\x7f", "a\\x09b\\x7F"},
        {"\xc2\x9b" "31m", "\\xC2\\x9B31m"},
        {"\"\r\"", "\\x0D"},
        {"小\xc2\xa0店", "小\xc2\xa0店"}, // a no-break space is no control
    };
    for (const auto& [nick, shown] : cases) {
        const auto errors =
            Import(kCategories, kSellers, kItemsHeader + "\n9,x," + nick + ",10,1,,,0,0,0,0,0,true\n").Errors();
        ASSERT_EQ(errors.size(), 1u) << shown;
        EXPECT_EQ(errors[0], "items.csv:2: unknown seller \"" + shown + "\"");
    }
}
