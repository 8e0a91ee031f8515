// Detached update signatures as they arrive. The first byte picks a mode:
// - even: the rest is a ".minisig" file checked against a fixed archive and
//   a key made at start-up; nothing may ever verify (that would be a forgery);
// - odd: the rest is split into an archive and a trusted comment, signed with
//   that key, then perhaps altered as the input says; it must verify exactly
//   when nothing was altered and the comment holds both the version and the
//   program name token.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Minisign.h"
#include "TestSigner.h"

namespace {

const TTestSigner& Signer()
{
    static const TTestSigner signer;
    return signer;
}

const TMinisignKey& Key()
{
    static const TMinisignKey key = *ParseMinisignKey(Signer().PublicKeyLine());
    return key;
}

bool HasToken(const std::string& comment, const std::string& token)
{
    for (std::size_t at = comment.find(token); at != std::string::npos; at = comment.find(token, at + 1)) {
        const bool startOk = at == 0 || comment[at - 1] == ' ' || comment[at - 1] == '\t';
        const std::size_t end = at + token.size();
        const bool endOk = end == comment.size() || comment[end] == ' ' || comment[end] == '\t';
        if (startOk && endOk)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1) == 0) {
        ParseMinisignSignature(rest);
        if (VerifyMinisign(Key(), "PK\x03\x04 fixed archive", rest, {"version=20100901"}))
            __builtin_trap();
        return 0;
    }
    // odd: [flags][comment length][comment][archive]
    if (rest.size() < 2)
        return 0;
    const std::uint8_t flags = static_cast<std::uint8_t>(rest[0]);
    const std::size_t commentLength = std::min<std::size_t>(static_cast<std::uint8_t>(rest[1]), rest.size() - 2);
    std::string comment = rest.substr(2, commentLength);
    // A trusted comment is one line.
    for (char& c : comment)
        if (c == '\n' || c == '\r' || c == '\0')
            c = ' ';
    std::string archive = rest.substr(2 + commentLength);
    const bool legacy = flags & 1;
    std::string signature = Signer().Sign(archive, comment, legacy);
    bool altered = false;
    if ((flags & 2) && !archive.empty()) {
        archive[(flags >> 2) % archive.size()] ^= 0x01;
        altered = true;
    }
    if (flags & 0x80) {
        // One bit of the signature line's base64 text changed for another
        // base64 character.
        const std::size_t line = signature.find('\n') + 1;
        const std::size_t at = line + 2 + (flags >> 2) % 80;
        signature[at] = signature[at] == 'A' ? 'B' : 'A';
        altered = true;
    }
    const std::vector<std::string> tokens = {"version=20100901", "name=pallido"};
    const bool expected = !altered && HasToken(comment, tokens[0]) && HasToken(comment, tokens[1]);
    if (VerifyMinisign(Key(), archive, signature, tokens) != expected)
        __builtin_trap();
    return 0;
}
