#include "CsvReader.h"

TCsvReader::TCsvReader(std::string_view text) : text_(text)
{
    if (text_.substr(0, 3) == "\xef\xbb\xbf")
        pos_ = 3;
}

bool TCsvReader::Fail(const char* what)
{
    error_ = what;
    recordLine_ = line_;
    return false;
}

bool TCsvReader::ReadQuoted(std::string& field)
{
    ++pos_; // the opening quote
    while (true) {
        const auto end = text_.find('"', pos_);
        if (end == std::string_view::npos)
            return Fail("a quoted field is not closed");
        for (std::size_t i = pos_; i < end; ++i)
            line_ += text_[i] == '\n';
        field.append(text_.substr(pos_, end - pos_));
        pos_ = end + 1;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            field += '"';
            ++pos_;
            continue;
        }
        return true;
    }
}

bool TCsvReader::Next(std::vector<std::string>& fields)
{
    fields.clear();
    if (!error_.empty())
        return false;
    // Empty lines between records are passed over.
    while (pos_ < text_.size() && (text_[pos_] == '\n' || text_.substr(pos_, 2) == "\r\n")) {
        pos_ += text_[pos_] == '\n' ? 1 : 2;
        ++line_;
    }
    if (pos_ >= text_.size())
        return false;
    recordLine_ = line_;
    const std::size_t startLine = line_;
    while (true) {
        std::string field;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            if (!ReadQuoted(field))
                return false;
        } else {
            const auto end = text_.find_first_of(",\r\n\"", pos_);
            const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
            field.assign(text_.substr(pos_, stop - pos_));
            pos_ = stop;
            if (pos_ < text_.size() && text_[pos_] == '"')
                return Fail("a quote inside a field that is not quoted");
        }
        fields.push_back(std::move(field));
        if (pos_ >= text_.size())
            break;
        const char c = text_[pos_];
        if (c == ',') {
            ++pos_;
            continue;
        }
        if (c == '\n' || text_.substr(pos_, 2) == "\r\n") {
            pos_ += c == '\n' ? 1 : 2;
            ++line_;
            break;
        }
        return Fail(c == '\r' ? "a CR that does not end a line" : "text after a closing quote");
    }
    recordLine_ = startLine;
    return true;
}
