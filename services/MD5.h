#pragma once
// MD5 message digest (RFC 1321) for signatures and condition keys.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using TMd5Digest = std::array<std::uint8_t, 16>;

// Digest of the bytes of a string as stored: no conversion, no terminator.
TMd5Digest Md5Digest(std::string_view data);

// 32 lowercase hex characters, digest byte 0 first, high nibble first.
std::string DigestToHex(const TMd5Digest& digest);

std::string Md5Hex(std::string_view data);

// Incremental form, used where the input arrives in pieces.
class TMd5 {
public:
    TMd5();
    void Update(const void* data, std::size_t size);
    TMd5Digest Final();

private:
    void Block(const std::uint8_t* p);
    std::uint32_t a_, b_, c_, d_;
    std::uint64_t length_ = 0;
    std::uint8_t buffer_[64];
    std::size_t buffered_ = 0;
};
