#pragma once
// TEMPORARY result page until the real page renderers are integrated: a
// plain grid of pictures, titles, prices and sellers with every field
// HTML-escaped. Input and output are in the 8-bit code page.

#include <string>

#include "Tab.h"

std::string TempResultPage(const TAB& tab);
// Escapes & < > " ' for HTML text and attribute values.
std::string EscapeHtml(const std::string& text);
