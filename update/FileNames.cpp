#include "FileNames.h"

#include "codepage.h"

std::string FlattenEntryName(const std::string& name)
{
    if (name.find('\0') != std::string::npos)
        return {};
    const auto cut = name.find_last_of("/\\");
    std::string last = cut == std::string::npos ? name : name.substr(cut + 1);
    if (last.empty() || last == "." || last == "..")
        return {};
    return last;
}

std::string EntryNameToUtf8(const std::string& raw)
{
    std::string ignored;
    if (Utf8ToAnsiStrict(raw, ignored))
        return raw;
    return AnsiToUtf8(raw);
}

bool IsBareFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}
