#pragma once
// Conversions between the system's 8-bit code page (GB18030, a superset of
// code page 936 that is byte-identical for every character 936 has) and UTF-8.
// Bytes that are not valid in the source encoding become U+FFFD, so a
// conversion never fails and never throws.

#include <string>
#include <string_view>

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Strict form: false when the input is not valid UTF-8.
bool Utf8ToAnsiStrict(std::string_view utf8, std::string& out);

// Shorthand for built-in texts written as UTF-8 literals in the source.
inline std::string Ansi(std::string_view utf8) { return Utf8ToAnsi(utf8); }
