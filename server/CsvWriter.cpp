#include "CsvWriter.h"

void TCsvWriter::Row(std::initializer_list<std::string_view> fields)
{
    bool first = true;
    for (const std::string_view f : fields) {
        if (!first)
            out_ += ',';
        first = false;
        const bool quote = f.find_first_of(",\"\r\n") != std::string_view::npos ||
                           (!f.empty() && (f.front() == ' ' || f.back() == ' '));
        if (!quote) {
            out_ += f;
            continue;
        }
        out_ += '"';
        for (char c : f) {
            if (c == '"')
                out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }
    out_ += "\r\n";
}
