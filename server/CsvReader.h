#pragma once
// A strict reader of CSV text (RFC 4180): fields separated by commas,
// records by CRLF or LF, fields that hold commas, quotes or line breaks
// enclosed in double quotes with inner quotes doubled. A UTF-8 byte order
// mark at the start is skipped and empty lines are passed over. A quote
// inside an unquoted field, text after a closing quote, a lone CR or an
// unclosed quote is an error.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TCsvReader {
public:
    // `text` must outlive the reader.
    explicit TCsvReader(std::string_view text);

    // The next record; false at the end of the text or on an error (then
    // Error() says what was wrong).
    bool Next(std::vector<std::string>& fields);
    // The line on which the record last returned (or the error) starts.
    std::size_t Line() const { return recordLine_; }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const char* what);
    bool ReadQuoted(std::string& field);

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 0;
    std::string error_;
};
