// Reply parsing of the four service clients, as a server reply reaches it:
// the body goes through the same XML load, key check and record reading as
// a real request. The client is chosen at build time.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "Taobao_Itemcats.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"
#include "XmlDoc.h"

namespace {

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
    const TXmlNode* list = TXmlDoc::FindChild(client.XmlDoc.DocumentElement(), listName);
    const std::size_t items = list ? TXmlDoc::ChildElements(list, results.size()).size() : 0;
    using Info = typename std::decay_t<decltype(results)>::value_type;
    const Info empty{};
    for (std::size_t i = items; i < results.size(); ++i)
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
