// Result tabs, the stored pages and paging.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTreeWidget>

#include "AnsiText.h"
#include "BrowserPane.h"
#include "Unit1.h"
#include "codepage.h"

namespace {

void ClearRow(Tbk_Items_Info& r)
{
    for (std::string* f : {&r.nick, &r.title, &r.price, &r.pic_url, &r.click_url, &r.shop_click_url,
                           &r.seller_credit_score, &r.item_location, &r.volume})
        f->clear();
}

void CopyRow(const Tbk_Items_Info& from, Tbk_Items_Info& to)
{
    to.nick = from.nick;
    to.title = from.title;
    to.price = from.price;
    to.pic_url = from.pic_url;
    to.click_url = from.click_url;
    to.shop_click_url = from.shop_click_url;
    to.seller_credit_score = from.seller_credit_score;
    to.item_location = from.item_location;
    to.volume = from.volume;
}

int ToInt(const std::string& text)
{
    bool ok = false;
    const int v = QString::fromStdString(text).toInt(&ok);
    return ok ? v : 0;
}

} // namespace

TAB* TForm1::SelectedTab() const
{
    const int i = bsSkinTabControl1->currentIndex();
    if (i < 0 || i >= static_cast<int>(TabList.size()))
        return nullptr;
    return TabList[static_cast<std::size_t>(i)].get();
}

TAB* TForm1::OriginTab() const
{
    for (const auto& tab : TabList)
        if (tab.get() == origin_.tab)
            return tab.get();
    return nullptr;
}

void TForm1::StoreSearchResult()
{
    if (!SearchResults)
        return;
    const TPanelValues& panel = origin_.panel;
    const std::string key = ConditionKey(panel);
    if (bsSkinTabControl1->count() > 0 && ReuseTab) {
        // A page goes to the tab that asked for it, which need not be the
        // one shown now; the shown one is activated again either way, which
        // also gives it back its page buttons.
        // A page that came back without items leaves the tab as it was, so
        // the user is never stranded on an empty page without a pager.
        TAB* tab = OriginTab();
        if (tab && !(*SearchResults)[0].title.empty()) {
            tab->key = key;
            tab->page_no = origin_.page;
            CopyResultsTo(*tab);
        }
        ActivateTab(bsSkinTabControl1->currentIndex());
        return;
    }
    auto tab = std::make_unique<TAB>();
    tab->page_no = origin_.page;
    tab->key = key;
    tab->node = origin_.node;
    tab->keyword = panel.keyword;
    tab->start_price = panel.startPrice;
    tab->end_price = panel.endPrice;
    tab->sort = panel.sort;
    tab->start_credit = panel.startCredit;
    tab->end_credit = panel.endCredit;
    tab->view = origin_.view;
    tab->area = panel.area;
    tab->guarantee = panel.guarantee;
    const QString caption = !tab->keyword.empty() ? Q(tab->keyword)
                            : tab->node           ? tab->node->text(0)
                                                  : QString();
    TabList.push_back(std::move(tab));
    {
        const QSignalBlocker block(bsSkinTabControl1);
        const int added = bsSkinTabControl1->addTab(caption);
        NameTabCloseButton(added);
        bsSkinTabControl1->setCurrentIndex(added);
    }
    CopyResultsToTab();
    ActivateTab(bsSkinTabControl1->count() - 1);
}

void TForm1::CopyResultsToTab()
{
    if (TAB* tab = SelectedTab())
        CopyResultsTo(*tab);
}

void TForm1::CopyResultsTo(TAB& tab)
{
    if (!SearchResults)
        return;
    for (Tbk_Items_Info& row : tab.items)
        ClearRow(row);
    const ATbk_Items_Info& rows = *SearchResults;
    tab.page_count = PageCount(rows[0].total_results);
    for (std::size_t i = 0; i < tab.items.size() && !rows[i].title.empty(); ++i)
        CopyRow(rows[i], tab.items[i]);
}

void TForm1::ActivateTab(int index)
{
    if (index < 0 || index >= static_cast<int>(TabList.size()))
        return;
    const TAB& tab = *TabList[static_cast<std::size_t>(index)];
    TreeSearchEnabled = false;
    {
        const QSignalBlocker b1(bsSkinComboBoxEx3), b2(bsSkinComboBox4), b3(bsSkinComboBox1);
        if (tab.node) {
            OpenCategoryParents(tab.node); // may replace tab.node by its parent
            bsSkinTreeView1->setCurrentItem(tab.node);
        }
        bsSkinComboBox1->setEditText(Q(tab.keyword));
        bsSkinSpinEdit1->setValue(ToInt(tab.start_price));
        bsSkinSpinEdit2->setValue(ToInt(tab.end_price));
        bsSkinComboBoxEx3->setCurrentIndex(tab.sort);
        bsSkinComboBoxEx1->setCurrentIndex(tab.start_credit);
        bsSkinComboBoxEx2->setCurrentIndex(tab.end_credit);
        bsSkinComboBox4->setCurrentIndex(tab.view);
        bsSkinComboBox3->setCurrentIndex(tab.area);
        bsSkinCheckRadioBox1->setChecked(tab.guarantee);
    }
    {
        const QSignalBlocker block(bsSkinTabControl1);
        bsSkinTabControl1->setCurrentIndex(index);
    }
    RequestedPage = tab.page_no;
    TreeSearchEnabled = true;
    ShowResultPage();
    UpdatePager();
    RenderSellerList();
}

void TForm1::UpdatePager()
{
    const TAB* tab = SelectedTab();
    const int count = tab ? tab->page_count : 0;
    const int page = tab ? tab->page_no : 0;
    // While a search runs the page buttons stay off; its outcome updates them.
    if (count < 2 || searchPending_) {
        for (QPushButton* b : {IndexBut, BackBut, NextBut, TailBut})
            b->setEnabled(false);
    } else {
        for (QPushButton* b : {IndexBut, BackBut, NextBut, TailBut})
            b->setEnabled(true);
        if (page == 1) {
            IndexBut->setEnabled(false);
            BackBut->setEnabled(false);
        } else if (page == count) {
            NextBut->setEnabled(false);
            TailBut->setEnabled(false);
        }
    }
    const QSignalBlocker block(ComboBoxPage);
    ComboBoxPage->clear();
    for (int i = 1; i <= count; ++i)
        ComboBoxPage->addItem(QString::number(i));
    ComboBoxPage->setCurrentIndex(count > 0 ? page - 1 : -1);
}

bool TForm1::CloseTab(int index)
{
    if (bsSkinTabControl1->count() < 2 || index < 0 || index >= static_cast<int>(TabList.size()))
        return false;
    ActivateTab(index > 0 ? index - 1 : 1);
    TabList.erase(TabList.begin() + index);
    return true;
}

void TForm1::bsSkinComboBox4Change()
{
    TAB* tab = SelectedTab();
    if (!tab)
        return;
    tab->view = bsSkinComboBox4->currentIndex();
    ShowResultPage();
    web->setFocus();
}

void TForm1::bsSkinTabControl1Change(int index) { ActivateTab(index); }

void TForm1::bsSkinTabControl1Close(int index)
{
    if (!CloseTab(index))
        return;
    const QSignalBlocker block(bsSkinTabControl1);
    bsSkinTabControl1->removeTab(index);
}

void TForm1::IndexButClick()
{
    if (searchPending_ || TabList.empty())
        return;
    RequestedPage = 1;
    RequestPage();
}

void TForm1::BackButClick()
{
    if (searchPending_ || TabList.empty())
        return;
    RequestedPage -= 1;
    RequestPage();
}

void TForm1::NextButClick()
{
    if (searchPending_ || TabList.empty())
        return;
    RequestedPage += 1;
    RequestPage();
}

void TForm1::TailButClick()
{
    if (searchPending_ || TabList.empty())
        return;
    RequestedPage = ComboBoxPage->count();
    RequestPage();
}

void TForm1::ComboBoxPageChange(int index)
{
    // The page already shown is not asked for again. After a failed request
    // RequestedPage is the page that failed, and choosing it must ask again.
    const TAB* shown = SelectedTab();
    if (searchPending_ || TabList.empty() || index < 0 || !shown || index + 1 == shown->page_no)
        return;
    RequestedPage = index + 1;
    RequestPage();
}
