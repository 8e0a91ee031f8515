#include <gtest/gtest.h>

#include "MD5.h"

TEST(Md5, Rfc1321TestSuite)
{
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("1234567890123456789012345678901234567890123456789012345678901234567890"
                     "1234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, BytesAreHashedAsStoredIncludingNulAndHighBytes)
{
    const std::string withNul("a\0b", 3);
    EXPECT_NE(Md5Hex(withNul), Md5Hex("a"));
    EXPECT_EQ(Md5Hex(withNul).size(), 32u);
    // The GB18030 bytes of 手机 and their UTF-8 bytes are different inputs.
    EXPECT_NE(Md5Hex("\xca\xd6\xbb\xfa"), Md5Hex("\xe6\x89\x8b\xe6\x9c\xba"));
}

TEST(Md5, IncrementalMatchesOneShotAcrossBlockBoundaries)
{
    std::string data;
    for (int i = 0; i < 300; ++i)
        data += static_cast<char>(i * 7 + 3);
    for (std::size_t len : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 299u}) {
        const std::string part = data.substr(0, len);
        for (std::size_t chunk : {1u, 3u, 64u, 100u}) {
            TMd5 md5;
            for (std::size_t off = 0; off < part.size(); off += chunk)
                md5.Update(part.data() + off, std::min(chunk, part.size() - off));
            EXPECT_EQ(DigestToHex(md5.Final()), Md5Hex(part)) << len << "/" << chunk;
        }
    }
}

TEST(Md5, DigestToHexIsLowercaseHighNibbleFirst)
{
    TMd5Digest d{};
    d[0] = 0xAB;
    d[15] = 0x0F;
    EXPECT_EQ(DigestToHex(d), "ab00000000000000000000000000000f");
}
