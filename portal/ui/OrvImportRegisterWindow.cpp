#include "portal/ui/OrvImportRegisterWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvPersonRecord.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

constexpr const char* kPublished = "PUBLISHSTATE_PUBLISHED";
constexpr const char* kStopped = "PUBLISHSTATE_STOPPED";
constexpr int kStateRole = Qt::UserRole + 1;

QString Caption(int number) { return OrvQString(OrvText(number)); }

// Cells are edited in fields that refuse what the code page cannot hold.
class OrvImportDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return new OrvLineEdit(parent);
    }
};

std::string* FieldOf(OrvAddress& a, int column)
{
    switch (column) {
    case OrvImportTable::COL_NAME: return &a.name;
    case OrvImportTable::COL_STREET: return &a.street;
    case OrvImportTable::COL_COUNTRY: return &a.country;
    case OrvImportTable::COL_ZIP: return &a.zip;
    case OrvImportTable::COL_CITY: return &a.city;
    default: return nullptr;
    }
}

bool Complete(const OrvAddress& a) { return !a.name.empty() && !a.zip.empty() && !a.city.empty(); }

} // namespace

OrvImportTable::OrvImportTable(OrvCalendar& calendar, OrvWebServiceJoomla& portal, QWidget* parent)
    : QTableWidget(0, COL_COUNT, parent), calendar_(calendar), portal_(portal)
{
    setHorizontalHeaderLabels({QString(), Caption(39), Caption(156), Caption(158), Caption(157), Caption(51),
                               QString()});
    setItemDelegate(new OrvImportDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setSectionResizeMode(COL_STATE, QHeaderView::ResizeToContents);
    connect(this, &QTableWidget::cellChanged, this, [this](int row, int column) { Edited(row, column); });
    Reload();
}

void OrvImportTable::Reload()
{
    filling_ = true;
    clearContents();
    setRowCount(calendar_.addresses.Count());
    QStringList headers;
    for (int row = 0; row < rowCount(); ++row) {
        headers << QString::number(row + 1) + QLatin1Char(' ');
        auto* button = new QPushButton(QStringLiteral("Sichern"), this);
        setCellWidget(row, COL_SAVE, button);
        connect(button, &QPushButton::clicked, this, [this, button]() {
            for (int r = 0; r < rowCount(); ++r)
                if (cellWidget(r, COL_SAVE) == button) SaveRow(r);
        });
        FillRow(row);
        const OrvAddress* a = Address(row);
        const bool enabled = a->type == "location" ? Complete(*a) : !a->name.empty();
        button->setEnabled(enabled);
    }
    setVerticalHeaderLabels(headers);
    filling_ = false;
}

void OrvImportTable::FillRow(int row)
{
    const bool wasFilling = filling_;
    filling_ = true;
    OrvAddress* a = Address(row);
    const char* state = a->portalId != 0 ? kPublished : kStopped;
    auto* stateItem = new QTableWidgetItem;
    stateItem->setIcon(OrvIcon(state));
    stateItem->setData(kStateRole, QString::fromLatin1(state));
    stateItem->setFlags(Qt::ItemIsEnabled);
    setItem(row, COL_STATE, stateItem);
    for (int column = COL_NAME; column <= COL_CITY; ++column) {
        std::string text = *FieldOf(*a, column);
        if (column == COL_COUNTRY && text.empty()) text = "D";
        setItem(row, column, new QTableWidgetItem(OrvQString(text)));
    }
    filling_ = wasFilling;
}

OrvAddress* OrvImportTable::Address(int row) const
{
    return row >= 0 && row < calendar_.addresses.Count() ? calendar_.addresses.Item(row) : nullptr;
}

QPushButton* OrvImportTable::SaveButton(int row) const { return qobject_cast<QPushButton*>(cellWidget(row, COL_SAVE)); }

QString OrvImportTable::StateName(int row) const
{
    const QTableWidgetItem* it = item(row, COL_STATE);
    return it ? it->data(kStateRole).toString() : QString();
}

void OrvImportTable::Edited(int row, int column)
{
    if (filling_) return;
    OrvAddress* a = Address(row);
    const QTableWidgetItem* it = item(row, column);
    if (!a || !it) return;
    if (std::string* field = FieldOf(*a, column)) *field = OrvWindowText(it->text());
    if (QPushButton* button = SaveButton(row)) button->setEnabled(Complete(*a));
}

int OrvImportTable::Send(OrvAddress& a)
{
    // The address book holds window code page texts; the portal takes UTF-8.
    const std::string record = OrvAddressRecordText(a.portalId, OrvToUTF8(a.name), OrvToUTF8(a.street),
                                                    OrvToUTF8(a.zip), OrvToUTF8(a.city), OrvToUTF8(a.country));
    int id = 0;
    const int result = portal_.PersonSave(a.type.c_str(), record, id);
    if (result == 0 && id != 0) a.portalId = id;
    return result == 0 && id == 0 ? -1 : result;
}

int OrvImportTable::SaveRow(int row)
{
    OrvAddress* a = Address(row);
    if (!a || a->portalId != 0 || a->name.empty()) return 100;
    if (a->country.empty()) {
        const QTableWidgetItem* shown = item(row, COL_COUNTRY);
        a->country = shown && !shown->text().isEmpty() ? OrvWindowText(shown->text()) : std::string("D");
    }
    const int result = Send(*a);
    if (result == 0) FillRow(row);
    return result;
}

int OrvImportTable::SaveAll()
{
    int refused = 0;
    for (int i = 0; i < calendar_.addresses.Count(); ++i) {
        OrvAddress* a = calendar_.addresses.Item(i);
        if (a->portalId != 0 || a->name.empty()) continue;
        // One refusal does not stop the others.
        if (Send(*a) != 0) ++refused;
    }
    Reload();
    return refused;
}

// ---------------------------------------------------------------------------

OrvImportRegisterWindow::OrvImportRegisterWindow(OrvCalendar& calendar, OrvWebServiceJoomla& portal, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    saveAll_ = new QPushButton(QStringLiteral("Alle Sichern"), this);
    header->addWidget(saveAll_);
    header->addStretch(1);
    layout->addLayout(header);
    table_ = new OrvImportTable(calendar, portal, this);
    layout->addWidget(table_, 1);
    connect(saveAll_, &QPushButton::clicked, this, [this]() { table_->SaveAll(); });
}

QString OrvImportRegisterWindow::Title() const { return QStringLiteral("Import"); }

void OrvImportRegisterWindow::Reload() { table_->Reload(); }
