#pragma once
// The seller list page shown beside the result page: its head (style rules
// in the list colour, the hover script) and one block per seller.

#include <string>
#include <string_view>

// The page head up to and including the opening body tag, with `color`
// (a ColorToHtml text) in its four colour rules.
std::string SellerListHead(std::string_view color);
// One seller block linking to "#NN" (NN = `slot`, two digits); every value
// is escaped for its place; an empty credit picture leaves out the picture.
void AppendSellerBlock(std::string& out, int slot, const std::string& nick, const std::string& location,
                       const std::string& creditPic);
