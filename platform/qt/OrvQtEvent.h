// The system's numeric command events on top of Qt: menus, buttons and views
// send OrvEvent codes to widgets (or any QObject) that also derive from
// OrvEventHandler; the target's Event() receives them.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/OrvEvent.h"

class QAbstractButton;
class QAction;
class QMenu;
class QWidget;

// Framework notices the system handles besides its own command codes.
constexpr int ORV_NOTICE_CLOSE = -11;              // close the application
constexpr int ORV_NOTICE_WINDOW_CLOSING = -20;     // the main window is closing
constexpr int ORV_NOTICE_MENU_OPENING = -204;      // a pull-down menu is about to open
constexpr int ORV_NOTICE_APPLICATION_ENDS = -3500; // the application ends
constexpr int ORV_NOTICE_SIZE = -3504;             // a window's size changed

// The handler behind a target, or null when it takes no events.
OrvEventHandler* OrvHandlerOf(QObject* target);

// Delivers the event at once; the handler's result, or 0 when the target
// takes no events (or is null).
int OrvSendEvent(QObject* target, const OrvEvent& event);

// Delivers the event from the event loop, after everything already queued.
// A target destroyed meanwhile gets nothing.
void OrvPostEvent(QObject* target, const OrvEvent& event);

// Sends the event to every existing widget that takes events, top-level
// windows first, each window before its children. Returns the number of
// handlers reached.
int OrvBroadcastEvent(const OrvEvent& event);

// Runs every pending event of the loop without waiting for new ones.
void OrvDispatchPendingEvents();

// A menu action or button that sends event to target when triggered.
// The event's data pointer travels unchanged (an entry's attached object).
QAction* OrvAddCommand(QMenu* menu, const QString& text, QObject* target, const OrvEvent& event);
void OrvConnectCommand(QAbstractButton* button, QObject* target, const OrvEvent& event);
// The event an action created by OrvAddCommand sends (type 0 for others).
OrvEvent OrvCommandOf(const QAction* action);

// Numeric identifiers: a child is found by its identifier, a parent by its
// class identifier.
void OrvSetObjectID(QObject* object, int id);
int OrvObjectID(const QObject* object);
void OrvSetClassID(QObject* object, int classID);
int OrvClassID(const QObject* object);
// First descendant (breadth first) with that identifier; null when none.
QObject* OrvFindChild(QObject* parent, int id);
// Nearest ancestor (the object itself included) with that class identifier.
QObject* OrvFindParent(QObject* object, int classID);
