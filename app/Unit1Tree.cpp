// The category tree: root level at start-up, deeper levels on first opening.

#include <QApplication>
#include <QTreeWidget>

#include "AnsiText.h"
#include "BusyCursor.h"
#include "Unit1.h"
#include "codepage.h"
#include "data.h"

namespace {

// The decimal value of a reply's cid; false when it is not a 32-bit integer.
bool CategoryId(const std::string& text, int& id)
{
    bool ok = false;
    id = QString::fromStdString(text).toInt(&ok);
    return ok;
}

Tb_Itemcats_Cond LevelConditions(const std::string& parentCid)
{
    Tb_Itemcats_Cond c;
    c.pid = kPid;
    c.url = BaseUrl + "taobao/tb_itemcats.php";
    c.parent_cid = parentCid;
    return c;
}

QTreeWidgetItem* AddPlaceholder(QTreeWidgetItem* node)
{
    auto* child = new QTreeWidgetItem(node);
    child->setData(0, TForm1::kCategoryIdRole, -1);
    child->setData(0, TForm1::kIconRole, node->data(0, TForm1::kIconRole));
    return child;
}

} // namespace

QTreeWidgetItem* TForm1::AddCategoryNode(QTreeWidgetItem* parent, const Tb_Itemcats_Info& row,
                                         int icon)
{
    int id = 0;
    if (!CategoryId(row.cid, id))
        return nullptr;
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(bsSkinTreeView1);
    node->setText(0, Q(row.name));
    node->setData(0, kCategoryIdRole, id);
    node->setData(0, kIconRole, icon);
    if (icon >= 0 && icon < static_cast<int>(ImageList3.size()))
        node->setIcon(0, QIcon(ImageList3[static_cast<std::size_t>(icon)]));
    if (row.is_parent == "true")
        AddPlaceholder(node);
    return node;
}

void TForm1::LoadRootCategories()
{
    auto* all = new QTreeWidgetItem(bsSkinTreeView1);
    all->setText(0, QStringLiteral("所有类目"));
    all->setData(0, kCategoryIdRole, 0);
    all->setData(0, kIconRole, 0);
    all->setIcon(0, QIcon(ImageList3[0]));
    // Selecting it starts the first search of the run.
    bsSkinTreeView1->setCurrentItem(all);

    const ATb_Itemcats_Info* rows = nullptr;
    {
        const TBusyCursor busy;
        if (!Taobao_Itemcats1.Fetch(LevelConditions("0"), Tb_Itemcats_Info{}, rows))
            return;
    }
    for (std::size_t i = 0; i < 71 && i < rows->size(); ++i) {
        const Tb_Itemcats_Info& row = (*rows)[i];
        if (row.cid.empty() || row.name == "error")
            continue;
        AddCategoryNode(nullptr, row, RootCategoryIcon(row.name));
    }
}

void TForm1::LoadChildCategories(QTreeWidgetItem* node)
{
    if (!node || node->childCount() == 0 || !node->child(0)->text(0).isEmpty())
        return;
    const ATb_Itemcats_Info* rows = nullptr;
    {
        const TBusyCursor busy;
        const std::string parent = std::to_string(node->data(0, kCategoryIdRole).toInt());
        if (!Taobao_Itemcats1.Fetch(LevelConditions(parent), Tb_Itemcats_Info{}, rows))
            return;
    }
    // The placeholder goes away: a tab made while it was selected now refers
    // to the category it stood under, and removing it from the selection
    // starts no search. The level may load while a tab is being restored
    // (the tree opens the parent of the node it selects), which has switched
    // tree searches off itself: leave them as they were.
    const bool searchWasEnabled = TreeSearchEnabled;
    TreeSearchEnabled = false;
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* old = node->child(i);
        for (auto& tab : TabList)
            if (tab->node == old)
                tab->node = node;
        if (origin_.node == old)
            origin_.node = node;
        if (bsSkinTreeView1->currentItem() == old)
            bsSkinTreeView1->setCurrentItem(node);
    }
    qDeleteAll(node->takeChildren());
    TreeSearchEnabled = searchWasEnabled;

    const int icon = node->data(0, kIconRole).toInt();
    for (std::size_t i = 0; i < 61 && i < rows->size(); ++i) {
        const Tb_Itemcats_Info& row = (*rows)[i];
        if (row.cid.empty())
            break;
        AddCategoryNode(node, row, icon);
    }
}

// Selecting a node of the shown tree opens its parents, and opening one the
// first time loads its level, which replaces a placeholder node (a tab on it
// then refers to its parent). Opened before the node is selected, the tree
// never replaces the node it is in the middle of making the current one.
void TForm1::OpenCategoryParents(QTreeWidgetItem* node)
{
    if (!node || !bsSkinTreeView1->isVisible())
        return;
    // Only a placeholder is ever replaced, never a parent, so the walk up
    // goes on safely from a parent just opened.
    for (QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        p->setExpanded(true);
}

void TForm1::bsSkinTreeView1Change()
{
    if (TreeSearchEnabled)
        StartSearch();
}

void TForm1::bsSkinTreeView1Expanding(QTreeWidgetItem* node) { LoadChildCategories(node); }
