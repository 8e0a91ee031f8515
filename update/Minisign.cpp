#include "Minisign.h"

#include <vector>

#include <sodium.h>

namespace {

constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr std::string_view kTrusted = "trusted comment: ";
constexpr std::size_t kMaxLines = 4;

bool SodiumReady()
{
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

// Exactly `size` bytes from standard base64 (with padding), or false.
template <std::size_t N>
bool DecodeBase64(std::string_view text, std::uint8_t (&out)[N])
{
    std::size_t written = 0;
    const char* end = nullptr;
    if (text.empty() || text.size() > 4 * ((N + 2) / 3))
        return false;
    if (::sodium_base642bin(out, N, text.data(), text.size(), nullptr, &written, &end,
                            sodium_base64_VARIANT_ORIGINAL) != 0)
        return false;
    return written == N && end == text.data() + text.size();
}

std::string_view Trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// The lines of `text` without their LF or CR LF ends; more than kMaxLines
// non-empty lines, or a NUL byte, make it unusable.
std::optional<std::vector<std::string_view>> SignatureLines(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lines.size() == kMaxLines) {
            if (!Trimmed(line).empty())
                return std::nullopt;
            continue;
        }
        lines.push_back(line);
    }
    if (lines.size() != kMaxLines)
        return std::nullopt;
    return lines;
}

bool HasToken(std::string_view comment, std::string_view wanted)
{
    std::size_t pos = 0;
    while (pos < comment.size()) {
        const auto start = comment.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos)
            break;
        auto end = comment.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = comment.size();
        if (comment.substr(start, end - start) == wanted)
            return true;
        pos = end;
    }
    return false;
}

bool Refuse(std::string* why, std::string_view reason)
{
    if (why)
        *why = std::string(reason);
    return false;
}

} // namespace

std::optional<TMinisignKey> ParseMinisignKey(std::string_view line)
{
    std::uint8_t raw[2 + 8 + 32];
    if (!DecodeBase64(Trimmed(line), raw) || raw[0] != 'E' || raw[1] != 'd')
        return std::nullopt;
    TMinisignKey key;
    std::copy(raw + 2, raw + 10, key.keyId.begin());
    std::copy(raw + 10, raw + 42, key.key.begin());
    return key;
}

std::optional<TMinisignSignature> ParseMinisignSignature(std::string_view text)
{
    const auto lines = SignatureLines(text);
    if (!lines || !StartsWith((*lines)[0], kUntrusted) || !StartsWith((*lines)[2], kTrusted))
        return std::nullopt;
    std::uint8_t raw[2 + 8 + 64];
    if (!DecodeBase64((*lines)[1], raw) || raw[0] != 'E' || (raw[1] != 'd' && raw[1] != 'D'))
        return std::nullopt;
    std::uint8_t global[64];
    if (!DecodeBase64((*lines)[3], global))
        return std::nullopt;
    TMinisignSignature sig;
    sig.prehashed = raw[1] == 'D';
    std::copy(raw + 2, raw + 10, sig.keyId.begin());
    std::copy(raw + 10, raw + 74, sig.signature.begin());
    sig.trustedComment = std::string((*lines)[2].substr(kTrusted.size()));
    std::copy(global, global + 64, sig.globalSignature.begin());
    return sig;
}

bool VerifyMinisign(const TMinisignKey& key, std::string_view data, std::string_view signature,
                    const std::vector<std::string>& requiredTokens, std::string* why)
{
    if (!SodiumReady())
        return Refuse(why, "the signature library cannot start");
    const auto sig = ParseMinisignSignature(signature);
    if (!sig)
        return Refuse(why, "not a minisign signature");
    if (sig->keyId != key.keyId)
        return Refuse(why, "signed with another key");

    int verified = -1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (sig->prehashed) {
        unsigned char hash[crypto_generichash_BYTES_MAX];
        static_assert(sizeof hash == 64);
        if (::crypto_generichash(hash, sizeof hash, bytes, data.size(), nullptr, 0) != 0)
            return Refuse(why, "cannot hash the file");
        verified = ::crypto_sign_verify_detached(sig->signature.data(), hash, sizeof hash, key.key.data());
    } else {
        verified = ::crypto_sign_verify_detached(sig->signature.data(), bytes, data.size(), key.key.data());
    }
    if (verified != 0)
        return Refuse(why, "the signature does not match the file");

    std::string signedComment(sig->signature.begin(), sig->signature.end());
    signedComment += sig->trustedComment;
    if (::crypto_sign_verify_detached(sig->globalSignature.data(),
                                      reinterpret_cast<const unsigned char*>(signedComment.data()),
                                      signedComment.size(), key.key.data()) != 0)
        return Refuse(why, "the trusted comment is not signed");
    for (const std::string& token : requiredTokens)
        if (!HasToken(sig->trustedComment, token))
            return Refuse(why, "the trusted comment does not say " + token);
    return true;
}
