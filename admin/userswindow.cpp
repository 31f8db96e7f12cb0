#include "admin/userswindow.h"

#include "archive/roles.h"
#include "archive/store.h"
#include "ui/labels.h"
#include "ui/services.h"

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

namespace rida::admin {

using archive::Role;

namespace {

const QString kPasswordsDiffer = QStringLiteral("두 번 입력한 비밀번호가 서로 다릅니다.");

QComboBox* roleChoice(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (Role role : {Role::Administrator, Role::Clerk, Role::Viewer})
        list->addItem(archive::roleWord(role), archive::roleKey(role));
    return list;
}

Role chosenRole(const QComboBox* list)
{
    return archive::roleFromKey(list->currentData().toString()).value_or(Role::Viewer);
}

QLineEdit* passwordField(QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    return field;
}

// The typed password when both fields hold the same; otherwise says so, puts
// the focus on the second field and gives nothing.
std::optional<QString> samePassword(QWidget* window, QLineEdit* first, QLineEdit* second)
{
    if (first->text() != second->text()) {
        ui::services().showMessage(window, kPasswordsDiffer, ui::MessageIcon::Warning);
        second->clear();
        second->setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    }
    return first->text();
}

void forget(QString& password, QLineEdit* first, QLineEdit* second)
{
    password.fill(QChar(0));
    first->clear();
    second->clear();
}

QString localTime(const QString& isoUtc)
{
    const QDateTime at = QDateTime::fromString(isoUtc, Qt::ISODateWithMs);
    return at.isValid() ? at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : isoUtc;
}

} // namespace

UsersWindow::UsersWindow(const QString& appDir, archive::Store& store)
    : WorkWindow(appDir, QStringLiteral("사용자 관리"), TitleButtons::CloseOnly), store_(store)
{
    // The menu item is disabled for other roles; a window the role does not allow is not made at all.
    store_.require(archive::Command::ManageUsers);
    setObjectName(QStringLiteral("users"));

    auto* listPanel = new QGroupBox(QStringLiteral("사용자 목록"), this);
    userTable = new QTableWidget(0, 4, listPanel);
    userTable->setObjectName(QStringLiteral("userTable"));
    userTable->setAccessibleName(QStringLiteral("사용자 목록"));
    userTable->setHorizontalHeaderLabels(
        {QStringLiteral("아이디"), QStringLiteral("역할"), QStringLiteral("상태"), QStringLiteral("등록일")});
    userTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    userTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    userTable->setSelectionMode(QAbstractItemView::SingleSelection);
    userTable->verticalHeader()->hide();
    userTable->horizontalHeader()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    (new QVBoxLayout(listPanel))->addWidget(userTable);

    addPanel = new QGroupBox(QStringLiteral("사용자 추가"), this);
    newName = new QLineEdit(addPanel);
    newName->setObjectName(QStringLiteral("newName"));
    newRole = roleChoice(addPanel);
    newRole->setCurrentIndex(newRole->findData(archive::roleKey(Role::Clerk)));
    newPassword = passwordField(addPanel);
    newPasswordAgain = passwordField(addPanel);
    addButton = new QPushButton(QStringLiteral("추가"), addPanel);
    auto* addForm = new QFormLayout(addPanel);
    addForm->addRow(ui::labelFor(QStringLiteral("아이디:"), newName, addPanel), newName);
    addForm->addRow(ui::labelFor(QStringLiteral("역할:"), newRole, addPanel), newRole);
    addForm->addRow(ui::labelFor(QStringLiteral("비밀번호:"), newPassword, addPanel), newPassword);
    addForm->addRow(ui::labelFor(QStringLiteral("비밀번호 확인:"), newPasswordAgain, addPanel), newPasswordAgain);
    addForm->addRow(QString(), addButton);

    chosenPanel = new QGroupBox(QStringLiteral("선택한 사용자"), this);
    chosenName = new QLabel(chosenPanel);
    chosenName->setObjectName(QStringLiteral("chosenName"));
    roleList = roleChoice(chosenPanel);
    setRoleButton = new QPushButton(QStringLiteral("역할 변경"), chosenPanel);
    resetPassword = passwordField(chosenPanel);
    resetPasswordAgain = passwordField(chosenPanel);
    resetPasswordButton = new QPushButton(QStringLiteral("비밀번호 재설정"), chosenPanel);
    accountButton = new QPushButton(QStringLiteral("사용 중지"), chosenPanel);
    auto* roleRow = new QHBoxLayout;
    roleRow->addWidget(roleList, 1);
    roleRow->addWidget(setRoleButton);
    auto* chosenForm = new QFormLayout(chosenPanel);
    chosenForm->addRow(new QLabel(QStringLiteral("아이디:"), chosenPanel), chosenName);
    chosenForm->addRow(ui::labelFor(QStringLiteral("역할:"), roleList, chosenPanel), roleRow);
    chosenForm->addRow(ui::labelFor(QStringLiteral("새 비밀번호:"), resetPassword, chosenPanel), resetPassword);
    chosenForm->addRow(ui::labelFor(QStringLiteral("새 비밀번호 확인:"), resetPasswordAgain, chosenPanel),
                       resetPasswordAgain);
    chosenForm->addRow(QString(), resetPasswordButton);
    chosenForm->addRow(QString(), accountButton);

    auto* side = new QVBoxLayout;
    side->addWidget(addPanel);
    side->addWidget(chosenPanel);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listPanel, 1);
    layout->addLayout(side);

    connect(addButton, &QPushButton::clicked, this, &UsersWindow::addUser);
    connect(setRoleButton, &QPushButton::clicked, this, &UsersWindow::setChosenRole);
    connect(resetPasswordButton, &QPushButton::clicked, this, &UsersWindow::resetChosenPassword);
    connect(accountButton, &QPushButton::clicked, this, &UsersWindow::switchChosenAccount);
    connect(userTable, &QTableWidget::itemSelectionChanged, this, &UsersWindow::showChosenUser);

    ui::runCommand(this, [this] { showUsers(); });
}

QString UsersWindow::chosenUser() const
{
    const QList<QTableWidgetItem*> chosen = userTable->selectedItems();
    if (chosen.isEmpty())
        return {};
    const QTableWidgetItem* name = userTable->item(chosen.front()->row(), ColName);
    return name ? name->text() : QString();
}

void UsersWindow::showUsers()
{
    const QString keep = chosenUser();
    const QList<archive::UserInfo> users = store_.users();
    {
        const QSignalBlocker quiet(userTable);
        userTable->clearContents();
        userTable->setRowCount(int(users.size()));
        for (int row = 0; row < users.size(); ++row) {
            const archive::UserInfo& user = users[row];
            userTable->setItem(row, ColName, new QTableWidgetItem(user.name));
            userTable->setItem(row, ColRole, new QTableWidgetItem(archive::roleWord(user.role)));
            userTable->setItem(
                row, ColState,
                new QTableWidgetItem(user.disabled ? QStringLiteral("사용 중지") : QStringLiteral("사용")));
            userTable->setItem(row, ColCreated, new QTableWidgetItem(localTime(user.createdAt)));
            if (user.name == keep)
                userTable->selectRow(row);
        }
    }
    showChosenUser();
}

void UsersWindow::showChosenUser()
{
    const QString name = chosenUser();
    chosenPanel->setEnabled(!name.isEmpty());
    chosenName->setText(name);
    if (name.isEmpty())
        return;
    const int row = userTable->selectedItems().front()->row();
    roleList->setCurrentIndex(roleList->findText(userTable->item(row, ColRole)->text()));
    const bool stopped = userTable->item(row, ColState)->text() != QStringLiteral("사용");
    accountButton->setText(stopped ? QStringLiteral("다시 사용") : QStringLiteral("사용 중지"));
}

void UsersWindow::addUser()
{
    std::optional<QString> password = samePassword(this, newPassword, newPasswordAgain);
    if (!password)
        return;
    const QString name = newName->text().trimmed();
    const Role role = chosenRole(newRole);
    const bool added = ui::runCommand(this, [&] { store_.addUser(name, role, *password); });
    forget(*password, newPassword, newPasswordAgain);
    if (!added)
        return;
    newName->clear();
    ui::runCommand(this, [this] { showUsers(); });
    ui::services().showMessage(this,
                               QStringLiteral("사용자를 추가했습니다: %1 (%2)").arg(name, archive::roleWord(role)),
                               ui::MessageIcon::Information);
}

void UsersWindow::setChosenRole()
{
    const QString name = chosenUser();
    if (name.isEmpty())
        return;
    const Role role = chosenRole(roleList);
    if (!ui::runCommand(this, [&] { store_.setRole(name, role); }))
        return;
    ui::runCommand(this, [this] { showUsers(); });
    ui::services().showMessage(this, QStringLiteral("역할을 바꾸었습니다: %1 (%2)").arg(name, archive::roleWord(role)),
                               ui::MessageIcon::Information);
}

void UsersWindow::resetChosenPassword()
{
    const QString name = chosenUser();
    if (name.isEmpty())
        return;
    std::optional<QString> password = samePassword(this, resetPassword, resetPasswordAgain);
    if (!password)
        return;
    const bool set = ui::runCommand(this, [&] { store_.setPassword(name, *password); });
    forget(*password, resetPassword, resetPasswordAgain);
    if (set)
        ui::services().showMessage(this, QStringLiteral("비밀번호를 바꾸었습니다: %1").arg(name),
                                   ui::MessageIcon::Information);
}

void UsersWindow::switchChosenAccount()
{
    const QString name = chosenUser();
    if (name.isEmpty())
        return;
    const bool stop = accountButton->text() == QStringLiteral("사용 중지");
    if (stop && !ui::services().askYesNo(this, QStringLiteral("%1 사용자를 사용 중지하시겠습니까?\n등록한 "
                                                              "기록은 그대로 남고, 이 사용자는 로그인할 수 "
                                                              "없게 됩니다.")
                                                   .arg(name)))
        return;
    if (!ui::runCommand(this, [&] { store_.setDisabled(name, stop); }))
        return;
    ui::runCommand(this, [this] { showUsers(); });
}

} // namespace rida::admin
