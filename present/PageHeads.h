#pragma once
// The fixed heads of the four item pages (style sheet and page script up to
// the opening body tag), as 8-bit text.

#include <string_view>

std::string_view ResultListHead();
std::string_view ResultGridHead();
std::string_view ShopListHead();
std::string_view ShopGridHead();
