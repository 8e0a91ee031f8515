#pragma once
// The HTML pages of the server, UTF-8: the channel and activity pages shown
// in the client's notebook, the hidden counter page, and the simple item,
// shop and category pages that click links lead to. Every link into the
// catalog opens a new window (target="_blank"), which the client hands to
// the system browser.

#include <cstdint>
#include <string>

#include "Catalog.h"
#include "ItemFields.h"

class TPageWriter {
public:
    static constexpr std::size_t kPageSize = 40;

    TPageWriter(const TCatalog& catalog, const TItemFields& fields, std::string activityCaption);

    std::string Index() const;
    std::string Counter(std::uint64_t visits) const;
    std::string Channels() const;
    std::string Activities() const;
    std::string Item(const TCatalog::TItem& item) const;
    std::string Shop(const TCatalog::TSeller& seller, std::int64_t page) const;
    std::string Category(const TCatalog::TCategory& category, std::int64_t page) const;
    std::string NotFound() const;

private:
    std::string Card(std::uint32_t item) const;
    std::string Pager(const std::string& base, std::int64_t page, std::size_t total) const;

    const TCatalog& catalog_;
    const TItemFields& fields_;
    std::string caption_;
};
