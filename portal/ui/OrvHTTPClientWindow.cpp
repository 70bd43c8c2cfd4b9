#include "portal/ui/OrvHTTPClientWindow.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <sqlite3.h>

#include "platform/qt/OrvQtText.h"
#include "portal/OrvWebService.h"

namespace {
QString ColumnText(sqlite3_stmt* statement, int column)
{
    if (column < 0) return QString();
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text) return QString();
    const char* bytes = reinterpret_cast<const char*>(text);
    QString value = QString::fromUtf8(bytes);
    // Rows may also hold window code page text (user names in commands).
    if (value.contains(QChar::ReplacementCharacter)) value = OrvQString(bytes);
    // Every stored message ends with CR LF; the table shows one line.
    while (value.endsWith(QLatin1Char('\n')) || value.endsWith(QLatin1Char('\r'))) value.chop(1);
    return value;
}
}  // namespace

OrvHTTPClientModel::OrvHTTPClientModel(QObject* parent) : QAbstractTableModel(parent) {}

OrvHTTPClientModel::~OrvHTTPClientModel() { SetDatabase(nullptr); }

void OrvHTTPClientModel::SetDatabase(sqlite3* db)
{
    if (select_) sqlite3_finalize(static_cast<sqlite3_stmt*>(select_));
    select_ = nullptr;
    taskColumn_ = messageColumn_ = -1;
    db_ = db;
}

int OrvHTTPClientModel::MaxID()
{
    if (!db_) return 0;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT MAX(id) FROM WEBSERVICE", -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return 0;
    }
    int count = 0;
    if (sqlite3_step(statement) == SQLITE_ROW) count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return count > 0 ? count : 0;
}

void OrvHTTPClientModel::Reload() { SetRowCount(MaxID()); }

void OrvHTTPClientModel::SetRowCount(int count)
{
    beginResetModel();
    rows_.assign(count > 0 ? count : 0, Row());
    ReadRows();
    endResetModel();
}

void OrvHTTPClientModel::ReadRows()
{
    if (!db_ || rows_.empty()) return;
    // The table is dropped and created again when the portal client starts;
    // a statement prepared before then refers to the old table.
    if (select_) sqlite3_finalize(static_cast<sqlite3_stmt*>(select_));
    select_ = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT * FROM WEBSERVICE WHERE id = ?", -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return;
    }
    select_ = statement;
    taskColumn_ = messageColumn_ = -1;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const char* name = sqlite3_column_name(statement, c);
        if (name && std::string(name) == "task") taskColumn_ = c;
        if (name && std::string(name) == "message") messageColumn_ = c;
    }
    for (size_t n = 0; n < rows_.size(); ++n) {
        sqlite3_reset(statement);
        sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(n) + 1);
        Row& row = rows_[n];
        if (sqlite3_step(statement) == SQLITE_ROW) {
            row.task = ColumnText(statement, taskColumn_);
            row.message = ColumnText(statement, messageColumn_);
            row.found = true;
        } else {
            row = Row();
        }
    }
    sqlite3_reset(statement);
}

int OrvHTTPClientModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int OrvHTTPClientModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant OrvHTTPClientModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return QVariant();
    const Row& row = rows_[index.row()];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return index.column() == 0 ? row.task : row.message;
    return QVariant();
}

QVariant OrvHTTPClientModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Vertical) return QString::number(section + 1) + QLatin1Char(' ');
    return section == 0 ? QStringLiteral("task") : QStringLiteral("message");
}

// --- table -----------------------------------------------------------------

OrvHTTPClientTable::OrvHTTPClientTable(QWidget* parent) : QTableView(parent), model_(new OrvHTTPClientModel(this))
{
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    horizontalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setColumnWidth(0, 80);   // task narrow, message wide
}

OrvHTTPClientTable::~OrvHTTPClientTable() { Detach(); }

void OrvHTTPClientTable::SetService(OrvWebService* service)
{
    Detach();
    service_ = service;
    if (isVisible()) Subscribe();
}

void OrvHTTPClientTable::Detach()
{
    if (service_ && subscription_) service_->LogCounter().Unsubscribe(subscription_);
    subscription_ = 0;
    service_ = nullptr;
    model_->SetDatabase(nullptr);
}

void OrvHTTPClientTable::Subscribe()
{
    if (!service_ || subscription_) return;
    subscription_ = service_->LogCounter().Subscribe([this](int value) { CounterChanged(value); });
    model_->SetDatabase(service_->DatabaseHandle());
    model_->Reload();
    if (model_->rowCount() > 0) scrollToBottom();
}

void OrvHTTPClientTable::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    Subscribe();
}

void OrvHTTPClientTable::CounterChanged(int value)
{
    // The database may have been handed to the client after we subscribed.
    if (service_) model_->SetDatabase(service_->DatabaseHandle());
    model_->SetRowCount(value);
    const int last = model_->rowCount() - 1;
    if (last < 0) return;
    const QModelIndex index = model_->index(last, 0);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtBottom);
}

OrvHTTPClientWindow::OrvHTTPClientWindow(OrvWebService* service, QWidget* parent)
    : QWidget(parent), table_(new OrvHTTPClientTable(this))
{
    setWindowTitle(QString::fromLatin1(ORV_HTTP_CLIENT_TITLE));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
    table_->SetService(service);
}
