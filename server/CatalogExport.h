#pragma once
// A catalog as the three CSV files that the import reads, with every value
// as the server answers it: importing them gives the same replies. Items of
// the demo catalog leave pic_url and click_url empty (addresses on the
// importing server); the optional columns item_location, auto_send, stock
// and list_time are written too.

#include <string>

#include "Catalog.h"

class TCatalogExport {
public:
    explicit TCatalogExport(const TCatalog& catalog) : catalog_(catalog) {}

    std::string Categories() const;
    std::string Sellers() const;
    std::string Items() const;

private:
    const TCatalog& catalog_;
};
