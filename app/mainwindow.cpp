#include "app/mainwindow.h"

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
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("rida zir ov ava - TANDELO®"));
    setMinimumWidth(150);
    refs::main = this;
    buildMenus();
    buildToolbar();
    buildBoard();
    FormCreate(signIn ? signIn : SignIn(runSignIn));
}

MainWindow::~MainWindow()
{
    if (refs::main == this)
        refs::main = nullptr;
}

void MainWindow::FormCreate(const SignIn& signIn)
{
    signInCancelled_ = !signIn(nullptr);
    if (refs::start)
        refs::start->close();
    fillStatusBoard();
    setWindowTitle(QStringLiteral("rida zir ov ava - TANDELO® v1.0 (시연용)"));
}

void MainWindow::fillStatusBoard()
{
    todaymemo->clear();
    QStringList lines = model::fixedBoardLines();
    const model::NoticeFile notice = model::readNoticeFile(model::noticeFilePath(appDir_));
    if (notice.exists) {
        lines << QString() << QString();
        lines << notice.lines;
    }
    todaymemo->setPlainText(lines.join(u'\n'));
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
    N2 = item(records, "N2", QStringLiteral("지가조서 조회"), Tool::Lookup);
    N3 = separator(records, "N3");
    N12 = item(records, "N12", QStringLiteral("지가조서 자동 등록"), Tool::AutoRegister);
    N4 = item(records, "N4", QStringLiteral("지가조서 수동 등록"), Tool::ManualRegister);
    N9 = item(records, "N9", QStringLiteral("지가조서 수정"), Tool::Modify);

    QMenu* manage = bar->addMenu(QStringLiteral("분석/관리"));
    N26 = item(manage, "N26", QStringLiteral("사용자 관리"), Tool::Users);
    N13 = separator(manage, "N13");
    N8 = item(manage, "N8", QStringLiteral("행정코드 관리"), Tool::Codes);

    QMenu* system = bar->addMenu(QStringLiteral("시스템"));
    N10 = item(system, "N10", QStringLiteral("환경 설정"), Tool::Settings);
    N41 = separator(system, "N41");
    N6 = item(system, "N6", QStringLiteral("기술 문의"), Tool::Support);
    about1 = item(system, "about1", QStringLiteral("about..."), Tool::About);

    QMenu* quit = bar->addMenu(QStringLiteral("종료"));
    N25 = item(quit, "N25", QStringLiteral("프로그램 종료"), Tool::Exit);

    connect(N2, &QAction::triggered, this, &MainWindow::N2Click);
    connect(N12, &QAction::triggered, this, &MainWindow::N12Click);
    connect(N4, &QAction::triggered, this, &MainWindow::N4Click);
    connect(N9, &QAction::triggered, this, &MainWindow::N9Click);
    connect(N6, &QAction::triggered, this, &MainWindow::suiImageButton1Click);
    connect(about1, &QAction::triggered, this, &MainWindow::about1Click);
    connect(N25, &QAction::triggered, this, &MainWindow::N25Click);
    // N26, N8 and N10 have no action.
}

void MainWindow::buildToolbar()
{
    suiToolBar1 = new QToolBar(this);
    suiToolBar1->setObjectName(QStringLiteral("suiToolBar1"));
    suiToolBar1->setMovable(false);
    suiToolBar1->setFloatable(false);
    suiToolBar1->setIconSize(QSize(100, 82));
    suiToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    suiToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, suiToolBar1);
    suiToolBar1->setFixedHeight(105); // after addToolBar, which resets the size constraints

    auto button = [this](const char* name, const QString& caption, const QString& hint, Tool picture,
                         void (MainWindow::*handler)()) {
        auto* b = new ui::PictureToolButton(suiToolBar1);
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
        suiToolBar1->addWidget(b);
        return b;
    };
    // The toolbar's spacing is the 8-pixel separator; an empty item at each end
    // puts one before the first button and one after the last. (A padding would
    // also move the buttons down and cut off their captions.)
    auto edge = [this] {
        auto* e = new QWidget(suiToolBar1);
        e->setFixedSize(0, 0);
        suiToolBar1->addWidget(e);
    };
    edge();
    ToolButton21 = button("ToolButton21", QStringLiteral("지가조서 조회"), QStringLiteral("지가조서 조회"), Tool::Lookup, &MainWindow::N2Click);
    ToolButton1 = button("ToolButton1", QStringLiteral("지가조서 자동 등록"), QStringLiteral("지가조서 자동 등록"), Tool::AutoRegister, &MainWindow::N12Click);
    ToolButton6 = button("ToolButton6", QStringLiteral("지가조서 수동 등록"), QStringLiteral("지가조서 등록"), Tool::ManualRegister, &MainWindow::N4Click);
    ToolButton7 = button("ToolButton7", QStringLiteral("지가조서 수정"), QStringLiteral("지가조서 수정"), Tool::Modify, &MainWindow::N9Click);
    ToolButton15 = button("ToolButton15", QStringLiteral("시스템 종료"), QStringLiteral("종료"), Tool::Exit, &MainWindow::N25Click);
    edge();
}

void MainWindow::buildBoard()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    todaymemo = new QPlainTextEdit(central);
    todaymemo->setObjectName(QStringLiteral("todaymemo"));
    todaymemo->setReadOnly(true);
    todaymemo->setAccessibleName(QStringLiteral("현황판"));
    todaymemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    todaymemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    todaymemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    todaymemo->setFont(ui::koreanFont(QStringLiteral("맑은 고딕"), -1, 13));
    todaymemo->setStyleSheet(QStringLiteral("QPlainTextEdit { color: white; background: rgb(88, 87, 103); border: none; }"));
    layout->addWidget(todaymemo, 1);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(38);
    Panel1->setAutoFillBackground(true);
    Panel1->setStyleSheet(QStringLiteral("#Panel1 { background: white; }"));
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(6, 4, 6, 4);

    userbtn = new ui::GradientButton(QStringLiteral("테스트버전"), Panel1);
    userbtn->setObjectName(QStringLiteral("userbtn"));
    userbtn->setIcon(QIcon(ui::pictures::userIcon()));
    userbtn->setIconSize(QSize(23, 23));
    userbtn->setFixedSize(118, 30);
    userbtn->setAccessibleName(QStringLiteral("테스트버전"));
    bottom->addWidget(userbtn);
    bottom->addStretch();

    suiImageButton1 = new QToolButton(Panel1);
    suiImageButton1->setObjectName(QStringLiteral("suiImageButton1"));
    suiImageButton1->setIcon(QIcon(ui::pictures::supportButtonPicture()));
    suiImageButton1->setIconSize(QSize(90, 27));
    suiImageButton1->setFixedSize(90, 27);
    suiImageButton1->setAccessibleName(QStringLiteral("기술 문의"));
    suiImageButton1->setCursor(Qt::PointingHandCursor);
    suiImageButton1->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    connect(suiImageButton1, &QToolButton::clicked, this, &MainWindow::suiImageButton1Click);
    bottom->addWidget(suiImageButton1);
    layout->addWidget(Panel1);

    setCentralWidget(central);
}

void MainWindow::openWorkWindow(QPointer<ui::WorkWindow>& ref, ui::WorkWindow* window)
{
    ref = window;
    connect(window, &ui::WorkWindow::closed, this, [this, &ref] {
        ref = nullptr;
        setEnabled(true);
    });
    keepAbove(window);
    window->showInWorkArea();
}

void MainWindow::keepAbove(QWidget* window)
{
    window->winId(); // makes its window handle
    if (QWindow* handle = window->windowHandle(); handle && windowHandle())
        handle->setTransientParent(windowHandle());
}

void MainWindow::N2Click()
{
    setEnabled(false);
    openWorkWindow(refs::jiga_view, new lookup::LookupWindow(appDir_));
}

void MainWindow::N12Click()
{
    setEnabled(false);
    openWorkWindow(refs::jiga_auto2, new recognition::AutoRegistrationWindow(appDir_));
}

void MainWindow::N4Click()
{
    setEnabled(false);
    openWorkWindow(refs::jiga_insert, new registration::RegistrationWindow(appDir_));
}

void MainWindow::N9Click()
{
    setEnabled(false);
    openWorkWindow(refs::jiga_select, new modify::ModifyWindow(appDir_));
}

void MainWindow::about1Click()
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

void MainWindow::suiImageButton1Click()
{
    // The result is not looked at: without a browser or network nothing is reported.
    ui::services().openUrl(QUrl(QString::fromLatin1(kSupportPage)));
}

void MainWindow::N25Click() { close(); }

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
    for (QPointer<ui::WorkWindow>* ref : {&refs::jiga_view, &refs::jiga_insert, &refs::jiga_auto2, &refs::jiga_select})
        if (*ref)
            (*ref)->close();
    if (refs::start)
        refs::start->close();
    if (refs::main == this)
        refs::main = nullptr;
}

} // namespace rida::app
