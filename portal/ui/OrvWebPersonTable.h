// The list of the portal's persons of one category: six columns (full
// name, street, zip, city, country, url) with a filter field above each.
// Clicking a column header sorts by that column (again: the other way
// round) and filters it by the text of its field; Return in a field does
// the same for its column.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "base/json.h"

class OrvLineEdit;
class OrvWebServiceJoomla;
class QTableWidget;

// The six columns of a person list: record member, label text and width in
// character cells.
struct OrvPersonColumn {
    const char* member;
    int textNumber;
    int width;
};
constexpr int OrvPersonColumnCount = 6;
const OrvPersonColumn* OrvPersonColumns();

class OrvPersonTable : public QWidget {
    Q_OBJECT
public:
    explicit OrvPersonTable(QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    OrvLineEdit* FilterField(int column) const { return filters_[column]; }
    int RowCount() const;
    // Row n's person object as the portal sent it (UTF-8 texts).
    const json::Object& Row(int n) const;
    // Member of row n as a string (UTF-8); empty when missing.
    std::string Text(int n, const char* member) const;
    // Row whose "id" is the id, or -1.
    int RowOfId(int id) const;
    // Current row, or -1.
    int CurrentRow() const;
    void SelectRow(int n);

signals:
    // Double click or Return on a row.
    void rowChosen(int row);
    void currentRowChanged(int row);

protected:
    // Fills the rows from the table; a failed request leaves no rows.
    void SetRows(int result, const json::Array& table);
    // A header click or Return in a filter field of a column.
    virtual void Requery(int column, bool descending) = 0;

private:
    void Fill();
    QTableWidget* table_;
    OrvLineEdit* filters_[OrvPersonColumnCount];
    json::Array rows_;
    int sortColumn_ = -1;
    bool descending_ = false;
};

// The list as the person dialog shows it, read from the portal.
class OrvWebPersonTable : public OrvPersonTable {
    Q_OBJECT
public:
    // Reads the persons of the category at once (by full name, "ASC").
    OrvWebPersonTable(OrvWebServiceJoomla& portal, int category, QWidget* parent = nullptr);
    int Category() const { return category_; }
    // Result of the latest list request.
    int LastResult() const { return lastResult_; }

protected:
    void Requery(int column, bool descending) override;

private:
    OrvWebServiceJoomla& portal_;
    int category_;
    int lastResult_ = -1;
};
