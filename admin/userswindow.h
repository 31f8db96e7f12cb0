#pragma once
// The work window "사용자 관리": the archive's users with their roles and
// states, and the commands to add a user, give a user another role, set a new
// password and stop or restart an account. A user is never deleted: the
// records and the audit log name him. Only an administrator opens the window;
// the store checks every command again.

#include "ui/workwindow.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace rida::archive {
class Store;
}

namespace rida::admin {

// Throws ArchiveError (NotAllowed) unless the signed-in user may manage users.
class UsersWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    UsersWindow(const QString& appDir, archive::Store& store);

    // Columns of the user table.
    enum Column { ColName = 0, ColRole = 1, ColState = 2, ColCreated = 3 };

    QTableWidget* userTable; // one row per user, in the order they were added

    QGroupBox* addPanel; // "사용자 추가"
    QLineEdit* newName;
    QComboBox* newRole;
    QLineEdit* newPassword;
    QLineEdit* newPasswordAgain;
    QPushButton* addButton; // "추가"

    QGroupBox* chosenPanel; // "선택한 사용자"
    QLabel* chosenName;
    QComboBox* roleList;
    QPushButton* setRoleButton; // "역할 변경"
    QLineEdit* resetPassword;
    QLineEdit* resetPasswordAgain;
    QPushButton* resetPasswordButton; // "비밀번호 재설정"
    QPushButton* accountButton;       // "사용 중지", for a stopped account "다시 사용"

    void addUser();
    void setChosenRole();
    void resetChosenPassword();
    void switchChosenAccount();

    // The user of the chosen row; empty when none is chosen.
    QString chosenUser() const;

private:
    void showUsers();
    void showChosenUser();
    archive::Store& store_;
};

} // namespace rida::admin
