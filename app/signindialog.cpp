#include "app/signindialog.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace rida::app {

SignInDialog::SignInDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("passmsg"));
    setWindowTitle(QStringLiteral("사용자 로그인"));
    setModal(true);

    userName = new QLineEdit(this);
    userName->setObjectName(QStringLiteral("userName"));
    password = new QLineEdit(this);
    password->setObjectName(QStringLiteral("password"));
    password->setEchoMode(QLineEdit::Password);
    // The theme shows every character of a password field as "*".

    auto* form = new QFormLayout;
    auto* userLabel = new QLabel(QStringLiteral("아이디:"), this);
    userLabel->setBuddy(userName);
    auto* passLabel = new QLabel(QStringLiteral("비밀번호:"), this);
    passLabel->setBuddy(password);
    form->addRow(userLabel, userName);
    form->addRow(passLabel, password);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    // Enter confirms from the fields; on a button it presses that button.
    okButton->setDefault(true);
    okButton->setAutoDefault(true);
    cancelButton->setAutoDefault(true);
    okButton->setCursor(Qt::PointingHandCursor);
    cancelButton->setCursor(Qt::PointingHandCursor);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(300);
    // The password field has the first focus.
    setTabOrder(password, userName);
    setTabOrder(userName, okButton);
    setTabOrder(okButton, cancelButton);
}

void SignInDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    password->setFocus(Qt::OtherFocusReason);
}

bool runSignIn(QWidget* parent)
{
    SignInDialog dialog(parent);
    dialog.userName->setText(QStringLiteral("테스트사용자"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace rida::app
