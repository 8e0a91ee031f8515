#include "PixelFont.h"

#include <array>

#include "Utf8.h"

namespace {

using TGlyph = std::array<std::uint8_t, TPixelFont::kGlyphHeight>; // rows, bit 4 = left

TGlyph GlyphOf(std::uint32_t c)
{
    static constexpr TGlyph kDigits[10] = {
        {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
        {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
        {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
        {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
        {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    };
    if (c >= '0' && c <= '9')
        return kDigits[c - '0'];
    switch (c) {
    case '.':
        return {0, 0, 0, 0, 0, 0x0C, 0x0C};
    case '-':
        return {0, 0, 0, 0x1F, 0, 0, 0};
    case 'N':
        return {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11};
    case 'o':
        return {0, 0, 0x0E, 0x11, 0x11, 0x11, 0x0E};
    case 0xA5: // yen / yuan sign
        return {0x11, 0x0A, 0x1F, 0x04, 0x1F, 0x04, 0x04};
    default:
        return {};
    }
}

} // namespace

int TPixelFont::Width(std::string_view text, int scale)
{
    const auto count = static_cast<int>(CodePoints(text).size());
    return count == 0 ? 0 : (count * (kGlyphWidth + 1) - 1) * scale;
}

void TPixelFont::Draw(TIndexedImage& image, int x, int y, int scale, std::string_view text,
                      std::uint8_t index)
{
    for (const std::uint32_t c : CodePoints(text)) {
        const TGlyph glyph = GlyphOf(c);
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                if (glyph[static_cast<std::size_t>(row)] & (0x10 >> column))
                    image.FillRect(x + column * scale, y + row * scale, scale, scale, index);
            }
        }
        x += (kGlyphWidth + 1) * scale;
    }
}
