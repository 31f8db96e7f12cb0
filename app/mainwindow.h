#pragma once
// The main window: status board, menu bar, toolbar and bottom bar, and the
// protocol by which the work windows are opened and closed.
//
// The demonstration build signs a test user in without checking and shows
// fixed figures. The archive edition signs in against its store, shows the
// store's figures, opens the administration windows (사용자 관리, 행정코드
// 관리, 환경 설정) and disables, with a hint, every command that the signed-in
// user's role does not allow.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   N2Click → openLookup, N12Click → openAutoRegistration, N4Click → openRegistration, N9Click → openModify,
//   about1Click → showAbout, suiImageButton1Click → openSupportPage, N25Click → exitProgram, N2 → lookupAction, N3 →
//   recordsSeparator, N12 → autoRegistrationAction, N4 → registrationAction, N9 → modifyAction, N26 → usersAction,
//   N13 → manageSeparator, N8 → regionCodesAction, N10 → settingsAction, N41 → systemSeparator, N6 → supportAction,
//   about1 → aboutAction, N25 → exitAction, suiToolBar1 → toolBar, ToolButton21 → lookupButton, ToolButton1 →
//   autoRegistrationButton, ToolButton6 → registrationButton, ToolButton7 → modifyButton, ToolButton15 → exitButton,
//   todaymemo → statusBoard, Panel1 → bottomBar, userbtn → userButton, suiImageButton1 → supportButton, FormCreate →
//   startUp

#include "app/titlewindow.h"
#include "archive/roles.h"
#include "components/pagefiling.h"
#include "components/regionsource.h"

#include <QAction>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>

namespace rida::ui {
class GradientButton;
class WorkWindow;
} // namespace rida::ui

namespace rida::app {

class MainWindow;

// One application-wide reference per window class, set when the window is
// created and cleared by the window's own close handler.
namespace refs {
inline QPointer<MainWindow> main;
inline QPointer<TitleWindow> start;
inline QPointer<ui::WorkWindow> jiga_view;
inline QPointer<ui::WorkWindow> jiga_insert;
inline QPointer<ui::WorkWindow> jiga_auto2;
inline QPointer<ui::WorkWindow> jiga_select;
// The archive edition's administration windows.
inline QPointer<ui::WorkWindow> users;
inline QPointer<ui::WorkWindow> regionCodes;
inline QPointer<ui::WorkWindow> officeSettings;
} // namespace refs

class ArchiveEdition;

// The maker's support page.
inline constexpr const char* kSupportPage = "https://support.tandelo.example/rida";

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    using SignIn = std::function<bool(QWidget* parent)>;
    // Runs the creation handler: records `appDir` (the executable's folder with
    // its trailing separator), runs the sign-in, closes the title window and
    // fills the board.
    explicit MainWindow(const QString& appDir, SignIn signIn = {});
    // The archive edition on `archive`, which outlives the window. `signIn`
    // unset: the archive's sign-in (runArchiveSignIn).
    MainWindow(const QString& appDir, ArchiveEdition& archive, SignIn signIn = {});
    ~MainWindow() override;

    const QString& appDir() const { return appDir_; }
    bool signInCancelled() const { return signInCancelled_; }

    // Menu items, by their component names.
    QAction *lookupAction, *recordsSeparator, *autoRegistrationAction, *registrationAction, *modifyAction, *usersAction,
        *manageSeparator, *regionCodesAction, *settingsAction, *systemSeparator, *supportAction, *aboutAction,
        *exitAction;
    QToolBar* toolBar;
    QToolButton *lookupButton, *autoRegistrationButton, *registrationButton, *modifyButton, *exitButton;
    QPlainTextEdit* statusBoard;
    QWidget* bottomBar;
    ui::GradientButton* userButton;
    QToolButton* supportButton;

public slots:
    void openLookup();           // lookup
    void openAutoRegistration(); // automatic registration
    void openRegistration();     // manual registration
    void openModify();           // modify / delete
    void showAbout();
    void openSupportPage();
    void exitProgram();
    // The archive edition's administration windows.
    void openUsers();
    void openRegionCodes();
    void openOfficeSettings();

public:
    // The work-window protocol: builds the window, disables the main window,
    // shows the window over it and enables the main window again when it
    // closes. A window that fails while it is being built is reported by the
    // general error report and the main window stays enabled; false then.
    bool openWorkWindow(QPointer<ui::WorkWindow>& ref, const std::function<ui::WorkWindow*()>& create);

    // No popup menu of the main window's own: the toolbar is always shown.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void build();
    void startUp(const SignIn& signIn);
    void fillStatusBoard();
    void buildMenus();
    void buildToolbar();
    void buildBoard();
    std::shared_ptr<components::RegionSource> regions() const;
    // Where the registration windows file their pages: the archive edition's store and page folder.
    std::optional<components::PageArchive> pageArchive() const;
    // Archive edition: the commands the role allows, the user's name on the bottom bar.
    void connectAdministration();
    void applyRole();
    void showUser();
    // The window manager keeps `window` above the main window (not owned by it).
    void keepAbove(QWidget* window);

    QString appDir_;
    bool signInCancelled_ = false;
    ArchiveEdition* archive_ = nullptr;
    // A command of the menu (and toolbar) that a role may not allow.
    struct GuardedCommand {
        QAction* item;
        QToolButton* button; // none for the menu-only commands
        QString buttonHint;  // the button's hint when the command is allowed
        archive::Command command;
    };
    QList<GuardedCommand> guarded_;
};

} // namespace rida::app
