// The generated item pictures: the PNG writer, the pixel font and what an
// item's tile shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

#include "CatalogSeeder.h"
#include "IndexedImage.h"
#include "PictureWriter.h"
#include "PixelFont.h"
#include "PngEncoder.h"
#include "PngDecode.h"
#include "ServerFixture.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBand = 0xFF6119;

std::uint32_t Rgb(const TRgb& c)
{
    return static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b;
}

TDecodedPng Decode(const std::string& png)
{
    std::string error;
    const auto decoded = DecodePalettePng(png, &error);
    EXPECT_TRUE(decoded) << error;
    return decoded.value_or(TDecodedPng{});
}

// The box holding every pixel of colour `c`: {left, top, right, bottom},
// right and bottom exclusive; all -1 when there is none.
std::array<int, 4> Box(const TDecodedPng& p, std::uint32_t c, int top = 0, int bottom = -1)
{
    std::array<int, 4> box{-1, -1, -1, -1};
    bottom = bottom < 0 ? p.height : bottom;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (p.At(x, y) != c)
                continue;
            if (box[0] < 0)
                box = {x, y, x + 1, y + 1};
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1), std::max(box[3], y + 1)};
        }
    }
    return box;
}

} // namespace

TEST(IndexedImage, PngCarriesEveryPixelAndLeavesOutWhatLiesOutside)
{
    const std::vector<TRgb> palette = {{0, 0, 0}, {10, 20, 30}, {200, 100, 50}, {1, 2, 3}};
    TIndexedImage image(5, 3, 1);
    image.FillRect(-2, -2, 4, 3, 2);  // covers (0..1, 0)
    image.FillRect(3, 1, 10, 10, 3);  // covers (3..4, 1..2)
    image.FillRect(1, 1, -4, 2, 0);   // empty
    image.FillRect(0, 7, 5, 2, 0);    // below the picture
    image.Set(2, 2, 0);
    const char* expected[] = {"22111", "11133", "11033"};
    const auto p = Decode(image.Png(palette));
    ASSERT_EQ(p.width, 5);
    ASSERT_EQ(p.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(p.At(x, y), Rgb(palette[static_cast<std::size_t>(expected[y][x] - '0')])) << x << "," << y;

    // No size is 1 x 1; no palette is one black entry; more than 256
    // entries are cut to 256.
    const TIndexedImage empty(0, -4, 0);
    const auto dot = Decode(empty.Png({}));
    EXPECT_EQ(dot.width, 1);
    EXPECT_EQ(dot.height, 1);
    EXPECT_EQ(dot.At(0, 0), 0u);
    const std::vector<TRgb> long_palette(300, TRgb{9, 9, 9});
    EXPECT_TRUE(Decode(TIndexedImage(2, 2, 255).Png(long_palette)).width == 2);
}

TEST(IndexedImage, PicturesThatDoNotPackAndManyThreadsAtOnceComeOutWhole)
{
    // Noise does not pack: the packed data is larger than the picture.
    TIndexedImage noise(310, 310);
    std::uint32_t seed = 12345;
    for (int y = 0; y < 310; ++y)
        for (int x = 0; x < 310; ++x)
            noise.Set(x, y, static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16));
    std::vector<TRgb> palette(256);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7};
    const std::string png = noise.Png(palette);
    const auto p = Decode(png);
    ASSERT_EQ(p.width, 310);
    EXPECT_EQ(p.At(17, 200), Rgb(palette[noise.At(17, 200)]));

    // Each thread reuses its packing state: pictures one after another, on
    // several threads, each decode to the picture given.
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 0; k < 30; ++k) {
                TIndexedImage small(40 + t, 30 + k, static_cast<std::uint8_t>(k % 3));
                small.FillRect(k, t, 5, 5, 3);
                const auto d = DecodePalettePng(k % 5 == 0 ? noise.Png(palette) : small.Png(palette));
                if (!d || (k % 5 != 0 && (d->width != 40 + t || d->At(k, t) != Rgb(palette[3]))))
                    ++bad[static_cast<std::size_t>(t)];
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(bad, std::vector<int>(4, 0));
    EXPECT_EQ(noise.Png(palette), png);
}

TEST(PngEncoder, PicturesDecodeToThemselvesWhereverTheyDifferFromTheBase)
{
    TIndexedImage base(70, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 70; ++x)
            base.Set(x, y, static_cast<std::uint8_t>((x + y) / 20));
    std::vector<TRgb> palette(12);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {static_cast<std::uint8_t>(20 * i), 3, static_cast<std::uint8_t>(255 - 20 * i)};
    // Overlapping, unordered and out-of-range ranges are allowed.
    const TPngEncoder encoder(base, {{60, 75}, {10, 20}, {15, 25}, {85, 200}, {-5, 2}});

    const auto same = [&](const TIndexedImage& picture) {
        const auto p = Decode(encoder.Encode(picture, palette));
        if (p.width != picture.Width() || p.height != picture.Height())
            return false;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y) != Rgb(palette[picture.At(x, y)]))
                    return false;
        return true;
    };
    EXPECT_TRUE(same(base));
    TIndexedImage written = base;
    written.FillRect(5, 12, 30, 10, 11); // inside the changing rows
    written.FillRect(0, 60, 70, 15, 10);
    written.FillRect(0, 86, 70, 4, 9);
    written.Set(69, 0, 8);
    EXPECT_TRUE(same(written));
    // Only the changing rows (37 of 90) take their full size.
    EXPECT_LT(encoder.Encode(written, palette).size(), std::size_t{71 * 37 + 500});
    written.FillRect(30, 40, 3, 3, 11); // outside them: packed anew
    written.Set(0, 89, 7);
    EXPECT_TRUE(same(written));
    TIndexedImage other(33, 17, 5); // another size
    other.FillRect(3, 3, 4, 4, 6);
    EXPECT_TRUE(same(other));
    EXPECT_TRUE(same(TIndexedImage(70, 90, 4)));
    EXPECT_EQ(base.Png(palette), TPngEncoder(base).Encode(base, palette));
}

TEST(PixelFont, CharactersStayInTheirBoxesAndDifferFromEachOther)
{
    EXPECT_EQ(TPixelFont::Width("", 3), 0);
    EXPECT_EQ(TPixelFont::Width("7", 2), 10);
    EXPECT_EQ(TPixelFont::Width("¥1.5", 1), 23) << "¥ is one character";

    std::set<std::string> shapes;
    for (const std::string c : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "-", "N", "o", "¥"}) {
        TIndexedImage image(20, 26);
        TPixelFont::Draw(image, 2, 3, 2, c, 1);
        std::string shape;
        int inside = 0;
        for (int y = 0; y < 26; ++y) {
            for (int x = 0; x < 20; ++x) {
                shape += static_cast<char>('0' + image.At(x, y));
                const bool inBox = x >= 2 && x < 12 && y >= 3 && y < 17;
                EXPECT_TRUE(inBox || image.At(x, y) == 0) << c << " at " << x << "," << y;
                inside += image.At(x, y);
            }
        }
        EXPECT_GT(inside, 0) << c;
        EXPECT_EQ(inside % 4, 0) << c << ": whole 2 x 2 pixels";
        shapes.insert(shape);
    }
    EXPECT_EQ(shapes.size(), 15u);

    // Characters without a glyph take their room and draw nothing; text
    // reaching outside the picture is cut.
    TIndexedImage image(12, 12);
    TPixelFont::Draw(image, 0, 0, 1, "x中", 1);
    TPixelFont::Draw(image, -3, -4, 2, "88", 1);
    TPixelFont::Draw(image, 9, 9, 3, "8", 1);
    int set = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            set += image.At(x, y);
    EXPECT_GT(set, 0);
}

TEST(ItemPictures, ATileShowsTheNumberAndAWholePriceInTheRootCategorysColour)
{
    const TCatalog& catalog = SharedCatalog();
    const TPictureWriter writer(catalog);
    const auto& items = catalog.Items();
    ASSERT_FALSE(items.empty());

    // The dearest item's price must fit the smallest tile.
    const auto dearest = std::max_element(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a.row.price < b.row.price;
    });
    for (const auto* item : {&items.front(), &*dearest}) {
        for (const int size : {80, 160, 310, 57}) {
            const std::string png = writer.ItemPicture(*item, size);
            EXPECT_EQ(writer.ItemPicture(*item, size), png) << "the same item, the same picture";
            const auto p = Decode(png);
            ASSERT_EQ(p.width, size);
            ASSERT_EQ(p.height, size);
            EXPECT_EQ(p.At(0, 0), kWhite) << "rounded corner";
            EXPECT_EQ(p.At(size - 1, size - 1), kWhite);
            EXPECT_NE(p.At(size / 10, size / 10), kWhite);

            // The number: white writing around the middle, centred.
            const auto number = Box(p, kWhite, size / 4, size * 3 / 4);
            ASSERT_GE(number[0], 0) << size;
            EXPECT_LE(std::abs(number[0] - (size - number[2])), 2) << size;
            EXPECT_LT(number[1], size / 2);
            EXPECT_GT(number[3], size / 2);

            // The price: white writing on the band, all of it inside the picture.
            const auto band = Box(p, kBand);
            ASSERT_EQ(band[0], 0) << size;
            EXPECT_GE(band[1], size * 3 / 4);
            const auto price = Box(p, kWhite, band[1], band[3]);
            ASSERT_GE(price[0], 1) << size;
            EXPECT_LT(price[2], size - 1) << size << ": price cut off";
            EXPECT_LE(price[2], band[2]) << size;
        }
    }

    // A long price (an imported catalog's) gets a smaller scale rather than
    // running off the picture; at 80 pixels even scale 1 is too wide for it.
    TCatalogRows rows = TCatalogSeeder().Generate();
    rows.items.resize(1);
    rows.items[0].price = 12'345'678'912; // "¥123456789.12"
    const TCatalog dear(rows);
    ASSERT_EQ(dear.Items().size(), 1u);
    for (const int size : {160, 310}) {
        const auto p = Decode(TPictureWriter(dear).ItemPicture(dear.Items()[0], size));
        ASSERT_EQ(p.width, size);
        const auto band = Box(p, kBand);
        const auto price = Box(p, kWhite, band[1], band[3]);
        ASSERT_GE(price[0], 1) << size;
        EXPECT_LT(price[2], size - 1) << size << ": price cut off";
        EXPECT_GT(price[2] - price[0], size / 3) << size << ": as large as still fits";
    }

    // Items of different root categories differ in colour; every item's
    // picture is its own.
    std::set<std::uint32_t> colours;
    std::set<std::string> pictures;
    for (std::size_t i = 0; i < items.size(); i += items.size() / 40) {
        const std::string png = writer.ItemPicture(items[i], 80);
        pictures.insert(png);
        colours.insert(Decode(png).At(8, 8));
    }
    EXPECT_GE(colours.size(), 10u);
    EXPECT_EQ(pictures.size(), 40u);
}
