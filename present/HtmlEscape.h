#pragma once
// Escaping of field values for the generated pages. Values arrive in the
// 8-bit code page (GB18030); every byte that can end a text run or an
// attribute value ('<', '>', '&', '"', '\'') is below 0x40, and no GB18030
// trail byte is, so escaping byte by byte never splits a character.

#include <string>
#include <string_view>

// A value placed between tags: markup characters become entities.
void AppendHtmlText(std::string& out, std::string_view value);
std::string HtmlText(std::string_view value);

// A value placed inside a double-quoted attribute (addresses, picture
// sources): the same five characters become entities, so a quote cannot
// end the attribute.
void AppendHtmlAttr(std::string& out, std::string_view value);
std::string HtmlAttr(std::string_view value);

// An item title: the platform marks the searched words with
// <span class=H>...</span> (any letter case, H quoted or not); those tags are
// kept byte for byte, every other character is escaped as text. A highlight
// left open is closed at the end of the title, and a closing tag without an
// opening one is escaped, so a title can never close the page's own markup.
void AppendSafeTitle(std::string& out, std::string_view title);
std::string SafeTitle(std::string_view title);
