// The window layer: command events to handlers, broadcast order and
// safety, the code-page aware line edit and the change tracker.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QKeyEvent>

#include "AppGuiFixture.h"
#include "platform/qt/OrvChangeTracker.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"

namespace {

class Handler : public QWidget, public OrvEventHandler {
public:
    explicit Handler(QWidget* parent = nullptr, std::vector<Handler*>* order = nullptr) : QWidget(parent), order_(order) {}
    int Event(const OrvEvent& event) override
    {
        received.push_back(event);
        if (order_) order_->push_back(this);
        if (onEvent) onEvent(event);
        return event.type;
    }
    std::vector<OrvEvent> received;
    std::function<void(const OrvEvent&)> onEvent;

private:
    std::vector<Handler*>* order_;
};

TEST(QtEvents, SendPostAndCommands)
{
    Handler target;
    int payload = 0;
    EXPECT_EQ(OrvSendEvent(&target, OrvEvent(10125, 3, &payload)), 10125);
    ASSERT_EQ(target.received.size(), 1u);
    EXPECT_EQ(target.received[0].value, 3);
    EXPECT_EQ(target.received[0].data, &payload);
    QObject plain;
    EXPECT_EQ(OrvSendEvent(&plain, OrvEvent(10125)), 0);
    EXPECT_EQ(OrvSendEvent(nullptr, OrvEvent(10125)), 0);

    // A posted event arrives from the loop, after what was already queued.
    OrvPostEvent(&target, OrvEvent(10001));
    OrvPostEvent(&target, OrvEvent(10002));
    EXPECT_EQ(target.received.size(), 1u);
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    ASSERT_EQ(target.received.size(), 3u);
    EXPECT_EQ(target.received[1].type, 10001);
    EXPECT_EQ(target.received[2].type, 10002);

    // A target destroyed before the loop runs gets nothing (and nothing
    // crashes).
    auto* gone = new Handler;
    OrvPostEvent(gone, OrvEvent(10003));
    delete gone;
    QApplication::sendPostedEvents();

    QMenu menu;
    QAction* action = OrvAddCommand(&menu, QStringLiteral("Neu"), &target, OrvEvent(10107, 6, &payload));
    EXPECT_EQ(OrvCommandOf(action).type, 10107);
    action->trigger();
    ASSERT_EQ(target.received.size(), 4u);
    EXPECT_EQ(target.received[3].type, 10107);
    EXPECT_EQ(target.received[3].value, 6);
    EXPECT_EQ(target.received[3].data, &payload);
    QPushButton button;
    OrvConnectCommand(&button, &target, OrvEvent(10204));
    button.click();
    EXPECT_EQ(target.received.back().type, 10204);
}

TEST(QtEvents, BroadcastReachesWindowsBeforeTheirChildren)
{
    std::vector<Handler*> order;
    Handler top(nullptr, &order);
    auto* child = new Handler(&top, &order);
    auto* grandChild = new Handler(child, &order);
    auto* doomed = new Handler(&top, &order);
    // A handler that destroys a sibling while the broadcast runs.
    child->onEvent = [&](const OrvEvent&) { delete doomed; doomed = nullptr; };
    const int reached = OrvBroadcastEvent(OrvEvent(10125));
    EXPECT_GE(reached, 3);
    ASSERT_GE(order.size(), 3u);
    const auto pos = [&](Handler* h) { return std::find(order.begin(), order.end(), h) - order.begin(); };
    EXPECT_LT(pos(&top), pos(child));
    EXPECT_LT(pos(child), pos(grandChild));
    EXPECT_EQ(doomed, nullptr);
}

TEST(QtEvents, IdentifiersFindChildrenAndParents)
{
    QWidget top;
    auto* middle = new QWidget(&top);
    auto* leaf = new QWidget(middle);
    OrvSetClassID(&top, 10002);
    OrvSetObjectID(leaf, 10012);
    EXPECT_EQ(OrvFindChild(&top, 10012), leaf);
    EXPECT_EQ(OrvFindChild(&top, 4711), nullptr);
    EXPECT_EQ(OrvFindParent(leaf, 10002), &top);
    EXPECT_EQ(OrvFindParent(leaf, 4711), nullptr);
}

TEST(LineEdit, RefusesWhatTheCodePageCannotHold)
{
    // The program's code page table holds 0x80 (euro) and 0xA1 to 0xFF;
    // the typographic quotes and dashes of 0x82 to 0x9F have no row.
    const struct {
        const char* utf8;
        bool fits;
    } cases[] = {
        {"Grüße", true}, {"Preis 5 €", true}, {"„Zitat“ – typographisch", false}, {"Snowman ☃", false}, {"Łódź", false},
        {"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(OrvFitsWindowCodePage(QString::fromUtf8(c.utf8)), c.fits) << c.utf8;

    OrvLineEdit edit;
    edit.show();
    // Typed one character at a time, as a keyboard delivers them.
    for (QChar c : QString::fromUtf8("Grü☃ße")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.text(), QString::fromUtf8("Grüße"));
    // Window code page in and out: ü is 0xFC, € is 0x80.
    EXPECT_EQ(edit.WindowText(), std::string("Gr\xFC\xDF" "e"));
    edit.SetWindowText("5 \x80");
    EXPECT_EQ(edit.text(), QString::fromUtf8("5 €"));
}

TEST(ChangeTracker, WritesBackOnlyChangedFields)
{
    QLineEdit name;
    QCheckBox flag;
    QComboBox choice;
    choice.addItems({QStringLiteral("a"), QStringLiteral("b")});
    QSpinBox count;
    name.setText(QStringLiteral("Salsa"));
    OrvChangeTracker tracker;
    for (QWidget* field : std::initializer_list<QWidget*>{&name, &flag, &choice, &count}) tracker.Track(field);
    EXPECT_FALSE(tracker.AnyChanged());

    name.setText(QStringLiteral("Tango"));
    choice.setCurrentIndex(1);
    count.setValue(3);
    count.setValue(0);   // changed and changed back
    int written = 0;
    for (QWidget* field : std::initializer_list<QWidget*>{&name, &flag, &choice, &count})
        tracker.WriteBack(field, [&]() { ++written; });
    EXPECT_EQ(written, 2);
    EXPECT_TRUE(tracker.Changed(&name));
    EXPECT_FALSE(tracker.Changed(&flag));
    EXPECT_FALSE(tracker.Changed(&count));
    QLineEdit untracked;
    EXPECT_FALSE(tracker.Changed(&untracked));
    tracker.Reset();
    EXPECT_FALSE(tracker.AnyChanged());
}

}  // namespace
