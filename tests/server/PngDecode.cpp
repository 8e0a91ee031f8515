#include "PngDecode.h"

#include <zlib.h>

namespace {

std::uint32_t U32(std::string_view s, std::size_t at)
{
    const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

std::optional<std::string> Inflate(std::string_view data, std::size_t expected)
{
    std::string out(expected + 1, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size())) != Z_OK)
        return std::nullopt;
    out.resize(size);
    return out;
}

} // namespace

std::optional<TDecodedPng> DecodePalettePng(std::string_view png, std::string* error)
{
    std::string ignored;
    std::string& why = error ? *error : ignored;
    const auto fail = [&why](const std::string& text) {
        why = text;
        return std::nullopt;
    };
    if (png.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8))
        return fail("no PNG signature");
    TDecodedPng out;
    std::vector<std::uint32_t> palette;
    std::string idat;
    bool ended = false;
    for (std::size_t at = 8; !ended;) {
        if (at + 12 > png.size())
            return fail("chunk cut short");
        const std::uint32_t length = U32(png, at);
        if (length > png.size() - at - 12)
            return fail("chunk longer than the file");
        const std::string_view type = png.substr(at + 4, 4);
        const std::string_view data = png.substr(at + 8, length);
        const auto* crcd = reinterpret_cast<const Bytef*>(png.data() + at + 4);
        if (crc32(0, crcd, length + 4) != U32(png, at + 8 + length))
            return fail("bad CRC in " + std::string(type));
        if (type == "IHDR") {
            if (length != 13 || data.substr(8) != std::string_view("\x08\x03\x00\x00\x00", 5))
                return fail("not an 8-bit palette picture");
            out.width = static_cast<int>(U32(data, 0));
            out.height = static_cast<int>(U32(data, 4));
        } else if (type == "PLTE") {
            if (length % 3 != 0 || length > 768)
                return fail("bad palette");
            for (std::size_t i = 0; i < length; i += 3) {
                const auto c = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[i + k])); };
                palette.push_back(c(0) << 16 | c(1) << 8 | c(2));
            }
        } else if (type == "IDAT") {
            idat.append(data);
        } else if (type == "IEND") {
            ended = true;
            if (at + 12 != png.size())
                return fail("bytes after IEND");
        }
        at += 12 + length;
    }
    if (out.width <= 0 || out.height <= 0 || palette.empty())
        return fail("no header or no palette");
    const std::size_t stride = static_cast<std::size_t>(out.width) + 1;
    const auto rows = Inflate(idat, stride * static_cast<std::size_t>(out.height));
    if (!rows || rows->size() != stride * static_cast<std::size_t>(out.height))
        return fail("picture data of the wrong size");
    for (int y = 0; y < out.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * stride;
        if ((*rows)[row] != 0)
            return fail("row filter other than none");
        for (std::size_t x = 1; x < stride; ++x) {
            const auto index = static_cast<unsigned char>((*rows)[row + x]);
            if (index >= palette.size())
                return fail("index without a palette entry");
            out.pixels.push_back(palette[index]);
        }
    }
    return out;
}
