#pragma once
// The entry names of a ZIP archive exactly as stored in its central
// directory. The ZIP library hands names out as C strings with NUL bytes
// turned into blanks, so this is the only way to see a name that holds a NUL.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The raw names of the archive held in `archive`, in central-directory order
// (the order the ZIP library indexes them); nothing when the directory cannot
// be read.
std::optional<std::vector<std::string>> CentralDirectoryNames(std::string_view archive);
