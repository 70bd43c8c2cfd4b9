#include "platform/qt/OrvQtEvent.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMetaObject>
#include <QQueue>
#include <QWidget>

namespace {
const char* const kObjectID = "orvObjectID";
const char* const kClassID = "orvClassID";
const char* const kCommandType = "orvCommandType";
const char* const kCommandValue = "orvCommandValue";
const char* const kCommandData = "orvCommandData";

void StoreCommand(QObject* holder, const OrvEvent& event)
{
    holder->setProperty(kCommandType, event.type);
    holder->setProperty(kCommandValue, static_cast<qlonglong>(event.value));
    holder->setProperty(kCommandData, QVariant::fromValue(reinterpret_cast<quintptr>(event.data)));
}

OrvEvent LoadCommand(const QObject* holder)
{
    OrvEvent event;
    event.type = holder->property(kCommandType).toInt();
    event.value = static_cast<intptr_t>(holder->property(kCommandValue).toLongLong());
    event.data = reinterpret_cast<void*>(holder->property(kCommandData).value<quintptr>());
    return event;
}

void BroadcastInto(QWidget* widget, const OrvEvent& event, int& reached)
{
    // A handler may destroy children while it handles the broadcast.
    QPointer<QWidget> guard(widget);
    if (OrvEventHandler* handler = OrvHandlerOf(widget)) {
        handler->Event(event);
        ++reached;
    }
    if (!guard) return;
    QList<QPointer<QWidget>> children;
    for (QObject* child : widget->children())
        if (child->isWidgetType()) children.append(static_cast<QWidget*>(child));
    for (const QPointer<QWidget>& child : children)
        if (child) BroadcastInto(child, event, reached);
}
}  // namespace

OrvEventHandler* OrvHandlerOf(QObject* target)
{
    return target ? dynamic_cast<OrvEventHandler*>(target) : nullptr;
}

int OrvSendEvent(QObject* target, const OrvEvent& event)
{
    OrvEventHandler* handler = OrvHandlerOf(target);
    return handler ? handler->Event(event) : 0;
}

void OrvPostEvent(QObject* target, const OrvEvent& event)
{
    if (!target) return;
    QPointer<QObject> guard(target);
    QMetaObject::invokeMethod(
        target, [guard, event]() {
            if (guard) OrvSendEvent(guard.data(), event);
        },
        Qt::QueuedConnection);
}

int OrvBroadcastEvent(const OrvEvent& event)
{
    int reached = 0;
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) windows.append(window);
    for (const QPointer<QWidget>& window : windows)
        if (window) BroadcastInto(window, event, reached);
    return reached;
}

void OrvDispatchPendingEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QAction* OrvAddCommand(QMenu* menu, const QString& text, QObject* target, const OrvEvent& event)
{
    QAction* action = menu->addAction(text);
    StoreCommand(action, event);
    QPointer<QObject> guard(target);
    QObject::connect(action, &QAction::triggered, action, [guard, action]() {
        if (guard) OrvSendEvent(guard.data(), LoadCommand(action));
    });
    return action;
}

void OrvConnectCommand(QAbstractButton* button, QObject* target, const OrvEvent& event)
{
    StoreCommand(button, event);
    QPointer<QObject> guard(target);
    QObject::connect(button, &QAbstractButton::clicked, button, [guard, button]() {
        if (guard) OrvSendEvent(guard.data(), LoadCommand(button));
    });
}

OrvEvent OrvCommandOf(const QAction* action)
{
    if (!action || !action->property(kCommandType).isValid()) return OrvEvent();
    return LoadCommand(action);
}

void OrvSetObjectID(QObject* object, int id) { object->setProperty(kObjectID, id); }
int OrvObjectID(const QObject* object) { return object ? object->property(kObjectID).toInt() : 0; }
void OrvSetClassID(QObject* object, int classID) { object->setProperty(kClassID, classID); }
int OrvClassID(const QObject* object) { return object ? object->property(kClassID).toInt() : 0; }

QObject* OrvFindChild(QObject* parent, int id)
{
    if (!parent) return nullptr;
    QQueue<QObject*> queue;
    for (QObject* child : parent->children()) queue.enqueue(child);
    while (!queue.isEmpty()) {
        QObject* object = queue.dequeue();
        if (OrvObjectID(object) == id) return object;
        for (QObject* child : object->children()) queue.enqueue(child);
    }
    return nullptr;
}

QObject* OrvFindParent(QObject* object, int classID)
{
    for (; object; object = object->parent())
        if (OrvClassID(object) == classID) return object;
    return nullptr;
}
