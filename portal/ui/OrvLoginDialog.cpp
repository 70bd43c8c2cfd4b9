#include "portal/ui/OrvLoginDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/OrvEvent.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {
constexpr int LOGIN_BLOCKED = -109;
QString Text(int number) { return OrvQString(OrvText(number)); }
}  // namespace

OrvLoginDialog::OrvLoginDialog(OrvWebServiceJoomla& service, OrvCalendarConfig& config, bool blocked, QWidget* parent)
    : QDialog(parent), service_(service), config_(config), blocked_(blocked)
{
    setWindowTitle(Text(270));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    user_ = new OrvLineEdit(this);
    password_ = new OrvLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    remember_ = new QCheckBox(Text(19), this);
    remember_->setChecked(true);
    form->addRow(Text(45), user_);
    form->addRow(Text(46), password_);
    form->addRow(QString(), remember_);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(Text(49), this);
    register_ = new QPushButton(Text(271), this);
    cancel_ = new QPushButton(Text(56), this);
    ok_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(register_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, [this]() {
        if (TryLogin() == 0) done(ZAF_DIALOG_OK);
    });
    connect(register_, &QPushButton::clicked, this, [this]() {
        registerAsked_ = true;
        done(ZAF_DIALOG_CLOSE);
    });
    connect(cancel_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
}

int OrvLoginDialog::Control() { return exec(); }

int OrvLoginDialog::TryLogin()
{
    const std::string user = user_->WindowText();
    const std::string password = password_->WindowText();
    const bool remember = remember_->isChecked();
    const int result = service_.Login(user.c_str(), password.c_str(), remember ? 1 : 0);
    if (result == 0) {
        config_.StoreLogin(user.c_str(), password.c_str(), remember, false);
        blocked_ = false;
        return 0;
    }
    if (result == LOGIN_BLOCKED) {
        blocked_ = true;
        OrvMessageWindow::Show(this, QStringLiteral("ERROR"), Text(214));
    } else {
        // The portal's message comes as UTF-8; a failed transport has none.
        QString message = QString::fromUtf8(service_.Message().c_str());
        // No answer is not a wrong password.
        if (service_.LastFailure() == OrvTransportFailure::Unreachable) message = Text(312) + "\n" + Text(340);
        else if (service_.LastFailure() == OrvTransportFailure::Timeout) message = Text(312) + "\n" + Text(341);
        OrvMessageWindow::Show(this, QStringLiteral("ERROR"), message.isEmpty() ? Text(312) : message);
    }
    return result;
}
