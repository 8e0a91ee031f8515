#include "CatalogImport.h"

#include <limits>
#include <optional>

#include "CsvReader.h"
#include "Utf8.h"
#include "Values.h"

namespace {

constexpr std::int64_t kMaxCid = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMaxYuanInFen = 10'000'000'000LL * 100; // the catalog's price bound
constexpr std::int64_t kMaxCount = 1'000'000'000;
constexpr std::int64_t kMaxCommissionNum = 1'000'000;
constexpr std::int64_t kMaxTime = 4'000'000'000;
constexpr int kMaxDepth = 8; // levels the catalog keeps below and with the top

std::optional<std::int64_t> ParseSigned(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    const auto v = ParseId(negative ? text.substr(1) : text);
    if (!v || *v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return negative ? -*v : *v;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

} // namespace

struct TCatalogImport::TTable {
    std::unordered_map<std::string, std::size_t> columns;
    std::vector<std::string> fields;
    std::size_t line = 0;

    bool Has(const char* column) const { return columns.count(column) > 0; }
    // The value of a column of the current row; "" for an optional column
    // that the file does not have.
    const std::string& operator[](const char* column) const
    {
        static const std::string kNone;
        const auto it = columns.find(column);
        return it == columns.end() ? kNone : fields[it->second];
    }
};

void TCatalogImport::Report(const std::string& name, std::size_t line, const std::string& message)
{
    // Names and values of the files reach the terminal: no control
    // character of theirs goes out raw.
    errors_.push_back(TerminalText(name + ":" + std::to_string(line) + ": " + message));
}

bool TCatalogImport::Open(TTable& table, TCsvReader& reader, const std::string& name,
                          std::initializer_list<const char*> required,
                          std::initializer_list<const char*> optional)
{
    std::vector<std::string> header;
    if (!reader.Next(header)) {
        Report(name, reader.Error().empty() ? 1 : reader.Line(),
               reader.Error().empty() ? "no header row" : reader.Error());
        return false;
    }
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string column = header[i];
        while (!column.empty() && (column.back() == ' ' || column.back() == '\t'))
            column.pop_back();
        while (!column.empty() && (column.front() == ' ' || column.front() == '\t'))
            column.erase(0, 1);
        bool known = false;
        for (const auto* list : {&required, &optional})
            for (const char* c : *list)
                known = known || column == c;
        if (!known)
            continue; // unknown columns are ignored
        if (!table.columns.emplace(column, i).second) {
            Report(name, reader.Line(), "column " + column + " appears twice");
            return false;
        }
    }
    bool complete = true;
    for (const char* c : required) {
        if (!table.Has(c)) {
            Report(name, reader.Line(), std::string("missing column ") + c);
            complete = false;
        }
    }
    table.fields.resize(header.size());
    return complete;
}

bool TCatalogImport::NextRow(TCsvReader& reader, TTable& t, const std::string& name)
{
    const std::size_t width = t.fields.size();
    for (std::vector<std::string> fields; reader.Next(fields);) {
        t.line = reader.Line();
        bool utf8 = true;
        for (const auto& f : fields)
            utf8 = utf8 && IsUtf8(f);
        if (fields.size() != width)
            Report(name, t.line,
                   std::to_string(fields.size()) + " fields where the header has " + std::to_string(width));
        else if (!utf8)
            Report(name, t.line, "invalid UTF-8");
        else {
            t.fields = std::move(fields);
            return true;
        }
    }
    if (!reader.Error().empty())
        Report(name, reader.Line(), reader.Error());
    return false;
}

void TCatalogImport::Categories(const std::string& name, std::string_view text)
{
    TCsvReader reader(text);
    TTable t;
    if (!Open(t, reader, name, {"cid", "parent_cid", "name"}, {"sort_order"}))
        return;
    std::vector<std::size_t> lines;
    while (NextRow(reader, t, name)) {
        const auto cid = ParseId(t["cid"]);
        const auto parent = ParseId(t["parent_cid"]);
        const auto sort = t["sort_order"].empty() ? std::optional<std::int64_t>(0)
                                                  : ParseSigned(t["sort_order"]);
        std::string problem;
        if (!cid || *cid < 1 || *cid > kMaxCid)
            problem = "cid must be a whole number from 1 to " + std::to_string(kMaxCid);
        else if (!parent || *parent > kMaxCid)
            problem = "parent_cid must be 0 or a cid";
        else if (t["name"].empty())
            problem = "name is empty";
        else if (!sort)
            problem = "sort_order must be a whole number";
        else if (const auto it = categoryIndex_.find(*cid); it != categoryIndex_.end())
            problem = "cid " + std::to_string(*cid) + " appears twice (first on line " +
                      std::to_string(lines[it->second]) + ")";
        if (!problem.empty()) {
            Report(name, t.line, problem);
            continue;
        }
        categoryIndex_[*cid] = rows_.categories.size();
        lines.push_back(t.line);
        rows_.categories.push_back({*cid, *parent, t["name"], static_cast<int>(*sort)});
    }
    CheckTree(name, lines);
}

void TCatalogImport::CheckTree(const std::string& name, const std::vector<std::size_t>& lines)
{
    for (std::size_t i = 0; i < rows_.categories.size(); ++i) {
        const auto& c = rows_.categories[i];
        if (c.parent_cid == c.cid) {
            Report(name, lines[i], "category " + std::to_string(c.cid) + " is its own parent");
            continue;
        }
        if (c.parent_cid != 0 && !categoryIndex_.count(c.parent_cid)) {
            Report(name, lines[i], "unknown parent_cid " + std::to_string(c.parent_cid));
            continue;
        }
        // Up to the top within the levels the catalog keeps; a parent that
        // is unknown was reported on its own line.
        std::int64_t at = c.parent_cid;
        int depth = 1;
        while (at != 0 && depth <= kMaxDepth) {
            const auto it = categoryIndex_.find(at);
            if (it == categoryIndex_.end())
                break;
            at = rows_.categories[it->second].parent_cid;
            ++depth;
        }
        if (depth > kMaxDepth)
            Report(name, lines[i], "category " + std::to_string(c.cid) + " is more than " +
                                       std::to_string(kMaxDepth) +
                                       " levels deep, or its parents form a cycle");
    }
}

void TCatalogImport::Sellers(const std::string& name, std::string_view text)
{
    TCsvReader reader(text);
    TTable t;
    if (!Open(t, reader, name, {"nick", "credit_score", "location"}, {"shop_url"}))
        return;
    while (NextRow(reader, t, name)) {
        const std::string& nick = t["nick"];
        const auto credit = ParseId(t["credit_score"]);
        const std::string& location = t["location"];
        std::string problem;
        if (nick.empty())
            problem = "nick is empty";
        else if (sellerIds_.count(nick))
            problem = "seller " + Quoted(nick) + " appears twice";
        else if (!credit || *credit < 1 || *credit > 20)
            problem = "credit_score must be a whole number from 1 to 20";
        else if (location.empty())
            problem = "location is empty";
        else if (!t["shop_url"].empty() && !IsWebAddress(t["shop_url"]))
            problem = "shop_url is not an http:// or https:// address";
        if (!problem.empty()) {
            Report(name, t.line, problem);
            continue;
        }
        TSellerRow s;
        s.id = static_cast<std::int64_t>(rows_.sellers.size()) + 1;
        s.nick = nick;
        s.credit_score = static_cast<int>(*credit);
        // "浙江 杭州": province and city; one word names both.
        const auto blank = location.find(' ');
        s.state = location.substr(0, blank);
        s.city = blank == std::string::npos ? location : location.substr(blank + 1);
        s.shop_url = t["shop_url"];
        sellerIds_[nick] = s.id;
        rows_.sellers.push_back(std::move(s));
    }
}

void TCatalogImport::Items(const std::string& name, std::string_view text)
{
    TCsvReader reader(text);
    TTable t;
    if (!Open(t, reader, name,
              {"num_iid", "title", "nick", "cid", "price", "pic_url", "click_url", "volume",
               "commission", "commission_rate", "commission_num", "commission_volume", "guarantee"},
              {"item_location", "auto_send", "stock", "list_time"}))
        return;
    std::unordered_map<std::int64_t, std::size_t> seen; // num_iid -> line
    while (NextRow(reader, t, name)) {
        TItemRow r;
        std::string problem;
        const auto id = ParseId(t["num_iid"]);
        const auto price = ParseHundredths(t["price"]);
        const auto volume = ParseId(t["volume"]);
        const auto commission = ParseHundredths(t["commission"]);
        const auto rate = ParseHundredths(t["commission_rate"]);
        const auto count = ParseId(t["commission_num"]);
        const auto paid = ParseHundredths(t["commission_volume"]);
        const auto guarantee = ParseBool(t["guarantee"]);
        const auto autoSend = t["auto_send"].empty() ? std::optional<bool>(false) : ParseBool(t["auto_send"]);
        const auto stock = t["stock"].empty() ? std::optional<std::int64_t>(0) : ParseId(t["stock"]);
        const auto listed = t["list_time"].empty() ? std::optional<std::int64_t>(now_) : ParseId(t["list_time"]);
        const auto seller = sellerIds_.find(t["nick"]);
        const auto cid = ParseId(t["cid"]);
        if (!id || *id < 1)
            problem = "num_iid must be a positive whole number";
        else if (const auto dup = seen.find(*id); dup != seen.end())
            problem = "num_iid " + t["num_iid"] + " appears twice (first on line " +
                      std::to_string(dup->second) + ")";
        else if (t["title"].empty())
            problem = "title is empty";
        else if (seller == sellerIds_.end())
            problem = "unknown seller " + Quoted(t["nick"]);
        else if (!cid || !categoryIndex_.count(*cid))
            problem = "unknown category " + Quoted(t["cid"]);
        else if (!price || *price > kMaxYuanInFen)
            problem = "price must be yuan with up to two decimals";
        else if (!t["pic_url"].empty() && !IsWebAddress(t["pic_url"]))
            problem = "pic_url is not an http:// or https:// address";
        else if (!t["click_url"].empty() && !IsWebAddress(t["click_url"]))
            problem = "click_url is not an http:// or https:// address";
        else if (!volume || *volume > kMaxCount)
            problem = "volume must be a whole number up to " + std::to_string(kMaxCount);
        else if (!commission || *commission > kMaxYuanInFen)
            problem = "commission must be yuan with up to two decimals";
        else if (!rate || *rate % 100 != 0 || *rate > 1'000'000)
            problem = "commission_rate must be hundredths of a percent from 0 to 10000 (550 = 5.50 %)";
        else if (!count || *count > kMaxCommissionNum)
            problem = "commission_num must be a whole number up to " + std::to_string(kMaxCommissionNum);
        else if (!paid)
            problem = "commission_volume must be yuan with up to two decimals";
        else if (!guarantee)
            problem = "guarantee must be true or false";
        else if (!autoSend)
            problem = "auto_send must be true or false";
        else if (!stock || *stock > kMaxCount)
            problem = "stock must be a whole number up to " + std::to_string(kMaxCount);
        else if (!listed || *listed > kMaxTime)
            problem = "list_time must be Unix seconds";
        if (!problem.empty()) {
            Report(name, t.line, problem);
            continue;
        }
        seen[*id] = t.line;
        r.num_iid = *id;
        r.cid = *cid;
        r.seller_id = seller->second;
        r.title = t["title"];
        r.price = *price;
        r.volume = *volume;
        r.commission_rate = *rate / 100;
        r.commission_num = *count;
        r.stock = *stock;
        r.guarantee = *guarantee;
        r.auto_send = *autoSend;
        r.list_time = *listed;
        r.pic_url = t["pic_url"];
        r.click_url = t["click_url"];
        r.item_location = t["item_location"];
        r.commission = *commission;
        r.commission_volume = *paid;
        rows_.items.push_back(std::move(r));
    }
}
