#pragma once
// Writes a reply document shaped like the marketplace platform's: a UTF-8
// declaration, the document element, nested elements with escaped text.

#include <string>
#include <string_view>
#include <vector>

class TXmlWriter {
public:
    explicit TXmlWriter(std::string_view root, std::size_t reserve = 1024);

    void Open(std::string_view name);
    void Close();
    // <name>escaped text</name>
    void Element(std::string_view name, std::string_view text);
    void Element(std::string_view name, long long value);
    // Closes every open element and hands out the document.
    std::string Finish();

private:
    std::string out_;
    std::vector<std::string> open_;
};

// <error_response><code>N</code><msg>...</msg></error_response>, the platform's
// error reply.
std::string ErrorReply(int code, std::string_view msg);
