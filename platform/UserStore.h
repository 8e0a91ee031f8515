#pragma once
// What the shopper keeps between runs, in one SQLite file under the user's
// data folder: the favourites, and the state of the last run (its result
// tabs, keywords and notebook page) as texts by name.
//
// The file is in WAL mode and every change is one transaction, so a process
// killed at any moment loses at most the change it was making. A file that
// is damaged, or that is not ours (another program's SQLite file, a newer
// layout), is never used or overwritten: it is renamed aside and a new one
// is made in its place.
//
// Threads: one object per thread; the file may be open in several at once.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Favourite.h"

class TSqliteDb;

class TUserStore {
public:
    struct TOpening {
        std::unique_ptr<TUserStore> store; // null when no file could be made at all
        std::string movedAside;           // where an unusable file went, if one did
        std::string error;                // why it was unusable, or why none could be made
    };

    // Opens `path`, making it (and its folder) when missing.
    static TOpening Open(const std::string& path);
    ~TUserStore();
    TUserStore(const TUserStore&) = delete;
    TUserStore& operator=(const TUserStore&) = delete;

    // Each returns false, with the reason in Error(), when the change could
    // not be made; nothing of it is then in the file.
    bool Keep(const TFavourite& favourite); // adds or replaces by num_iid
    bool Remove(const std::string& num_iid);
    bool SetTarget(const std::string& num_iid, std::optional<std::int64_t> fen);
    // The prices seen in one pricing round, in one transaction: a price, or
    // nothing for an item the server no longer knows.
    bool SetSeenPrices(const std::vector<std::pair<std::string, std::optional<std::int64_t>>>& seen);
    // In the order they were kept.
    std::vector<TFavourite> Favourites();

    bool SetState(const std::string& name, const std::string& value);
    std::optional<std::string> State(const std::string& name);
    // Forgets every state (tabs, keywords); the favourites stay.
    bool ClearState();

    const std::string& Error() const { return error_; }

private:
    explicit TUserStore(std::unique_ptr<TSqliteDb> db);
    template <class F>
    bool Change(F&& change);

    std::unique_ptr<TSqliteDb> db_;
    std::string error_;
};
