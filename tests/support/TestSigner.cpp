#include "TestSigner.h"

#include <stdexcept>
#include <vector>

#include <sodium.h>

std::string Base64(const void* data, std::size_t size)
{
    std::string out(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    ::sodium_bin2base64(out.data(), out.size(), static_cast<const unsigned char*>(data), size,
                        sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.find('\0'));
    return out;
}

TTestSigner::TTestSigner()
{
    if (::sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
    ::crypto_sign_keypair(publicKey_.data(), secretKey_.data());
    ::randombytes_buf(keyId_.data(), keyId_.size());
}

std::string TTestSigner::PublicKeyLine() const
{
    std::vector<std::uint8_t> raw{'E', 'd'};
    raw.insert(raw.end(), keyId_.begin(), keyId_.end());
    raw.insert(raw.end(), publicKey_.begin(), publicKey_.end());
    return Base64(raw.data(), raw.size());
}

std::string TTestSigner::Sign(const std::string& data, const std::string& trustedComment, bool legacy) const
{
    unsigned char signature[crypto_sign_BYTES];
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (legacy) {
        ::crypto_sign_detached(signature, nullptr, bytes, data.size(), secretKey_.data());
    } else {
        unsigned char hash[crypto_generichash_BYTES_MAX];
        ::crypto_generichash(hash, sizeof hash, bytes, data.size(), nullptr, 0);
        ::crypto_sign_detached(signature, nullptr, hash, sizeof hash, secretKey_.data());
    }
    std::vector<std::uint8_t> line{'E', static_cast<std::uint8_t>(legacy ? 'd' : 'D')};
    line.insert(line.end(), keyId_.begin(), keyId_.end());
    line.insert(line.end(), signature, signature + sizeof signature);

    std::string global(reinterpret_cast<const char*>(signature), sizeof signature);
    global += trustedComment;
    unsigned char globalSignature[crypto_sign_BYTES];
    ::crypto_sign_detached(globalSignature, nullptr, reinterpret_cast<const unsigned char*>(global.data()),
                           global.size(), secretKey_.data());
    return "untrusted comment: signature from a test key\n" + Base64(line.data(), line.size()) +
           "\ntrusted comment: " + trustedComment + "\n" + Base64(globalSignature, sizeof globalSignature) + "\n";
}
