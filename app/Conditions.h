#pragma once
// The search panel's values as plain data, and what a search makes of them:
// the condition text and key that identify a search, the request conditions,
// and the page count of a reply. Qt-free so it can be checked on its own.

#include <string>

#include "Taobaoke_Items.h"

// A snapshot of the search panel, taken on the GUI thread. Texts are in the
// 8-bit code page.
struct TPanelValues {
    std::string keyword;
    std::string category;     // caption of the selected tree node
    int cid = 0;              // its category id (-1 for a placeholder)
    bool hasCategory = false; // false when no node is selected
    std::string startPrice;
    std::string endPrice;
    int sort = 0;
    int startCredit = 0;
    int endCredit = 19;
    int area = 0;
    bool guarantee = false;
};

// Keyword, category caption, category id, the two prices, then the indexes of
// sort, lowest credit, highest credit, area, and 1/0 for the guarantee box.
// The id keeps categories of the same caption under different parents apart.
std::string ConditionText(const TPanelValues& v);
// Md5Hex of the condition text.
std::string ConditionKey(const TPanelValues& v);

// The affiliate search request for the panel and a page. List indexes outside
// their tables send nothing for that condition.
Tbk_Items_Cond SearchConditions(const TPanelValues& v, int page, const std::string& baseUrl);

// Pages of 40 results offered for a total_results text: rounded up, at most
// 99; 0 for a text that is not a decimal number.
int PageCount(const std::string& totalResults);

