// The recurrence dialog (how often a series repeats and when it ends) and
// the repeating-event question asked before one date or a whole series is
// edited or deleted.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include "model/OrvRRule.h"

class QButtonGroup;
class QDateEdit;
class QLabel;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;

// Answers of the repeating-event question.
constexpr int ORV_REPEAT_ONLY_THIS = 10131;
constexpr int ORV_REPEAT_ALL = 10132;

// Week number of a monthly rule: 0 every, 1..5 first to fifth, -1 last.
class OrvEventWeekDayNoBox : public QComboBox {
    Q_OBJECT
public:
    explicit OrvEventWeekDayNoBox(QWidget* parent = nullptr);
    int Value() const;
    void SetValue(int value);
};

// Weekday 1 (Monday) .. 7 (Sunday), and 10 ("day").
class OrvEventWeekDayBox : public QComboBox {
    Q_OBJECT
public:
    explicit OrvEventWeekDayBox(QWidget* parent = nullptr);
    int Value() const;
    void SetValue(int value);
};

class OrvDayButton : public QPushButton {
    Q_OBJECT
public:
    OrvDayButton(int value, const QString& caption, QWidget* parent);
    int Value() const { return value_; }

private:
    int value_;
};

// Toggle buttons for the weekdays (one row of seven) or the days of a month
// (31 buttons in rows of seven).
class OrvDaylistObject : public QWidget {
    Q_OBJECT
public:
    enum Form { Weekdays, MonthDays };
    OrvDaylistObject(Form form, QWidget* parent = nullptr);
    void Press(const std::vector<int>& values);
    std::vector<int> Pressed() const;
    OrvDayButton* Button(int value) const;

private:
    std::vector<OrvDayButton*> buttons_;
};

// One panel per frequency; each writes its part of the rule on "OK".
class OrvEventFreqPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void Write(OrvRRule& rule) const = 0;
};

class OrvEventFreqDaily : public OrvEventFreqPanel {
    Q_OBJECT
public:
    explicit OrvEventFreqDaily(const OrvRRule& rule, QWidget* parent = nullptr);
    void Write(OrvRRule& rule) const override;
    QRadioButton* EveryNDays() const { return everyN_; }
    QRadioButton* EveryWeekday() const { return weekdays_; }
    QSpinBox* Interval() const { return interval_; }

private:
    void Enable();
    QRadioButton* everyN_;
    QRadioButton* weekdays_;
    QSpinBox* interval_;
    QLabel* unit_;
};

class OrvEventFreqWeekly : public OrvEventFreqPanel {
    Q_OBJECT
public:
    explicit OrvEventFreqWeekly(const OrvRRule& rule, QWidget* parent = nullptr);
    void Write(OrvRRule& rule) const override;
    QSpinBox* Interval() const { return interval_; }
    OrvDaylistObject* Days() const { return days_; }

private:
    QSpinBox* interval_;
    OrvDaylistObject* days_;
};

class OrvEventFreqMonthly : public OrvEventFreqPanel {
    Q_OBJECT
public:
    explicit OrvEventFreqMonthly(const OrvRRule& rule, QWidget* parent = nullptr);
    void Write(OrvRRule& rule) const override;
    QSpinBox* Interval() const { return interval_; }
    QRadioButton* ByWeekday() const { return optionA_; }
    QRadioButton* ByDays() const { return optionB_; }
    OrvEventWeekDayNoBox* WeekNumber() const { return weekNo_; }
    OrvEventWeekDayBox* Weekday() const { return weekday_; }
    OrvDaylistObject* Days() const { return days_; }

private:
    void Enable();
    QSpinBox* interval_;
    QRadioButton* optionA_;
    QRadioButton* optionB_;
    OrvEventWeekDayNoBox* weekNo_;
    OrvEventWeekDayBox* weekday_;
    OrvDaylistObject* days_;
};

class OrvEventFrequenceGroup : public QWidget {
    Q_OBJECT
public:
    // rule: the dialog's copy (a frequency of 0 becomes weekly).
    explicit OrvEventFrequenceGroup(OrvRRule& rule, QWidget* parent = nullptr);
    // Frequency and the visible panel's fields.
    void Write(OrvRRule& rule) const;
    QComboBox* Frequency() const { return box_; }
    // The panel for a frequency, created on first use; null for others.
    OrvEventFreqPanel* Panel(int frequency);
    OrvEventFreqPanel* VisiblePanel() const { return visible_; }

private:
    void Show(int frequency);
    const OrvRRule& rule_;
    OrvRRule original_;
    QComboBox* box_;
    QVBoxLayout* panelLayout_;
    std::map<int, OrvEventFreqPanel*> panels_;
    OrvEventFreqPanel* visible_ = nullptr;
};

class OrvEventSpanGroup : public QWidget {
    Q_OBJECT
public:
    explicit OrvEventSpanGroup(const OrvRRule& rule, QWidget* parent = nullptr);
    void Write(OrvRRule& rule) const;
    QRadioButton* NoEnd() const { return noEnd_; }
    QRadioButton* AfterCount() const { return afterCount_; }
    QRadioButton* UntilDate() const { return untilDate_; }
    QSpinBox* Count() const { return count_; }
    QDateEdit* Until() const { return until_; }

private:
    void Enable();
    QRadioButton* noEnd_;
    QRadioButton* afterCount_;
    QRadioButton* untilDate_;
    QSpinBox* count_;
    QLabel* countLabel_;
    QDateEdit* until_;
};

class OrvEventRRuleDialog : public QDialog {
    Q_OBJECT
public:
    // Works on its own copy of the rule.
    explicit OrvEventRRuleDialog(const OrvRRule& rule, QWidget* parent = nullptr);
    // Modal run: ZAF_DIALOG_OK when accepted (Rule() then holds the result),
    // ZAF_DIALOG_CLOSE when cancelled.
    int Control();
    const OrvRRule& Rule() const { return rule_; }
    OrvEventFrequenceGroup* FrequencyGroup() const { return frequency_; }
    OrvEventSpanGroup* SpanGroup() const { return span_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void Accept();
    OrvRRule rule_;
    OrvEventFrequenceGroup* frequency_;
    OrvEventSpanGroup* span_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

class OrvRepeatingEventDialog : public QDialog {
    Q_OBJECT
public:
    // command: 10108 (edit) or 10109 (delete); summary in UTF-8.
    OrvRepeatingEventDialog(int command, const std::string& summary, QWidget* parent = nullptr);
    // ZAF_DIALOG_OK after one of the two choices (Value() tells which),
    // ZAF_DIALOG_CLOSE after cancel.
    int Control();
    int Value() const { return value_; }
    QPushButton* OnlyThisButton() const { return first_; }
    QPushButton* AllButton() const { return second_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    int value_ = 0;
    QPushButton* first_;
    QPushButton* second_;
    QPushButton* cancel_;
};
