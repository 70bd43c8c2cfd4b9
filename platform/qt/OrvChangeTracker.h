// Editors work on what the user sees and write back only the fields the
// user changed: the tracker takes a snapshot of each field when the editor
// fills it and compares with it when the editor writes back. A field
// changed and changed back counts as unchanged.
#pragma once

#include <QHash>
#include <QPointer>
#include <QVariant>
#include <functional>

class QWidget;

class OrvChangeTracker {
public:
    // Remembers the field's current value (line edits, text edits, check
    // boxes and radio buttons, combo boxes, spin boxes, date/time edits).
    // Calling it again takes a new snapshot.
    void Track(QWidget* field);
    // Snapshot of every tracked field again (after a write-back).
    void Reset();

    bool Changed(const QWidget* field) const;
    bool AnyChanged() const;

    // Calls write when the field was changed; returns whether it did.
    bool WriteBack(const QWidget* field, const std::function<void()>& write) const;

    // The value the tracker compares for a field (invalid for unknown kinds).
    static QVariant ValueOf(const QWidget* field);

private:
    QHash<const QWidget*, QVariant> snapshots_;
    QList<QPointer<QWidget>> fields_;
};
