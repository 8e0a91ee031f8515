#include "CatalogStore.h"

#include <filesystem>

#include "CatalogSeeder.h"
#include "Sqlite.h"

namespace {

// Files of format 1 lack the imported items' own addresses and amounts;
// they are still read.
constexpr const char* kFormat = "pallido-catalog/2";
constexpr const char* kFormat1 = "pallido-catalog/1";

constexpr const char* kSchema = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE categories(
  cid INTEGER PRIMARY KEY,
  parent_cid INTEGER NOT NULL,
  name TEXT NOT NULL,
  sort_order INTEGER NOT NULL);
CREATE INDEX categories_parent ON categories(parent_cid);
CREATE TABLE sellers(
  id INTEGER PRIMARY KEY,
  nick TEXT NOT NULL UNIQUE,
  credit_score INTEGER NOT NULL CHECK(credit_score BETWEEN 1 AND 20),
  state TEXT NOT NULL,
  city TEXT NOT NULL,
  shop_url TEXT NOT NULL DEFAULT '');
CREATE TABLE items(
  num_iid INTEGER PRIMARY KEY,
  cid INTEGER NOT NULL REFERENCES categories(cid),
  seller_id INTEGER NOT NULL REFERENCES sellers(id),
  title TEXT NOT NULL,
  price INTEGER NOT NULL CHECK(price >= 0),
  volume INTEGER NOT NULL,
  commission_rate INTEGER NOT NULL,
  commission_num INTEGER NOT NULL,
  stock INTEGER NOT NULL,
  guarantee INTEGER NOT NULL,
  auto_send INTEGER NOT NULL,
  list_time INTEGER NOT NULL,
  pic_url TEXT NOT NULL DEFAULT '',
  click_url TEXT NOT NULL DEFAULT '',
  item_location TEXT NOT NULL DEFAULT '',
  commission INTEGER,
  commission_volume INTEGER);
CREATE INDEX items_cid ON items(cid);
CREATE INDEX items_seller ON items(seller_id);
)";

void Write(TSqliteDb& db, const TCatalogRows& rows)
{
    db.Exec(kSchema);
    TSqliteStmt meta(db, "INSERT INTO meta(key, value) VALUES(?, ?)");
    meta.Bind(1, std::string_view("format"));
    meta.Bind(2, std::string_view(kFormat));
    meta.Run();

    TSqliteStmt cat(db, "INSERT INTO categories VALUES(?, ?, ?, ?)");
    for (const auto& c : rows.categories) {
        cat.Bind(1, c.cid);
        cat.Bind(2, c.parent_cid);
        cat.Bind(3, c.name);
        cat.Bind(4, static_cast<std::int64_t>(c.sort_order));
        cat.Run();
    }
    TSqliteStmt sel(db, "INSERT INTO sellers VALUES(?, ?, ?, ?, ?, ?)");
    for (const auto& s : rows.sellers) {
        sel.Bind(1, s.id);
        sel.Bind(2, s.nick);
        sel.Bind(3, static_cast<std::int64_t>(s.credit_score));
        sel.Bind(4, s.state);
        sel.Bind(5, s.city);
        sel.Bind(6, s.shop_url);
        sel.Run();
    }
    TSqliteStmt item(db,
                     "INSERT INTO items VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& i : rows.items) {
        item.Bind(1, i.num_iid);
        item.Bind(2, i.cid);
        item.Bind(3, i.seller_id);
        item.Bind(4, i.title);
        item.Bind(5, i.price);
        item.Bind(6, i.volume);
        item.Bind(7, i.commission_rate);
        item.Bind(8, i.commission_num);
        item.Bind(9, i.stock);
        item.Bind(10, static_cast<std::int64_t>(i.guarantee));
        item.Bind(11, static_cast<std::int64_t>(i.auto_send));
        item.Bind(12, i.list_time);
        item.Bind(13, i.pic_url);
        item.Bind(14, i.click_url);
        item.Bind(15, i.item_location);
        if (i.commission >= 0)
            item.Bind(16, i.commission);
        if (i.commission_volume >= 0)
            item.Bind(17, i.commission_volume);
        item.Run();
    }
}

bool IsEmpty(TSqliteDb& db)
{
    TSqliteStmt st(db, "SELECT count(*) FROM sqlite_master");
    return st.Step() && st.Int(0) == 0;
}

// The format of a catalog file; "" for any other database.
std::string FormatOf(TSqliteDb& db)
{
    TSqliteStmt has(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'meta'");
    if (!has.Step() || has.Int(0) == 0)
        return {};
    TSqliteStmt st(db, "SELECT value FROM meta WHERE key = 'format'");
    if (!st.Step())
        return {};
    const std::string format = st.Text(0);
    return format == kFormat || format == kFormat1 ? format : std::string();
}

TCatalogRows Read(TSqliteDb& db, bool format1)
{
    TCatalogRows rows;
    TSqliteStmt cat(db, "SELECT cid, parent_cid, name, sort_order FROM categories ORDER BY cid");
    while (cat.Step())
        rows.categories.push_back(
            {cat.Int(0), cat.Int(1), cat.Text(2), static_cast<int>(cat.Int(3))});
    TSqliteStmt sel(db, format1 ? "SELECT id, nick, credit_score, state, city, '' FROM sellers ORDER BY id"
                                : "SELECT id, nick, credit_score, state, city, shop_url FROM sellers "
                                  "ORDER BY id");
    while (sel.Step())
        rows.sellers.push_back({sel.Int(0), sel.Text(1), static_cast<int>(sel.Int(2)), sel.Text(3),
                                sel.Text(4), sel.Text(5)});
    TSqliteStmt item(db, format1 ? "SELECT num_iid, cid, seller_id, title, price, volume, commission_rate, "
                                   "commission_num, stock, guarantee, auto_send, list_time, '', '', '', "
                                   "-1, -1 FROM items ORDER BY num_iid"
                                 : "SELECT num_iid, cid, seller_id, title, price, volume, commission_rate, "
                                   "commission_num, stock, guarantee, auto_send, list_time, pic_url, "
                                   "click_url, item_location, ifnull(commission, -1), "
                                   "ifnull(commission_volume, -1) FROM items ORDER BY num_iid");
    while (item.Step()) {
        TItemRow r;
        r.num_iid = item.Int(0);
        r.cid = item.Int(1);
        r.seller_id = item.Int(2);
        r.title = item.Text(3);
        r.price = item.Int(4);
        r.volume = item.Int(5);
        r.commission_rate = item.Int(6);
        r.commission_num = item.Int(7);
        r.stock = item.Int(8);
        r.guarantee = item.Int(9) != 0;
        r.auto_send = item.Int(10) != 0;
        r.list_time = item.Int(11);
        r.pic_url = item.Text(12);
        r.click_url = item.Text(13);
        r.item_location = item.Text(14);
        r.commission = item.Int(15);
        r.commission_volume = item.Int(16);
        rows.items.push_back(std::move(r));
    }
    return rows;
}

} // namespace

TCatalogRows TCatalogStore::Load(const std::string& path, TMissing missing, bool* seeded)
{
    if (seeded)
        *seeded = false;
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (!exists && missing != TMissing::CreateDemo)
        throw std::runtime_error("catalog " + path + " does not exist");
    try {
        TSqliteDb db(path, !exists);
        // The write lock first, so that two servers starting on one new file
        // do not both seed it.
        TSqliteTransaction transaction(db);
        std::string format;
        if (IsEmpty(db)) {
            if (missing != TMissing::CreateDemo)
                throw std::runtime_error("catalog " + path + " holds no catalog");
            Write(db, TCatalogSeeder().Generate());
            format = kFormat;
            if (seeded)
                *seeded = true;
        } else {
            format = FormatOf(db);
            if (format.empty())
                throw std::runtime_error(path + " is an SQLite file but not a catalog of this server");
        }
        transaction.Commit();
        return Read(db, format == kFormat1);
    } catch (const TSqliteError& e) {
        throw std::runtime_error(std::string("catalog ") + path + ": " + e.what());
    }
}

bool TCatalogStore::IsReplaceable(const std::string& path, std::string& error)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    try {
        TSqliteDb db(path, false);
        if (IsEmpty(db) || !FormatOf(db).empty())
            return true;
        error = path + " exists and is not a catalog of this server; it is left as it is";
    } catch (const TSqliteError& e) {
        error = path + " exists and is not a catalog of this server (" + e.what() + ")";
    }
    return false;
}

void TCatalogStore::Save(const std::string& path, const TCatalogRows& rows)
{
    try {
        TSqliteDb db(path, true);
        db.Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
        TSqliteTransaction transaction(db);
        if (!IsEmpty(db))
            throw std::runtime_error(path + " is not empty");
        Write(db, rows);
        transaction.Commit();
    } catch (const TSqliteError& e) {
        throw std::runtime_error(std::string("catalog ") + path + ": " + e.what());
    }
}
