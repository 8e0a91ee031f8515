#pragma once

#include <string>

// printf-style formatting into a string of any length, for building the
// expected fragments of a page the way its layout defines them.
std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
