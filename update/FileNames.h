#pragma once
// File names that come from outside (archive entries, the announced program
// name) reduced to one safe component of a folder we own.

#include <string>

// The last component of an archive entry name, split at both "/" and "\\".
// Empty (the entry is to be skipped) when that component is empty, "." or
// "..", or when the name holds a NUL byte anywhere.
std::string FlattenEntryName(const std::string& name);

// An entry name as stored in the archive, in UTF-8 for the file system: kept
// when it already is valid UTF-8, otherwise read as the 8-bit code page
// (archives made on Chinese Windows store names that way).
std::string EntryNameToUtf8(const std::string& raw);

// True when `name` is usable as it stands as one file name in a folder: not
// empty, not "." or "..", and free of "/", "\\" and NUL.
bool IsBareFileName(const std::string& name);
