// Reply parsing of the four service clients, as a server reply reaches it:
// the body goes through the same XML load, key check and record reading as
// a real request. The client is chosen at build time.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

#include <libxml/tree.h>

#include "Taobao_Itemcats.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"
#include "XmlDoc.h"

namespace {

// The first element child of `parent` called `name`, walked here over the
// parser's own tree rather than through the client's helpers.
const xmlNode* OwnChild(const xmlNode* parent, const char* name)
{
    for (const xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE && n->name && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0)
            return n;
    return nullptr;
}

// The element children of `parent`, in order, at most `cap` of them.
std::vector<const xmlNode*> OwnItems(const xmlNode* parent, std::size_t cap)
{
    std::vector<const xmlNode*> out;
    for (const xmlNode* n = parent ? parent->children : nullptr; n && out.size() < cap; n = n->next)
        if (n->type == XML_ELEMENT_NODE)
            out.push_back(n);
    return out;
}

// The key field of a record and its element name: a category's id, else
// an item's.
template <class Info>
const std::string& Key(const Info& r)
{
    if constexpr (std::is_same_v<Info, Tb_Itemcats_Info>)
        return r.cid;
    else
        return r.num_iid;
}
template <class Info>
const char* KeyName()
{
    return std::is_same_v<Info, Tb_Itemcats_Info> ? "cid" : "num_iid";
}

// After every accepted reply, the records hold that reply's items and
// nothing else: a record past the list element's children (however many
// the array holds) is entirely empty, whatever an earlier, longer reply
// left there. One client serves every input, as one window's client does.
template <class Client>
void Drive(std::string_view body, const char* listName)
{
    static Client client;
    client.Names = {};
    client.ApplyDefaults();
    if (!client.LoadReply(body))
        return;
    const auto& results = client.Results;
    const auto items = OwnItems(OwnChild(client.XmlDoc.DocumentElement(), listName), results.size());
    using Info = typename std::decay_t<decltype(results)>::value_type;
    const Info empty{};
    // Records 0 to n-1 come from the items in their order ...
    for (std::size_t i = 0; i < items.size(); ++i)
        if (Key(results[i]) != TXmlDoc::Text(OwnChild(items[i], KeyName<Info>())))
            __builtin_trap();
    // ... and the rest are empty.
    for (std::size_t i = items.size(); i < results.size(); ++i)
        if (!(results[i] == empty))
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
#if defined(FUZZ_ITEMCATS)
    Drive<TTaobao_Itemcats>(body, "item_cats");
#elif defined(FUZZ_TBK_ITEMS)
    Drive<TTaobaoke_Items>(body, "taobaoke_items");
#elif defined(FUZZ_TB_ITEMS)
    Drive<TTaobao_Items>(body, "items");
#elif defined(FUZZ_CONVERT)
    Drive<TTaobaoke_Items_Convert>(body, "taobaoke_items");
#else
#error "choose a client"
#endif
    return 0;
}
