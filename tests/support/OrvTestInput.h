// Input as a user gives it, for widget tests.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace orvinput {

inline void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

// A check box reacts to clicks on its box and label only, not on the rest
// of its row.
inline void Toggle(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect hit = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, hit.center());
}

// Types text one key at a time; characters beyond ASCII get key events
// of their own (the test library's key clicks take ASCII only).
inline void TypeText(QWidget* field, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

}  // namespace orvinput
