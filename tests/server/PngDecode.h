#pragma once
// A strict reader for the palette PNGs the server writes: checks the
// signature, every chunk's CRC, the header and the row filters, and gives
// the pixels as colours.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TDecodedPng {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB, row by row

    std::uint32_t At(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Nothing when `png` is not a well-formed 8-bit palette PNG, or when a
// pixel's index has no palette entry. `error` says what was wrong.
std::optional<TDecodedPng> DecodePalettePng(std::string_view png, std::string* error = nullptr);
