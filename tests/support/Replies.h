#pragma once
// XML reply bodies shaped like the marketplace platform's, for tests.

#include <string>

namespace replies {

// <taobaoke_items_get_response> with `count` items; titles "title N", nick
// "nick N%sellers", num_iid 1000+N, total_results `total`.
std::string TbkItems(int count, const std::string& total, int sellers = 3);
// <itemcats_get_response> with `count` categories cid 100+N, name "cat N".
std::string ItemCats(int count, bool isParent = true);
// <items_get_response> with `count` items, each with a nested location.
std::string TbItems(int count, const std::string& total);
// A UTF-8 XML document with the given root and inner markup.
std::string Doc(const std::string& root, const std::string& inner);

} // namespace replies
