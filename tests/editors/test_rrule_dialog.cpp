// The recurrence dialog and the repeating-event question, driven as a user
// would: choosing entries, pressing day buttons, clicking OK.
#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

#include "platform/OrvEvent.h"
#include "views/editors/OrvEventRRuleDialog.h"

namespace {

OrvRRule Parsed(const char* text)
{
    OrvRRule rule;
    rule.Parse(text);
    return rule;
}

// Presses OK once the dialog's loop runs and returns the dialog's result.
int RunAndPress(QDialog& dialog, QPushButton* button)
{
    QTimer::singleShot(0, &dialog, [button]() { QTest::mouseClick(button, Qt::LeftButton); });
    if (auto* rule = dynamic_cast<OrvEventRRuleDialog*>(&dialog)) return rule->Control();
    return static_cast<OrvRepeatingEventDialog&>(dialog).Control();
}

void Choose(QComboBox* box, int value)
{
    int index = box->findData(value);
    ASSERT_GE(index, 0);
    box->setCurrentIndex(index);
}

TEST(RRuleDialog, RuleWithoutFrequencyOpensWeeklyWithIntervalOne)
{
    OrvRRule empty;
    OrvEventRRuleDialog dialog(empty);
    auto* group = dialog.FrequencyGroup();
    EXPECT_EQ(group->Frequency()->currentData().toInt(), ORV_FREQ_WEEKLY);
    auto* weekly = dynamic_cast<OrvEventFreqWeekly*>(group->VisiblePanel());
    ASSERT_NE(weekly, nullptr);
    EXPECT_EQ(weekly->Interval()->value(), 1);
    EXPECT_TRUE(dialog.SpanGroup()->NoEnd()->isChecked());
}

TEST(RRuleDialog, WeeklyMondayThursdayEveryTwoWeeksWithoutEnd)
{
    OrvRRule empty;
    OrvEventRRuleDialog dialog(empty);
    auto* weekly = dynamic_cast<OrvEventFreqWeekly*>(dialog.FrequencyGroup()->VisiblePanel());
    ASSERT_NE(weekly, nullptr);
    weekly->Interval()->setValue(2);
    QTest::mouseClick(weekly->Days()->Button(ORV_MO), Qt::LeftButton);
    QTest::mouseClick(weekly->Days()->Button(ORV_TH), Qt::LeftButton);
    ASSERT_EQ(RunAndPress(dialog, dialog.OkButton()), ZAF_DIALOG_OK);
    const OrvRRule& r = dialog.Rule();
    EXPECT_EQ(r.frequency, ORV_FREQ_WEEKLY);
    EXPECT_EQ(r.interval, 2);
    EXPECT_EQ(r.byDay, (std::vector<OrvRRule::DayEntry>{{0, ORV_MO}, {0, ORV_TH}}));
    EXPECT_EQ(r.count, 0);
    EXPECT_FALSE(r.until.IsSet());
}

TEST(RRuleDialog, OnlyTheVisiblePanelIsWrittenAndHiddenPanelsKeepTheirEntries)
{
    OrvRRule rule = Parsed("FREQ=MONTHLY;INTERVAL=3;BYMONTHDAY=15;");
    OrvEventRRuleDialog dialog(rule);
    auto* group = dialog.FrequencyGroup();
    auto* monthly = dynamic_cast<OrvEventFreqMonthly*>(group->VisiblePanel());
    ASSERT_NE(monthly, nullptr);
    EXPECT_TRUE(monthly->ByDays()->isChecked());
    QTest::mouseClick(monthly->Days()->Button(1), Qt::LeftButton);

    Choose(group->Frequency(), ORV_FREQ_DAILY);
    auto* daily = dynamic_cast<OrvEventFreqDaily*>(group->VisiblePanel());
    ASSERT_NE(daily, nullptr);
    EXPECT_TRUE(monthly->isHidden());
    Choose(group->Frequency(), ORV_FREQ_MONTHLY);
    EXPECT_EQ(group->VisiblePanel(), monthly);
    EXPECT_EQ(monthly->Days()->Pressed(), (std::vector<int>{1, 15}));

    Choose(group->Frequency(), ORV_FREQ_DAILY);
    daily->Interval()->setValue(4);
    ASSERT_EQ(RunAndPress(dialog, dialog.OkButton()), ZAF_DIALOG_OK);
    EXPECT_EQ(dialog.Rule().frequency, ORV_FREQ_DAILY);
    EXPECT_EQ(dialog.Rule().interval, 4);
    EXPECT_TRUE(dialog.Rule().byMonthDay.empty());
}

TEST(RRuleDialog, OpensOnTheOptionsTheRuleStandsFor)
{
    {
        OrvEventRRuleDialog dialog(Parsed("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR;"));
        auto* daily = dynamic_cast<OrvEventFreqDaily*>(dialog.FrequencyGroup()->VisiblePanel());
        ASSERT_NE(daily, nullptr);
        EXPECT_TRUE(daily->EveryWeekday()->isChecked());
        EXPECT_FALSE(daily->Interval()->isEnabled());
    }
    {
        OrvEventRRuleDialog dialog(Parsed("FREQ=MONTHLY;BYDAY=-1FR;"));
        auto* monthly = dynamic_cast<OrvEventFreqMonthly*>(dialog.FrequencyGroup()->VisiblePanel());
        ASSERT_NE(monthly, nullptr);
        EXPECT_TRUE(monthly->ByWeekday()->isChecked());
        EXPECT_EQ(monthly->WeekNumber()->Value(), -1);
        EXPECT_EQ(monthly->Weekday()->Value(), ORV_FR);
        EXPECT_FALSE(monthly->Days()->isEnabled());
    }
    {
        OrvEventRRuleDialog dialog(Parsed("FREQ=WEEKLY;COUNT=12;"));
        EXPECT_TRUE(dialog.SpanGroup()->AfterCount()->isChecked());
        EXPECT_EQ(dialog.SpanGroup()->Count()->value(), 12);
        EXPECT_FALSE(dialog.SpanGroup()->Until()->isEnabled());
    }
    {
        OrvEventRRuleDialog dialog(Parsed("FREQ=WEEKLY;UNTIL=20270630T120000;"));
        EXPECT_TRUE(dialog.SpanGroup()->UntilDate()->isChecked());
        EXPECT_EQ(dialog.SpanGroup()->Until()->date(), QDate(2027, 6, 30));
    }
    {
        // A until date before 2000 counts as not set.
        OrvEventRRuleDialog dialog(Parsed("FREQ=WEEKLY;UNTIL=19991231T000000;"));
        EXPECT_TRUE(dialog.SpanGroup()->NoEnd()->isChecked());
    }
}

TEST(RRuleDialog, OkWithoutChangesWritesTheRuleShown)
{
    const char* rules[] = {
        "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TH;",
        "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR;",
        "FREQ=MONTHLY;INTERVAL=1;BYDAY=-1FR;COUNT=5;",
        "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=1,15;",
        "FREQ=DAILY;INTERVAL=3;UNTIL=20280101T120000;",
    };
    for (const char* text : rules) {
        OrvRRule shown = Parsed(text);
        OrvEventRRuleDialog dialog(shown);
        ASSERT_EQ(RunAndPress(dialog, dialog.OkButton()), ZAF_DIALOG_OK) << text;
        OrvEventRRuleDialog second(dialog.Rule());
        ASSERT_EQ(RunAndPress(second, second.OkButton()), ZAF_DIALOG_OK) << text;
        // Stable after the first pass, and nothing doubled.
        EXPECT_TRUE(second.Rule() == dialog.Rule()) << text << " -> " << second.Rule().Write();
        EXPECT_EQ(dialog.Rule().byDay.size(), shown.byDay.size()) << text;
        EXPECT_EQ(dialog.Rule().frequency, shown.frequency) << text;
        EXPECT_EQ(dialog.Rule().count, shown.count) << text;
        EXPECT_EQ(dialog.Rule().until.Year(), shown.until.Year()) << text;
    }
}

TEST(RRuleDialog, EndAtADateIsNoonAndCancelLeavesTheRule)
{
    OrvRRule rule = Parsed("FREQ=WEEKLY;BYDAY=SA;");
    OrvEventRRuleDialog dialog(rule);
    QTest::mouseClick(dialog.SpanGroup()->UntilDate(), Qt::LeftButton);
    dialog.SpanGroup()->Until()->setDate(QDate(2027, 3, 1));
    ASSERT_EQ(RunAndPress(dialog, dialog.OkButton()), ZAF_DIALOG_OK);
    EXPECT_EQ(dialog.Rule().until.Text(), "20270301T120000");

    OrvEventRRuleDialog cancelled(rule);
    cancelled.FrequencyGroup()->Frequency()->setCurrentIndex(0);
    EXPECT_EQ(RunAndPress(cancelled, cancelled.CancelButton()), ZAF_DIALOG_CLOSE);
    EXPECT_TRUE(cancelled.Rule() == rule);
}

TEST(RRuleDialog, YearlyRuleWithoutChoiceKeepsItsRecurrence)
{
    OrvRRule rule = Parsed("FREQ=YEARLY;INTERVAL=1;BYMONTH=5;");
    OrvEventRRuleDialog dialog(rule);
    EXPECT_EQ(dialog.FrequencyGroup()->VisiblePanel(), nullptr);
    ASSERT_EQ(RunAndPress(dialog, dialog.OkButton()), ZAF_DIALOG_OK);
    EXPECT_EQ(dialog.Rule().frequency, ORV_FREQ_YEARLY);
    EXPECT_EQ(dialog.Rule().byMonth, std::vector<int>{5});
}

TEST(RepeatingEventQuestion, RecordsTheChosenAnswer)
{
    struct Case {
        int command;
        int button;  // 0 first, 1 second, 2 cancel
        int result, value;
    } cases[] = {
        {10108, 0, ZAF_DIALOG_OK, ORV_REPEAT_ONLY_THIS},
        {10108, 1, ZAF_DIALOG_OK, ORV_REPEAT_ALL},
        {10109, 0, ZAF_DIALOG_OK, ORV_REPEAT_ONLY_THIS},
        {10109, 2, ZAF_DIALOG_CLOSE, 0},
    };
    for (const Case& c : cases) {
        OrvRepeatingEventDialog dialog(c.command, "Salsa im Park");
        QPushButton* buttons[] = {dialog.OnlyThisButton(), dialog.AllButton(), dialog.CancelButton()};
        EXPECT_EQ(RunAndPress(dialog, buttons[c.button]), c.result) << c.command << " " << c.button;
        EXPECT_EQ(dialog.Value(), c.value) << c.command << " " << c.button;
    }
}

}  // namespace
