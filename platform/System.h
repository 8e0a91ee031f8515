#pragma once
// What the program asks of the operating system about itself and its files.

#include <string>

namespace platform {

// The temporary folder, ending with "/".
std::string TempFolder();
// The running executable: full path, its folder (ending with "/"), bare name.
std::string ExecutablePath();
std::string ExecutableFolder();
std::string ExecutableName();
// The suffix of executables on this platform ("" here, ".exe" on Windows).
const char* ExecutableSuffix();
// The current working directory, ending with "/".
std::string CurrentFolder();

} // namespace platform
