#include "views/editors/OrvEventRRuleDialog.h"

#include <QButtonGroup>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "app/OrvLanguageLib.h"
#include "platform/OrvEvent.h"
#include "platform/qt/OrvQtText.h"

namespace {

QString T(int number)
{
    return OrvQString(OrvText(number));
}

QSpinBox* IntervalSpin(const OrvRRule& rule, QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(1, 255);
    spin->setValue(rule.interval > 0 ? std::min(rule.interval, 255) : 1);
    return spin;
}

// "Jeden" [n] unit
QHBoxLayout* IntervalRow(QSpinBox* spin, const QString& unit, QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Jeden"), parent));
    row->addWidget(spin);
    row->addWidget(new QLabel(unit, parent));
    row->addStretch(1);
    return row;
}

bool UntilSet(const OrvCalTime& until)
{
    // Dates before 2000 count as not set.
    return until.Year() >= 2000;
}

}  // namespace

// --- boxes -----------------------------------------------------------------

OrvEventWeekDayNoBox::OrvEventWeekDayNoBox(QWidget* parent) : QComboBox(parent)
{
    const int values[] = {0, 1, 2, 3, 4, 5, -1};
    const int texts[] = {29, 86, 87, 88, 89, 90, 91};
    for (int i = 0; i < 7; ++i) addItem(T(texts[i]), values[i]);
}

int OrvEventWeekDayNoBox::Value() const
{
    return currentData().toInt();
}

void OrvEventWeekDayNoBox::SetValue(int value)
{
    int index = findData(value);
    setCurrentIndex(index >= 0 ? index : 0);
}

OrvEventWeekDayBox::OrvEventWeekDayBox(QWidget* parent) : QComboBox(parent)
{
    for (int day = 1; day <= 7; ++day) addItem(T(106 + day), day);
    addItem(T(114), 10);
}

int OrvEventWeekDayBox::Value() const
{
    return currentData().toInt();
}

void OrvEventWeekDayBox::SetValue(int value)
{
    int index = findData(value);
    setCurrentIndex(index >= 0 ? index : findData(7));
}

// --- day list --------------------------------------------------------------

OrvDayButton::OrvDayButton(int value, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent), value_(value)
{
    setCheckable(true);
    setAutoDefault(false);
    setFlat(true);
    // A pressed button shows the framework's light background.
    setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: 1px solid #b0b0b0; }"
                                 "QPushButton:checked { background: #ffffff; font-weight: bold; }"));
}

OrvDaylistObject::OrvDaylistObject(Form form, QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setSpacing(1);
    int count = form == Weekdays ? 7 : 31;
    for (int i = 0; i < count; ++i) {
        int value = i + 1;
        QString caption = form == Weekdays ? T(115 + i) : QString::number(value);
        auto* button = new OrvDayButton(value, caption, this);
        grid->addWidget(button, i / 7, i % 7);
        buttons_.push_back(button);
    }
    for (int c = 0; c < 7; ++c) grid->setColumnStretch(c, 1);
}

void OrvDaylistObject::Press(const std::vector<int>& values)
{
    for (OrvDayButton* b : buttons_)
        b->setChecked(std::find(values.begin(), values.end(), b->Value()) != values.end());
}

std::vector<int> OrvDaylistObject::Pressed() const
{
    std::vector<int> out;
    for (OrvDayButton* b : buttons_)
        if (b->isChecked()) out.push_back(b->Value());
    return out;
}

OrvDayButton* OrvDaylistObject::Button(int value) const
{
    for (OrvDayButton* b : buttons_)
        if (b->Value() == value) return b;
    return nullptr;
}

// --- panels ----------------------------------------------------------------

OrvEventFreqDaily::OrvEventFreqDaily(const OrvRRule& rule, QWidget* parent) : OrvEventFreqPanel(parent)
{
    everyN_ = new QRadioButton(T(29), this);
    weekdays_ = new QRadioButton(T(30), this);
    interval_ = IntervalSpin(rule, this);
    unit_ = new QLabel(QStringLiteral("Tag"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(everyN_);
    group->addButton(weekdays_);
    auto* layout = new QVBoxLayout(this);
    auto* first = new QHBoxLayout;
    first->addWidget(everyN_);
    first->addWidget(interval_);
    first->addWidget(unit_);
    first->addStretch(1);
    layout->addLayout(first);
    layout->addWidget(weekdays_);
    layout->addStretch(1);
    // A workday rule is the more specific reading, so it wins.
    if (rule.IsWorkdays()) weekdays_->setChecked(true);
    else everyN_->setChecked(true);
    connect(everyN_, &QRadioButton::toggled, this, [this]() { Enable(); });
    Enable();
}

void OrvEventFreqDaily::Enable()
{
    interval_->setEnabled(everyN_->isChecked());
    unit_->setEnabled(everyN_->isChecked());
}

void OrvEventFreqDaily::Write(OrvRRule& rule) const
{
    if (everyN_->isChecked()) {
        rule.interval = interval_->value();
    } else {
        for (int day = ORV_MO; day <= ORV_FR; ++day) rule.byDay.emplace_back(0, day);
    }
}

OrvEventFreqWeekly::OrvEventFreqWeekly(const OrvRRule& rule, QWidget* parent) : OrvEventFreqPanel(parent)
{
    interval_ = IntervalSpin(rule, this);
    days_ = new OrvDaylistObject(OrvDaylistObject::Weekdays, this);
    std::vector<int> pressed;
    for (const auto& entry : rule.byDay) pressed.push_back(entry.second);
    days_->Press(pressed);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(IntervalRow(interval_, T(3), this));
    layout->addWidget(new QLabel(T(92), this));
    layout->addWidget(days_);
    layout->addStretch(1);
}

void OrvEventFreqWeekly::Write(OrvRRule& rule) const
{
    rule.interval = interval_->value();
    for (int day : days_->Pressed()) rule.byDay.emplace_back(0, day);
}

OrvEventFreqMonthly::OrvEventFreqMonthly(const OrvRRule& rule, QWidget* parent) : OrvEventFreqPanel(parent)
{
    interval_ = IntervalSpin(rule, this);
    optionA_ = new QRadioButton(this);
    optionB_ = new QRadioButton(this);
    auto* group = new QButtonGroup(this);
    group->addButton(optionA_);
    group->addButton(optionB_);
    weekNo_ = new OrvEventWeekDayNoBox(this);
    weekday_ = new OrvEventWeekDayBox(this);
    days_ = new OrvDaylistObject(OrvDaylistObject::MonthDays, this);
    if (!rule.byDay.empty()) {
        weekNo_->SetValue(rule.byDay.front().first);
        weekday_->SetValue(rule.byDay.front().second);
    } else {
        weekNo_->SetValue(0);
        weekday_->SetValue(7);
    }
    days_->Press(rule.byMonthDay);
    if (rule.byMonthDay.empty() || !rule.byDay.empty()) optionA_->setChecked(true);
    else optionB_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(IntervalRow(interval_, T(5), this));
    auto* a = new QHBoxLayout;
    a->addWidget(optionA_);
    a->addWidget(weekNo_);
    a->addWidget(weekday_);
    a->addStretch(1);
    layout->addLayout(a);
    auto* b = new QHBoxLayout;
    b->addWidget(optionB_, 0, Qt::AlignTop);
    b->addWidget(days_, 1);
    layout->addLayout(b);
    connect(optionA_, &QRadioButton::toggled, this, [this]() { Enable(); });
    Enable();
}

void OrvEventFreqMonthly::Enable()
{
    bool a = optionA_->isChecked();
    weekNo_->setEnabled(a);
    weekday_->setEnabled(a);
    days_->setEnabled(!a);
}

void OrvEventFreqMonthly::Write(OrvRRule& rule) const
{
    rule.interval = interval_->value();
    if (optionA_->isChecked()) {
        rule.byDay.emplace_back(static_cast<int16_t>(weekNo_->Value()), weekday_->Value());
    } else {
        for (int day : days_->Pressed()) rule.byMonthDay.push_back(day);
    }
}

// --- groups ----------------------------------------------------------------

OrvEventFrequenceGroup::OrvEventFrequenceGroup(OrvRRule& rule, QWidget* parent)
    : QWidget(parent), rule_(rule), original_(rule)
{
    if (rule.frequency == ORV_FREQ_NONE) rule.frequency = ORV_FREQ_WEEKLY;
    box_ = new QComboBox(this);
    box_->addItem(T(75), ORV_FREQ_DAILY);
    box_->addItem(T(76), ORV_FREQ_WEEKLY);
    box_->addItem(T(77), ORV_FREQ_MONTHLY);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(T(31), this));
    top->addWidget(box_);
    top->addStretch(1);
    layout->addLayout(top);
    panelLayout_ = new QVBoxLayout;
    layout->addLayout(panelLayout_, 1);
    int index = box_->findData(rule.frequency);
    // Yearly, once or a rule the dialog cannot show: no panel until the
    // user picks a frequency.
    box_->setCurrentIndex(index);
    Show(rule.frequency);
    connect(box_, &QComboBox::currentIndexChanged, this, [this]() { Show(box_->currentData().toInt()); });
}

OrvEventFreqPanel* OrvEventFrequenceGroup::Panel(int frequency)
{
    auto it = panels_.find(frequency);
    if (it != panels_.end()) return it->second;
    OrvEventFreqPanel* panel = nullptr;
    switch (frequency) {
    case ORV_FREQ_DAILY: panel = new OrvEventFreqDaily(rule_, this); break;
    case ORV_FREQ_WEEKLY: panel = new OrvEventFreqWeekly(rule_, this); break;
    case ORV_FREQ_MONTHLY: panel = new OrvEventFreqMonthly(rule_, this); break;
    default: return nullptr;
    }
    panel->hide();
    panels_[frequency] = panel;
    return panel;
}

void OrvEventFrequenceGroup::Show(int frequency)
{
    // The panel taken out is kept with its entries for a later return.
    if (visible_) {
        panelLayout_->removeWidget(visible_);
        visible_->hide();
    }
    visible_ = Panel(frequency);
    if (visible_) {
        panelLayout_->addWidget(visible_);
        visible_->show();
    }
}

void OrvEventFrequenceGroup::Write(OrvRRule& rule) const
{
    if (!visible_) {
        // Nothing chosen for a rule the dialog cannot show: keep its
        // recurrence as it was.
        OrvRRule kept = original_;
        kept.count = 0;
        kept.until.Clear();
        rule.frequency = kept.frequency;
        rule.interval = kept.interval;
        rule.byDay = kept.byDay;
        rule.byMonthDay = kept.byMonthDay;
        rule.byMonth = kept.byMonth;
        rule.byYearDay = kept.byYearDay;
        rule.byWeekNo = kept.byWeekNo;
        rule.byHour = kept.byHour;
        rule.byMinute = kept.byMinute;
        rule.weekStart = kept.weekStart;
        return;
    }
    rule.frequency = box_->currentData().toInt();
    visible_->Write(rule);
}

OrvEventSpanGroup::OrvEventSpanGroup(const OrvRRule& rule, QWidget* parent) : QWidget(parent)
{
    noEnd_ = new QRadioButton(T(32), this);
    afterCount_ = new QRadioButton(T(33), this);
    untilDate_ = new QRadioButton(T(34), this);
    auto* group = new QButtonGroup(this);
    group->addButton(noEnd_);
    group->addButton(afterCount_);
    group->addButton(untilDate_);
    count_ = new QSpinBox(this);
    count_->setRange(1, 255);
    count_->setValue(rule.count > 0 ? std::min(rule.count, 255) : 1);
    countLabel_ = new QLabel(QStringLiteral("Termin(e)"), this);
    until_ = new QDateEdit(this);
    until_->setCalendarPopup(true);
    until_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    if (UntilSet(rule.until)) until_->setDate(QDate(rule.until.Year(), rule.until.Month(), rule.until.Day()));
    else until_->setDate(QDate::currentDate());

    if (rule.count != 0) afterCount_->setChecked(true);
    else if (UntilSet(rule.until)) untilDate_->setChecked(true);
    else noEnd_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noEnd_);
    auto* second = new QHBoxLayout;
    second->addWidget(afterCount_);
    second->addWidget(count_);
    second->addWidget(countLabel_);
    second->addStretch(1);
    layout->addLayout(second);
    auto* third = new QHBoxLayout;
    third->addWidget(untilDate_);
    third->addWidget(until_);
    third->addStretch(1);
    layout->addLayout(third);
    connect(group, &QButtonGroup::buttonToggled, this, [this]() { Enable(); });
    Enable();
}

void OrvEventSpanGroup::Enable()
{
    count_->setEnabled(afterCount_->isChecked());
    countLabel_->setEnabled(afterCount_->isChecked());
    until_->setEnabled(untilDate_->isChecked());
}

void OrvEventSpanGroup::Write(OrvRRule& rule) const
{
    if (afterCount_->isChecked()) {
        rule.count = count_->value();
    } else if (untilDate_->isChecked()) {
        QDate d = until_->date();
        rule.until.Set(d.year(), d.month(), d.day(), 12, 0, 0, 0);
    }
}

// --- dialog ----------------------------------------------------------------

OrvEventRRuleDialog::OrvEventRRuleDialog(const OrvRRule& rule, QWidget* parent) : QDialog(parent), rule_(rule)
{
    setWindowTitle(T(35));
    auto* freqBox = new QGroupBox(T(36), this);
    frequency_ = new OrvEventFrequenceGroup(rule_, freqBox);
    (new QVBoxLayout(freqBox))->addWidget(frequency_);
    auto* spanBox = new QGroupBox(T(37), this);
    span_ = new OrvEventSpanGroup(rule_, spanBox);
    (new QVBoxLayout(spanBox))->addWidget(span_);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(T(56), this);
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, [this]() { Accept(); });
    connect(cancel_, &QPushButton::clicked, this, [this]() { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(freqBox, 1);
    layout->addWidget(spanBox);
    layout->addLayout(buttons);
}

void OrvEventRRuleDialog::Accept()
{
    // The rule holds exactly what the dialog shows: cleared, then both
    // groups write their parts.
    OrvRRule result;
    result.Clear();
    frequency_->Write(result);
    span_->Write(result);
    rule_ = result;
    accept();
}

int OrvEventRRuleDialog::Control()
{
    return exec() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
}

OrvRepeatingEventDialog::OrvRepeatingEventDialog(int command, const std::string& summary, QWidget* parent)
    : QDialog(parent)
{
    bool edit = command == 10108;
    setWindowTitle(T(edit ? 97 : 93));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QString::fromUtf8(summary.c_str()), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setTextFormat(Qt::PlainText);
    layout->addWidget(name);
    auto* explanation = new QLabel(T(94), this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    first_ = new QPushButton(T(edit ? 98 : 95), this);
    second_ = new QPushButton(T(edit ? 99 : 96), this);
    cancel_ = new QPushButton(T(56), this);
    for (QPushButton* b : {first_, second_, cancel_}) {
        b->setAutoDefault(false);
        layout->addWidget(b);
    }
    connect(first_, &QPushButton::clicked, this, [this]() {
        value_ = ORV_REPEAT_ONLY_THIS;
        accept();
    });
    connect(second_, &QPushButton::clicked, this, [this]() {
        value_ = ORV_REPEAT_ALL;
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, [this]() { reject(); });
}

int OrvRepeatingEventDialog::Control()
{
    return exec() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
}
