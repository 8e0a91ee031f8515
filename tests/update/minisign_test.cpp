// Signature checks of update archives: signatures made by our own test
// signer and by the minisign tool, with both algorithms, and everything
// that must be refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CleanupScript.h"
#include "Launcher.h"
#include "Minisign.h"
#include "TempDir.h"
#include "TestSigner.h"

namespace {

const std::string kArchive = std::string("PK\x03\x04 pretend archive ", 21) + std::string(5000, 'z');

bool Verifies(const TTestSigner& signer, const std::string& data, const std::string& sig,
              const std::vector<std::string>& tokens, std::string* why = nullptr)
{
    const auto key = ParseMinisignKey(signer.PublicKeyLine());
    return key && VerifyMinisign(*key, data, sig, tokens, why);
}
bool Verifies(const TTestSigner& signer, const std::string& data, const std::string& sig,
              const std::string& version, std::string* why = nullptr)
{
    return Verifies(signer, data, sig, std::vector<std::string>{"version=" + version}, why);
}

// Runs a shell command line; true when it exits 0.
bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quoted(const std::string& s) { return ShellQuote(s); }

} // namespace

TEST(Minisign, KeysAreReadFromTheirPublicKeyLineOnly)
{
    TTestSigner signer;
    const std::string line = signer.PublicKeyLine();
    ASSERT_EQ(line.size(), 56u);
    EXPECT_TRUE(ParseMinisignKey(line));
    EXPECT_TRUE(ParseMinisignKey("  " + line + "\n")) << "white space around the line";
    EXPECT_FALSE(ParseMinisignKey(""));
    EXPECT_FALSE(ParseMinisignKey(line.substr(0, 55)));
    EXPECT_FALSE(ParseMinisignKey(line + "AAAA"));
    EXPECT_FALSE(ParseMinisignKey("untrusted comment: minisign public key 0011223344556677"));
    std::string mangled = line;
    mangled[10] = '*';
    EXPECT_FALSE(ParseMinisignKey(mangled));
    // The same 42 bytes with another algorithm name.
    EXPECT_FALSE(ParseMinisignKey("RX" + line.substr(2)));
}

TEST(Minisign, BothAlgorithmsVerifyAndEveryRequiredTokenMustBeWhole)
{
    TTestSigner signer;
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "Ed" : "ED");
        EXPECT_TRUE(Verifies(signer, kArchive, signer.SignVersion(kArchive, "20101001", legacy), "20101001"));
        const std::string among = signer.Sign(kArchive, "timestamp:1291334400 version=20101001 file:u.zip", legacy);
        EXPECT_TRUE(Verifies(signer, kArchive, among, "20101001"));
        std::string why;
        EXPECT_FALSE(Verifies(signer, kArchive, among, "2010100", &why));
        EXPECT_EQ(why, "the trusted comment does not say version=2010100");
        EXPECT_FALSE(Verifies(signer, kArchive, among, "201010011"));
        EXPECT_FALSE(Verifies(signer, kArchive, signer.Sign(kArchive, "version= 20101001", legacy), "20101001"));
        EXPECT_FALSE(Verifies(signer, kArchive, signer.Sign(kArchive, "myversion=20101001", legacy), "20101001"));
        // CR LF line ends, as a file edited on another system may have.
        std::string crlf;
        for (char c : signer.SignVersion(kArchive, "v2", legacy))
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        EXPECT_TRUE(Verifies(signer, kArchive, crlf, "v2"));
        EXPECT_TRUE(Verifies(signer, "", signer.SignVersion("", "v2", legacy), "v2")) << "an empty file";

        // The program's name is required beside the version, each as a token.
        const std::string named = signer.Sign(kArchive, "version=20101001 name=pallido", legacy);
        const std::vector<std::string> both = {"version=20101001", "name=pallido"};
        EXPECT_TRUE(Verifies(signer, kArchive, named, both));
        EXPECT_TRUE(Verifies(signer, kArchive, signer.Sign(kArchive, "name=pallido\tversion=20101001", legacy), both));
        EXPECT_FALSE(Verifies(signer, kArchive, named, std::vector<std::string>{"version=20101001", "name=helper"}, &why));
        EXPECT_EQ(why, "the trusted comment does not say name=helper");
        for (const char* comment : {"version=20101001", "version=20101001 name=pallido.exe",
                                    "version=20101001 name=pallid", "version=20101001name=pallido"})
            EXPECT_FALSE(Verifies(signer, kArchive, signer.Sign(kArchive, comment, legacy), both)) << comment;
    }
}

TEST(Minisign, TamperingAnyPartIsRefused)
{
    TTestSigner signer;
    TTestSigner other;
    const std::string sig = signer.SignVersion(kArchive, "20101001");
    std::string why;

    std::string flipped = kArchive;
    flipped[flipped.size() / 2] ^= 0x01;
    EXPECT_FALSE(Verifies(signer, flipped, sig, "20101001", &why));
    EXPECT_EQ(why, "the signature does not match the file");
    EXPECT_FALSE(Verifies(signer, kArchive + "x", sig, "20101001"));

    EXPECT_FALSE(Verifies(signer, kArchive, other.SignVersion(kArchive, "20101001"), "20101001", &why));
    EXPECT_EQ(why, "signed with another key");
    // Another key's signature under our key id: the signature itself fails.
    const auto ourKey = ParseMinisignKey(signer.PublicKeyLine());
    const auto otherKey = ParseMinisignKey(other.PublicKeyLine());
    ASSERT_TRUE(ourKey && otherKey);
    TMinisignKey disguised = *otherKey;
    disguised.keyId = ourKey->keyId;
    EXPECT_FALSE(VerifyMinisign(disguised, kArchive, sig, {"version=20101001"}, &why));
    EXPECT_EQ(why, "the signature does not match the file");

    // A trusted comment rewritten to another version: the global signature fails.
    std::string retold = sig;
    retold.replace(retold.find("version=20101001"), 16, "version=20101002");
    EXPECT_FALSE(Verifies(signer, kArchive, retold, "20101002", &why));
    EXPECT_EQ(why, "the trusted comment is not signed");

    // "ED" relabelled "Ed" (and the other way round) no longer verifies.
    const std::string legacy = signer.SignVersion(kArchive, "20101001", true);
    for (const std::string& original : {sig, legacy}) {
        const auto second = original.find('\n') + 1;
        std::string relabelled = original;
        // "RU..." is "ED", "RW..." is "Ed".
        relabelled[second + 1] = original[second + 1] == 'U' ? 'W' : 'U';
        EXPECT_FALSE(Verifies(signer, kArchive, relabelled, "20101001"));
    }
}

TEST(Minisign, MalformedSignatureFilesAreRefusedWithoutACrash)
{
    TTestSigner signer;
    const std::string sig = signer.SignVersion(kArchive, "20101001");
    std::vector<std::string> bad = {"", "garbage", std::string(4096, 'A'), std::string("\0\0\0\0", 4),
                                    "untrusted comment: x\n\ntrusted comment: y\n\n"};
    for (std::size_t cut = 0; cut < sig.size(); cut += 7)
        bad.push_back(sig.substr(0, cut));
    // A line too many, lines out of order, the comment headers missing.
    bad.push_back(sig + "one more line\n");
    const auto first = sig.find('\n') + 1;
    bad.push_back(sig.substr(first));
    bad.push_back("comment: x\n" + sig.substr(first));
    bad.push_back(std::string(sig).replace(sig.find("trusted comment: "), 17, "trusted: "));
    std::string nul = sig;
    nul[first + 20] = '\0';
    bad.push_back(nul);
    for (const auto& text : bad) {
        EXPECT_FALSE(ParseMinisignSignature(text)) << text;
        EXPECT_FALSE(Verifies(signer, kArchive, text, "20101001")) << text;
    }
    EXPECT_TRUE(ParseMinisignSignature(sig + "\n\n")) << "trailing empty lines are harmless";
}

TEST(Minisign, AgreesWithTheMinisignTool)
{
    if (FindProgram("minisign").empty())
        GTEST_SKIP() << "minisign is not installed (scripts/install-deps.sh installs it)";
    TTempDir dir;
    const std::string pub = dir.Path() + "k.pub";
    const std::string sec = dir.Path() + "k.key";
    const std::string file = dir.Path() + "update.zip";
    WriteFile(file, kArchive);
    ASSERT_TRUE(Shell("minisign -G -W -p " + Quoted(pub) + " -s " + Quoted(sec)));
    const std::string pubText = ReadFile(pub);
    const std::string line = pubText.substr(pubText.find('\n') + 1, 56);
    const auto key = ParseMinisignKey(line);
    ASSERT_TRUE(key) << pubText;

    // What the tool signs, we accept (both algorithms) for the version named.
    for (const char* legacyFlag : {"", " -l"}) {
        ASSERT_TRUE(Shell("minisign -S" + std::string(legacyFlag) + " -s " + Quoted(sec) + " -m " + Quoted(file) +
                        " -t 'version=20101001'"));
        const std::string sig = ReadFile(file + ".minisig");
        EXPECT_TRUE(VerifyMinisign(*key, kArchive, sig, {"version=20101001"})) << sig;
        EXPECT_FALSE(VerifyMinisign(*key, kArchive, sig, {"version=20101002"}));
        EXPECT_FALSE(VerifyMinisign(*key, kArchive + " ", sig, {"version=20101001"}));
    }

    // What our test signer makes, the tool accepts.
    TTestSigner signer;
    for (bool legacy : {false, true}) {
        WriteFile(file + ".minisig", signer.SignVersion(kArchive, "20101001", legacy));
        EXPECT_TRUE(Shell("minisign -V -P " + signer.PublicKeyLine() + " -m " + Quoted(file))) << legacy;
    }
}
