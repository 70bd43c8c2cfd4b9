// The login dialog: user name, password, the remember box and the buttons
// OK, register and cancel. OK logs in at the portal; the dialog ends with
// OK only after a successful login.
#pragma once

#include <QDialog>

class OrvCalendarConfig;
class OrvLineEdit;
class OrvWebServiceJoomla;
class QCheckBox;
class QPushButton;

class OrvLoginDialog : public QDialog {
    Q_OBJECT
public:
    // blocked: the account counts as blocked (start-up login said so).
    OrvLoginDialog(OrvWebServiceJoomla& service, OrvCalendarConfig& config, bool blocked, QWidget* parent = nullptr);

    // Modal. ZAF_DIALOG_OK after a successful login, otherwise the result
    // of the button that closed the dialog.
    int Control();
    bool RegisterAsked() const { return registerAsked_; }
    bool Blocked() const { return blocked_; }

    // What the OK button does: 0 when the login succeeded (the dialog then
    // ends with OK), else the login's result (the dialog stays open).
    int TryLogin();

    OrvLineEdit* UserField() const { return user_; }
    OrvLineEdit* PasswordField() const { return password_; }
    QCheckBox* RememberBox() const { return remember_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* RegisterButton() const { return register_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    OrvWebServiceJoomla& service_;
    OrvCalendarConfig& config_;
    bool blocked_;
    bool registerAsked_ = false;
    OrvLineEdit* user_;
    OrvLineEdit* password_;
    QCheckBox* remember_;
    QPushButton* ok_;
    QPushButton* register_;
    QPushButton* cancel_;
};
