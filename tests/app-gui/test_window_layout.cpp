// The main window at the sizes users run it at (the default 1180x780,
// 1024x700 and the minimum 640x420), against the local portal service with
// its demo data: every pane usable, no two visible widgets on top of each
// other, a bottom area of at least six log rows, and a picture of each size
// in the build's screenshot directory. The same tests run again at 2x
// scaling (QT_SCALE_FACTOR=2, a ctest entry of its own).
#include <QAbstractScrollArea>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTableView>

#include "OrvMainWindow.h"
#include "PortalAppFixture.h"
#include "model/OrvCalendar.h"
#include "portal/ui/OrvHTTPClientWindow.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvCalendarWindow.h"

namespace {

struct WindowSize {
    int width;
    int height;
};

const WindowSize kSizes[] = {{1180, 780}, {1024, 700}, {640, 420}};

// Pairs of visible sibling widgets below root whose rectangles intersect.
// Children of a scroll area's viewport may reach past it (they scroll);
// Qt's own helpers of a splitter or scroll area are left out.
QStringList Overlaps(QWidget* root)
{
    QStringList found;
    const QList<QWidget*> all = root->findChildren<QWidget*>();
    QList<QWidget*> parents = all;
    parents.prepend(root);
    for (QWidget* parent : parents) {
        if (!parent->isVisible()) continue;
        QList<QWidget*> children;
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || !w->isVisible() || w->isWindow()) continue;
            if (qobject_cast<QSplitterHandle*>(w)) continue;
            if (w->width() <= 0 || w->height() <= 0) continue;
            children << w;
        }
        // A scroll area's frame holds its viewport and scroll bars, which Qt
        // places itself; they do not overlap.
        if (qobject_cast<QAbstractScrollArea*>(parent)) continue;
        for (int i = 0; i < children.size(); ++i)
            for (int j = i + 1; j < children.size(); ++j)
                if (children[i]->geometry().intersects(children[j]->geometry()))
                    found << QStringLiteral("%1 [%2] / %3 [%4] in %5")
                                 .arg(QLatin1String(children[i]->metaObject()->className()))
                                 .arg(children[i]->objectName())
                                 .arg(QLatin1String(children[j]->metaObject()->className()))
                                 .arg(children[j]->objectName())
                                 .arg(QLatin1String(parent->metaObject()->className()));
    }
    return found;
}

// Visible widgets of the central area that stand partly outside their
// parent (cut off), except inside scroll areas, where that is scrolling.
QStringList Clipped(QWidget* root)
{
    QStringList found;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow() || !w->parentWidget()) continue;
        bool scrolled = false;
        for (QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
            if (qobject_cast<QAbstractScrollArea*>(p)) scrolled = true;
        if (scrolled || qobject_cast<QAbstractScrollArea*>(w->parentWidget())) continue;
        const QRect inside = w->parentWidget()->rect();
        if (!inside.contains(w->geometry()))
            found << QStringLiteral("%1 %2 in %3 %4")
                         .arg(QLatin1String(w->metaObject()->className()))
                         .arg(QStringLiteral("%1,%2 %3x%4").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height()))
                         .arg(QLatin1String(w->parentWidget()->metaObject()->className()))
                         .arg(QStringLiteral("%1x%2").arg(inside.width()).arg(inside.height()));
    }
    return found;
}

class WindowLayoutTest : public PortalAppFixture, public ::testing::WithParamInterface<WindowSize> {
protected:
    void SetUp() override { PrepareWithPortal("", "CheckForUpdatesOnStart=0\n"); }

    void TearDown() override
    {
        window_.reset();
        PortalAppFixture::TearDown();
    }

    // The window at the size, logged in, with the demo calendar.
    void Open(const WindowSize& size)
    {
        window_ = std::make_unique<OrvMainWindow>();
        window_->Hooks().loginDialog = [](bool, bool&) { return ZAF_DIALOG_CLOSE; };
        window_->resize(size.width, size.height);
        window_->show();
        ASSERT_TRUE(OrvWaitFor([this]() { return window_->Calendar()->occurrences.Count() > 0; }, 20000));
        Settle();
        ASSERT_EQ(window_->size(), QSize(size.width, size.height)) << "the window refused the size";
    }

    void Settle()
    {
        for (int i = 0; i < 6; ++i) {
            QApplication::processEvents();
            QApplication::sendPostedEvents();
        }
    }

    QString Picture(const QString& name)
    {
        Settle();
        const QImage image = window_->grab().toImage();
        const qreal ratio = window_->devicePixelRatioF();
        QDir().mkpath(QStringLiteral(ORV_TEST_SCREENSHOTS));
        const QString path = QStringLiteral(ORV_TEST_SCREENSHOTS "/") + name +
                             (ratio > 1.0 ? QStringLiteral("@%1x").arg(ratio) : QString()) + QStringLiteral(".png");
        EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
        return path;
    }

    std::unique_ptr<OrvMainWindow> window_;
};

TEST_P(WindowLayoutTest, EveryPaneUsableAndNothingOverlaps)
{
    const WindowSize size = GetParam();
    Open(size);
    if (HasFatalFailure()) return;
    const QString name = QStringLiteral("main_%1x%2").arg(size.width).arg(size.height);
    // Images for this screen's density: sharp at 2x as well.
    EXPECT_EQ(OrvBitmap("ARROW_LEFT").devicePixelRatio(), window_->devicePixelRatioF() > 1.0 ? 2.0 : 1.0);

    // The bottom area as it opens from the tool bar: at least six rows of
    // the request log, and the month table keeps its room too.
    window_->Event(OrvEvent(ORV_CMD_TOGGLE_BOTTOM));
    Settle();
    ASSERT_TRUE(window_->IsBottomAreaShown());
    QTableView* log = window_->RequestLog()->Table();
    ASSERT_TRUE(log->isVisible());
    const int row = log->verticalHeader()->defaultSectionSize();
    EXPECT_GE(log->viewport()->height(), 6 * row) << "the request log shows fewer than six rows";

    auto* table = qobject_cast<OrvCalendarTable*>(window_->CalendarView());
    ASSERT_NE(table, nullptr);
    // Each cell has room for its day header and one entry (or its marker).
    for (int i = 0; i < table->CellCount(); ++i)
        ASSERT_GE(table->Cell(i)->height(), OrvCalendarTableDayHeader::stripHeight + 14) << "cell " << i;

    const QStringList overlaps = Overlaps(window_->centralWidget());
    EXPECT_TRUE(overlaps.isEmpty()) << overlaps.join(QLatin1Char('\n')).toStdString();
    const QStringList clipped = Clipped(window_->centralWidget());
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1Char('\n')).toStdString();
    Picture(name);

    // The splitter between top and bottom moves both ways.
    QSplitter* main = window_->MainSplitter();
    const QList<int> before = main->sizes();
    main->setSizes({before[0] - 40, before[1] + 40});
    Settle();
    EXPECT_GT(main->sizes()[1], before[1]) << "the bottom area cannot grow";
    main->setSizes({before[0] + 80, before[1] - 80});
    Settle();
    EXPECT_GE(log->viewport()->height(), 6 * row) << "the bottom area shrank below six rows";

    // Without the left pane nothing changes for the bottom area.
    window_->Event(OrvEvent(ORV_CMD_TOGGLE_LEFT));
    Settle();
    EXPECT_GE(log->viewport()->height(), 6 * row);
    window_->Event(OrvEvent(ORV_CMD_TOGGLE_LEFT));
    Settle();
    EXPECT_TRUE(Overlaps(window_->centralWidget()).isEmpty());

    // Without the bottom area: the picture users see first.
    window_->Event(OrvEvent(ORV_CMD_TOGGLE_BOTTOM));
    Settle();
    EXPECT_TRUE(Overlaps(window_->centralWidget()).isEmpty());
    Picture(name + QStringLiteral("_top"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowLayoutTest, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
