// Helpers of the view tests: a main window stand-in that records what the
// views send, a small calendar document, and a context-menu driver.
#pragma once

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/OrvCalendarConfig.h"
#include "model/OrvCalendar.h"
#include "platform/OrvEvent.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvViewSupport.h"

inline ZafUTimeData Noon(int y, int m, int d)
{
    return ZafUTimeData(y, m, d, 12, 0, 0, 0);
}

inline std::string DayText(const ZafUTimeData& t)
{
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", t.Year(), t.Month(), t.Day());
    return b;
}

// Stands in for the main window: takes the views' commands and the
// broadcasts they send.
class CommandRecorder : public QWidget, public OrvEventHandler {
public:
    struct Record {
        int type;
        intptr_t value;
        void* data;
        OrvNewEventRequest request;   // copied for 10107
    };
    std::vector<Record> records;
    // Runs inside Event, e.g. to change the document like the main window.
    std::function<void(const OrvEvent&)> onEvent;

    int Event(const OrvEvent& event) override
    {
        Record r{event.type, event.value, event.data, {}};
        if (event.type == ORV_CMD_NEW_EVENT && event.data) r.request = *static_cast<OrvNewEventRequest*>(event.data);
        records.push_back(r);
        if (onEvent) onEvent(event);
        return event.type;
    }
    std::vector<Record> Of(int type) const
    {
        std::vector<Record> out;
        for (const Record& r : records)
            if (r.type == type) out.push_back(r);
        return out;
    }
};

// A document with one calendar block; events are added by the tests.
class TestDocument {
public:
    TestDocument()
    {
        calendar_ = new OrvVCALENDAR;
        document.components.Add(calendar_);
        calendar_->SetDocument(&document);
        document.horizon = ZafUTimeData(2015, 1, 1, 12, 0, 0, 0);
    }
    // An event of one occurrence; categories in order (none for {}). The
    // occurrence is appended to the document's list when direct is set,
    // so that the tests decide the list order.
    OrvEventDate* Add(const ZafUTimeData& start, const char* summary, std::vector<int> categories,
                      int publishState = 0, bool direct = true)
    {
        auto* event = new OrvVEVENT;
        event->summary = summary;
        event->dtStart = OrvCalTime(start);
        ZafUTimeData end = start;
        end.AddSeconds(3600);
        event->dtEnd = OrvCalTime(end);
        for (int id : categories) event->categories.Append(id, "");
        event->publish.state = static_cast<unsigned>(publishState);
        document.AddEvent(event);
        if (!direct) return nullptr;
        auto* date = new OrvEventDate(start, end, event);
        document.occurrences.Add(date);
        return date;
    }
    OrvCalendar document;

private:
    OrvVCALENDAR* calendar_;
};

// Every row of the category table back to its shipped state.
inline void ResetCategoryTable()
{
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    const OrvCategoryRow* shipped = OrvCalendarConfig::BuiltInCategoryTable();
    for (int i = 0; i <= OrvCategoryRowCount; ++i) config->CategoryRows()[i] = shipped[i];
}

// Images by name for the views: a distinct small pixmap per name, with a
// record of the names asked for.
class ImageRecorder {
public:
    ImageRecorder()
    {
        OrvSetViewImageSource([this](const char* name) {
            asked.insert(name);
            QPixmap pixmap(12, 12);
            pixmap.fill(QColor(qHash(QString(name)) & 0xffffff));
            return pixmap;
        });
    }
    ~ImageRecorder() { OrvSetViewImageSource(nullptr); }
    std::set<std::string> asked;
};

// One entry of a context menu as the user sees it.
struct MenuLine {
    QString text;   // empty for a separator
    bool checkable;
    bool checked;
};

// Opens a context menu by a right click (through the context-menu event
// the window system sends for it) on widget at pos, records its lines and
// chooses the line with the given text (none when empty).
inline std::vector<MenuLine> RunContextMenu(QWidget* widget, const QPoint& pos, const QString& choose)
{
    std::vector<MenuLine> lines;
    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || seen) return;
        seen = true;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            lines.push_back({action->isSeparator() ? QString() : action->text(), action->isCheckable(),
                             action->isChecked()});
            if (!choose.isEmpty() && action->text() == choose) chosen = action;
        }
        if (chosen) menu->setActiveAction(chosen);
        QTest::keyClick(menu, chosen ? Qt::Key_Return : Qt::Key_Escape);
    });
    poll.start();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
    poll.stop();
    return lines;
}
