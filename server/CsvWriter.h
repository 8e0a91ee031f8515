#pragma once
// Writes CSV text (RFC 4180, CRLF line ends); a field is quoted only when
// it holds a comma, a quote, a line break or blanks at either end.

#include <initializer_list>
#include <string>
#include <string_view>

class TCsvWriter {
public:
    void Row(std::initializer_list<std::string_view> fields);
    const std::string& Text() const { return out_; }

private:
    std::string out_;
};
