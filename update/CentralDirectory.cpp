#include "CentralDirectory.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxComment = 0xffff;
constexpr std::size_t kEntryFixedSize = 46;

std::uint64_t Le(std::string_view b, std::size_t at, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// `size` bytes of `bytes` from `offset`, when all of them are there.
bool Slice(std::string_view bytes, std::uint64_t offset, std::uint64_t size, std::string_view& out)
{
    if (offset > bytes.size() || size > bytes.size() - offset)
        return false;
    out = bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
    return true;
}

} // namespace

std::optional<std::vector<std::string>> CentralDirectoryNames(std::string_view archive)
{
    const std::uint64_t fileSize = archive.size();
    if (fileSize < kEndSize)
        return std::nullopt;
    const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment);
    const std::uint64_t tailStart = fileSize - tailSize;
    const std::string_view tail = archive.substr(static_cast<std::size_t>(tailStart));
    std::size_t end = tail.size() - kEndSize + 1;
    do {
        --end;
    } while (end > 0 && Le(tail, end, 4) != kEndSignature);
    if (Le(tail, end, 4) != kEndSignature)
        return std::nullopt;

    std::uint64_t count = Le(tail, end + 10, 2);
    std::uint64_t size = Le(tail, end + 12, 4);
    std::uint64_t offset = Le(tail, end + 16, 4);
    if (count == 0xffff || size == 0xffffffff || offset == 0xffffffff) {
        const std::uint64_t endAt = tailStart + end;
        std::string_view locator, record;
        if (endAt < 20 || !Slice(archive, endAt - 20, 20, locator) ||
            Le(locator, 0, 4) != kZip64LocatorSignature ||
            !Slice(archive, Le(locator, 8, 8), 56, record) || Le(record, 0, 4) != kZip64EndSignature)
            return std::nullopt;
        count = Le(record, 32, 8);
        size = Le(record, 40, 8);
        offset = Le(record, 48, 8);
    }
    if (offset > fileSize || size > fileSize - offset || count > size / kEntryFixedSize)
        return std::nullopt;

    std::string_view dir;
    if (!Slice(archive, offset, size, dir))
        return std::nullopt;
    std::vector<std::string> names;
    std::size_t at = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (dir.size() - at < kEntryFixedSize || Le(dir, at, 4) != kEntrySignature)
            return std::nullopt;
        const std::size_t nameLength = Le(dir, at + 28, 2);
        const std::size_t rest = nameLength + Le(dir, at + 30, 2) + Le(dir, at + 32, 2);
        if (dir.size() - at - kEntryFixedSize < rest)
            return std::nullopt;
        names.emplace_back(dir.substr(at + kEntryFixedSize, nameLength));
        at += kEntryFixedSize + rest;
    }
    return names;
}
