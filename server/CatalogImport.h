#pragma once
// Builds catalog rows from the publisher's three CSV files: categories
// (cid, parent_cid, name, optional sort_order), sellers (nick, credit_score,
// location, optional shop_url) and items (num_iid, title, nick, cid, price,
// pic_url, click_url, volume, commission, commission_rate, commission_num,
// commission_volume, guarantee, optional item_location, auto_send, stock,
// list_time). Columns come in any order, unknown ones are ignored. Every bad
// row is reported as "FILE:LINE: message"; the rows are good only when
// nothing was reported.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CatalogRows.h"

class TCsvReader;

class TCatalogImport {
public:
    // The time given to items without a list_time.
    explicit TCatalogImport(std::int64_t now) : now_(now) {}

    // In this order: items refer to sellers and categories. `name` is the
    // file name used in messages.
    void Categories(const std::string& name, std::string_view text);
    void Sellers(const std::string& name, std::string_view text);
    void Items(const std::string& name, std::string_view text);

    const std::vector<std::string>& Errors() const { return errors_; }
    TCatalogRows& Rows() { return rows_; }

private:
    // One CSV file with its header read: the value of a named column.
    struct TTable;

    bool Open(TTable& table, TCsvReader& reader, const std::string& name,
              std::initializer_list<const char*> required, std::initializer_list<const char*> optional);
    // The next row of the header's width in valid UTF-8 into `table`;
    // other rows are reported and passed over. False at the end.
    bool NextRow(TCsvReader& reader, TTable& table, const std::string& name);
    void Report(const std::string& name, std::size_t line, const std::string& message);
    void CheckTree(const std::string& name, const std::vector<std::size_t>& lines);

    std::int64_t now_;
    TCatalogRows rows_;
    std::vector<std::string> errors_;
    std::unordered_map<std::int64_t, std::size_t> categoryIndex_;
    std::unordered_map<std::string, std::int64_t> sellerIds_;
};
