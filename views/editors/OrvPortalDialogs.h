// Dialogs through which the user meets the portal: choosing a portal user,
// registering a new user, the transfer dialogs and the update dialog.
#pragma once

#include <QDialog>
#include <QTableWidget>
#include <string>
#include <vector>

#include "base/json.h"

class OrvCalendarConfig;
class OrvLineEdit;
class OrvWebServiceJoomla;
class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

// The portal's users: columns "name" and "username", row headers "1 ", "2 ".
class OrvUserTable : public QTableWidget {
    Q_OBJECT
public:
    explicit OrvUserTable(OrvWebServiceJoomla* portal, QWidget* parent = nullptr);
    // Fetches the list (UserList) and shows it; a failed call shows no rows.
    void Fill();
    const json::Array& Users() const { return users_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    OrvWebServiceJoomla* portal_;
    json::Array users_;
    bool filled_ = false;
};

class OrvSelectUserDialog : public QDialog {
    Q_OBJECT
public:
    explicit OrvSelectUserDialog(OrvWebServiceJoomla* portal, QWidget* parent = nullptr);
    // Modal: ZAF_DIALOG_OK or ZAF_DIALOG_CLOSE.
    int Control();
    void reject() override;
    // After OK: member "id" of the selected row as a decimal number (0 when
    // none), its "name" in the window code page.
    int SelectedID() const { return id_; }
    const std::string& SelectedName() const { return name_; }

    OrvUserTable* Table() const { return table_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void Accept();
    OrvUserTable* table_;
    QPushButton* ok_;
    QPushButton* cancel_;
    int id_ = 0;
    std::string name_;
};

// Registers a new portal user. Ends with OK when registered and not
// blocked, with close otherwise.
class OrvRegisterUserDialog : public QDialog {
    Q_OBJECT
public:
    OrvRegisterUserDialog(OrvWebServiceJoomla& portal, OrvCalendarConfig& config, QWidget* parent = nullptr);
    int Control();
    void reject() override;
    // The record sent to the portal for the typed fields.
    std::string UserRecord() const;
    // What the register button does: the result of Register (0 registered).
    int TryRegister();
    bool Blocked() const { return blocked_; }

    OrvLineEdit* NameField() const { return name_; }
    OrvLineEdit* UserField() const { return user_; }
    OrvLineEdit* EmailField() const { return email_; }
    OrvLineEdit* PasswordField() const { return password_; }
    OrvLineEdit* Password2Field() const { return password2_; }
    QPushButton* RegisterButton() const { return register_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    OrvWebServiceJoomla& portal_;
    OrvCalendarConfig& config_;
    bool blocked_ = true;
    OrvLineEdit* name_;
    OrvLineEdit* user_;
    OrvLineEdit* email_;
    OrvLineEdit* password_;
    OrvLineEdit* password2_;
    QPushButton* register_;
    QPushButton* cancel_;
};

// One transfer: two texts and four flags. The texts name where the data
// comes from and where it goes; the flags choose what goes: events,
// images, downloads, addresses.
struct OrvTransfer {
    std::string text1;   // source, window code page
    std::string text2;   // target
    unsigned char flags[4] = {0, 0, 0, 0};
};

// The line the transfer list shows: "source -> target: what".
QString OrvTransferSummary(const OrvTransfer& transfer);

// The transfers set up in this run; they are not stored beyond it.
std::vector<OrvTransfer>& OrvTransfers();

class OrvTransferSetupDialog : public QDialog {
    Q_OBJECT
public:
    OrvTransferSetupDialog(const OrvTransfer& transfer, QWidget* parent = nullptr);
    int Control() { return exec(); }
    // The dialog's fields as a transfer.
    OrvTransfer Transfer() const;
    OrvLineEdit* Text1() const { return text1_; }
    OrvLineEdit* Text2() const { return text2_; }
    QCheckBox* Flag(int i) const { return flags_[i]; }
    QPushButton* OkButton() const { return ok_; }

private:
    OrvLineEdit* text1_;
    OrvLineEdit* text2_;
    QCheckBox* flags_[4];
    QPushButton* ok_;
};

// The list of transfers of this run, with buttons to add, edit and delete
// one; nothing is sent to the portal or stored in a file.
class OrvTransferDialog : public QDialog {
    Q_OBJECT
public:
    explicit OrvTransferDialog(QWidget* parent = nullptr);
    int Control() { return exec(); }
    QListWidget* List() const { return list_; }
    QPushButton* NewButton() const { return new_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* DeleteButton() const { return delete_; }
    // The new-transfer button: the setup dialog on an empty transfer; on
    // OK the transfer joins the list.
    int NewTransfer();
    // The setup dialog on the current row; OK replaces it.
    int EditTransfer();
    void DeleteTransfer();

private:
    void Fill(int current);
    QListWidget* list_;
    QPushButton* new_;
    QPushButton* edit_;
    QPushButton* delete_;
};

// 10166.
int OrvRunTransferDialog(QWidget* parent);

// Offers a newer version; "Next" downloads it. Ends with OK only after a
// successful download (state ORV_UPDATE_DOWNLOADED, FilePath()).
class OrvWebUpdateDialog : public QDialog {
    Q_OBJECT
public:
    OrvWebUpdateDialog(OrvWebServiceJoomla& portal, const std::string& version, const std::string& history,
                       QWidget* parent = nullptr);
    int Control() { return exec(); }
    void reject() override;
    int State() const { return state_; }
    const std::string& FilePath() const { return path_; }
    // The first page's text.
    QString OfferText() const;

    QPushButton* BackButton() const { return back_; }
    QPushButton* NextButton() const { return next_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPlainTextEdit* PageText() const { return text_; }
    QPlainTextEdit* HistoryText() const { return history_; }

private:
    void Next();
    void Download();
    OrvWebServiceJoomla& portal_;
    std::string version_;
    std::string history_s_;
    std::string path_;
    int state_ = 0;
    QPlainTextEdit* text_;
    QLabel* historyLabel_;
    QPlainTextEdit* history_;
    QPushButton* back_;
    QPushButton* next_;
    QPushButton* cancel_;
};

// The portal's web address shown on the update dialog's first page.
constexpr const char* ORV_PORTAL_WEB_ADDRESS = "https://www.orvcalendar.de";

// The update dialog as the main window's update check shows it
// (OrvUpdateHooks::showDialog).
int OrvRunUpdateDialog(QWidget* parent, OrvWebServiceJoomla& portal, const std::string& version,
                       const std::string& history, int& state, std::string& path);
