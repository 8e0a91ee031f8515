#include "PictureWriter.h"

#include <cstdio>

#include "Markup.h"
#include "Utf8.h"
#include "Values.h"
#include "data.h"

namespace {

std::string Num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

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

} // namespace

std::string TPictureWriter::ItemPicture(const TCatalog::TItem& item, int size) const
{
    const auto& category = catalog_.Categories()[item.category];
    // Colour by root category (ids below a root are the root's id followed by
    // two or four digits), varied a little per item.
    const auto cid = static_cast<std::uint64_t>(category.row.cid);
    const std::uint64_t root = cid < 100 ? cid : cid < 10000 ? cid / 100 : cid / 10000;
    const auto hue = static_cast<long>(
        (root % 360 * 47 + static_cast<std::uint64_t>(item.row.num_iid) % 7 * 5) % 360);
    const std::string h = std::to_string(hue);
    const std::string_view label = Utf8Prefix(category.row.name, 5);
    const double s = size;
    const std::string id = std::to_string(item.row.num_iid);
    std::string svg;
    svg.reserve(1200);
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(size) +
           "\" height=\"" + std::to_string(size) + "\" viewBox=\"0 0 " + std::to_string(size) + " " +
           std::to_string(size) + "\">";
    svg += "<defs><linearGradient id=\"g\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\"><stop offset=\"0\" "
           "stop-color=\"hsl(" + h + ",70%,72%)\"/><stop offset=\"1\" stop-color=\"hsl(" + h +
           ",60%,48%)\"/></linearGradient></defs>";
    svg += "<rect width=\"100%\" height=\"100%\" rx=\"" + Num(s * 0.06) + "\" fill=\"url(#g)\"/>";
    svg += "<circle cx=\"" + Num(s * 0.82) + "\" cy=\"" + Num(s * 0.18) + "\" r=\"" + Num(s * 0.3) +
           "\" fill=\"#fff\" fill-opacity=\"0.18\"/>";
    svg += "<text x=\"50%\" y=\"" + Num(s * 0.5) +
           "\" text-anchor=\"middle\" font-family=\"Noto Sans CJK SC,sans-serif\" font-weight=\"bold\" "
           "font-size=\"" + Num(s * 0.16) + "\" fill=\"#fff\">";
    AppendEscaped(svg, label);
    svg += "</text>";
    if (size >= 120) {
        svg += "<text x=\"50%\" y=\"" + Num(s * 0.68) +
               "\" text-anchor=\"middle\" font-family=\"sans-serif\" font-size=\"" + Num(s * 0.075) +
               "\" fill=\"#fff\" fill-opacity=\"0.9\">No." + id + "</text>";
    }
    svg += "<rect x=\"0\" y=\"" + Num(s * 0.8) + "\" width=\"" + Num(s * 0.55) + "\" height=\"" +
           Num(s * 0.14) + "\" fill=\"#ff5000\" fill-opacity=\"0.9\"/>";
    svg += "<text x=\"" + Num(s * 0.04) + "\" y=\"" + Num(s * 0.91) +
           "\" font-family=\"sans-serif\" font-weight=\"bold\" font-size=\"" + Num(s * 0.085) +
           "\" fill=\"#fff\">¥" + FormatHundredths(item.row.price) + "</text>";
    svg += "</svg>";
    return svg;
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
