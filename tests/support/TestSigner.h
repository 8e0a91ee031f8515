#pragma once
// A minisign key pair made fresh for one test (never stored), and detached
// signatures in the minisign format made with it, with either algorithm.

#include <array>
#include <cstdint>
#include <string>

class TTestSigner {
public:
    TTestSigner();

    // The public key's base64 line, as the second line of a ".pub" file.
    std::string PublicKeyLine() const;
    // A whole ".minisig" file over `data`: "ED" (BLAKE2b-512 prehash) unless
    // `legacy`, then the file itself ("Ed").
    std::string Sign(const std::string& data, const std::string& trustedComment, bool legacy = false) const;
    // Sign() with the trusted comment "version=" + `version`.
    std::string SignVersion(const std::string& data, const std::string& version, bool legacy = false) const
    {
        return Sign(data, "version=" + version, legacy);
    }
    // Sign() for an update: the trusted comment names the version and the
    // program, "version=<version> name=<name>".
    std::string SignUpdate(const std::string& data, const std::string& version, const std::string& name,
                           bool legacy = false) const
    {
        return Sign(data, "version=" + version + " name=" + name, legacy);
    }

private:
    std::array<std::uint8_t, 8> keyId_{};
    std::array<std::uint8_t, 32> publicKey_{};
    std::array<std::uint8_t, 64> secretKey_{};
};

// Base64 (standard alphabet, padded) of `size` bytes.
std::string Base64(const void* data, std::size_t size);
