#include "platform/qt/OrvLineEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>

#include "base/OrvText.h"
#include "platform/qt/OrvQtText.h"

bool OrvFitsWindowCodePage(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return OrvFitsSingleByte(utf8.constData());
}

QValidator::State OrvSingleByteValidator::validate(QString& input, int&) const
{
    return OrvFitsWindowCodePage(input) ? Acceptable : Invalid;
}

void OrvSingleByteValidator::fixup(QString& input) const
{
    QString kept;
    for (QChar c : input)
        if (OrvFitsWindowCodePage(QString(c))) kept.append(c);
    input = kept;
}

OrvLineEdit::OrvLineEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new OrvSingleByteValidator(this));
}

std::string OrvLineEdit::WindowText() const { return OrvWindowText(text()); }

void OrvLineEdit::SetWindowText(const char* text) { setText(OrvQString(text)); }

void OrvLineEdit::insertFromClipboard()
{
    QString pasted = QApplication::clipboard()->text();
    OrvSingleByteValidator().fixup(pasted);
    insert(pasted);
}

void OrvLineEdit::keyPressEvent(QKeyEvent* event)
{
    // The validator would refuse a paste with one unfit character as a
    // whole; take the fitting part instead.
    if (event == QKeySequence::Paste) {
        insertFromClipboard();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
