#include "PngEncoder.h"

#include <algorithm>
#include <stdexcept>

#include <zlib.h>

namespace {

void PutU32(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

// Appends length, type, data and the CRC of type and data.
void PutChunk(std::string& out, const char (&type)[5], std::string_view data)
{
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
    PutU32(out, static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(out.size() - start))));
}

// Raw deflate at the best level (the fixed rows are packed once), each piece
// ended by a sync flush so that pieces packed apart can follow each other in
// one stream.
class TDeflater {
public:
    TDeflater()
    {
        if (deflateInit2(&z_, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("deflateInit2 failed");
    }
    ~TDeflater() { deflateEnd(&z_); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    void Append(std::string_view data, std::string& out)
    {
        deflateReset(&z_);
        const std::size_t start = out.size();
        out.resize(start + deflateBound(&z_, static_cast<uLong>(data.size())) + 16);
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z_.avail_in = static_cast<uInt>(data.size());
        z_.next_out = reinterpret_cast<Bytef*>(out.data() + start);
        z_.avail_out = static_cast<uInt>(out.size() - start);
        if (deflate(&z_, Z_SYNC_FLUSH) != Z_OK || z_.avail_in != 0)
            throw std::runtime_error("deflate failed");
        out.resize(out.size() - z_.avail_out);
    }

private:
    z_stream z_{};
};

// Appends `bytes` as stored (unpacked) deflate blocks; the stream is at a
// byte boundary before and after.
void AppendStored(std::string_view bytes, std::string& out)
{
    do {
        const std::size_t n = std::min<std::size_t>(bytes.size(), 0xFFFF);
        const char header[5] = {0, static_cast<char>(n), static_cast<char>(n >> 8),
                                static_cast<char>(~n), static_cast<char>(~n >> 8)};
        out.append(header, sizeof header);
        out.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
    } while (!bytes.empty());
}

std::string_view RowBytes(const TIndexedImage& image, TPngEncoder::TRows rows)
{
    const std::string_view all = image.RowData();
    const auto stride = static_cast<std::size_t>(image.Width()) + 1;
    return all.substr(static_cast<std::size_t>(rows.first) * stride,
                      static_cast<std::size_t>(rows.end - rows.first) * stride);
}

unsigned long Adler(std::string_view bytes)
{
    return adler32(1, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
}

} // namespace

TPngEncoder::TPngEncoder(const TIndexedImage& base, std::vector<TRows> changing)
    : base_(base)
{
    const int height = base_.Height();
    for (TRows& r : changing) {
        r.first = std::clamp(r.first, 0, height);
        r.end = std::clamp(r.end, r.first, height);
    }
    std::sort(changing.begin(), changing.end(), [](TRows a, TRows b) { return a.first < b.first; });
    TDeflater deflater;
    int row = 0;
    const auto fixed = [&](int end) {
        if (row >= end)
            return;
        TPiece piece{{row, end}, true, {}, 0};
        const std::string_view bytes = RowBytes(base_, piece.rows);
        deflater.Append(bytes, piece.packed);
        piece.adler = Adler(bytes);
        pieces_.push_back(std::move(piece));
        row = end;
    };
    for (const TRows& r : changing) {
        fixed(r.first);
        const int first = std::max(row, r.first);
        if (first < r.end) {
            pieces_.push_back({{first, r.end}, false, {}, 0});
            row = r.end;
        }
    }
    fixed(height);
}

std::string TPngEncoder::Encode(const TIndexedImage& picture, std::span<const TRgb> palette) const
{
    if (picture.Width() != base_.Width() || picture.Height() != base_.Height())
        return TPngEncoder(picture).Encode(picture, palette);
    palette = palette.first(std::min<std::size_t>(palette.size(), 256));
    std::string header;
    PutU32(header, static_cast<std::uint32_t>(base_.Width()));
    PutU32(header, static_cast<std::uint32_t>(base_.Height()));
    header += std::string{8, 3, 0, 0, 0}; // 8 bits, palette, deflate, no filter choice, no interlace
    std::string colours;
    for (const TRgb& c : palette)
        colours += {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
    if (colours.empty())
        colours.assign(3, '\0');

    // A zlib stream: header (deflate, 32 KB window), the pieces, an
    // empty final block, and the Adler-32 of all rows put together from the
    // pieces' own.
    std::string data = "\x78\x01";
    unsigned long adler = 1;
    for (const TPiece& piece : pieces_) {
        const std::string_view bytes = RowBytes(picture, piece.rows);
        if (piece.fixed && bytes == RowBytes(base_, piece.rows)) {
            data += piece.packed;
            adler = adler32_combine(adler, piece.adler, static_cast<z_off_t>(bytes.size()));
        } else {
            AppendStored(bytes, data);
            adler = adler32_combine(adler, Adler(bytes), static_cast<z_off_t>(bytes.size()));
        }
    }
    data += std::string_view("\x03\x00", 2);
    PutU32(data, static_cast<std::uint32_t>(adler));

    std::string png = "\x89PNG\r\n\x1a\n";
    png.reserve(png.size() + 4 * 12 + header.size() + colours.size() + data.size());
    PutChunk(png, "IHDR", header);
    PutChunk(png, "PLTE", colours);
    PutChunk(png, "IDAT", data);
    PutChunk(png, "IEND", {});
    return png;
}
