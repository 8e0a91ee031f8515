#include "UserStore.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "Sqlite.h"

namespace {

// "PALD" in the file's header: a Pallido user data file.
constexpr std::int64_t kApplicationId = 0x50414c44;
constexpr std::int64_t kLayoutVersion = 1;

const char* const kSchema = R"(
PRAGMA application_id = 1346456644;
PRAGMA user_version = 1;
CREATE TABLE favourite (
  num_iid TEXT PRIMARY KEY,
  title TEXT NOT NULL,
  pic_url TEXT NOT NULL,
  nick TEXT NOT NULL,
  click_url TEXT NOT NULL,
  kept_price INTEGER NOT NULL,
  kept_at INTEGER NOT NULL,
  last_price INTEGER NOT NULL,
  target_price INTEGER,
  gone INTEGER NOT NULL,
  kept_order INTEGER NOT NULL
);
CREATE TABLE state (
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL
);
)";
static_assert(kApplicationId == 1346456644);

std::int64_t Pragma(TSqliteDb& db, const char* sql)
{
    TSqliteStmt s(db, sql);
    return s.Step() ? s.Int(0) : 0;
}

// What the file holds: ours, nothing yet, or something we must not touch
// (with the reason).
enum class TContent { Ours, Empty, Unusable };

TContent Inspect(TSqliteDb& db, std::string& why)
{
    try {
        const std::int64_t id = Pragma(db, "PRAGMA application_id");
        const std::int64_t version = Pragma(db, "PRAGMA user_version");
        const std::int64_t tables = Pragma(db, "SELECT count(*) FROM sqlite_master");
        if (id == 0 && version == 0 && tables == 0)
            return TContent::Empty;
        if (id != kApplicationId) {
            why = "the file belongs to another program";
            return TContent::Unusable;
        }
        if (version != kLayoutVersion) {
            why = "the file has a layout this version does not know";
            return TContent::Unusable;
        }
        TSqliteStmt check(db, "PRAGMA quick_check");
        if (!check.Step() || check.Text(0) != "ok") {
            why = "the file is damaged";
            return TContent::Unusable;
        }
        return TContent::Ours;
    } catch (const TSqliteError& e) {
        why = std::string("the file is damaged: ") + e.what();
        return TContent::Unusable;
    }
}

std::string AsideName(const std::string& path)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string name = path + ".unusable-" + stamp;
    for (int n = 2; std::filesystem::exists(name); ++n)
        name = path + ".unusable-" + stamp + "-" + std::to_string(n);
    return name;
}

// Renames the file and its journal beside it; false when it cannot be moved.
bool MoveAside(const std::string& path, const std::string& aside, std::string& error)
{
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        std::error_code ec;
        if (std::filesystem::exists(path + suffix, ec))
            std::filesystem::rename(path + suffix, aside + suffix, ec);
    }
    std::error_code ec;
    std::filesystem::rename(path, aside, ec);
    if (ec)
        error += "; it cannot be moved aside: " + ec.message();
    return !ec;
}

std::unique_ptr<TSqliteDb> OpenOurs(const std::string& path, std::string& why)
{
    auto db = std::make_unique<TSqliteDb>(path, true);
    switch (Inspect(*db, why)) {
    case TContent::Unusable:
        return nullptr;
    case TContent::Empty:
        db->Exec("PRAGMA journal_mode = WAL");
        db->Exec("BEGIN IMMEDIATE");
        db->Exec(kSchema);
        db->Exec("COMMIT");
        break;
    case TContent::Ours:
        db->Exec("PRAGMA journal_mode = WAL");
        break;
    }
    // A commit is in the log before it returns; only a power cut, not a
    // killed process, could take the last one back.
    db->Exec("PRAGMA synchronous = NORMAL");
    return db;
}

} // namespace

TUserStore::TOpening TUserStore::Open(const std::string& path)
{
    TOpening result;
    std::error_code ec;
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    for (int attempt = 0; attempt < 2 && !result.store; ++attempt) {
        std::string why;
        try {
            if (auto db = OpenOurs(path, why)) {
                result.store.reset(new TUserStore(std::move(db)));
                break;
            }
        } catch (const TSqliteError& e) {
            why = e.what();
        }
        result.error = why;
        // Once: the file is set aside and a new one made.
        if (attempt > 0 || !result.movedAside.empty() || !std::filesystem::exists(path, ec))
            break;
        result.movedAside = AsideName(path);
        if (!MoveAside(path, result.movedAside, result.error)) {
            result.movedAside.clear();
            break;
        }
    }
    return result;
}

TUserStore::TUserStore(std::unique_ptr<TSqliteDb> db) : db_(std::move(db)) {}

TUserStore::~TUserStore() = default;

template <class F>
bool TUserStore::Change(F&& change)
{
    try {
        TSqliteTransaction t(*db_);
        change();
        t.Commit();
        error_.clear();
        return true;
    } catch (const TSqliteError& e) {
        error_ = e.what();
        return false;
    }
}

namespace {
void BindPrice(TSqliteStmt& s, int index, const std::optional<std::int64_t>& fen)
{
    if (fen)
        s.Bind(index, *fen);
    else
        s.BindNull(index);
}
} // namespace

bool TUserStore::Keep(const TFavourite& f)
{
    return Change([&] {
        TSqliteStmt s(*db_, R"(
INSERT INTO favourite (num_iid, title, pic_url, nick, click_url, kept_price, kept_at, last_price,
                       target_price, gone, kept_order)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, (SELECT coalesce(max(kept_order), 0) + 1 FROM favourite))
ON CONFLICT (num_iid) DO UPDATE SET title = ?2, pic_url = ?3, nick = ?4, click_url = ?5, kept_price = ?6,
  kept_at = ?7, last_price = ?8, target_price = ?9, gone = ?10)");
        s.Bind(1, f.num_iid);
        s.Bind(2, f.title);
        s.Bind(3, f.pic_url);
        s.Bind(4, f.nick);
        s.Bind(5, f.click_url);
        s.Bind(6, f.keptPrice);
        s.Bind(7, f.keptAt);
        s.Bind(8, f.lastPrice);
        BindPrice(s, 9, f.targetPrice);
        s.Bind(10, std::int64_t(f.gone ? 1 : 0));
        s.Run();
    });
}

bool TUserStore::Remove(const std::string& num_iid)
{
    return Change([&] {
        TSqliteStmt s(*db_, "DELETE FROM favourite WHERE num_iid = ?1");
        s.Bind(1, num_iid);
        s.Run();
    });
}

bool TUserStore::SetTarget(const std::string& num_iid, std::optional<std::int64_t> fen)
{
    return Change([&] {
        TSqliteStmt s(*db_, "UPDATE favourite SET target_price = ?2 WHERE num_iid = ?1");
        s.Bind(1, num_iid);
        BindPrice(s, 2, fen);
        s.Run();
    });
}

bool TUserStore::SetSeenPrices(const std::vector<std::pair<std::string, std::optional<std::int64_t>>>& seen)
{
    return Change([&] {
        TSqliteStmt priced(*db_, "UPDATE favourite SET last_price = ?2, gone = 0 WHERE num_iid = ?1");
        TSqliteStmt gone(*db_, "UPDATE favourite SET gone = 1 WHERE num_iid = ?1");
        for (const auto& [id, fen] : seen) {
            TSqliteStmt& s = fen ? priced : gone;
            s.Bind(1, id);
            if (fen)
                s.Bind(2, *fen);
            s.Run();
        }
    });
}

std::vector<TFavourite> TUserStore::Favourites()
{
    std::vector<TFavourite> out;
    try {
        TSqliteStmt s(*db_, R"(SELECT num_iid, title, pic_url, nick, click_url, kept_price, kept_at, last_price,
                                      target_price, gone FROM favourite ORDER BY kept_order)");
        while (s.Step()) {
            TFavourite f;
            f.num_iid = s.Text(0);
            f.title = s.Text(1);
            f.pic_url = s.Text(2);
            f.nick = s.Text(3);
            f.click_url = s.Text(4);
            f.keptPrice = s.Int(5);
            f.keptAt = s.Int(6);
            f.lastPrice = s.Int(7);
            if (!s.IsNull(8))
                f.targetPrice = s.Int(8);
            f.gone = s.Int(9) != 0;
            out.push_back(std::move(f));
        }
        error_.clear();
    } catch (const TSqliteError& e) {
        error_ = e.what();
    }
    return out;
}

bool TUserStore::SetState(const std::string& name, const std::string& value)
{
    return Change([&] {
        TSqliteStmt s(*db_, "INSERT INTO state (name, value) VALUES (?1, ?2) "
                            "ON CONFLICT (name) DO UPDATE SET value = ?2");
        s.Bind(1, name);
        s.Bind(2, value);
        s.Run();
    });
}

std::optional<std::string> TUserStore::State(const std::string& name)
{
    try {
        TSqliteStmt s(*db_, "SELECT value FROM state WHERE name = ?1");
        s.Bind(1, name);
        if (s.Step())
            return s.Text(0);
    } catch (const TSqliteError& e) {
        error_ = e.what();
    }
    return std::nullopt;
}

bool TUserStore::ClearState()
{
    return Change([&] { db_->Exec("DELETE FROM state"); });
}
