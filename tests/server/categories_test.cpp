// The category client of the service layer against this server.

#include <gtest/gtest.h>

#include "ServerFixture.h"
#include "Taobao_Itemcats.h"
#include "XmlDoc.h"
#include "codepage.h"
#include "data.h"

namespace {

struct TLevel {
    bool ok = false;
    std::vector<Tb_Itemcats_Info> rows;
};

TLevel Fetch(const std::string& parent, const std::string& cids = "")
{
    TTaobao_Itemcats client;
    Tb_Itemcats_Cond cond;
    cond.pid = kPid;
    cond.url = SharedBase() + "taobao/tb_itemcats.php";
    cond.parent_cid = parent;
    cond.cids = cids;
    const ATb_Itemcats_Info* results = nullptr;
    TLevel level;
    level.ok = client.Fetch(cond, Tb_Itemcats_Info{}, results);
    if (level.ok)
        for (const auto& r : *results)
            if (!r.cid.empty())
                level.rows.push_back(r);
    return level;
}

} // namespace

TEST(Categories, EveryLevelWithIsParentRight)
{
    const TLevel top = Fetch("0");
    ASSERT_TRUE(top.ok);
    ASSERT_EQ(top.rows.size(), RootCategoryNames.size());
    std::size_t checkedLeaves = 0, thirdLevels = 0;
    for (std::size_t r = 0; r < top.rows.size(); ++r) {
        const auto& root = top.rows[r];
        EXPECT_EQ(root.name, RootCategoryNames[r]) << "names arrive in the client's code page";
        EXPECT_EQ(root.parent_cid, "0");
        EXPECT_EQ(root.status, "normal");
        EXPECT_EQ(root.sort_order, std::to_string(r + 1));
        const TLevel children = Fetch(root.cid);
        ASSERT_TRUE(children.ok);
        EXPECT_EQ(root.is_parent == "true", !children.rows.empty()) << root.cid;
        for (const auto& child : children.rows) {
            EXPECT_EQ(child.parent_cid, root.cid);
            if (child.is_parent == "true") {
                const TLevel third = Fetch(child.cid);
                ASSERT_TRUE(third.ok);
                EXPECT_FALSE(third.rows.empty());
                for (const auto& leaf : third.rows) {
                    EXPECT_EQ(leaf.is_parent, "false");
                    EXPECT_EQ(leaf.parent_cid, child.cid);
                }
                ++thirdLevels;
            } else if (checkedLeaves++ < 5) {
                const TLevel none = Fetch(child.cid);
                EXPECT_TRUE(none.ok) << "a leaf answers an empty list, which is a success";
                EXPECT_TRUE(none.rows.empty());
            }
        }
    }
    EXPECT_GT(thirdLevels, 50u);
}

TEST(Categories, ListedIdsAndUnknownParents)
{
    const TLevel listed = Fetch("", "35,1,999999,35,101");
    ASSERT_TRUE(listed.ok);
    ASSERT_EQ(listed.rows.size(), 3u) << "unknown ids dropped, repeats once";
    EXPECT_EQ(listed.rows[0].name, Ansi("手机"));
    EXPECT_EQ(listed.rows[1].cid, "1");
    EXPECT_EQ(listed.rows[2].parent_cid, "1");

    const TLevel both = Fetch("1", "35,101,102");
    ASSERT_TRUE(both.ok);
    EXPECT_EQ(both.rows.size(), 2u) << "with both, the listed ids under that parent";

    const TLevel unknown = Fetch("424242");
    EXPECT_TRUE(unknown.ok);
    EXPECT_TRUE(unknown.rows.empty());

    const TLevel malformed = Fetch("1x");
    EXPECT_FALSE(malformed.ok);
}

TEST(Categories, HonoursTheRequestedFields)
{
    const auto reply = RawGet(SharedServer().Port(),
                              "/taobao/tb_itemcats.php?" +
                                  SignedQuery({{"fields", "name,bogus,cid"}, {"parent_cid", "1"}}, "1",
                                              false));
    ASSERT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("<item_cat><name>连衣裙</name><cid>101</cid></item_cat>"),
              std::string::npos)
        << reply.body.substr(0, 300);
    EXPECT_EQ(reply.body.find("bogus"), std::string::npos);
    EXPECT_EQ(reply.body.find("<status>"), std::string::npos);
}
