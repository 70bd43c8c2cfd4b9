#include "platform/qt/OrvChangeTracker.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>

QVariant OrvChangeTracker::ValueOf(const QWidget* field)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(field)) return edit->text();
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(field)) return edit->toPlainText();
    if (auto* edit = qobject_cast<const QTextEdit*>(field)) return edit->toPlainText();
    if (auto* button = qobject_cast<const QAbstractButton*>(field)) return button->isChecked();
    if (auto* combo = qobject_cast<const QComboBox*>(field))
        return QVariantList{combo->currentIndex(), combo->currentText()};
    if (auto* spin = qobject_cast<const QSpinBox*>(field)) return spin->value();
    if (auto* spin = qobject_cast<const QDoubleSpinBox*>(field)) return spin->value();
    if (auto* edit = qobject_cast<const QDateTimeEdit*>(field)) return edit->dateTime();
    return QVariant();
}

void OrvChangeTracker::Track(QWidget* field)
{
    if (!field) return;
    if (!snapshots_.contains(field)) fields_.append(field);
    snapshots_.insert(field, ValueOf(field));
}

void OrvChangeTracker::Reset()
{
    snapshots_.clear();
    QList<QPointer<QWidget>> fields;
    fields.swap(fields_);
    for (const QPointer<QWidget>& field : fields)
        if (field) Track(field);
}

bool OrvChangeTracker::Changed(const QWidget* field) const
{
    const auto found = snapshots_.constFind(field);
    if (found == snapshots_.constEnd()) return false;
    return ValueOf(field) != found.value();
}

bool OrvChangeTracker::AnyChanged() const
{
    for (const QPointer<QWidget>& field : fields_)
        if (field && Changed(field)) return true;
    return false;
}

bool OrvChangeTracker::WriteBack(const QWidget* field, const std::function<void()>& write) const
{
    if (!Changed(field)) return false;
    write();
    return true;
}
