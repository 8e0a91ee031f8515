#pragma once
// The catalog file (SQLite). Opened at start: a missing file (or an empty
// one) is given the schema and the generated demo catalog in one
// transaction when the caller allows it; a file that holds anything else is
// refused and left untouched.

#include <stdexcept>
#include <string>

#include "CatalogRows.h"

class TCatalogStore {
public:
    enum class TMissing { CreateDemo, Fail };

    // Reads every row; creates and seeds the file first when it is missing
    // or empty and `missing` allows it. Throws std::runtime_error with a
    // readable message on failure.
    static TCatalogRows Load(const std::string& path, TMissing missing = TMissing::CreateDemo,
                             bool* seeded = nullptr);

    // Writes `rows` into a new, empty file (the import writes a temporary
    // file and renames it into place). Throws std::runtime_error.
    static void Save(const std::string& path, const TCatalogRows& rows);

    // True when `path` is missing, empty or a catalog: a file an import may
    // replace. Anything else is kept, with the reason in `error`.
    static bool IsReplaceable(const std::string& path, std::string& error);
};
