#pragma once
// Forty result rows and a seller page shaped like real ones (Chinese titles
// with highlighted words, addresses with query strings, all twenty credit
// scores), for benchmarks and screenshots.

#include <string>

#include "PageRender.h"

// `pictureBase` is prepended to the picture names ("http://host:port/img/").
TResultRows SampleResultRows(const std::string& pictureBase, int count = 40);
SHOP_ITEM SampleShop(const std::string& pictureBase, int count = 40);
