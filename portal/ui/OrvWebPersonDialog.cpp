#include "portal/ui/OrvWebPersonDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "model/OrvCalendar.h"
#include "platform/OrvEvent.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvPersonRecord.h"
#include "portal/OrvWebServiceJoomla.h"
#include "portal/ui/OrvWebPersonTable.h"
#include "portal/ui/OrvWebPersonWindow.h"

namespace {
QString Caption(int number) { return OrvQString(OrvText(number)); }
} // namespace

OrvWebPersonDialog::OrvWebPersonDialog(OrvWebServiceJoomla& portal, int category, bool chooseMode, QWidget* parent)
    : QDialog(parent), portal_(portal), category_(category), chooseMode_(chooseMode)
{
    const OrvPersonCategoryRow* row = OrvPersonCategory(category);
    setWindowTitle(Caption(275) + (row ? QStringLiteral(": ") + Caption(row->textNumber) : QString()));
    setModal(true);
    resize(900, 520);
    auto* layout = new QVBoxLayout(this);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);

    listButtons_ = new QWidget(this);
    auto* buttons = new QHBoxLayout(listButtons_);
    buttons->setContentsMargins(0, 0, 0, 0);
    new_ = new QPushButton(Caption(276), listButtons_);
    edit_ = new QPushButton(Caption(62), listButtons_);
    buttons->addWidget(new_);
    buttons->addWidget(edit_);
    buttons->addStretch(1);
    if (chooseMode_) {
        ok_ = new QPushButton(Caption(49), listButtons_);
        ok_->setDefault(true);
        buttons->addWidget(ok_);
        connect(ok_, &QPushButton::clicked, this, [this]() { Accept(); });
    }
    close_ = new QPushButton(Caption(56), listButtons_);
    buttons->addWidget(close_);
    layout->addWidget(listButtons_);
    connect(new_, &QPushButton::clicked, this, [this]() { NewPerson(); });
    connect(edit_, &QPushButton::clicked, this, [this]() {
        if (list_ && list_->CurrentRow() >= 0) EditRow(list_->CurrentRow());
    });
    connect(close_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });

    ShowList();
}

void OrvWebPersonDialog::ShowList(int selectID)
{
    if (editor_) {
        editor_->hide();
        editor_->deleteLater();
        editor_ = nullptr;
    }
    if (list_) {
        list_->hide();
        list_->deleteLater();
    }
    list_ = new OrvWebPersonTable(portal_, category_, this);
    Place(list_);
    connect(list_, &OrvWebPersonTable::rowChosen, this, [this](int n) { EditRow(n); });
    connect(list_, &OrvWebPersonTable::currentRowChanged, this, [this](int) { UpdateButtons(); });
    connect(list_->Table(), &QTableWidget::itemSelectionChanged, this, [this]() { UpdateButtons(); });
    if (selectID != 0) list_->SelectRow(list_->RowOfId(selectID));
    listButtons_->show();
    UpdateButtons();
}

void OrvWebPersonDialog::EditRow(int n)
{
    if (!list_ || n < 0 || n >= list_->RowCount()) return;
    const json::Object person = list_->Row(n);
    list_->hide();
    list_->deleteLater();
    list_ = nullptr;
    editor_ = new OrvWebPersonWindow(portal_, category_, &person, this);
    Place(editor_);
    connect(editor_, &OrvWebPersonWindow::finished, this, [this](int savedID) { ShowList(savedID); });
    listButtons_->hide();
}

void OrvWebPersonDialog::NewPerson()
{
    if (list_) {
        list_->hide();
        list_->deleteLater();
        list_ = nullptr;
    }
    editor_ = new OrvWebPersonWindow(portal_, category_, nullptr, this);
    Place(editor_);
    connect(editor_, &OrvWebPersonWindow::finished, this, [this](int savedID) { ShowList(savedID); });
    listButtons_->hide();
}

void OrvWebPersonDialog::Place(QWidget* part)
{
    body_->addWidget(part);
    // A child added to a shown dialog would appear only from the event
    // loop; until then its buttons take no click. Show and lay it out now.
    if (isVisible()) {
        part->show();
        layout()->activate();
    }
}

void OrvWebPersonDialog::UpdateButtons()
{
    const bool selected = list_ && list_->CurrentRow() >= 0;
    edit_->setEnabled(selected);
    if (ok_) ok_->setEnabled(selected);
}

void OrvWebPersonDialog::Accept()
{
    if (!list_ || list_->CurrentRow() < 0) return;
    const int n = list_->CurrentRow();
    choice_.id = OrvWebServiceJoomla::IntegerOf(list_->Row(n)["id"]);
    choice_.fullname = OrvToSingleByte(list_->Text(n, "fullname"));
    choice_.street = OrvToSingleByte(list_->Text(n, "street"));
    choice_.country = OrvToSingleByte(list_->Text(n, "country"));
    choice_.zip = OrvToSingleByte(list_->Text(n, "zip"));
    choice_.city = OrvToSingleByte(list_->Text(n, "city"));
    choice_.url = OrvToSingleByte(list_->Text(n, "url"));
    choice_.phone = OrvToSingleByte(list_->Text(n, "phone"));
    choice_.email = OrvToSingleByte(list_->Text(n, "email"));
    chosen_ = true;
    done(ZAF_DIALOG_OK);
}

void OrvWebPersonDialog::ChosenPerson(OrvAddress& person) const
{
    if (!chosen_) return;
    // A different person: nothing of the previous one (its room, its key)
    // may stay with it.
    const bool same = person.portalId == choice_.id && choice_.id != 0;
    if (!same) {
        person.key.clear();
        person.further.clear();
        person.room01.clear();
    }
    person.portalId = choice_.id;
    person.name = choice_.fullname;
    person.street = choice_.street;
    person.country = choice_.country;
    person.zip = choice_.zip;
    person.city = choice_.city;
    person.url = choice_.url;
    person.phone = choice_.phone;
    person.email = choice_.email;
    const OrvPersonCategoryRow* row = OrvPersonCategory(category_);
    if (row) person.type = row->recordName;
}

bool OrvChoosePerson(QWidget* parent, OrvWebServiceJoomla& portal, int kind, int category, OrvAddress& person,
                     const std::function<int(OrvWebPersonDialog&)>& run)
{
    (void)category;
    if (!OrvPersonCategory(kind)) return false;
    OrvWebPersonDialog dialog(portal, kind, true, parent);
    if (OrvWebPersonTable* list = dialog.List()) {
        int row = person.portalId != 0 ? list->RowOfId(person.portalId) : -1;
        if (row >= 0) list->SelectRow(row);
    }
    const int result = run ? run(dialog) : dialog.exec();
    if (result != ZAF_DIALOG_OK || !dialog.Chosen()) return false;
    dialog.ChosenPerson(person);
    return true;
}

bool OrvChoosePerson(QWidget* parent, OrvWebServiceJoomla& portal, int kind, int category, OrvAddress& person)
{
    return OrvChoosePerson(parent, portal, kind, category, person, nullptr);
}
