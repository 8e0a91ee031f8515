#pragma once
// A built-in 5 x 7 pixel font for the few characters the generated pictures
// write: digits, ".", "-", "N", "o" and "¥". Anything else is a blank.

#include <cstdint>
#include <string_view>

#include "IndexedImage.h"

class TPixelFont {
public:
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;

    // Width in pixels of UTF-8 `text` drawn `scale` times the glyph size,
    // with one scaled pixel between characters.
    static int Width(std::string_view text, int scale);

    // Draws `text` with its top left corner at (x, y); pixels outside the
    // picture are left out.
    static void Draw(TIndexedImage& image, int x, int y, int scale, std::string_view text,
                     std::uint8_t index);
};
