#include "LinkTarget.h"

#include "ShopItem.h"

TLinkDecision ClassifyLink(std::string_view address)
{
    TLinkDecision d;
    if (address.size() < 2)
        return d;
    const std::string_view tail = address.substr(address.size() - 2);
    if (tail == "nk") {
        d.proceed = true;
        return d;
    }
    if (tail[0] < '0' || tail[0] > '9' || tail[1] < '0' || tail[1] > '9')
        return d;
    const int n = (tail[0] - '0') * 10 + (tail[1] - '0');
    if (n < kShopPageItems)
        d.index = n;
    return d;
}
