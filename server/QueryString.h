#pragma once
// The query string of a request, parsed strictly from the raw text the client
// sent: "&"-separated key=value pairs, each percent-decoded. A "%" not
// followed by two hex digits, a key given twice, an empty key, too many
// parameters or an over-long query make the whole query malformed. "+" is an
// ordinary character (the client percent-encodes every byte of free text).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TQueryString {
public:
    enum class TStatus { Ok, TooLong, TooMany, BadEncoding, Duplicate, EmptyKey };

    static constexpr std::size_t kMaxLength = 4096;
    static constexpr std::size_t kMaxParams = 64;

    // Parses the text after "?"; on failure the object holds no parameters.
    TStatus Parse(std::string_view raw);
    // The query part of a request target ("/path?query"), "" when none.
    static std::string_view OfTarget(std::string_view target);

    bool Has(std::string_view key) const { return Find(key) != nullptr; }
    const std::string* Find(std::string_view key) const;
    // The decoded value, "" when the key is absent.
    const std::string& Get(std::string_view key) const;

private:
    std::vector<std::pair<std::string, std::string>> params_;
};

// Strict percent-decoding; false on a malformed escape.
bool PercentDecode(std::string_view in, std::string& out);
