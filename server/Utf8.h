#pragma once
// UTF-8 checks used on everything a client sends and on every text written
// into a reply.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view bytes);

// Copy of `bytes` in which every invalid sequence became U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// Text that XML 1.0 accepts: invalid sequences become U+FFFD, and the
// characters XML does not allow (C0 controls other than tab, LF and CR;
// U+FFFE and U+FFFF) are dropped.
std::string XmlText(std::string_view bytes);

// True when `bytes` at `at` starts U+FFFE or U+FFFF (EF BF BE / EF BF BF).
bool IsNonCharacterAt(std::string_view bytes, std::size_t at);

// Code points of valid UTF-8 text (call IsUtf8 first; invalid bytes are
// returned as U+FFFD).
std::vector<std::uint32_t> CodePoints(std::string_view utf8);

// ASCII letters in lower case; every other byte unchanged, so positions and
// lengths stay the same.
std::string FoldAscii(std::string_view text);

// The first `count` code points of valid UTF-8 text (all of it when shorter).
std::string_view Utf8Prefix(std::string_view utf8, std::size_t count);

// Text for a terminal: C0 controls, DEL and the C1 controls (U+0080 to
// U+009F) written as \xHH, one per byte; everything else unchanged.
std::string TerminalText(std::string_view bytes);
