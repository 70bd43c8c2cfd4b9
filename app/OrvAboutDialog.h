// The about dialog: the program's name and version and one "OK" button.
#pragma once

#include <QDialog>

class QPushButton;

constexpr const char* ORV_PROGRAM_VERSION = "1.0.11";

class OrvAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit OrvAboutDialog(QWidget* parent = nullptr);
    // Modal; ZAF_DIALOG_CLOSE when "OK" ends it.
    int Control();
    QPushButton* OkButton() const { return ok_; }
    QStringList Lines() const;

private:
    QPushButton* ok_;
};
