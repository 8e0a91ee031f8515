#include "ConvertScript.h"

#include <algorithm>
#include <vector>

#include "ApiError.h"
#include "Signature.h"
#include "Values.h"
#include "XmlWriter.h"

namespace {
std::string Error(const TApiError& e) { return ErrorReply(e.code, e.msg); }
} // namespace

std::string TConvertScript::Reply(const TQueryString& q) const
{
    const std::string& ids = q.Get("num_iids");
    if (auto e = CheckSigned(q, ids))
        return Error(*e);
    if (q.Get("fields").empty())
        return Error(TApiError::Missing("fields"));

    std::vector<const TCatalog::TItem*> items;
    std::size_t taken = 0;
    const auto parts = SplitList(ids);
    if (parts.empty())
        return Error(TApiError::Missing("num_iids"));
    for (const auto part : parts) {
        const auto id = ParseId(part);
        if (!id)
            return Error(TApiError::Invalid("num_iids"));
        if (taken == kMaxIds)
            continue;
        ++taken;
        const auto* item = catalog_.FindItem(*id);
        if (item && std::find(items.begin(), items.end(), item) == items.end())
            items.push_back(item);
    }

    const auto fields = TItemFields::Select(q.Get("fields"), TItemFields::TKind::Affiliate);
    TXmlWriter w("taobaoke_items_convert_response", 512 + items.size() * 900);
    w.Open("taobaoke_items");
    for (const auto* item : items) {
        w.Open("taobaoke_item");
        for (auto f : fields)
            fields_.Write(w, f, *item);
        w.Close();
    }
    w.Close();
    w.Element("total_results", static_cast<long long>(items.size()));
    return w.Finish();
}
