// The user's own data file: what it keeps across runs and kills, and what it
// does with a file it cannot use.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "Sqlite.h"
#include "UserStore.h"

namespace fs = std::filesystem;

namespace {

struct TFolder {
    TFolder()
    {
        char tmpl[] = "/tmp/pallido_store_XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TFolder() { fs::remove_all(path); }
    fs::path path;
};

TFavourite Item(int n)
{
    TFavourite f;
    f.num_iid = std::to_string(10000 + n);
    f.title = "连衣裙 " + std::to_string(n) + " <b>'\"";
    f.pic_url = "http://img.example/" + f.num_iid + ".jpg";
    f.nick = "店铺" + std::to_string(n % 7);
    f.click_url = "http://s.click.example/t?e=" + f.num_iid;
    f.keptPrice = 1280 + n;
    f.keptAt = 1700000000 + n;
    f.lastPrice = f.keptPrice;
    return f;
}

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(UserStore, KeepsFavouritesAndStateAcrossRuns)
{
    TFolder dir;
    const std::string path = (dir.path / "Pallido" / "pallido.sqlite").string();
    {
        auto opened = TUserStore::Open(path);
        ASSERT_TRUE(opened.store) << opened.error;
        EXPECT_TRUE(opened.movedAside.empty());
        auto& s = *opened.store;
        for (int n = 0; n < 4; ++n)
            ASSERT_TRUE(s.Keep(Item(n))) << s.Error();
        TFavourite again = Item(1);
        again.title = "新标题";
        ASSERT_TRUE(s.Keep(again)); // replaced where it was
        ASSERT_TRUE(s.Remove(Item(2).num_iid));
        ASSERT_TRUE(s.SetTarget(Item(0).num_iid, 999));
        ASSERT_TRUE(s.SetSeenPrices({{Item(0).num_iid, 1100}, {Item(3).num_iid, std::nullopt}, {"404", 1}}));
        ASSERT_TRUE(s.SetState("tabs", "one\ntwo"));
        ASSERT_TRUE(s.SetState("tabs", "three"));
        ASSERT_TRUE(s.SetState("keywords", "手机"));
    }
    auto opened = TUserStore::Open(path);
    ASSERT_TRUE(opened.store) << opened.error;
    auto& s = *opened.store;
    TFavourite first = Item(0), second = Item(1), fourth = Item(3);
    first.targetPrice = 999;
    first.lastPrice = 1100;
    second.title = "新标题";
    fourth.gone = true;
    EXPECT_EQ(s.Favourites(), (std::vector<TFavourite>{first, second, fourth}));
    EXPECT_EQ(s.State("tabs"), "three");
    ASSERT_TRUE(s.ClearState());
    EXPECT_FALSE(s.State("tabs"));
    EXPECT_FALSE(s.State("keywords"));
    EXPECT_EQ(s.Favourites().size(), 3u) << "clearing the history keeps the favourites";
    ASSERT_TRUE(s.SetSeenPrices({{Item(3).num_iid, 1500}}));
    EXPECT_FALSE(s.Favourites()[2].gone) << "an item priced again is back";
}

TEST(UserStore, AFileItCannotUseIsMovedAsideAndANewOneMade)
{
    TFolder dir;
    const fs::path path = dir.path / "pallido.sqlite";
    // A real store of ours, to damage.
    {
        auto opened = TUserStore::Open(path.string());
        ASSERT_TRUE(opened.store);
        for (int n = 0; n < 300; ++n)
            opened.store->Keep(Item(n));
    }
    const std::string ours = ReadAll(path);
    ASSERT_GT(ours.size(), 8192u);
    struct TCase {
        const char* what;
        std::function<void()> make;
    };
    const std::vector<TCase> cases = {
        {"garbage", [&] { std::ofstream(path, std::ios::binary) << std::string(5000, '\x5a'); }},
        {"a store cut short", [&] { std::ofstream(path, std::ios::binary) << ours.substr(0, ours.size() / 2); }},
        {"a page overwritten",
         [&] {
             std::string bytes = ours;
             std::fill(bytes.begin() + 4096, bytes.begin() + 4096 + 200, '\x01');
             std::ofstream(path, std::ios::binary) << bytes;
         }},
        {"another program's database",
         [&] {
             TSqliteDb db(path.string(), true);
             db.Exec("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('theirs')");
         }},
        {"a layout of a later version",
         [&] {
             std::ofstream(path, std::ios::binary) << ours;
             TSqliteDb db(path.string(), false);
             db.Exec("PRAGMA user_version = 2");
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(path);
        c.make();
        const std::string before = ReadAll(path);
        auto opened = TUserStore::Open(path.string());
        ASSERT_TRUE(opened.store) << opened.error;
        EXPECT_FALSE(opened.error.empty());
        ASSERT_FALSE(opened.movedAside.empty());
        EXPECT_EQ(ReadAll(opened.movedAside), before) << "the unusable file is kept as it was";
        EXPECT_TRUE(opened.store->Favourites().empty());
        EXPECT_TRUE(opened.store->Keep(Item(1))) << opened.store->Error();
        opened.store.reset();
        fs::remove(opened.movedAside);
    }
    // An empty file is a new store; a folder that cannot be made, no store.
    fs::remove(path);
    std::ofstream(path, std::ios::binary).flush();
    auto empty = TUserStore::Open(path.string());
    ASSERT_TRUE(empty.store);
    EXPECT_TRUE(empty.movedAside.empty());
    auto none = TUserStore::Open((path / "sub" / "x.sqlite").string());
    EXPECT_FALSE(none.store);
    EXPECT_FALSE(none.error.empty());
}

TEST(UserStore, AKilledWriterLosesAtMostTheChangeInFlight)
{
    TFolder dir;
    const std::string path = (dir.path / "pallido.sqlite").string();
    std::mt19937 random(20261211);
    int kept = 0; // favourites acknowledged so far, over every round
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            auto opened = TUserStore::Open(path);
            for (int n = kept; opened.store; ++n) {
                if (!opened.store->Keep(Item(n)) || !opened.store->SetState("last", std::to_string(n)))
                    ::_exit(3);
                if (::write(fds[1], "k", 1) != 1)
                    ::_exit(4);
            }
            ::_exit(2);
        }
        ::close(fds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << WEXITSTATUS(status);
        char buf[4096];
        int acks = 0;
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            acks += static_cast<int>(n);
        ::close(fds[0]);

        auto opened = TUserStore::Open(path);
        ASSERT_TRUE(opened.store) << opened.error;
        ASSERT_TRUE(opened.movedAside.empty()) << opened.error;
        const auto all = opened.store->Favourites();
        ASSERT_GE(all.size(), static_cast<std::size_t>(kept + acks));
        ASSERT_LE(all.size(), static_cast<std::size_t>(kept + acks + 1));
        for (std::size_t i = 0; i < all.size(); ++i)
            ASSERT_EQ(all[i], Item(static_cast<int>(i)));
        kept = static_cast<int>(all.size());
    }
    EXPECT_GT(kept, 50) << "the writer was killed before it wrote anything, every time";
}
