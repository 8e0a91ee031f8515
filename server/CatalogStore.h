#pragma once
// The catalog file (SQLite). Opened at start: a new or empty file is given
// the schema and the generated demo catalog in one transaction; a file that
// holds anything else is refused and left untouched.

#include <stdexcept>
#include <string>

#include "CatalogRows.h"

class TCatalogStore {
public:
    // Reads every row; creates and seeds the file first when needed.
    // Throws std::runtime_error with a readable message on failure.
    static TCatalogRows Load(const std::string& path, bool* seeded = nullptr);
};
