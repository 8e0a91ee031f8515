#pragma once
// A picture of palette indices, kept as the rows a PNG stream carries (each
// row starts with its filter byte, always 0), so that encoding needs no copy.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct TRgb {
    std::uint8_t r, g, b;
};

class TIndexedImage {
public:
    TIndexedImage(int width, int height, std::uint8_t fill = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }

    std::uint8_t At(int x, int y) const { return rows_[Offset(x, y)]; }
    void Set(int x, int y, std::uint8_t index) { rows_[Offset(x, y)] = static_cast<char>(index); }
    // Fills the part of the rectangle that lies inside the picture.
    void FillRect(int x, int y, int width, int height, std::uint8_t index);

    // The rows as a PNG stream carries them, before packing.
    std::string_view RowData() const { return rows_; }

    // An 8-bit palette PNG of this picture (see TPngEncoder).
    std::string Png(std::span<const TRgb> palette) const;

private:
    std::size_t Offset(int x, int y) const
    {
        return static_cast<std::size_t>(y) * (static_cast<std::size_t>(width_) + 1) + 1 +
               static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::string rows_;
};
