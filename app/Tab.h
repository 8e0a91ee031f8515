#pragma once
// One result tab: the conditions of its search, the page it shows and a copy
// of that page's rows.

#include <array>
#include <string>

#include "Taobaoke_Items.h"

class QTreeWidgetItem;

struct TAB {
    std::string key;                 // ConditionKey of the conditions below
    QTreeWidgetItem* node = nullptr; // category selected when the result arrived
    int sort = 0;
    int page_no = 1;
    std::string keyword;
    std::string start_price;
    std::string end_price;
    bool guarantee = false;
    int page_count = 0; // 0..99
    int start_credit = 0;
    int end_credit = 0;
    int area = 0;
    int view = 0; // 0 big pictures, 1 list
    // Rows of the shown page; the first row with an empty title ends the list.
    std::array<Tbk_Items_Info, 40> items;
};
