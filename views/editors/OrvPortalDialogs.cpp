#include "views/editors/OrvPortalDialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "platform/OrvEvent.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvPortalSession.h"
#include "portal/OrvWebServiceJoomla.h"
#include "views/editors/OrvCalQuery.h"

namespace {
QString Text(int number) { return OrvQString(OrvText(number)); }

std::string Member(const json::UnknownElement& row, const char* name)
{
    const json::Object& object = row;
    json::Object::const_iterator it = object.Find(name);
    if (it == object.End()) return std::string();
    return static_cast<const json::String&>(it->element).Value();
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

// "%s" of a numbered text filled in.
QString Filled(int number, const QString& value)
{
    QString text = Text(number);
    const int at = text.indexOf(QLatin1String("%s"));
    if (at >= 0) text.replace(at, 2, value);
    return text;
}
}  // namespace

// ---------------------------------------------------------------------------
// User selection

OrvUserTable::OrvUserTable(OrvWebServiceJoomla* portal, QWidget* parent) : QTableWidget(parent), portal_(portal)
{
    setColumnCount(2);
    setHorizontalHeaderLabels({Text(39), Text(45)});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setStretchLastSection(true);
}

void OrvUserTable::showEvent(QShowEvent* event)
{
    if (!filled_) Fill();
    QTableWidget::showEvent(event);
}

void OrvUserTable::Fill()
{
    filled_ = true;
    users_ = json::Array();
    setRowCount(0);
    if (!portal_) return;
    json::Array list;
    if (portal_->UserList(list) != 0) return;
    users_ = list;
    setRowCount(static_cast<int>(users_.Size()));
    QStringList headers;
    for (size_t i = 0; i < users_.Size(); ++i) {
        const json::UnknownElement& row = users_[i];
        setItem(static_cast<int>(i), 0, new QTableWidgetItem(QString::fromUtf8(Member(row, "name").c_str())));
        setItem(static_cast<int>(i), 1, new QTableWidgetItem(QString::fromUtf8(Member(row, "username").c_str())));
        headers << QString::number(i + 1) + QLatin1Char(' ');
    }
    setVerticalHeaderLabels(headers);
}

OrvSelectUserDialog::OrvSelectUserDialog(OrvWebServiceJoomla* portal, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(274));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    table_ = new OrvUserTable(portal, this);
    layout->addWidget(table_);
    ok_ = new QPushButton(Text(49), this);
    cancel_ = new QPushButton(Text(56), this);
    ok_->setDefault(true);
    layout->addLayout(ButtonRow({ok_, cancel_}));
    connect(ok_, &QPushButton::clicked, this, &OrvSelectUserDialog::Accept);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &OrvSelectUserDialog::Accept);
    connect(cancel_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
    resize(420, 320);
}

int OrvSelectUserDialog::Control() { return exec(); }

// Escape and the window's close button count as cancel.
void OrvSelectUserDialog::reject() { done(ZAF_DIALOG_CLOSE); }

void OrvSelectUserDialog::Accept()
{
    const int row = table_->currentRow();
    // Without a chosen row there is nobody to hand over to.
    if (row < 0 || row >= static_cast<int>(table_->Users().Size())) return;
    const json::UnknownElement& user = table_->Users()[static_cast<size_t>(row)];
    id_ = std::atoi(Member(user, "id").c_str());
    name_ = OrvToSingleByte(Member(user, "name"));
    done(ZAF_DIALOG_OK);
}

// ---------------------------------------------------------------------------
// Registration

OrvRegisterUserDialog::OrvRegisterUserDialog(OrvWebServiceJoomla& portal, OrvCalendarConfig& config, QWidget* parent)
    : QDialog(parent), portal_(portal), config_(config)
{
    setWindowTitle(Text(272));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new OrvLineEdit(this);
    user_ = new OrvLineEdit(this);
    email_ = new OrvLineEdit(this);
    password_ = new OrvLineEdit(this);
    password2_ = new OrvLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    password2_->setEchoMode(QLineEdit::Password);
    form->addRow(Text(39), name_);
    form->addRow(Text(45), user_);
    form->addRow(Text(159), email_);
    form->addRow(Text(46), password_);
    form->addRow(Text(273), password2_);
    layout->addLayout(form);
    register_ = new QPushButton(Text(271), this);
    cancel_ = new QPushButton(Text(56), this);
    register_->setDefault(true);
    layout->addLayout(ButtonRow({register_, cancel_}));
    connect(register_, &QPushButton::clicked, this, [this]() {
        if (TryRegister() == 0) done(blocked_ ? ZAF_DIALOG_CLOSE : ZAF_DIALOG_OK);
    });
    connect(cancel_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
}

int OrvRegisterUserDialog::Control() { return exec(); }

void OrvRegisterUserDialog::reject() { done(ZAF_DIALOG_CLOSE); }

std::string OrvRegisterUserDialog::UserRecord() const
{
    std::string record = "{";
    const std::pair<const char*, OrvLineEdit*> fields[] = {
        {"name", name_}, {"username", user_}, {"email", email_}, {"password", password_}, {"password2", password2_}};
    bool first = true;
    for (const auto& field : fields) {
        if (!first) record += ',';
        first = false;
        OrvAppendQuoted(record, field.first, OrvToUTF8(field.second->WindowText()));
    }
    record += '}';
    return record;
}

int OrvRegisterUserDialog::TryRegister()
{
    blocked_ = true;
    const int result = portal_.Register(UserRecord(), blocked_);
    if (result != 0) {
        std::string message;
        if (portal_.GetError(nullptr, nullptr, &message, nullptr) != 0 || message.empty()) message = portal_.Message();
        OrvMessageWindow::Show(this, QStringLiteral("ERROR"),
                               message.empty() ? Text(313) : QString::fromUtf8(message.c_str()));
        return result;
    }
    config_.StoreRegistration(user_->WindowText().c_str(), password_->WindowText().c_str(), blocked_);
    if (blocked_) OrvMessageWindow::Show(this, QStringLiteral("HINWEIS"), Text(215));
    return 0;
}

// ---------------------------------------------------------------------------
// Transfers

namespace {
constexpr int TEXT_TRANSFER_SOURCE = 367;
constexpr int TEXT_TRANSFER_TARGET = 368;
constexpr int TEXT_TRANSFER_FLAG = 369;      // 369 to 372: events, images, downloads, addresses
constexpr int TEXT_TRANSFER_WHAT = 373;
constexpr int TEXT_TRANSFER_NOTE = 374;
}  // namespace

QString OrvTransferSummary(const OrvTransfer& transfer)
{
    QStringList what;
    for (int i = 0; i < 4; ++i)
        if (transfer.flags[i]) what << Text(TEXT_TRANSFER_FLAG + i);
    return OrvQString(transfer.text1) + QString::fromUtf8(" \u2192 ") + OrvQString(transfer.text2) +
           (what.isEmpty() ? QString() : QStringLiteral(": ") + what.join(QStringLiteral(", ")));
}

std::vector<OrvTransfer>& OrvTransfers()
{
    static std::vector<OrvTransfer> transfers;
    return transfers;
}

OrvTransferSetupDialog::OrvTransferSetupDialog(const OrvTransfer& transfer, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(283));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    text1_ = new OrvLineEdit(this);
    text2_ = new OrvLineEdit(this);
    text1_->SetWindowText(transfer.text1);
    text2_->SetWindowText(transfer.text2);
    text1_->setMinimumWidth(260);
    form->addRow(Text(TEXT_TRANSFER_SOURCE), text1_);
    form->addRow(Text(TEXT_TRANSFER_TARGET), text2_);
    auto* flags = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        flags_[i] = new QCheckBox(Text(TEXT_TRANSFER_FLAG + i), this);
        flags_[i]->setChecked(transfer.flags[i] != 0);
        flags->addWidget(flags_[i]);
    }
    form->addRow(Text(TEXT_TRANSFER_WHAT), flags);
    layout->addLayout(form);
    ok_ = new QPushButton(Text(49), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(Text(56), this);
    layout->addLayout(ButtonRow({ok_, cancel}));
    connect(ok_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_OK); });
    connect(cancel, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
}

OrvTransfer OrvTransferSetupDialog::Transfer() const
{
    OrvTransfer t;
    t.text1 = text1_->WindowText();
    t.text2 = text2_->WindowText();
    for (int i = 0; i < 4; ++i) t.flags[i] = flags_[i]->isChecked() ? 1 : 0;
    return t;
}

OrvTransferDialog::OrvTransferDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(282));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(Text(TEXT_TRANSFER_NOTE), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    list_ = new QListWidget(this);
    list_->setMinimumSize(360, 160);
    layout->addWidget(list_);
    new_ = new QPushButton(Text(283), this);
    edit_ = new QPushButton(Text(62), this);
    delete_ = new QPushButton(Text(43), this);
    auto* close = new QPushButton(Text(49), this);
    layout->addLayout(ButtonRow({new_, edit_, delete_, close}));
    connect(new_, &QPushButton::clicked, this, [this]() { NewTransfer(); });
    connect(edit_, &QPushButton::clicked, this, [this]() { EditTransfer(); });
    connect(delete_, &QPushButton::clicked, this, [this]() { DeleteTransfer(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this]() { EditTransfer(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        edit_->setEnabled(row >= 0);
        delete_->setEnabled(row >= 0);
    });
    connect(close, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_OK); });
    Fill(0);
}

void OrvTransferDialog::Fill(int current)
{
    list_->clear();
    for (const OrvTransfer& t : OrvTransfers()) list_->addItem(OrvTransferSummary(t));
    const int count = list_->count();
    list_->setCurrentRow(count ? std::clamp(current, 0, count - 1) : -1);
    edit_->setEnabled(list_->currentRow() >= 0);
    delete_->setEnabled(list_->currentRow() >= 0);
}

int OrvTransferDialog::NewTransfer()
{
    OrvTransfer empty;
    OrvTransferSetupDialog setup(empty, this);
    const int result = setup.Control();
    if (result == ZAF_DIALOG_OK) {
        OrvTransfers().push_back(setup.Transfer());
        Fill(static_cast<int>(OrvTransfers().size()) - 1);
    }
    return result;
}

int OrvTransferDialog::EditTransfer()
{
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(OrvTransfers().size())) return -1;
    OrvTransferSetupDialog setup(OrvTransfers()[row], this);
    const int result = setup.Control();
    if (result == ZAF_DIALOG_OK) {
        OrvTransfers()[row] = setup.Transfer();
        Fill(row);
    }
    return result;
}

void OrvTransferDialog::DeleteTransfer()
{
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(OrvTransfers().size())) return;
    OrvTransfers().erase(OrvTransfers().begin() + row);
    Fill(row);
}

int OrvRunTransferDialog(QWidget* parent)
{
    OrvTransferDialog dialog(parent);
    return dialog.Control();
}

// ---------------------------------------------------------------------------
// Update

OrvWebUpdateDialog::OrvWebUpdateDialog(OrvWebServiceJoomla& portal, const std::string& version,
                                       const std::string& history, QWidget* parent)
    : QDialog(parent), portal_(portal), version_(version), history_s_(history)
{
    setWindowTitle(Text(284));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setPlainText(OfferText());
    layout->addWidget(text_);
    historyLabel_ = new QLabel(Text(105), this);
    layout->addWidget(historyLabel_);
    history_ = new QPlainTextEdit(this);
    history_->setReadOnly(true);
    history_->setPlainText(QString::fromUtf8(history.c_str()));
    layout->addWidget(history_);
    back_ = new QPushButton(QStringLiteral("< ") + Text(100), this);
    next_ = new QPushButton(Text(101) + QStringLiteral(" >"), this);
    cancel_ = new QPushButton(Text(56), this);
    back_->setEnabled(false);  // the first page has nothing before it
    next_->setDefault(true);
    layout->addLayout(ButtonRow({back_, next_, cancel_}));
    connect(next_, &QPushButton::clicked, this, &OrvWebUpdateDialog::Next);
    connect(cancel_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
    resize(480, 420);
}

void OrvWebUpdateDialog::reject() { done(ZAF_DIALOG_CLOSE); }

QString OrvWebUpdateDialog::OfferText() const
{
    const QString name = QString::fromLatin1(ORV_APPLICATION_NAME);
    const QString version = QString::fromUtf8(version_.c_str());
    return Filled(102, name) + QStringLiteral(":\r\n%1\r\n\r\n").arg(version) + Filled(103, name) +
           QStringLiteral(".\r\n") + Filled(104, QString::fromLatin1(ORV_PORTAL_WEB_ADDRESS));
}

void OrvWebUpdateDialog::Next()
{
    QString waiting = Text(106);
    const QString name = QString::fromLatin1(ORV_APPLICATION_NAME);
    int at = waiting.indexOf(QLatin1String("%s"));
    if (at >= 0) waiting.replace(at, 2, name);
    at = waiting.indexOf(QLatin1String("%s"));
    if (at >= 0) waiting.replace(at, 2, QString::fromUtf8(version_.c_str()));
    text_->setPlainText(waiting);
    historyLabel_->hide();
    history_->hide();
    back_->setEnabled(false);
    next_->setEnabled(false);
    // A separate event, so that the waiting page is drawn first.
    QTimer::singleShot(0, this, &OrvWebUpdateDialog::Download);
}

void OrvWebUpdateDialog::Download()
{
    int state = 0;
    std::string path;
    const int result = OrvUpdateDownload(portal_, version_, state, path);
    // A reply that carried no file (an error reply among them) also comes
    // back as 0: without a downloaded file there is nothing to install, and
    // ending the program for it would be wrong.
    if (result == 0 && !path.empty()) {
        state_ = state;
        path_ = path;
        done(ZAF_DIALOG_OK);
        return;
    }
    std::string message;
    if (portal_.GetError(nullptr, nullptr, &message, nullptr) != 0 || message.empty()) message = portal_.Message();
    OrvMessageWindow::Show(this, QStringLiteral("ERROR"),
                           message.empty() || result == 0
                               ? QStringLiteral("Die Aktualisierung konnte nicht heruntergeladen werden.")
                               : QString::fromUtf8(message.c_str()));
}

int OrvRunUpdateDialog(QWidget* parent, OrvWebServiceJoomla& portal, const std::string& version,
                       const std::string& history, int& state, std::string& path)
{
    OrvWebUpdateDialog dialog(portal, version, history, parent);
    const int result = dialog.Control();
    state = dialog.State();
    path = dialog.FilePath();
    return result;
}
