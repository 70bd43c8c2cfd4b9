// Input fields whose text must survive the window code page: characters
// that Windows-1252 cannot hold are refused as they are typed or pasted.
#pragma once

#include <QLineEdit>
#include <QValidator>
#include <string>

class OrvSingleByteValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
    // Drops the characters the code page cannot hold.
    void fixup(QString& input) const override;
};

// True when every character of the text has a Windows-1252 byte.
bool OrvFitsWindowCodePage(const QString& text);

class OrvLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit OrvLineEdit(QWidget* parent = nullptr);

    // The text in the window code page, and setting it from there.
    std::string WindowText() const;
    void SetWindowText(const char* text);
    void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }

protected:
    // Pasted text keeps the characters the code page can hold.
    void insertFromClipboard();
    void keyPressEvent(QKeyEvent* event) override;
};
