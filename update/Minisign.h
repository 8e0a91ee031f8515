#pragma once
// Detached signatures in the minisign format, checked with libsodium.
//
// A public key is the base64 line of a minisign ".pub" file: "Ed", an 8-byte
// key id and a 32-byte Ed25519 key. A signature file has four lines: an
// untrusted comment, the base64 of the algorithm ("Ed": the file itself is
// signed; "ED": its BLAKE2b-512 hash is), the key id and a 64-byte
// signature, the trusted comment, and the base64 of a global signature over
// that signature followed by the trusted comment's text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TMinisignKey {
    std::array<std::uint8_t, 8> keyId{};
    std::array<std::uint8_t, 32> key{};
};

struct TMinisignSignature {
    bool prehashed = false; // "ED"
    std::array<std::uint8_t, 8> keyId{};
    std::array<std::uint8_t, 64> signature{};
    std::string trustedComment; // the text after "trusted comment: "
    std::array<std::uint8_t, 64> globalSignature{};
};

// The key from its base64 line (surrounding white space allowed); nothing
// when the line is not exactly one minisign Ed25519 public key.
std::optional<TMinisignKey> ParseMinisignKey(std::string_view line);

// A signature file as it was downloaded (LF or CR LF line ends); nothing
// when it does not have the four lines of the format.
std::optional<TMinisignSignature> ParseMinisignSignature(std::string_view text);

// True when `signature` is by `key` over `data`, its global signature holds,
// and its trusted comment has every one of `requiredTokens` (such as
// "version=20101001" and "name=pallido") among its white-space separated
// tokens, exactly. Otherwise false, with the reason in `why`.
bool VerifyMinisign(const TMinisignKey& key, std::string_view data, std::string_view signature,
                    const std::vector<std::string>& requiredTokens, std::string* why = nullptr);
