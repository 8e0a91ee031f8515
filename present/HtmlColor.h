#pragma once
// Colours as the generated pages write them.

#include <string>

// "#RRGGBB " (upper-case hexadecimal, one trailing blank) for the seller
// list's colour rules; components are clamped to 0..255.
std::string ColorToHtml(int red, int green, int blue);
