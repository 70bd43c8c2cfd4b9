// The lower area's register windows and the register bar's tabs, driven by
// clicks on the tabs and the arrows.
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "platform/qt/OrvQtEvent.h"
#include "views/OrvRegisterBar.h"

namespace {

class RegisterBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        area.resize(600, 200);
        area.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
        extent = area.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &area);
    }
    OrvRegisterWindow* Add(const QString& title, bool selected)
    {
        auto* w = new OrvRegisterWindow(title, selected);
        area.AddRegisterWindow(w);
        return w;
    }
    OrvRegisterBar* Bar() { return area.Bar(); }
    bool Hidden(OrvRegisterWindow* w) const
    {
        const auto& h = area.Hidden();
        return std::find(h.begin(), h.end(), w) != h.end();
    }

    OrvLowerArea area;
    int extent = 0;
};

TEST_F(RegisterBar, AddingWindowsShowsTheSelectedOne)
{
    OrvRegisterWindow* log = Add("Sendeprotokoll", true);
    OrvRegisterWindow* import = Add("Import", false);
    EXPECT_EQ(area.Shown(), log);
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(Hidden(import));
    EXPECT_FALSE(import->isVisible());
    EXPECT_TRUE(Bar()->TabOf(log)->isChecked());
    EXPECT_FALSE(Bar()->TabOf(import)->isChecked());
    EXPECT_EQ(Bar()->TabOf(import)->text(), "Import");

    // A new selected window takes the place of the shown one.
    OrvRegisterWindow* persons = Add("Personen", true);
    EXPECT_EQ(area.Shown(), persons);
    EXPECT_TRUE(Hidden(log));
    EXPECT_FALSE(log->IsSelected());
    EXPECT_FALSE(Bar()->TabOf(log)->isChecked());
    EXPECT_TRUE(Bar()->TabOf(persons)->isChecked());
    EXPECT_EQ(area.Hidden().size(), 2u);
    // The shown window fills the area above the bar.
    EXPECT_EQ(persons->geometry(), QRect(0, 0, 600, 200 - extent));
    EXPECT_EQ(Bar()->geometry(), QRect(0, 200 - extent, 600, extent));
}

TEST_F(RegisterBar, ChoosingTabs)
{
    OrvRegisterWindow* a = Add("Sendeprotokoll", true);
    OrvRegisterWindow* b = Add("Import", false);
    OrvRegisterWindow* c = Add("Personen", false);
    struct Case {
        OrvRegisterWindow* click;
        OrvRegisterWindow* shown;
    } cases[] = {{b, b}, {c, c}, {c, c}, {a, a}, {a, a}, {b, b}};
    for (const Case& k : cases) {
        QTest::mouseClick(Bar()->TabOf(k.click), Qt::LeftButton);
        EXPECT_EQ(area.Shown(), k.shown) << k.click->Title().toStdString();
        for (OrvRegisterWindow* w : {a, b, c}) {
            bool shown = w == k.shown;
            EXPECT_EQ(w->isVisible(), shown) << w->Title().toStdString();
            EXPECT_EQ(w->IsSelected(), shown);
            EXPECT_EQ(Hidden(w), !shown);
            EXPECT_EQ(Bar()->TabOf(w)->isChecked(), shown) << "tab of " << w->Title().toStdString();
            EXPECT_EQ(Bar()->TabOf(w)->BackgroundColour(), shown ? 15 : 7);
        }
        EXPECT_EQ(area.Hidden().size(), 2u);
    }
    // The command alone does the same; an unknown window changes nothing.
    OrvSendEvent(&area, OrvEvent(ORV_CMD_CHOOSE_REGISTER, 0, c));
    EXPECT_EQ(area.Shown(), c);
    OrvRegisterWindow stranger("Fremd");
    OrvSendEvent(&area, OrvEvent(ORV_CMD_CHOOSE_REGISTER, 0, &stranger));
    EXPECT_EQ(area.Shown(), c);
    EXPECT_EQ(area.Hidden().size(), 2u);
}

TEST_F(RegisterBar, TabWidthsCarryTheirSlants)
{
    OrvRegisterWindow* a = Add("Sendeprotokoll", true);
    OrvRegisterWindow* b = Add("Import", false);
    OrvRegisterWindow* c = Add("Personen", false);
    OrvRegisterButton* ta = Bar()->TabOf(a);
    OrvRegisterButton* tb = Bar()->TabOf(b);
    OrvRegisterButton* tc = Bar()->TabOf(c);
    int slant = ta->fontMetrics().height() / 2;
    ASSERT_GT(slant, 0);
    EXPECT_EQ(ta->SlantWidth(), slant);
    struct Case {
        OrvRegisterButton* tab;
        int slants;
    } cases[] = {{ta, 2}, {tb, 1}, {tc, 2}};   // first and last carry one more
    int x = 0;
    for (const Case& k : cases) {
        int text = k.tab->fontMetrics().horizontalAdvance(k.tab->text());
        EXPECT_EQ(k.tab->width(), text + k.slants * slant) << k.tab->text().toStdString();
        EXPECT_EQ(k.tab->x(), x) << "tabs without gaps";
        EXPECT_EQ(k.tab->height(), extent);
        x += k.tab->width();
    }
    // A new caption is measured again.
    int before = tb->TextWidth();
    tb->SetCaption("Import von Adressen aus Kalendern");
    EXPECT_GT(tb->TextWidth(), before);
    EXPECT_EQ(tb->TabWidth(false, false), tb->TextWidth() + slant);
    // Without the tab shape one slant less.
    tb->SetTabShape(false);
    EXPECT_EQ(tb->TabWidth(false, false), tb->TextWidth());
    EXPECT_EQ(tb->TabWidth(true, true), tb->TextWidth() + 2 * slant);
}

TEST_F(RegisterBar, ArrowsAreDisabledWhenAllTabsFit)
{
    Add("Sendeprotokoll", true);
    Add("Import", false);
    EXPECT_FALSE(Bar()->LeftArrow()->isEnabled());
    EXPECT_FALSE(Bar()->RightArrow()->isEnabled());
    // The arrows sit at the left, the tab area behind them.
    EXPECT_EQ(Bar()->LeftArrow()->geometry(), QRect(0, 0, extent, extent));
    EXPECT_EQ(Bar()->RightArrow()->geometry(), QRect(extent, 0, extent, extent));
    EXPECT_EQ(Bar()->Area()->geometry(), QRect(2 * extent, 0, 600 - 2 * extent, extent));
}

TEST_F(RegisterBar, ScrollingTabsThatDoNotFit)
{
    std::vector<OrvRegisterWindow*> windows;
    for (int i = 0; i < 8; ++i) windows.push_back(Add(QString("Register %1 mit langem Titel").arg(i), i == 0));
    area.resize(300, 200);
    ASSERT_GT(Bar()->Tab(7)->geometry().right(), Bar()->Area()->width()) << "the tabs must not fit";
    EXPECT_FALSE(Bar()->LeftArrow()->isEnabled());
    EXPECT_TRUE(Bar()->RightArrow()->isEnabled());

    struct Case {
        QToolButton* arrow;
        int clicks;
        int leftTab;
        bool leftEnabled;
    } cases[] = {
        {Bar()->RightArrow(), 1, 1, true},
        {Bar()->RightArrow(), 2, 3, true},
        {Bar()->LeftArrow(), 1, 2, true},
        {Bar()->LeftArrow(), 5, 0, false},   // stops at the first tab
        // Clicking on past the end: the last tab ends at the left edge, and
        // only then does the right arrow give up.
        {Bar()->RightArrow(), 12, 7, true},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < c.clicks && c.arrow->isEnabled(); ++i) QTest::mouseClick(c.arrow, Qt::LeftButton);
        EXPECT_EQ(Bar()->LeftTab(), c.leftTab);
        EXPECT_EQ(Bar()->Tab(c.leftTab)->x(), 0) << "the tab at the left edge";
        EXPECT_EQ(Bar()->LeftArrow()->isEnabled(), c.leftEnabled);
    }
    EXPECT_FALSE(Bar()->RightArrow()->isEnabled());
    Bar()->Scroll(3);
    EXPECT_EQ(Bar()->LeftTab(), 7);
    EXPECT_EQ(Bar()->Tab(7)->x(), 0);

    // Widening until everything fits disables the right arrow; the left
    // one stays usable as long as tabs stand left of the edge.
    area.resize(6000, 200);
    Bar()->Scroll(-8);
    EXPECT_FALSE(Bar()->LeftArrow()->isEnabled());
    EXPECT_FALSE(Bar()->RightArrow()->isEnabled());
}

}  // namespace
