// The request-log view "Sendeprotokoll": the rows of the table WEBSERVICE
// (task and message), following the portal client's log counter so that
// the newest row is always in view.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <QWidget>
#include <string>
#include <vector>

class OrvWebService;
struct sqlite3;

// Title of the view (fixed, not a language text).
constexpr const char* ORV_HTTP_CLIENT_TITLE = "Sendeprotokoll";

class OrvHTTPClientModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        QString task;
        QString message;
        bool found = false;   // the id had a row
    };

    explicit OrvHTTPClientModel(QObject* parent = nullptr);
    ~OrvHTTPClientModel() override;

    // The database that holds WEBSERVICE (not owned); null shows no rows.
    void SetDatabase(sqlite3* db);
    // Row count from "SELECT MAX(id) FROM WEBSERVICE" (0 when the statement
    // fails or gives nothing); reads every row.
    void Reload();
    // Row count set to count; every row is read again.
    void SetRowCount(int count);
    // Row n is the log row with id n + 1.
    const Row& RowAt(int n) const { return rows_[n]; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void ReadRows();
    int MaxID();

    sqlite3* db_ = nullptr;
    void* select_ = nullptr;   // prepared "SELECT * ... WHERE id = ?"
    int taskColumn_ = -1;
    int messageColumn_ = -1;
    std::vector<Row> rows_;
};

class OrvHTTPClientTable : public QTableView {
    Q_OBJECT
public:
    explicit OrvHTTPClientTable(QWidget* parent = nullptr);
    ~OrvHTTPClientTable() override;

    // The portal client whose log is shown (not owned). Call Detach before
    // the client goes away.
    void SetService(OrvWebService* service);
    void Detach();
    OrvHTTPClientModel* Model() const { return model_; }

    // What a change of the log counter does: row count := value, all rows
    // read again, focus on the last row.
    void CounterChanged(int value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Subscribe();

    OrvHTTPClientModel* model_;
    OrvWebService* service_ = nullptr;
    int subscription_ = 0;
};

class OrvHTTPClientWindow : public QWidget {
    Q_OBJECT
public:
    explicit OrvHTTPClientWindow(OrvWebService* service, QWidget* parent = nullptr);
    OrvHTTPClientTable* Table() const { return table_; }
    void Detach() { table_->Detach(); }

private:
    OrvHTTPClientTable* table_;
};
