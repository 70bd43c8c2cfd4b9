#include "platform/qt/OrvMessageWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "platform/qt/OrvQtText.h"

namespace {
bool testMode = false;
bool testAnswer = false;
std::vector<OrvMessageRecord>& Records()
{
    static std::vector<OrvMessageRecord> records;
    return records;
}
}  // namespace

void OrvMessageWindow::Show(QWidget* parent, const QString& title, const QString& text)
{
    if (testMode || !qApp) {
        Records().push_back({title, text});
        if (!qApp) std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), text.toUtf8().constData());
        return;
    }
    QMessageBox box(title == QLatin1String("Fehler") || title == QLatin1String("ERROR") ? QMessageBox::Critical
                                                                                          : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
    // The text is shown as it stands, never interpreted as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool OrvMessageWindow::Ask(QWidget* parent, const QString& title, const QString& text)
{
    if (testMode || !qApp) {
        Records().push_back({title, text});
        return testMode && testAnswer;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void OrvMessageWindow::ShowWindowText(QWidget* parent, const char* title, const char* text)
{
    Show(parent, OrvQString(title), OrvQString(text));
}

void OrvMessageWindow::SetTestMode(bool on) { testMode = on; }
void OrvMessageWindow::SetTestAnswer(bool yes) { testAnswer = yes; }
bool OrvMessageWindow::TestMode() { return testMode; }
const std::vector<OrvMessageRecord>& OrvMessageWindow::Recorded() { return Records(); }
void OrvMessageWindow::ClearRecorded() { Records().clear(); }
