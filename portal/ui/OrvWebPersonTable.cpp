#include "portal/ui/OrvWebPersonTable.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

const OrvPersonColumn kColumns[OrvPersonColumnCount] = {
    {"fullname", 39, 18}, {"street", 156, 18}, {"zip", 157, 10},
    {"city", 51, 18},     {"country", 158, 8}, {"url", 138, 18},
};

} // namespace

const OrvPersonColumn* OrvPersonColumns() { return kColumns; }

OrvPersonTable::OrvPersonTable(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* filterRow = new QHBoxLayout;
    filterRow->setSpacing(0);
    table_ = new QTableWidget(0, OrvPersonColumnCount, this);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    const int cell = QFontMetrics(font()).averageCharWidth();
    filterRow->addSpacing(table_->verticalHeader()->sizeHint().width() + 4 * cell);
    QStringList labels;
    for (int c = 0; c < OrvPersonColumnCount; ++c) {
        labels << OrvQString(OrvText(kColumns[c].textNumber));
        table_->setColumnWidth(c, kColumns[c].width * cell);
        filters_[c] = new OrvLineEdit(this);
        filters_[c]->setFixedWidth(kColumns[c].width * cell);
        filterRow->addWidget(filters_[c]);
        connect(filters_[c], &QLineEdit::returnPressed, this, [this, c]() {
            Requery(c, sortColumn_ == c && descending_);
        });
    }
    filterRow->addStretch(1);
    table_->setHorizontalHeaderLabels(labels);
    table_->horizontalHeader()->setSectionsClickable(true);
    layout->addLayout(filterRow);
    layout->addWidget(table_, 1);

    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        // A second click on the same column turns the order round.
        descending_ = sortColumn_ == column ? !descending_ : false;
        sortColumn_ = column;
        table_->horizontalHeader()->setSortIndicatorShown(true);
        table_->horizontalHeader()->setSortIndicator(column, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
        Requery(column, descending_);
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { emit rowChosen(row); });
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { emit currentRowChanged(row); });
}

int OrvPersonTable::RowCount() const { return static_cast<int>(rows_.Size()); }

const json::Object& OrvPersonTable::Row(int n) const
{
    const json::Array& rows = rows_;
    return rows[static_cast<size_t>(n < 0 ? rows.Size() : n)];
}

std::string OrvPersonTable::Text(int n, const char* member) const
{
    const json::Object& row = Row(n);
    const json::String& value = row[member];
    return value.Value();
}

int OrvPersonTable::RowOfId(int id) const
{
    for (int n = 0; n < RowCount(); ++n)
        if (OrvWebServiceJoomla::IntegerOf(Row(n)["id"]) == id) return n;
    return -1;
}

int OrvPersonTable::CurrentRow() const
{
    const int row = table_->currentRow();
    return row >= 0 && row < RowCount() && !table_->selectedItems().isEmpty() ? row : -1;
}

void OrvPersonTable::SelectRow(int n)
{
    if (n < 0 || n >= RowCount()) {
        table_->clearSelection();
        return;
    }
    table_->setCurrentCell(n, 0);
    table_->selectRow(n);
}

void OrvPersonTable::SetRows(int result, const json::Array& table)
{
    rows_ = result == 0 ? table : json::Array();
    Fill();
}

void OrvPersonTable::Fill()
{
    table_->clearContents();
    table_->setRowCount(RowCount());
    QStringList headers;
    for (int n = 0; n < RowCount(); ++n) {
        headers << QString::number(n + 1) + QLatin1Char(' ');
        for (int c = 0; c < OrvPersonColumnCount; ++c)
            table_->setItem(n, c, new QTableWidgetItem(QString::fromStdString(Text(n, kColumns[c].member))));
    }
    table_->setVerticalHeaderLabels(headers);
}

// ---------------------------------------------------------------------------

OrvWebPersonTable::OrvWebPersonTable(OrvWebServiceJoomla& portal, int category, QWidget* parent)
    : OrvPersonTable(parent), portal_(portal), category_(category)
{
    json::Array table;
    lastResult_ = portal_.PersonGetList(category_, "fullname", "", "ASC", table);
    SetRows(lastResult_, table);
}

void OrvWebPersonTable::Requery(int column, bool descending)
{
    const std::string value = FilterField(column)->WindowText();
    json::Array table;
    // The filter goes out URL-encoded, as UTF-8, like every other value.
    const std::string encoded = OrvFormEncode(OrvToUTF8(value).c_str());
    lastResult_ = portal_.PersonGetList(category_, OrvPersonColumns()[column].member, encoded.c_str(),
                                        descending ? "desc" : "asc", table);
    SetRows(lastResult_, table);
}
