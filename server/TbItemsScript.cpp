#include "TbItemsScript.h"

#include <utility>

#include "ApiError.h"
#include "ScriptConditions.h"
#include "Signature.h"
#include "Utf8.h"
#include "Values.h"
#include "XmlWriter.h"

namespace {

std::string Error(const TApiError& e) { return ErrorReply(e.code, e.msg); }

// "volume" alone means best-selling first, as the seller page asks for it.
std::optional<TApiError> ReadOrder(const TQueryString& q, TItemQuery& out)
{
    struct TEntry {
        const char* text;
        TOrder order;
    };
    static const TEntry kEntries[] = {
        {"volume", TOrder::VolumeDesc},          {"volume:desc", TOrder::VolumeDesc},
        {"volume:asc", TOrder::VolumeAsc},       {"price", TOrder::PriceAsc},
        {"price:asc", TOrder::PriceAsc},         {"price:desc", TOrder::PriceDesc},
        {"delist_time", TOrder::DelistAsc},      {"delist_time:asc", TOrder::DelistAsc},
        {"delist_time:desc", TOrder::DelistDesc}, {"seller_credit", TOrder::CreditDesc},
        {"seller_credit:desc", TOrder::CreditDesc}, {"seller_credit:asc", TOrder::CreditAsc},
    };
    const std::string& text = q.Get("order_by");
    if (text.empty())
        return std::nullopt;
    for (const auto& e : kEntries) {
        if (text == e.text) {
            out.order = e.order;
            return std::nullopt;
        }
    }
    return TApiError::Invalid("order_by");
}

std::optional<TApiError> ReadNicks(const TCatalog& c, const TQueryString& q, TItemQuery& out)
{
    const std::string& text = q.Get("nicks");
    if (text.empty())
        return std::nullopt;
    if (!IsUtf8(text))
        return TApiError::Invalid("nicks");
    const auto nicks = SplitList(text);
    if (nicks.size() > TTbItemsScript::kMaxNicks)
        return TApiError::Invalid("nicks");
    std::vector<char> marks(c.Sellers().size(), 0);
    for (const auto nick : nicks)
        if (const auto* s = c.FindSeller(nick))
            marks[static_cast<std::size_t>(s - c.Sellers().data())] = 1;
    out.sellers = std::move(marks);
    return std::nullopt;
}

} // namespace

std::string TTbItemsScript::Reply(const TQueryString& q) const
{
    std::string input;
    for (const char* key : {"q", "nicks", "cid", "start_price", "end_price", "page_no", "order_by"})
        input += q.Get(key);
    if (auto e = CheckSigned(q, input))
        return Error(*e);
    if (q.Get("fields").empty())
        return Error(TApiError::Missing("fields"));
    if (q.Get("q").empty() && q.Get("nicks").empty() && q.Get("cid").empty())
        return Error(TApiError::Missing("q, nicks or cid"));

    TItemQuery query;
    query.pageSize = kPageSize;
    std::optional<TApiError> e;
    if ((e = conditions::Keyword(q, "q", query)) || (e = ReadNicks(catalog_, q, query)) ||
        (e = conditions::Category(catalog_, q, query)) ||
        (e = conditions::PriceRange(q, query)) || (e = conditions::Page(q, query)) ||
        (e = ReadOrder(q, query)))
        return Error(*e);

    const auto fields = TItemFields::Select(q.Get("fields"), TItemFields::TKind::Marketplace);
    const TItemPage page = search_.Run(query);
    TXmlWriter w("items_get_response", 512 + page.items.size() * 1500);
    w.Open("items");
    for (auto index : page.items) {
        w.Open("item");
        for (auto f : fields)
            fields_.Write(w, f, catalog_.Items()[index]);
        w.Close();
    }
    w.Close();
    w.Element("total_results", static_cast<long long>(page.total));
    return w.Finish();
}
