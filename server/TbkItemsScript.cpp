#include "TbkItemsScript.h"

#include <algorithm>

#include <utility>

#include "ApiError.h"
#include "ScriptConditions.h"
#include "Signature.h"
#include "Utf8.h"
#include "Values.h"
#include "XmlWriter.h"
#include "data.h"

namespace {

std::string Error(const TApiError& e) { return ErrorReply(e.code, e.msg); }

// The signature input: fifteen values in the client's order, `keyword`
// given separately.
std::string SignInput(const TQueryString& q, const std::string& keyword)
{
    std::string s;
    for (const char* key : {"cid", "area", "sort"})
        s += q.Get(key);
    s += keyword;
    for (const char* key : {"page_no", "auto_send", "end_price", "guarantee", "end_credit",
                            "start_price", "start_credit", "end_commissionNum",
                            "end_commissionRate", "start_commissionNum", "start_commissionRate"})
        s += q.Get(key);
    return s;
}

std::optional<TApiError> ReadSort(const TQueryString& q, TItemQuery& out)
{
    static const TOrder kOrders[] = {TOrder::CommissionVolumeDesc, TOrder::PriceAsc,
                                     TOrder::PriceDesc,            TOrder::CreditDesc,
                                     TOrder::CommissionNumDesc,    TOrder::CommissionRateDesc};
    const std::string& text = q.Get("sort");
    if (text.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < SortKeys.size(); ++i) {
        if (SortKeys[i] == text) {
            out.order = kOrders[i];
            return std::nullopt;
        }
    }
    return TApiError::Invalid("sort");
}

std::optional<TApiError> ReadCredit(const TQueryString& q, TItemQuery& out)
{
    if (auto error = conditions::Bounds(q, "start_credit", "end_credit", ParseCreditLevel, out.creditLo,
                                        out.creditHi))
        return error;
    if (out.creditLo > out.creditHi)
        std::swap(out.creditLo, out.creditHi);
    return std::nullopt;
}

std::optional<TApiError> ReadCommission(const TQueryString& q, TItemQuery& out)
{
    if (auto error = conditions::Bounds(q, "start_commissionNum", "end_commissionNum", ParseId,
                                        out.commissionNumLo, out.commissionNumHi))
        return error;
    // Rates come in hundredths of a percent, possibly with decimals; the
    // catalog holds whole hundredths, so the bounds are rounded inwards.
    for (const char* key : {"start_commissionRate", "end_commissionRate"}) {
        const std::string& text = q.Get(key);
        if (text.empty())
            continue;
        const auto v = ParseHundredths(text);
        if (!v)
            return TApiError::Invalid(key);
        if (key[0] == 's')
            out.commissionRateLo = (*v + 99) / 100;
        else
            out.commissionRateHi = *v / 100;
    }
    return std::nullopt;
}

std::optional<TApiError> ReadFlags(const TQueryString& q, TItemQuery& out)
{
    for (const char* key : {"guarantee", "auto_send"}) {
        const std::string& text = q.Get(key);
        if (text.empty())
            continue;
        const auto v = ParseBool(text);
        if (!v)
            return TApiError::Invalid(key);
        (key[0] == 'g' ? out.guarantee : out.autoSend) = *v;
    }
    return std::nullopt;
}

std::optional<TApiError> ReadArea(const TCatalog& c, const TQueryString& q, std::size_t maxPlaces,
                                  TItemQuery& out)
{
    const std::string& text = q.Get("area");
    if (text.empty())
        return std::nullopt;
    if (!IsUtf8(text))
        return TApiError::Invalid("area");
    const auto places = SplitList(text);
    if (places.size() > maxPlaces)
        return TApiError::Invalid("area");
    if (places.empty())
        return std::nullopt;
    std::vector<char> marks(c.Sellers().size(), 0);
    for (const auto place : places) {
        if (const auto* sellers = c.SellersAt(place))
            for (auto s : *sellers)
                marks[s] = 1;
        if (const auto* items = c.ItemsAt(place))
            out.placed.insert(out.placed.end(), items->begin(), items->end());
    }
    std::sort(out.placed.begin(), out.placed.end());
    out.placed.erase(std::unique(out.placed.begin(), out.placed.end()), out.placed.end());
    out.sellers = std::move(marks);
    out.byPlace = true;
    return std::nullopt;
}

} // namespace

std::string TTbkItemsScript::Reply(const TQueryString& q) const
{
    // The client signs a keyword of exactly "keyword" without sending it.
    std::string keyword = q.Get("keyword");
    if (auto e = CheckSigned(q, SignInput(q, keyword))) {
        if (q.Has("keyword") || e->code != TApiError::InvalidSignature().code ||
            CheckSigned(q, SignInput(q, "keyword")))
            return Error(*e);
        keyword = "keyword";
    }
    if (q.Get("fields").empty())
        return Error(TApiError::Missing("fields"));

    TItemQuery query;
    query.pageSize = kPageSize;
    auto parsedKeyword = TKeyword::Parse(keyword);
    if (!parsedKeyword)
        return Error(TApiError::Invalid("keyword"));
    query.keyword = std::move(*parsedKeyword);
    if (q.Get("cid").empty() && query.keyword.Empty())
        return Error(TApiError::Missing("cid or keyword"));
    std::optional<TApiError> e;
    if ((e = conditions::Category(catalog_, q, query)) || (e = conditions::PriceRange(q, query)) ||
        (e = conditions::Page(q, query)) || (e = ReadSort(q, query)) ||
        (e = ReadCredit(q, query)) || (e = ReadCommission(q, query)) ||
        (e = ReadFlags(q, query)) || (e = ReadArea(catalog_, q, kMaxPlaces, query)))
        return Error(*e);

    const auto fields = TItemFields::Select(q.Get("fields"), TItemFields::TKind::Affiliate);
    const TItemPage page = search_.Run(query);
    TXmlWriter w("taobaoke_items_get_response", 512 + page.items.size() * 900);
    w.Open("taobaoke_items");
    for (auto index : page.items) {
        const auto& item = catalog_.Items()[index];
        const std::string title = query.keyword.Highlight(item.row.title);
        w.Open("taobaoke_item");
        for (auto f : fields)
            fields_.Write(w, f, item, &title);
        w.Close();
    }
    w.Close();
    w.Element("total_results", static_cast<long long>(page.total));
    return w.Finish();
}
