#include "PictureWriter.h"

#include <algorithm>
#include <cmath>

#include "PixelFont.h"
#include "Values.h"
#include "data.h"

namespace {

// One 16 x 16 symbol at x offset `x`.
std::string Symbol(std::string_view kind, int x)
{
    const std::string t = "translate(" + std::to_string(x) + " 1)";
    if (kind == "heart")
        return "<path transform=\"" + t +
               "\" d=\"M8 14.5C-1.5 8 1.5 0.5 8 4.5C14.5 0.5 17.5 8 8 14.5Z\" fill=\"#ff4f5e\" "
               "stroke=\"#d61f3a\" stroke-width=\"0.8\"/>";
    if (kind == "diamond")
        return "<g transform=\"" + t +
               "\"><path d=\"M4 1.5H12L15.5 6L8 15L0.5 6Z\" fill=\"#3d8df5\" stroke=\"#1d5fbf\" "
               "stroke-width=\"0.8\"/><path d=\"M0.5 6H15.5M4 1.5L6 6L8 15L10 6L12 1.5\" "
               "fill=\"none\" stroke=\"#bfe0ff\" stroke-width=\"0.6\"/></g>";
    const bool golden = kind == "golden";
    const char* fill = golden ? "#ffc21a" : "#6a7fe0";
    const char* edge = golden ? "#c98a00" : "#3a4fb0";
    return "<g transform=\"" + t + "\"><path d=\"M1 13L1.8 4.5L5.2 8L8 2L10.8 8L14.2 4.5L15 13Z\" fill=\"" +
           fill + "\" stroke=\"" + edge +
           "\" stroke-width=\"0.8\"/><rect x=\"1\" y=\"12.5\" width=\"14\" height=\"2.5\" fill=\"" +
           edge + "\"/><circle cx=\"8\" cy=\"2\" r=\"1.2\" fill=\"#fff6c8\"/></g>";
}

// Palette of an item picture: a diagonal gradient in kSteps steps, the same
// steps lightened where the round highlight lies, white (the corners and
// the writing) and the price band.
constexpr int kSteps = 32;
constexpr std::uint8_t kWhite = 2 * kSteps;
constexpr std::uint8_t kBand = kWhite + 1;

TRgb Hsl(double h, double s, double l)
{
    const double c = (1 - std::fabs(2 * l - 1)) * s;
    const double x = c * (1 - std::fabs(std::fmod(h / 60, 2) - 1));
    const double m = l - c / 2;
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h / 60) % 6) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
    }
    const auto byte = [m](double v) { return static_cast<std::uint8_t>(std::lround((v + m) * 255)); };
    return {byte(r), byte(g), byte(b)};
}

std::array<TRgb, kBand + 1> Palette(double hue)
{
    std::array<TRgb, kBand + 1> palette{};
    for (int k = 0; k < kSteps; ++k) {
        const double t = k / double(kSteps - 1);
        const TRgb c = Hsl(hue, 0.7 - 0.1 * t, 0.72 - 0.24 * t);
        palette[k] = c;
        const auto lighter = [](std::uint8_t v) {
            return static_cast<std::uint8_t>(std::lround(v + (255 - v) * 0.18));
        };
        palette[kSteps + k] = {lighter(c.r), lighter(c.g), lighter(c.b)};
    }
    palette[kWhite] = {255, 255, 255};
    palette[kBand] = {255, 97, 25};
    return palette;
}

// The background of a `size` pixel picture: gradient from the top left to
// the bottom right, a lighter disc reaching out of the top right corner and
// rounded corners.
TIndexedImage Background(int size)
{
    TIndexedImage tile(size, size);
    size = tile.Width();
    const double s = size;
    const double radius = s * 0.06;
    const double cx = s * 0.82, cy = s * 0.18, r = s * 0.3;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double t = (px + py) / (2 * s);
            auto index = static_cast<std::uint8_t>(std::min(kSteps - 1, static_cast<int>(t * kSteps)));
            if ((px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r)
                index = static_cast<std::uint8_t>(index + kSteps);
            const double dx = std::max({radius - px, px - (s - radius), 0.0});
            const double dy = std::max({radius - py, py - (s - radius), 0.0});
            if (dx > 0 && dy > 0 && dx * dx + dy * dy > radius * radius)
                index = kWhite;
            tile.Set(x, y, index);
        }
    }
    return tile;
}

// Where an item picture's writing goes: the number centred around the
// middle row, at most `numberScale` times the glyph size, and the price on a
// band near the bottom.
struct TLayout {
    int middle;
    int numberScale;
    int bandTop;
    int bandHeight;
    int margin;

    explicit TLayout(int size)
        : middle(size / 2), numberScale(std::max(1, size * 14 / 100 / TPixelFont::kGlyphHeight)),
          bandTop(size * 8 / 10), bandHeight(std::max(size * 14 / 100, TPixelFont::kGlyphHeight + 2)),
          margin(size * 4 / 100)
    {
    }
    // Rows the number may take at any scale up to numberScale.
    TPngEncoder::TRows NumberRows() const
    {
        const int half = (TPixelFont::kGlyphHeight * numberScale + 1) / 2;
        return {middle - half, middle + half};
    }
    TPngEncoder::TRows BandRows() const { return {bandTop, bandTop + bandHeight}; }
};

// The largest whole scale at which `text` is at most `height` high and
// `width` wide, and never below 1.
int FitScale(std::string_view text, double height, double width)
{
    const int one = std::max(TPixelFont::Width(text, 1), 1);
    const auto byHeight = static_cast<int>(height / TPixelFont::kGlyphHeight);
    const auto byWidth = static_cast<int>(width / one);
    return std::max(1, std::min(byHeight, byWidth));
}

} // namespace

TPngEncoder TPictureWriter::MakeTile(int size)
{
    const TIndexedImage image = Background(size);
    const TLayout layout(image.Width());
    // Only the writing's rows differ from item to item: the others are
    // packed once, here.
    return TPngEncoder(image, {layout.NumberRows(), layout.BandRows()});
}

TPictureWriter::TPictureWriter(const TCatalog& catalog)
    : catalog_(catalog), tiles_{MakeTile(80), MakeTile(160), MakeTile(310)}
{
}

std::string TPictureWriter::ItemPicture(const TCatalog::TItem& item, int size) const
{
    const auto& category = catalog_.Categories()[item.category];
    // Colour by root category (ids below a root are the root's id followed by
    // two or four digits), varied a little per item.
    const auto cid = static_cast<std::uint64_t>(category.row.cid);
    const std::uint64_t root = cid < 100 ? cid : cid < 10000 ? cid / 100 : cid / 10000;
    const auto hue = static_cast<double>(
        (root % 360 * 47 + static_cast<std::uint64_t>(item.row.num_iid) % 7 * 5) % 360);

    const auto known = std::find_if(tiles_.begin(), tiles_.end(),
                                    [size](const TPngEncoder& t) { return t.Base().Width() == size; });
    const std::optional<TPngEncoder> other =
        known == tiles_.end() ? std::optional(MakeTile(size)) : std::nullopt;
    const TPngEncoder& tile = other ? *other : *known;
    TIndexedImage picture = tile.Base();
    size = picture.Width();
    const TLayout layout(size);

    const std::string id = std::to_string(item.row.num_iid);
    const int idScale = std::min(layout.numberScale, FitScale(id, size, size * 0.9));
    TPixelFont::Draw(picture, (size - TPixelFont::Width(id, idScale)) / 2,
                     layout.middle - TPixelFont::kGlyphHeight * idScale / 2, idScale, id, kWhite);

    const std::string price = "¥" + FormatHundredths(item.row.price);
    const int priceScale = FitScale(price, layout.bandHeight - 2, size - 3 * layout.margin);
    const int priceWidth = TPixelFont::Width(price, priceScale);
    picture.FillRect(0, layout.bandTop, std::max(size * 55 / 100, priceWidth + 2 * layout.margin),
                     layout.bandHeight, kBand);
    TPixelFont::Draw(picture, layout.margin,
                     layout.bandTop + (layout.bandHeight - TPixelFont::kGlyphHeight * priceScale) / 2,
                     priceScale, price, kWhite);
    return tile.Encode(picture, Palette(hue));
}

std::optional<std::string> TPictureWriter::CreditPicture(std::string_view name)
{
    static const char* kKinds[] = {"heart", "diamond", "crown", "golden"};
    for (std::size_t i = 0; i < RankImages.size(); ++i) {
        if (RankImages[i] != name)
            continue;
        const int count = static_cast<int>(i % 5) + 1;
        const std::string_view kind = kKinds[i / 5];
        const int width = count * 17 + 1;
        std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                          std::to_string(width) + "\" height=\"18\" viewBox=\"0 0 " +
                          std::to_string(width) + " 18\">";
        for (int k = 0; k < count; ++k)
            svg += Symbol(kind, 1 + k * 17);
        svg += "</svg>";
        return svg;
    }
    return std::nullopt;
}

std::optional<TPictureWriter::TItemPicturePath> TPictureWriter::ParsePath(std::string_view rest)
{
    if (rest.size() < 3 || rest[0] != 'i' || rest[1] < '1' || rest[1] > '4' || rest[2] != '/')
        return std::nullopt;
    rest.remove_prefix(3);
    const auto dot = rest.find(".jpg");
    const auto id = dot == std::string_view::npos ? std::nullopt : ParseId(rest.substr(0, dot));
    if (!id)
        return std::nullopt;
    const std::string_view suffix = rest.substr(dot + 4);
    if (suffix.empty())
        return TItemPicturePath{*id, 310};
    if (suffix == "_160x160.jpg")
        return TItemPicturePath{*id, 160};
    if (suffix == "_sum.jpg")
        return TItemPicturePath{*id, 80};
    return std::nullopt;
}
