#include "ItemcatsScript.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "ApiError.h"
#include "Signature.h"
#include "Values.h"
#include "XmlWriter.h"

namespace {

constexpr std::array<std::string_view, 6> kFields = {"cid",        "name",       "status",
                                                     "is_parent", "sort_order", "parent_cid"};

std::string Error(const TApiError& e) { return ErrorReply(e.code, e.msg); }

} // namespace

std::string TItemcatsScript::Reply(const TQueryString& q) const
{
    const std::string& cids = q.Get("cids");
    const std::string& parent = q.Get("parent_cid");
    if (auto e = CheckSigned(q, cids + parent))
        return Error(*e);
    if (q.Get("fields").empty())
        return Error(TApiError::Missing("fields"));
    if (cids.empty() && parent.empty())
        return Error(TApiError::Missing("cids or parent_cid"));

    std::vector<std::string_view> fields;
    for (const auto f : SplitList(q.Get("fields")))
        if (std::find(kFields.begin(), kFields.end(), f) != kFields.end() &&
            std::find(fields.begin(), fields.end(), f) == fields.end())
            fields.push_back(f);

    std::optional<std::int64_t> parentCid;
    if (!parent.empty()) {
        parentCid = ParseId(parent);
        if (!parentCid)
            return Error(TApiError::Invalid("parent_cid"));
    }
    std::vector<const TCatalog::TCategory*> list;
    if (!cids.empty()) {
        for (const auto part : SplitList(cids)) {
            const auto cid = ParseId(part);
            if (!cid)
                return Error(TApiError::Invalid("cids"));
            const auto* c = catalog_.FindCategory(*cid);
            if (c && list.size() < kMaxCids && std::find(list.begin(), list.end(), c) == list.end() &&
                (!parentCid || c->row.parent_cid == *parentCid))
                list.push_back(c);
        }
    } else if (*parentCid == 0) {
        for (auto i : catalog_.Roots())
            list.push_back(&catalog_.Categories()[i]);
    } else if (const auto* p = catalog_.FindCategory(*parentCid)) {
        for (auto i : p->children)
            list.push_back(&catalog_.Categories()[i]);
    }

    TXmlWriter w("itemcats_get_response", 256 + list.size() * 200);
    w.Open("item_cats");
    for (const auto* c : list) {
        w.Open("item_cat");
        for (const auto f : fields) {
            if (f == "cid")
                w.Element(f, c->row.cid);
            else if (f == "name")
                w.Element(f, c->row.name);
            else if (f == "status")
                w.Element(f, "normal");
            else if (f == "is_parent")
                w.Element(f, c->IsParent() ? "true" : "false");
            else if (f == "sort_order")
                w.Element(f, c->row.sort_order);
            else
                w.Element(f, c->row.parent_cid);
        }
        w.Close();
    }
    return w.Finish();
}
