#include "MD5.h"

#include <algorithm>
#include <cstring>

namespace {

inline std::uint32_t Rotl(std::uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

inline std::uint32_t Load32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, x, t, s) \
    (a) += f((b), (c), (d)) + (x) + (t); \
    (a) = Rotl((a), (s)) + (b);

} // namespace

TMd5::TMd5() : a_(0x67452301), b_(0xefcdab89), c_(0x98badcfe), d_(0x10325476) {}

void TMd5::Block(const std::uint8_t* p)
{
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = Load32(p + 4 * i);
    std::uint32_t a = a_, b = b_, c = c_, d = d_;

    MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7)
    MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12)
    MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17)
    MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22)
    MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7)
    MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12)
    MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17)
    MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22)
    MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7)
    MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12)
    MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17)
    MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22)
    MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7)
    MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12)
    MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17)
    MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22)

    MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562, 5)
    MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340, 9)
    MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51, 14)
    MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20)
    MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105d, 5)
    MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453, 9)
    MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14)
    MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20)
    MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5)
    MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6, 9)
    MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14)
    MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14ed, 20)
    MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5)
    MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9)
    MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9, 14)
    MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20)

    MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4)
    MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11)
    MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16)
    MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23)
    MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4)
    MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11)
    MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16)
    MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23)
    MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4)
    MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11)
    MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16)
    MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23)
    MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4)
    MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11)
    MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16)
    MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23)

    MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6)
    MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10)
    MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15)
    MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21)
    MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6)
    MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10)
    MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15)
    MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21)
    MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6)
    MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10)
    MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15)
    MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21)
    MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6)
    MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10)
    MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15)
    MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21)

    a_ += a;
    b_ += b;
    c_ += c;
    d_ += d;
}

void TMd5::Update(const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    length_ += size;
    if (buffered_ > 0) {
        std::size_t take = std::min<std::size_t>(64 - buffered_, size);
        std::memcpy(buffer_ + buffered_, p, take);
        buffered_ += take;
        p += take;
        size -= take;
        if (buffered_ < 64)
            return;
        Block(buffer_);
        buffered_ = 0;
    }
    while (size >= 64) {
        Block(p);
        p += 64;
        size -= 64;
    }
    if (size > 0) {
        std::memcpy(buffer_, p, size);
        buffered_ = size;
    }
}

TMd5Digest TMd5::Final()
{
    const std::uint64_t bits = length_ * 8;
    static const std::uint8_t pad[64] = {0x80};
    const std::size_t padLen = (buffered_ < 56) ? (56 - buffered_) : (120 - buffered_);
    Update(pad, padLen);
    std::uint8_t len[8];
    for (int i = 0; i < 8; ++i)
        len[i] = std::uint8_t(bits >> (8 * i));
    Update(len, 8);
    TMd5Digest out;
    const std::uint32_t words[4] = {a_, b_, c_, d_};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out[4 * i + j] = std::uint8_t(words[i] >> (8 * j));
    return out;
}

TMd5Digest Md5Digest(std::string_view data)
{
    TMd5 md5;
    md5.Update(data.data(), data.size());
    return md5.Final();
}

std::string DigestToHex(const TMd5Digest& digest)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out(32, '0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        out[2 * i] = kHex[digest[i] >> 4];
        out[2 * i + 1] = kHex[digest[i] & 0x0f];
    }
    return out;
}

std::string Md5Hex(std::string_view data) { return DigestToHex(Md5Digest(data)); }
