#include "Unit1.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include "AccessibleFactory.h"
#include "AnsiText.h"
#include "BrowserPane.h"

#include "Launcher.h"
#include "Messages.h"
#include "Notebook.h"
#include "SearchThread.h"
#include "codepage.h"
#include "data.h"

std::atomic<bool> SearchIdle{true};

namespace {

// How long after its first showing the window waits to be framed.
constexpr int kFrameWaitMs = 2000;

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    SearchIdle.store(true);
    InstallAccessibleFactory();
    // Off the record: nothing the panes load is kept after the run.
    profile_ = new TPaneProfile(this);
    CreatePictures();
    CreateControls();
    StartBlankDocuments();
    CreateMenus();
    ConnectEvents();
    ConnectPanes();
    ConnectSellerView();
    ConnectKeyboard();
    NameControls();
    // The lists have their default items from the start, so even the search
    // that tree construction starts sends the defaults.
    SetDefaultConditions();
}

TForm1::~TForm1()
{
    // The updater posts nothing more and asks nothing more from here on; its
    // own destruction (after this body) stops its worker and, after a
    // successful update, leaves the clean-up script.
    MyUpdate1.form.Close();
    // A search may still be running: cut its request short and wait for the
    // worker before the client and the window it reports to go away.
    Taobaoke_Items1.Http.Abort();
    JoinWorker();
    while (!TabList.empty())
        TabList.pop_back();
    // Pages must be gone before the profile they use.
    for (QWebEngineView* pane : {web, web2, web3, web4, webShop, webCount})
        delete pane;
    delete profile_;
}

void TForm1::FormCreate()
{
    SoftInfo = SOFT_INFO{};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!ok1.GetSoftInfo(BaseUrl + "taobao/III/OK/ok_list.php", kPid, SoftInfo)) {
        BaseUrl = FallbackUrl;
        SoftInfo = SOFT_INFO{};
        ok1.GetSoftInfo(BaseUrl + "taobao/III/OK/ok_list.php", kPid, SoftInfo);
    }
    QApplication::restoreOverrideCursor();
    if (MyUpdate1.CheckUpdate(UpdateCallbacks(), SoftInfo, kCurrentVersion))
        setWindowTitle(QStringLiteral("正在更新软件。。。"));
    else
        setWindowTitle(QStringLiteral("Pallido"));
    bsSkinNotebook1->SetPageCaption(3, Q(SoftInfo.page_caption));
    NameFourthPage();
    LoadRootCategories();
    SetDefaultConditions();
    CenterOnScreen();
    InitBrowserPanes();
}

TUpdateForm TForm1::UpdateCallbacks()
{
    TUpdateForm form;
    // The worker posts its outcome as the window's own update messages.
    form.post = [this](int message) {
        QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(message)));
    };
    form.runOnGui = [this](std::function<void()> task) {
        QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    };
    // Asked on the GUI thread in a box that leaves the window usable; the
    // worker waits for the answer. A box closed without Yes answers No; one
    // that goes with the window answers nothing, and the closing window
    // stops the worker itself.
    form.askReplace = [this](const std::string& fileName, std::function<void(bool)> answer) {
        auto* box = new QMessageBox(QMessageBox::Question, QString::fromLatin1(kFileExistsTitle),
                                    Q(ReplaceQuestion(fileName)), QMessageBox::Yes | QMessageBox::No, this);
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, box, [box, answer = std::move(answer)] {
            answer(box->standardButton(box->clickedButton()) == QMessageBox::Yes);
        });
        box->show();
    };
    return form;
}

void TForm1::CenterOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize area = screen->geometry().size();
    // move() places the frame, so the formula takes the window as the user
    // sees it, frame included (before the window is shown no frame is known
    // yet; showEvent places it once more when one is).
    const QSize outer = frameGeometry().size();
    move((area.width() - outer.width()) / 2 - 10, (area.height() - outer.height()) / 2 - 15);
    placedWithFrame_ = outer != size();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The first showing framed the window: place it again by its frame,
    // unless it was placed with one already.
    if (!placedOnce_ && QGuiApplication::primaryScreen()) {
        placedOnce_ = true;
        awaitingFrame_ = !placedWithFrame_;
        QMetaObject::invokeMethod(this, [this] { PlaceByNewFrame(); }, Qt::QueuedConnection);
        // A window manager frames the window a moment after it is shown (and
        // moves it by doing so); one that has not framed it by then never will.
        QTimer::singleShot(kFrameWaitMs, this, [this] { awaitingFrame_ = false; });
    }
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    PlaceByNewFrame();
}

void TForm1::PlaceByNewFrame()
{
    if (!awaitingFrame_ || frameGeometry().size() == size())
        return;
    awaitingFrame_ = false;
    CenterOnScreen();
}

void TForm1::SetDefaultConditions()
{
    bsSkinComboBoxEx1->setCurrentIndex(0);
    bsSkinComboBoxEx2->setCurrentIndex(bsSkinComboBoxEx2->count() - 1);
    bsSkinComboBoxEx3->setCurrentIndex(0);
}

void TForm1::customEvent(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == WM_SEARCH_DONE)
        OnSearchDone();
    else if (type == WM_SEARCH_FAILED)
        OnSearchFailed();
    else if (type == WM_UPDATE_DONE)
        QCoreApplication::quit();
    else if (type == WM_UPDATE_FAILED)
        setWindowTitle(QStringLiteral("Pallido"));
    else
        QMainWindow::customEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // Enter that no focused control used itself clicks the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && Button1 &&
        Button1->isVisible() && Button1->isEnabled()) {
        Button1->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::ShowNoResultMessage(TFailure failure)
{
    const QString text = failure == TFailure::Unreachable
                             ? QStringLiteral("无法连接服务器，请检查网络后重试")
                             : QStringLiteral("很抱歉，没有搜索到相关数据  ╮(╯▽╰)╭");
    QMessageBox box(QMessageBox::Question, QStringLiteral("惜哉..."), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("bsSkinMessage1"));
    box.exec();
}

void TForm1::Button1Click() { StartSearch(); }

void TForm1::bsSkinLinkImage1Click() { StartSearch(); }

void TForm1::Image1Click() { StartCalculator(); }

void TForm1::Image2Click() { StartWebBrowser(); }
