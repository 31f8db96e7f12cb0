#include "app/mainwindow.h"

#include "admin/officesettingswindow.h"
#include "admin/regioncodeswindow.h"
#include "admin/userswindow.h"
#include "app/archiveedition.h"
#include "app/signindialog.h"
#include "lookup/lookupwindow.h"
#include "model/landrecord.h"
#include "model/notice.h"
#include "modify/modifywindow.h"
#include "recognition/autoregistrationwindow.h"
#include "registration/registrationwindow.h"
#include "ui/gradientbutton.h"
#include "ui/picturebutton.h"
#include "ui/pictures.h"
#include "ui/services.h"
#include "ui/theme.h"
#include "ui/workwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace rida::app {

using ui::pictures::Tool;

MainWindow::MainWindow(const QString& appDir, SignIn signIn) : QMainWindow(nullptr), appDir_(appDir)
{
    build();
    startUp(signIn ? signIn : SignIn(runSignIn));
}

MainWindow::MainWindow(const QString& appDir, ArchiveEdition& archive, SignIn signIn)
    : QMainWindow(nullptr), appDir_(appDir), archive_(&archive)
{
    build();
    connectAdministration();
    if (!signIn)
        signIn = [&archive](QWidget* parent) { return runArchiveSignIn(parent, archive.store()); };
    startUp(signIn);
}

void MainWindow::build()
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("rida zir ov ava - TANDELO®"));
    setMinimumWidth(150);
    refs::main = this;
    buildMenus();
    buildToolbar();
    buildBoard();
}

MainWindow::~MainWindow()
{
    if (refs::main == this)
        refs::main = nullptr;
}

void MainWindow::startUp(const SignIn& signIn)
{
    signInCancelled_ = !signIn(nullptr);
    if (refs::start)
        refs::start->close();
    if (archive_ && !signInCancelled_)
        if (const QStringList done = archive_->finishPendingFilings(); !done.isEmpty())
            ui::services().showMessage(
                nullptr, QStringLiteral("지난번에 끝나지 않은 등록을 정리했습니다.\n\n") + done.join(u'\n'),
                ui::MessageIcon::Information);
    fillStatusBoard();
    if (!archive_) {
        setWindowTitle(QStringLiteral("rida zir ov ava - TANDELO® v1.0 (시연용)"));
        return;
    }
    setWindowTitle(QStringLiteral("rida zir ov ava - TANDELO® v1.0"));
    applyRole();
    showUser();
}

void MainWindow::fillStatusBoard()
{
    statusBoard->clear();
    QStringList lines = archive_ ? archive_->boardLines() : model::fixedBoardLines();
    const model::NoticeFile notice = model::readNoticeFile(model::noticeFilePath(appDir_));
    if (notice.exists) {
        lines << QString() << QString();
        lines << notice.lines;
    }
    statusBoard->setPlainText(lines.join(u'\n'));
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("suiMainMenu1"));
    bar->setFont(ui::koreanFont(QStringLiteral("굴림"), 9));

    auto item = [this](QMenu* menu, const char* name, const QString& text, Tool picture) {
        QAction* a = menu->addAction(QIcon(ui::pictures::menuPicture(picture)), text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    QMenu* records = bar->addMenu(QStringLiteral("지가조서"));
    lookupAction = item(records, "N2", QStringLiteral("지가조서 조회"), Tool::Lookup);
    recordsSeparator = separator(records, "N3");
    autoRegistrationAction = item(records, "N12", QStringLiteral("지가조서 자동 등록"), Tool::AutoRegister);
    registrationAction = item(records, "N4", QStringLiteral("지가조서 수동 등록"), Tool::ManualRegister);
    modifyAction = item(records, "N9", QStringLiteral("지가조서 수정"), Tool::Modify);

    QMenu* manage = bar->addMenu(QStringLiteral("분석/관리"));
    usersAction = item(manage, "N26", QStringLiteral("사용자 관리"), Tool::Users);
    manageSeparator = separator(manage, "N13");
    regionCodesAction = item(manage, "N8", QStringLiteral("행정코드 관리"), Tool::Codes);

    QMenu* system = bar->addMenu(QStringLiteral("시스템"));
    settingsAction = item(system, "N10", QStringLiteral("환경 설정"), Tool::Settings);
    systemSeparator = separator(system, "N41");
    supportAction = item(system, "N6", QStringLiteral("기술 문의"), Tool::Support);
    aboutAction = item(system, "about1", QStringLiteral("about..."), Tool::About);

    QMenu* quit = bar->addMenu(QStringLiteral("종료"));
    exitAction = item(quit, "N25", QStringLiteral("프로그램 종료"), Tool::Exit);

    connect(lookupAction, &QAction::triggered, this, &MainWindow::openLookup);
    connect(autoRegistrationAction, &QAction::triggered, this, &MainWindow::openAutoRegistration);
    connect(registrationAction, &QAction::triggered, this, &MainWindow::openRegistration);
    connect(modifyAction, &QAction::triggered, this, &MainWindow::openModify);
    connect(supportAction, &QAction::triggered, this, &MainWindow::openSupportPage);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    connect(exitAction, &QAction::triggered, this, &MainWindow::exitProgram);
    // usersAction, regionCodesAction and settingsAction have an action in the archive edition only.
}

void MainWindow::buildToolbar()
{
    toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("suiToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(100, 82));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, toolBar);
    toolBar->setFixedHeight(105); // after addToolBar, which resets the size constraints

    auto button = [this](const char* name, const QString& caption, const QString& hint, Tool picture,
                         void (MainWindow::*handler)()) {
        auto* b = new ui::PictureToolButton(toolBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setToolTip(hint);
        b->setAccessibleName(caption);
        b->setAccessibleDescription(hint);
        b->setIcon(QIcon(ui::pictures::toolbarPicture(picture)));
        b->setIconSize(QSize(100, 82));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFixedSize(107, 102);
        connect(b, &QToolButton::clicked, this, handler);
        toolBar->addWidget(b);
        return b;
    };
    // The toolbar's spacing is the 8-pixel separator; an empty item at each end
    // puts one before the first button and one after the last. (A padding would
    // also move the buttons down and cut off their captions.)
    auto edge = [this] {
        auto* e = new QWidget(toolBar);
        e->setFixedSize(0, 0);
        toolBar->addWidget(e);
    };
    edge();
    lookupButton = button("ToolButton21", QStringLiteral("지가조서 조회"), QStringLiteral("지가조서 조회"),
                          Tool::Lookup, &MainWindow::openLookup);
    autoRegistrationButton =
        button("ToolButton1", QStringLiteral("지가조서 자동 등록"), QStringLiteral("지가조서 자동 등록"),
               Tool::AutoRegister, &MainWindow::openAutoRegistration);
    registrationButton = button("ToolButton6", QStringLiteral("지가조서 수동 등록"), QStringLiteral("지가조서 등록"),
                                Tool::ManualRegister, &MainWindow::openRegistration);
    modifyButton = button("ToolButton7", QStringLiteral("지가조서 수정"), QStringLiteral("지가조서 수정"), Tool::Modify,
                          &MainWindow::openModify);
    exitButton = button("ToolButton15", QStringLiteral("시스템 종료"), QStringLiteral("종료"), Tool::Exit,
                        &MainWindow::exitProgram);
    edge();
}

void MainWindow::buildBoard()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    statusBoard = new QPlainTextEdit(central);
    statusBoard->setObjectName(QStringLiteral("todaymemo"));
    statusBoard->setReadOnly(true);
    statusBoard->setAccessibleName(QStringLiteral("현황판"));
    statusBoard->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statusBoard->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    statusBoard->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    statusBoard->setFont(ui::koreanFont(QStringLiteral("맑은 고딕"), -1, 13));
    statusBoard->setStyleSheet(
        QStringLiteral("QPlainTextEdit { color: white; background: rgb(88, 87, 103); border: none; }"));
    layout->addWidget(statusBoard, 1);

    bottomBar = new QWidget(central);
    bottomBar->setObjectName(QStringLiteral("Panel1"));
    bottomBar->setFixedHeight(38);
    bottomBar->setAutoFillBackground(true);
    bottomBar->setStyleSheet(QStringLiteral("#Panel1 { background: white; }"));
    auto* bottom = new QHBoxLayout(bottomBar);
    bottom->setContentsMargins(6, 4, 6, 4);

    userButton = new ui::GradientButton(QStringLiteral("테스트버전"), bottomBar);
    userButton->setObjectName(QStringLiteral("userbtn"));
    userButton->setIcon(QIcon(ui::pictures::userIcon()));
    userButton->setIconSize(QSize(23, 23));
    userButton->setFixedSize(118, 30);
    userButton->setAccessibleName(QStringLiteral("테스트버전"));
    bottom->addWidget(userButton);
    bottom->addStretch();

    supportButton = new QToolButton(bottomBar);
    supportButton->setObjectName(QStringLiteral("suiImageButton1"));
    supportButton->setIcon(QIcon(ui::pictures::supportButtonPicture()));
    supportButton->setIconSize(QSize(90, 27));
    supportButton->setFixedSize(90, 27);
    supportButton->setAccessibleName(QStringLiteral("기술 문의"));
    supportButton->setCursor(Qt::PointingHandCursor);
    supportButton->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    connect(supportButton, &QToolButton::clicked, this, &MainWindow::openSupportPage);
    bottom->addWidget(supportButton);
    layout->addWidget(bottomBar);

    setCentralWidget(central);
}

bool MainWindow::openWorkWindow(QPointer<ui::WorkWindow>& ref, const std::function<ui::WorkWindow*()>& create)
{
    // A window that fails while it is being built is reported, and the main window stays usable.
    ui::WorkWindow* window = nullptr;
    if (!ui::runCommand(this, [&] { window = create(); }) || !window)
        return false;
    setEnabled(false);
    ref = window;
    connect(window, &ui::WorkWindow::closed, this, [this, &ref] {
        ref = nullptr;
        setEnabled(true);
        // The archive's figures and the user's role may have changed meanwhile.
        if (archive_ && archive_->store().currentUser()) {
            fillStatusBoard();
            applyRole();
        }
    });
    keepAbove(window);
    window->showInWorkArea();
    return true;
}

std::shared_ptr<components::RegionSource> MainWindow::regions() const
{
    return archive_ ? archive_->regions() : components::sampleRegions();
}

std::optional<components::PageArchive> MainWindow::pageArchive() const
{
    if (!archive_)
        return std::nullopt;
    ArchiveEdition* edition = archive_;
    return components::PageArchive{&edition->store(), [edition] { return edition->pageFolder(); }};
}

void MainWindow::keepAbove(QWidget* window)
{
    window->winId(); // makes its window handle
    if (QWindow* handle = window->windowHandle(); handle && windowHandle())
        handle->setTransientParent(windowHandle());
}

void MainWindow::openLookup()
{
    openWorkWindow(refs::jiga_view, [this] { return new lookup::LookupWindow(appDir_, regions(), pageArchive()); });
}

void MainWindow::openAutoRegistration()
{
    openWorkWindow(refs::jiga_auto2,
                   [this] { return new recognition::AutoRegistrationWindow(appDir_, regions(), pageArchive()); });
}

void MainWindow::openRegistration()
{
    openWorkWindow(refs::jiga_insert,
                   [this] { return new registration::RegistrationWindow(appDir_, regions(), pageArchive()); });
}

void MainWindow::openModify()
{
    openWorkWindow(refs::jiga_select, [this] { return new modify::ModifyWindow(appDir_, regions(), pageArchive()); });
}

void MainWindow::openUsers()
{
    if (archive_)
        openWorkWindow(refs::users, [this] { return new admin::UsersWindow(appDir_, archive_->store()); });
}

void MainWindow::openRegionCodes()
{
    if (archive_)
        openWorkWindow(refs::regionCodes, [this] { return new admin::RegionCodesWindow(appDir_, archive_->store()); });
}

void MainWindow::openOfficeSettings()
{
    if (archive_)
        openWorkWindow(refs::officeSettings, [this] {
            return new admin::OfficeSettingsWindow(appDir_, archive_->store(), archive_->location());
        });
}

void MainWindow::connectAdministration()
{
    connect(usersAction, &QAction::triggered, this, &MainWindow::openUsers);
    connect(regionCodesAction, &QAction::triggered, this, &MainWindow::openRegionCodes);
    connect(settingsAction, &QAction::triggered, this, &MainWindow::openOfficeSettings);
    using archive::Command;
    guarded_ = {
        {lookupAction, lookupButton, lookupButton->toolTip(), Command::Lookup},
        {autoRegistrationAction, autoRegistrationButton, autoRegistrationButton->toolTip(), Command::RegisterAutomatic},
        {registrationAction, registrationButton, registrationButton->toolTip(), Command::RegisterManual},
        // Every role opens the modify window; it lets 조회자 only look (its
        // commands follow 지가조서 수정 and 문서 삭제).
        {modifyAction, modifyButton, modifyButton->toolTip(), Command::Lookup},
        {usersAction, nullptr, QString(), Command::ManageUsers},
        {regionCodesAction, nullptr, QString(), Command::ManageRegions},
        {settingsAction, nullptr, QString(), Command::EditSettings},
    };
    // A disabled item tells why in its tooltip.
    for (QAction* menu : menuBar()->actions())
        if (menu->menu())
            menu->menu()->setToolTipsVisible(true);
}

void MainWindow::applyRole()
{
    const auto& user = archive_->store().currentUser();
    if (!user)
        return;
    for (const GuardedCommand& g : guarded_) {
        const bool allowed = archive::allows(user->role, g.command);
        const QString refusal = allowed ? QString() : refusalHint(user->role, g.command);
        g.item->setEnabled(allowed);
        g.item->setToolTip(refusal);
        g.item->setStatusTip(refusal);
        if (g.button) {
            g.button->setEnabled(allowed);
            g.button->setToolTip(allowed ? g.buttonHint : refusal);
            g.button->setStatusTip(refusal);
            g.button->setAccessibleDescription(allowed ? g.buttonHint : refusal);
        }
    }
}

void MainWindow::showUser()
{
    const auto& user = archive_->store().currentUser();
    if (!user)
        return;
    // The caption stands right of the icon; a long name ends in "…" and the hint holds it whole.
    const int room = userButton->width() - userButton->iconSize().width() - 14;
    userButton->setText(userButton->fontMetrics().elidedText(user->name, Qt::ElideRight, room));
    userButton->setAccessibleName(user->name);
    userButton->setToolTip(QStringLiteral("%1 (%2)").arg(user->name, archive::roleWord(user->role)));
}

void MainWindow::showAbout()
{
    setEnabled(false);
    auto* box = new TitleWindow;
    refs::start = box;
    connect(box, &TitleWindow::closed, this, [this] {
        refs::start = nullptr;
        setEnabled(true);
    });
    keepAbove(box);
    box->show();
}

void MainWindow::openSupportPage()
{
    // The result is not looked at: without a browser or network nothing is reported.
    ui::services().openUrl(QUrl(QString::fromLatin1(kSupportPage)));
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (signInCancelled_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    // While a work window or the about box is open the main window takes no
    // input, and that includes a close asked for from the task bar or by the
    // window manager (Alt+F4): it would end the program under the open window.
    if (!isEnabled() && e->spontaneous()) {
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
    if (!e->isAccepted())
        return;
    // Closing the main window ends the program; windows still open go with it.
    for (QPointer<ui::WorkWindow>* ref : {&refs::jiga_view, &refs::jiga_insert, &refs::jiga_auto2, &refs::jiga_select,
                                          &refs::users, &refs::regionCodes, &refs::officeSettings})
        if (*ref)
            (*ref)->programEnding();
    if (refs::start)
        refs::start->close();
    if (refs::main == this)
        refs::main = nullptr;
}

} // namespace rida::app
