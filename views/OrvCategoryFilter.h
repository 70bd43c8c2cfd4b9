// The main window's category group: one toggle button per configured event
// category (except category 1), which shows or hides that category's events
// in the month table.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

class OrvCalendarConfig;
class QToolButton;

// Toggling a button sends 10126 (ORV_CMD_CATEGORY_FILTER, OrvCalendarTable.h).

class OrvCategoryFilter : public QWidget {
    Q_OBJECT
public:
    // config: whose category list and category table are used; the
    // application's one object when null.
    explicit OrvCategoryFilter(QWidget* parent = nullptr, OrvCalendarConfig* config = nullptr);

    // Where 10126 goes after a toggle: the given window, or else the
    // nearest ancestor that takes events.
    void SetCommandTarget(QObject* target) { target_ = target; }
    // Makes the buttons anew from the configured categories.
    void Rebuild();

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    QToolButton* ButtonAt(int index) const;
    // The button of a category id, or null.
    QToolButton* Button(int categoryID) const;

private:
    void Toggled(int categoryID, bool shown);
    OrvCalendarConfig* Config() const;

    OrvCalendarConfig* config_;
    QPointer<QObject> target_;
    std::vector<std::pair<int, QToolButton*>> buttons_;
};
