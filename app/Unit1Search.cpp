// Search conditions, the search worker and its two messages.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include "AnsiText.h"
#include "MyScrollBar.h"
#include "PictureButton.h"
#include "SearchThread.h"
#include "Unit1.h"
#include "codepage.h"
#include "data.h"

namespace {

// Trims blanks and control characters (everything up to U+0020) from both ends.
QString TrimBlanks(const QString& s)
{
    qsizetype begin = 0, end = s.size();
    while (begin < end && s.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && s.at(end - 1).unicode() <= 0x20)
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

TPanelValues TForm1::ReadPanel() const
{
    TPanelValues v;
    v.keyword = A(bsSkinComboBox1->currentText());
    if (const QTreeWidgetItem* node = bsSkinTreeView1->currentItem()) {
        v.hasCategory = true;
        v.category = A(node->text(0));
        v.cid = node->data(0, kCategoryIdRole).toInt();
    }
    v.startPrice = std::to_string(bsSkinSpinEdit1->value());
    v.endPrice = std::to_string(bsSkinSpinEdit2->value());
    v.sort = bsSkinComboBoxEx3->currentIndex();
    v.startCredit = bsSkinComboBoxEx1->currentIndex();
    v.endCredit = bsSkinComboBoxEx2->currentIndex();
    v.area = bsSkinComboBox3->currentIndex();
    v.guarantee = bsSkinCheckRadioBox1->isChecked();
    return v;
}

TPanelValues TForm1::TabPanel(const TAB& tab) const
{
    TPanelValues v;
    v.keyword = tab.keyword;
    if (tab.node) {
        v.hasCategory = true;
        v.category = A(tab.node->text(0));
        v.cid = tab.node->data(0, kCategoryIdRole).toInt();
    }
    v.startPrice = tab.start_price;
    v.endPrice = tab.end_price;
    v.sort = tab.sort;
    v.startCredit = tab.start_credit;
    v.endCredit = tab.end_credit;
    v.area = tab.area;
    v.guarantee = tab.guarantee;
    return v;
}

void TForm1::StartSearch()
{
    // The worker marks itself idle right after posting its outcome; until
    // that outcome has been handled here its rows are not yet read, so a new
    // search (which would overwrite them) waits for that too.
    if (!SearchIdle.load() || searchPending_)
        return;
    NormalizeConditions();
    int index = -1;
    if (FindTabByConditions(index)) {
        ActivateTab(index);
        return;
    }
    RequestedPage = 1;
    ReuseTab = false;
    RememberKeyword();
    // The result page that arrives starts at its top.
    ScrollBar->BeginReload();
    StartWorker();
    EnableSearchControls(false);
}

void TForm1::NormalizeConditions()
{
    const QString keyword = bsSkinComboBox1->currentText();
    const QString trimmed = TrimBlanks(keyword);
    if (trimmed != keyword)
        bsSkinComboBox1->setEditText(trimmed);
    bsSkinSpinEdit1->interpretText();
    bsSkinSpinEdit2->interpretText();
    if (bsSkinSpinEdit1->value() > bsSkinSpinEdit2->value()) {
        const int low = bsSkinSpinEdit2->value();
        bsSkinSpinEdit2->setValue(bsSkinSpinEdit1->value());
        bsSkinSpinEdit1->setValue(low);
    }
    if (bsSkinComboBoxEx1->currentIndex() > bsSkinComboBoxEx2->currentIndex()) {
        const int low = bsSkinComboBoxEx2->currentIndex();
        bsSkinComboBoxEx2->setCurrentIndex(bsSkinComboBoxEx1->currentIndex());
        bsSkinComboBoxEx1->setCurrentIndex(low);
    }
}

bool TForm1::FindTabByConditions(int& index)
{
    const std::string key = ConditionKey(ReadPanel());
    for (std::size_t i = 0; i < TabList.size(); ++i) {
        if (TabList[i]->key == key) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void TForm1::RememberKeyword()
{
    const QString keyword = bsSkinComboBox1->currentText();
    if (keyword.isEmpty() || bsSkinComboBox1->findText(keyword, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    const QSignalBlocker block(bsSkinComboBox1);
    bsSkinComboBox1->addItem(keyword);
    bsSkinComboBox1->setEditText(keyword);
}

void TForm1::EnableSearchControls(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             bsSkinComboBox1, bsSkinComboBox3, bsSkinSpinEdit1, bsSkinSpinEdit2, bsSkinLinkImage1,
             bsSkinComboBoxEx1, bsSkinComboBoxEx2, bsSkinComboBoxEx3, bsSkinCheckRadioBox1,
             ComboBoxPage, bsSkinComboBox4})
        w->setEnabled(on);
    if (!on) {
        for (QPushButton* b : {BackBut, NextBut, TailBut, IndexBut})
            b->setEnabled(false);
    }
}

void TForm1::RequestPage()
{
    // One worker at a time: the page controls can be reached while a search
    // runs (a tab switch refills the pager), and two workers would share
    // the one client.
    if (searchPending_)
        return;
    ReuseTab = true;
    StartWorker();
    EnableSearchControls(false);
}

void TForm1::StartWorker()
{
    JoinWorker();
    // A page of a tab belongs to that tab's own search, whatever the panel
    // holds now; a new search takes the panel.
    TAB* asking = ReuseTab ? SelectedTab() : nullptr;
    origin_ = TSearchOrigin{asking ? TabPanel(*asking) : ReadPanel(),
                            asking ? asking->node : bsSkinTreeView1->currentItem(),
                            bsSkinComboBox4->currentIndex(), RequestedPage, asking};
    Tbk_Items_Cond cond = SearchConditions(origin_.panel, RequestedPage, BaseUrl);
    worker_ = std::make_unique<Unit1::TMyThread>(Taobaoke_Items1, std::move(cond), this, SearchIdle);
    connect(worker_.get(), &Unit1::TMyThread::CaptionRequested, this, &QWidget::setWindowTitle,
            Qt::QueuedConnection);
    searchPending_ = true;
    worker_->start();
}

void TForm1::JoinWorker()
{
    if (!worker_)
        return;
    worker_->wait();
    // The join orders everything the worker wrote into the search client
    // before what follows (the client is read again, or destroyed with the
    // window), but inside Qt, where the thread checker cannot see it; the
    // acquire of the worker's last flag shows it that order too.
    (void)worker_->Finished();
    worker_.reset();
}

void TForm1::OnSearchDone()
{
    searchPending_ = false;
    // Taken first: reading the worker's outcome is what makes the client's
    // rows and totals safe to read on this thread.
    if (const ATbk_Items_Info* rows = worker_ ? worker_->Results() : nullptr)
        SearchResults = rows;
    StoreSearchResult();
    EnableSearchControls(true);
    setWindowTitle(QStringLiteral("Pallido"));
}

void TForm1::OnSearchFailed()
{
    searchPending_ = false;
    const TFailure failure = worker_ ? worker_->Failure() : TFailure::BadReply;
    setWindowTitle(QStringLiteral("Pallido"));
    ShowNoResultMessage(failure);
    EnableSearchControls(true);
    WriteSellerListWhenIdle();
}

void TForm1::bsSkinComboBoxEx3Change()
{
    if (bsSkinTabControl1->count() > 0)
        StartSearch();
}
