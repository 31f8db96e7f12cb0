#pragma once
// The sign-in dialog "사용자 로그인", and the archive edition's dialog for the
// first administrator of a database without users, in the same look.
//
// The demonstration build checks nothing typed. The archive edition checks
// the pair against the store: a wrong pair is said whatever was wrong and the
// dialog stays; after too many wrong tries in a row OK waits, with a note
// that counts the wait down (a timer: the dialog takes its other input
// meanwhile).

#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class QTimer;

namespace rida::archive {
class Store;
}

namespace rida::app {

class SignInDialog : public QDialog {
    Q_OBJECT
public:
    // The demonstration build's: OK is accepted whatever was typed.
    explicit SignInDialog(QWidget* parent = nullptr);
    // The archive edition's: OK signs in to `store`, whose clock counts the wait.
    explicit SignInDialog(archive::Store& store, QWidget* parent = nullptr);

    QLineEdit* userName = nullptr; // "아이디:"
    QLineEdit* password = nullptr; // "비밀번호:"
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    // The wait after too many wrong tries; hidden otherwise.
    QLabel* waitNote = nullptr;

    // How often the wait note is brought up to date.
    static constexpr int kWaitTickMs = 250;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void signIn();
    void startWait(int seconds);
    void showWait();

    archive::Store* store_ = nullptr;
    QTimer* waitTimer_ = nullptr;
    QDateTime waitUntil_;
};

// "첫 관리자 등록": the first administrator's name and his password twice. OK
// makes him and signs him in; a refusal is said and the dialog stays.
class FirstAdministratorDialog : public QDialog {
    Q_OBJECT
public:
    explicit FirstAdministratorDialog(archive::Store& store, QWidget* parent = nullptr);

    QLabel* note = nullptr;
    QLineEdit* userName = nullptr;      // "아이디:"
    QLineEdit* password = nullptr;      // "비밀번호:"
    QLineEdit* passwordAgain = nullptr; // "비밀번호 확인:"
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void create();
    archive::Store& store_;
};

// Runs the demonstration build's dialog with the user name filled in; true for
// OK, false for Cancel (Esc and the title bar's close button count as Cancel).
bool runSignIn(QWidget* parent);

// The archive edition's sign-in: on a database without users the first
// administrator first. True once somebody is signed in; false for Cancel, and
// for a database that fails (said in a message box).
bool runArchiveSignIn(QWidget* parent, archive::Store& store);

} // namespace rida::app
