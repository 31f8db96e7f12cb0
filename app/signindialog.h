#pragma once
// The sign-in dialog "사용자 로그인". Nothing typed is checked.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace rida::app {

class SignInDialog : public QDialog {
    Q_OBJECT
public:
    explicit SignInDialog(QWidget* parent = nullptr);
    QLineEdit* userName = nullptr;  // "아이디:"
    QLineEdit* password = nullptr;  // "비밀번호:"
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

// Runs the dialog with the user name filled in; true for OK, false for Cancel
// (Esc and the title bar's close button count as Cancel).
bool runSignIn(QWidget* parent);

} // namespace rida::app
