// Reply parsing of the four service clients, as a server reply reaches it:
// the body goes through the same XML load, key check and record reading as
// a real request. The client is chosen at build time.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Taobao_Itemcats.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"

namespace {

template <class Client>
void Drive(std::string_view body)
{
    static Client client;
    client.Names = {};
    client.ApplyDefaults();
    if (client.LoadReply(body)) {
        // Every record is either filled or entirely empty past the last item.
        for (const auto& r : client.Results)
            (void)r;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
#if defined(FUZZ_ITEMCATS)
    Drive<TTaobao_Itemcats>(body);
#elif defined(FUZZ_TBK_ITEMS)
    Drive<TTaobaoke_Items>(body);
#elif defined(FUZZ_TB_ITEMS)
    Drive<TTaobao_Items>(body);
#elif defined(FUZZ_CONVERT)
    Drive<TTaobaoke_Items_Convert>(body);
#else
#error "choose a client"
#endif
    return 0;
}
