#pragma once
// The order of announced versions. Versions are whole numbers written in
// decimal (the release date, such as "20100823"); a later release has the
// greater number.

#include <string_view>

// True when `text` is a whole number: one or more ASCII digits, nothing else.
bool IsWholeNumber(std::string_view text);

// True when both are whole numbers and `announced` is the greater one, as
// numbers of any length (leading zeros do not count).
bool IsNewerVersion(std::string_view announced, std::string_view current);
