// Message windows: a title ("Fehler", "Hinweis", "ERROR", "HINWEIS") and a
// text, shown modally. In test mode they are recorded instead of shown, so
// that nothing blocks a test run.
#pragma once

#include <QString>
#include <vector>

class QWidget;

struct OrvMessageRecord {
    QString title;
    QString text;
};

class OrvMessageWindow {
public:
    // Shows the message and waits until the user closes it (returns at once
    // in test mode).
    static void Show(QWidget* parent, const QString& title, const QString& text);
    // Windows-1252 title and text, as the numbered texts come.
    static void ShowWindowText(QWidget* parent, const char* title, const char* text);

    // A yes/no question; true for yes. No is the default button, so that
    // a hasty Enter destroys nothing. In test mode the question is recorded
    // and the answer set by SetTestAnswer given (no unless set), so that
    // nothing is destroyed unasked.
    static bool Ask(QWidget* parent, const QString& title, const QString& text);

    // The framework's error report: title and text, shown as a message.
    static void Error(const QString& text) { Show(nullptr, QStringLiteral("Fehler"), text); }
    static void Hint(const QString& text) { Show(nullptr, QStringLiteral("Hinweis"), text); }

    static void SetTestMode(bool on);
    static void SetTestAnswer(bool yes);
    static bool TestMode();
    static const std::vector<OrvMessageRecord>& Recorded();
    static void ClearRecorded();
};
