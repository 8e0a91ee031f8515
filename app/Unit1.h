#pragma once
// The main window: search panel, category tree, result tabs and paging, the
// browser panes, and the start-up sequence that chooses the server.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPixmap>

#include "Conditions.h"
#include "PaneProfile.h"
#include "LinkTarget.h"
#include "ShopSlots.h"
#include "Tab.h"
#include "Taobao_Itemcats.h"
#include "Taobao_Items.h"
#include "Taobaoke_Items.h"
#include "Taobaoke_Items_Convert.h"
#include "myupdate.h"
#include "ok.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;
class QColor;
class QWebEngineProfile;
class TBrowserPane;
class TMyScrollBar;
class TPaneInputFilter;
enum class TPaneKind;
class TNotebook;
class TPictureButton;

namespace Unit1 {
class TMyThread;
}

// True while no search worker runs. Set false on the GUI thread when a worker
// is created and true by the worker as its last step.
extern std::atomic<bool> SearchIdle;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Tree item data: category id (int) and icon index (int).
    static constexpr int kCategoryIdRole = Qt::UserRole;
    static constexpr int kIconRole = Qt::UserRole + 1;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: software information and server choice, update check,
    // captions, root categories (which start the first search), default
    // conditions, placement, browser panes.
    void FormCreate();
    void CenterOnScreen();
    // Places the window again once a window manager has framed it.
    void PlaceByNewFrame();
    // The updater's way back to this window: posted messages and the
    // replace question on the GUI thread.
    TUpdateForm UpdateCallbacks();
    void SetDefaultConditions();

    // Browser panes.
    void StartBlankDocuments();
    void InitBrowserPanes();
    void StartLaterDocuments();
    // Replaces the pane's document with `ansiHtml` (8-bit code page).
    void LoadHtml(TBrowserPane* pane, const std::string& ansiHtml);
    void NavigatePane(TBrowserPane* pane, const std::string& url);
    // True once the pane has been sent to an address.
    bool PaneNavigated(const TBrowserPane* pane) const;
    void webDocumentComplete();
    void web2DocumentComplete();
    void web3DocumentComplete();
    void web4DocumentComplete();
    void webShopDocumentComplete();
    // Gives the bar's pane the input focus.
    void ScrollBar1MouseEnter(TMyScrollBar* sender);
    void FormResize();

    // Seller list and seller pages.
    void ClearShops();
    std::string ColorToHtml(const QColor& color);
    // Shows the seller page of slot shop_index, requesting its page first
    // when paging or when nothing is stored yet; true when it is shown.
    bool LoadShopItems(bool Paging);
    void UpdateShopPager();
    void ShowShopPage();
    void RenderShopGrid();
    void RenderShopList();
    void OpenShopItem(int Index);
    SHOP_ITEM& CurrentShop();
    void web2BeforeNavigate2(const QString& url, bool& cancel);
    void webShopBeforeNavigate2(const QString& url, bool& cancel);
    void bsSkinButtonLabel4Click();
    void bsSkinButtonLabel1Click();
    void bsSkinButtonLabel2Click();
    void bsSkinButtonLabel3Click();
    void ComboBox1Change(int index);
    void ComboBox2Change();

    // Category tree.
    void LoadRootCategories();
    void LoadChildCategories(QTreeWidgetItem* node);
    void OpenCategoryParents(QTreeWidgetItem* node);

    // Search.
    void StartSearch();
    void NormalizeConditions();
    bool FindTabByConditions(int& index);
    void RememberKeyword();
    void EnableSearchControls(bool on);
    void RequestPage();
    TPanelValues ReadPanel() const;
    // The conditions `tab` was searched with, as the panel would hold them.
    TPanelValues TabPanel(const TAB& tab) const;
    bool SearchRunning() const { return searchPending_; }
    // The one off-the-record profile of all panes.
    QWebEngineProfile* Profile() const { return profile_; }

    // Result tabs and paging.
    void StoreSearchResult();
    void CopyResultsToTab();
    void CopyResultsTo(TAB& tab);
    void ActivateTab(int index);
    void UpdatePager();
    bool CloseTab(int index);
    void ShowResultPage();
    void RenderResultGrid();
    void RenderResultList();
    void RenderSellerList();
    void WriteSellerListWhenIdle();
    void WriteSellerList();
    bool ResultPageSettled() const;
    TAB* SelectedTab() const;

    // Event handlers.
    void Button1Click();
    void bsSkinLinkImage1Click();
    void bsSkinComboBoxEx3Change();
    void bsSkinComboBox4Change();
    void bsSkinTreeView1Change();
    void bsSkinTreeView1Expanding(QTreeWidgetItem* node);
    void bsSkinTabControl1Change(int index);
    void bsSkinTabControl1Close(int index);
    void IndexButClick();
    void BackButClick();
    void NextButClick();
    void TailButClick();
    void ComboBoxPageChange(int index);
    void Image1Click();
    void Image2Click();

    // --- Controls (owned through the Qt parent tree) ---
    QFrame *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr,
           *Panel5 = nullptr, *Panel6 = nullptr, *Panel7 = nullptr, *Panel8 = nullptr,
           *Panel9 = nullptr, *Panel10 = nullptr, *Panel11 = nullptr;
    TNotebook* bsSkinNotebook1 = nullptr;
    QTreeWidget* bsSkinTreeView1 = nullptr;
    QFrame* bsSkinPanel1 = nullptr;
    QLabel *bsSkinStdLabel1 = nullptr, *bsSkinStdLabel2 = nullptr, *bsSkinStdLabel3 = nullptr,
           *bsSkinStdLabel4 = nullptr;
    QComboBox* bsSkinComboBox1 = nullptr;   // keyword
    QComboBox* bsSkinComboBoxEx3 = nullptr; // sort
    QComboBox* bsSkinComboBoxEx1 = nullptr; // lowest credit
    QComboBox* bsSkinComboBoxEx2 = nullptr; // highest credit
    QComboBox* bsSkinComboBox3 = nullptr;   // area
    QComboBox* bsSkinComboBox4 = nullptr;   // view
    QSpinBox *bsSkinSpinEdit1 = nullptr, *bsSkinSpinEdit2 = nullptr;
    QCheckBox* bsSkinCheckRadioBox1 = nullptr;
    TPictureButton *bsSkinLinkImage1 = nullptr, *Image1 = nullptr, *Image2 = nullptr;
    QPushButton* Button1 = nullptr;
    QTabBar* bsSkinTabControl1 = nullptr;
    QPushButton *IndexBut = nullptr, *BackBut = nullptr, *NextBut = nullptr, *TailBut = nullptr;
    QComboBox* ComboBoxPage = nullptr;
    QLabel *bsSkinLinkLabel1 = nullptr, *bsSkinLinkLabel2 = nullptr, *bsSkinLinkLabel3 = nullptr,
           *bsSkinLinkLabel4 = nullptr, *bsSkinLinkLabel5 = nullptr, *bsSkinLinkLabel6 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr;
    QPushButton *bsSkinButtonLabel1 = nullptr, *bsSkinButtonLabel2 = nullptr,
                *bsSkinButtonLabel3 = nullptr, *bsSkinButtonLabel4 = nullptr;
    TBrowserPane *web = nullptr, *web2 = nullptr, *web3 = nullptr, *web4 = nullptr,
                 *webShop = nullptr, *webCount = nullptr;
    TMyScrollBar *ScrollBar = nullptr, *ScrollBar2 = nullptr, *ScrollBar3 = nullptr,
                 *ScrollBar4 = nullptr, *MyScrollBar1 = nullptr;
    // Wheel steps and dropped keys/right button over the panes.
    TPaneInputFilter* ApplicationEvents1 = nullptr;
    QMenu* bsSkinPopupMenu2 = nullptr; // window menu
    QAction *N2 = nullptr, *N3 = nullptr, *N5 = nullptr, *N4 = nullptr;
    QMenu* bsSkinPopupMenu3 = nullptr; // tab menu
    QAction *N6 = nullptr, *MenuItem1 = nullptr;

    // Image lists: sort pictures, credit pictures, category icons, page icons.
    std::vector<QPixmap> ImageList1, ImageList2, ImageList3, bsPngImageList1;

    // --- Components ---
    TTaobao_Itemcats Taobao_Itemcats1;
    TTaobaoke_Items Taobaoke_Items1;
    TTaobao_Items Taobao_Items1;
    TTaobaoke_Items_Convert Taobaoke_Items_Convert1;
    TOK ok1;
    TMyUpdate MyUpdate1;

    // --- State ---
    std::vector<std::unique_ptr<TAB>> TabList;
    int RequestedPage = 1;
    bool ReuseTab = false;
    const ATbk_Items_Info* SearchResults = nullptr;
    bool TreeSearchEnabled = true;
    int MenuTabIndex = 0;
    SOFT_INFO SoftInfo;
    // Sellers of the shown result page; shop_index is the one in webShop.
    TShopSlots shops;
    int shop_index = 0;

protected:
    void customEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    // The failed-search message box; modal, a single OK button. It says
    // that the server could not be reached when the request itself failed,
    // else that nothing was found.
    virtual void ShowNoResultMessage(TFailure failure);

private:
    void CreateControls();
    void CreateSearchPanel(QWidget* parent);
    void CreateResultArea(QWidget* parent);
    void CreateSellerView(QWidget* parent);
    void CreateNotebook(QWidget* parent);
    void CreateMenus();
    // Accessible names and item texts, the fourth page's pane and bar once
    // more when the page has its caption, the tab order and the tab
    // strip's keys.
    void NameControls();
    void NameFourthPage();
    void NameTabCloseButton(int index);
    void ConnectKeyboard();
    void CreatePictures();
    void ConnectEvents();
    TBrowserPane* CreatePane(TPaneKind kind, const QString& name, QWidget* parent,
                             const QRect& geometry);
    TMyScrollBar* CreateScrollBar(const QString& name, QWidget* parent, const QRect& geometry);
    // Binds bars to panes, connects the panes' events, installs the input filter.
    void ConnectPanes();
    void ConnectSellerView();
    // Moves the shown seller to another page; the old page stays on failure.
    bool ChangeShopPage(int page);

    void StartWorker();
    void JoinWorker();
    void OnSearchDone();
    void OnSearchFailed();
    QTreeWidgetItem* AddCategoryNode(QTreeWidgetItem* parent, const Tb_Itemcats_Info& row,
                                     int icon);

    TPaneProfile* profile_ = nullptr;
    bool placedOnce_ = false;       // showEvent has run
    bool placedWithFrame_ = false;  // the last placement knew the frame
    bool awaitingFrame_ = false;    // shown, placed without a frame, none seen yet
    std::unique_ptr<Unit1::TMyThread> worker_;
    bool searchPending_ = false; // a worker's outcome has not been handled yet
    // The seller list made for the shown tab and not yet written (see
    // WriteSellerListWhenIdle), the quiet time it waits for, and the latest
    // it is written all the same.
    std::optional<std::string> pendingSellerList_;
    QTimer* sellerListQuiet_ = nullptr;
    QTimer* sellerListDeadline_ = nullptr;
    // The seller list's start document and the counter page wait for the
    // first result page (see InitBrowserPanes), the seller item pane's start
    // document for its first page (see LoadHtml).
    bool sellerBlanksPending_ = false;
    bool shopBlankPending_ = false;
    bool counterPending_ = false;
    // What the running search was started for, taken with its conditions.
    // The tab strip and the tree stay usable while it runs, so its outcome
    // goes by this, not by whatever tab, panel or tree selection is current
    // when it arrives: a page lands in the tab that asked for it (nowhere if
    // that tab was closed), a new tab gets the conditions that were searched.
    struct TSearchOrigin {
        TPanelValues panel;
        QTreeWidgetItem* node = nullptr;
        int view = 0;
        int page = 1;
        const TAB* tab = nullptr; // the tab asking for a page; none for a new search
    };
    TSearchOrigin origin_;
    TAB* OriginTab() const;
};
