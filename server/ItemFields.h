#pragma once
// The reply fields of an item: which names a script knows, and the text of
// each field for one item. Addresses (pictures, click and shop links, item
// pages) point at this server's base address, unless an imported item or
// seller brings its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Catalog.h"
#include "XmlWriter.h"

enum class TItemField {
    nick, title, price, pic_url, num_iid, click_url, commission, commission_num,
    commission_rate, commission_volume, shop_click_url, seller_credit_score, item_location,
    volume, cid, num, desc, type, is_ex, is_3D, props, ems_fee, location, modified, post_fee,
    list_time, is_taobao, is_timing, input_str, detail_url, input_pids, is_virtual, postage_id,
    valid_thru, one_station, delist_time, seller_cids, express_fee, has_invoice, has_showcase,
    stuff_status, has_discount, has_warranty, auction_point, freight_payer, property_alias,
    approve_status,
};

class TItemFields {
public:
    // Affiliate items (search and link conversion) or marketplace items.
    enum class TKind { Affiliate, Marketplace };

    TItemFields(const TCatalog& catalog, std::string baseUrl);

    // The known names of a comma-separated field list, in the order asked,
    // each once; unknown names are left out (they yield no element).
    static std::vector<TItemField> Select(std::string_view list, TKind kind);

    // Writes the field as an element; `title` replaces the item's own title
    // when given (for highlighted titles).
    void Write(TXmlWriter& w, TItemField field, const TCatalog::TItem& item,
               const std::string* title = nullptr) const;

    std::string PicUrl(const TCatalog::TItem& item) const;
    std::string ClickUrl(const TCatalog::TItem& item) const;
    std::string ShopClickUrl(const TCatalog::TSeller& seller) const;
    std::string DetailUrl(const TCatalog::TItem& item) const;
    const std::string& BaseUrl() const { return base_; }

private:
    std::string Value(TItemField field, const TCatalog::TItem& item) const;
    const TCatalog& catalog_;
    std::string base_;
};

// "2010-08-20 12:34:56" in Beijing time for a Unix time.
std::string FormatTime(std::int64_t seconds);
