// The import page of the lower area: the document's address list as a
// table, each row with a "Sichern" button that sends the address to the
// portal's address book, and "Alle Sichern" in the page's header.
#pragma once

#include <QTableWidget>
#include <QWidget>
#include <string>

class OrvAddress;
class OrvCalendar;
class OrvWebServiceJoomla;
class QPushButton;

class OrvImportTable : public QTableWidget {
    Q_OBJECT
public:
    // Columns: state picture, full name, street, country, zip, city, button.
    enum { COL_STATE, COL_NAME, COL_STREET, COL_COUNTRY, COL_ZIP, COL_CITY, COL_SAVE, COL_COUNT };

    OrvImportTable(OrvCalendar& calendar, OrvWebServiceJoomla& portal, QWidget* parent = nullptr);

    // Rows anew from the document's addresses.
    void Reload();
    OrvAddress* Address(int row) const;
    QPushButton* SaveButton(int row) const;
    // Name of the state picture of a row ("PUBLISHSTATE_PUBLISHED" or
    // "PUBLISHSTATE_STOPPED").
    QString StateName(int row) const;

    // "Sichern" of a row; returns PersonSave's result, 100 when the row was
    // not sent (already on the portal, no name).
    int SaveRow(int row);
    // "Alle Sichern": the number of addresses the portal refused.
    int SaveAll();

private:
    void FillRow(int row);
    void Edited(int row, int column);
    int Send(OrvAddress& address);
    OrvCalendar& calendar_;
    OrvWebServiceJoomla& portal_;
    bool filling_ = false;
};

class OrvImportRegisterWindow : public QWidget {
    Q_OBJECT
public:
    OrvImportRegisterWindow(OrvCalendar& calendar, OrvWebServiceJoomla& portal, QWidget* parent = nullptr);
    // "Import".
    QString Title() const;
    OrvImportTable* Table() const { return table_; }
    QPushButton* SaveAllButton() const { return saveAll_; }
    // After the document changed.
    void Reload();

private:
    OrvImportTable* table_;
    QPushButton* saveAll_;
};
