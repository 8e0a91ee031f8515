#pragma once
// Canned replies shaped like the publisher server's, with Chinese content,
// for the window tests, the black-box run, the benchmark and the screenshot.
// All bodies are UTF-8. `base` is the server's own "http://127.0.0.1:PORT/",
// so every picture the pages show is loaded from it.

#include <string>

namespace demo {

std::string SoftInfo(const std::string& pageCaption = "热门活动",
                     const std::string& version = "20100823");
// The root level: the 65 known root categories (cid 1001..1065, all parents)
// followed by `extra` categories with names not in the table.
std::string RootCategories(int extra = 0);
// A child level of `count` categories under `parent` (cid parent*100+n).
std::string ChildCategories(int parent, int count, bool parents = false);
// A category reply built from explicit rows "cid|name|is_parent".
std::string Categories(const std::string& rows);
// `count` affiliate items of page `page`; titles name the page and `tag`.
std::string Items(const std::string& base, int page, int count, const std::string& total,
                  const std::string& tag = "");
// A reply accepted by the client that holds no items.
std::string NoItems();
// A picture (SVG) for any picture path.
std::string Picture(const std::string& path);
std::string Page(const std::string& title);

} // namespace demo
