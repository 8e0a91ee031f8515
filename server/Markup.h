#pragma once
// Escaping of text for XML, HTML and URL output.

#include <string>
#include <string_view>

// Appends `text` with & < > " ' escaped. Characters that XML 1.0 does not
// allow (control characters other than tab, LF and CR; U+FFFE and U+FFFF) are dropped and
// invalid UTF-8 becomes U+FFFD, so the output is always well-formed.
void AppendEscaped(std::string& out, std::string_view text);

std::string Escaped(std::string_view text);

// Percent-encodes every byte but ASCII letters, digits and "-._~", for a
// path segment or a query value.
std::string UrlEncoded(std::string_view text);
