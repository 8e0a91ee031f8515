#include "IndexedImage.h"

#include <algorithm>

#include "PngEncoder.h"

TIndexedImage::TIndexedImage(int width, int height, std::uint8_t fill)
    : width_(std::max(width, 1)), height_(std::max(height, 1))
{
    const std::string row = '\0' + std::string(static_cast<std::size_t>(width_), static_cast<char>(fill));
    rows_.reserve(row.size() * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y)
        rows_ += row;
}

void TIndexedImage::FillRect(int x, int y, int width, int height, std::uint8_t index)
{
    const int left = std::max(x, 0);
    const int right = std::min(x + width, width_);
    for (int row = std::max(y, 0); row < std::min(y + height, height_); ++row) {
        if (left < right)
            std::fill_n(rows_.begin() + static_cast<std::ptrdiff_t>(Offset(left, row)), right - left,
                        static_cast<char>(index));
    }
}

std::string TIndexedImage::Png(std::span<const TRgb> palette) const
{
    return TPngEncoder(*this).Encode(*this, palette);
}
