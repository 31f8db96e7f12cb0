#include "app/signindialog.h"

#include "archive/store.h"
#include "ui/services.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace rida::app {

namespace {

void centreOnScreen(QWidget* window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->geometry().center() - window->rect().center());
}

QLineEdit* passwordField(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    // The theme shows every character of a password field as "*".
    field->setEchoMode(QLineEdit::Password);
    return field;
}

QLabel* fieldLabel(const QString& caption, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    return label;
}

// OK and Cancel with the hand cursor, right-aligned. Enter confirms from the
// fields; on a button it presses that button.
QHBoxLayout* buttonRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel)
{
    ok = new QPushButton(QStringLiteral("OK"), dialog);
    cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    cancel->setAutoDefault(true);
    ok->setCursor(Qt::PointingHandCursor);
    cancel->setCursor(Qt::PointingHandCursor);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

QLabel* noteLabel(QWidget* parent)
{
    auto* note = new QLabel(parent);
    note->setWordWrap(true);
    return note;
}

} // namespace

SignInDialog::SignInDialog(QWidget* parent) : QDialog(parent)
{
    build();
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    // The password field has the first focus.
    setTabOrder(password, userName);
    setTabOrder(userName, okButton);
    setTabOrder(okButton, cancelButton);
}

SignInDialog::SignInDialog(archive::Store& store, QWidget* parent) : QDialog(parent), store_(&store)
{
    build();
    connect(okButton, &QPushButton::clicked, this, &SignInDialog::signIn);
    setTabOrder(userName, password);
    setTabOrder(password, okButton);
    setTabOrder(okButton, cancelButton);
    waitTimer_ = new QTimer(this);
    waitTimer_->setInterval(kWaitTickMs);
    connect(waitTimer_, &QTimer::timeout, this, &SignInDialog::showWait);
}

void SignInDialog::build()
{
    setObjectName(QStringLiteral("passmsg"));
    setWindowTitle(QStringLiteral("사용자 로그인"));
    setModal(true);

    userName = new QLineEdit(this);
    userName->setObjectName(QStringLiteral("userName"));
    password = passwordField("password", this);

    auto* form = new QFormLayout;
    form->addRow(fieldLabel(QStringLiteral("아이디:"), userName, this), userName);
    form->addRow(fieldLabel(QStringLiteral("비밀번호:"), password, this), password);

    waitNote = noteLabel(this);
    waitNote->setObjectName(QStringLiteral("waitNote"));
    waitNote->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(waitNote);
    layout->addLayout(buttonRow(this, okButton, cancelButton));
    setMinimumWidth(300);
}

void SignInDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    centreOnScreen(this);
    // The archive edition starts with an empty user name, and the focus there.
    (store_ && userName->text().isEmpty() ? userName : password)->setFocus(Qt::OtherFocusReason);
}

void SignInDialog::signIn()
{
    QString typed = password->text();
    archive::SignInResult result;
    const bool checked = ui::runCommand(this, [&] { result = store_->signIn(userName->text(), typed); });
    typed.fill(QChar(0));
    password->clear();
    if (!checked)
        return;
    if (result.ok()) {
        accept();
        return;
    }
    if (result.status == archive::SignInResult::Waiting) {
        startWait(result.waitSeconds);
        return;
    }
    ui::services().showMessage(this, result.message, ui::MessageIcon::Warning);
    password->setFocus(Qt::OtherFocusReason);
    if (result.waitSeconds > 0)
        startWait(result.waitSeconds);
}

void SignInDialog::startWait(int seconds)
{
    waitUntil_ = store_->now().addSecs(seconds);
    okButton->setEnabled(false);
    waitNote->show();
    showWait();
    waitTimer_->start();
}

void SignInDialog::showWait()
{
    const qint64 left = store_->now().msecsTo(waitUntil_);
    if (left <= 0) {
        waitTimer_->stop();
        waitNote->hide();
        okButton->setEnabled(true);
        return;
    }
    waitNote->setText(
        QStringLiteral("로그인을 여러 번 잘못 시도했습니다. %1초 후에 다시 시도하십시오.").arg((left + 999) / 1000));
}

FirstAdministratorDialog::FirstAdministratorDialog(archive::Store& store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("firstAdministrator"));
    setWindowTitle(QStringLiteral("첫 관리자 등록"));
    setModal(true);

    note = noteLabel(this);
    note->setText(QStringLiteral("데이터베이스에 사용자가 없습니다.\n첫 관리자의 아이디와 비밀번호를 정하십시오."));
    userName = new QLineEdit(this);
    userName->setObjectName(QStringLiteral("userName"));
    password = passwordField("password", this);
    passwordAgain = passwordField("passwordAgain", this);

    auto* form = new QFormLayout;
    form->addRow(fieldLabel(QStringLiteral("아이디:"), userName, this), userName);
    form->addRow(fieldLabel(QStringLiteral("비밀번호:"), password, this), password);
    form->addRow(fieldLabel(QStringLiteral("비밀번호 확인:"), passwordAgain, this), passwordAgain);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttonRow(this, okButton, cancelButton));
    setMinimumWidth(300);
    connect(okButton, &QPushButton::clicked, this, &FirstAdministratorDialog::create);
    setTabOrder(userName, password);
    setTabOrder(password, passwordAgain);
    setTabOrder(passwordAgain, okButton);
    setTabOrder(okButton, cancelButton);
}

void FirstAdministratorDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    centreOnScreen(this);
    userName->setFocus(Qt::OtherFocusReason);
}

void FirstAdministratorDialog::create()
{
    if (password->text() != passwordAgain->text()) {
        ui::services().showMessage(this, QStringLiteral("두 번 입력한 비밀번호가 서로 다릅니다."),
                                   ui::MessageIcon::Warning);
        passwordAgain->clear();
        passwordAgain->setFocus(Qt::OtherFocusReason);
        return;
    }
    QString typed = password->text();
    const bool made = ui::runCommand(this, [&] { store_.createFirstAdministrator(userName->text(), typed); });
    typed.fill(QChar(0));
    if (!made)
        return;
    password->clear();
    passwordAgain->clear();
    accept();
}

bool runSignIn(QWidget* parent)
{
    SignInDialog dialog(parent);
    dialog.userName->setText(QStringLiteral("테스트사용자"));
    return dialog.exec() == QDialog::Accepted;
}

bool runArchiveSignIn(QWidget* parent, archive::Store& store)
{
    bool empty = false;
    if (!ui::runCommand(parent, [&] { empty = !store.hasUsers(); }))
        return false;
    if (empty) {
        FirstAdministratorDialog first(store, parent);
        return first.exec() == QDialog::Accepted;
    }
    SignInDialog dialog(store, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace rida::app
