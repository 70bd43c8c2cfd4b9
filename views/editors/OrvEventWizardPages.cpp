#include "views/editors/OrvEventWizardPages.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <cstdio>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/editors/OrvEventRRuleDialog.h"

namespace {

QString T(int number)
{
    return OrvQString(OrvText(number));
}

constexpr int kFieldWidth = 250;
constexpr int kWideField = 650;

QPushButton* Button(int text, const char* image, QWidget* parent)
{
    auto* b = new QPushButton(T(text), parent);
    if (image) b->setIcon(OrvIcon(image));
    b->setAutoDefault(false);
    return b;
}

QString AddressBlock(const OrvAddress& a)
{
    QStringList lines;
    if (!a.street.empty()) lines << OrvQString(a.street);
    QString town = OrvQString(a.zip);
    if (!a.city.empty()) town += (town.isEmpty() ? QString() : QStringLiteral(" ")) + OrvQString(a.city);
    if (!town.isEmpty()) lines << town;
    if (!a.country.empty()) lines << OrvQString(a.country);
    return lines.join(QLatin1Char('\n'));
}

QDoubleSpinBox* PriceBox(QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setRange(0, 999999.99);
    box->setSuffix(QStringLiteral(" Euro"));
    box->setFixedWidth(kFieldWidth / 2);
    return box;
}

}  // namespace

// --- description field ---------------------------------------------------------------

class OrvDescriptionEdit : public QPlainTextEdit {
public:
    OrvDescriptionEdit(OrvEventWizard* wizard, QWidget* parent) : QPlainTextEdit(parent), wizard_(wizard)
    {
        connect(this, &QPlainTextEdit::textChanged, this, [this]() { Check(); });
    }
    void Load()
    {
        loading_ = true;
        setPlainText(OrvQString(wizard_->Work().description.window));
        good_ = toPlainText();
        loading_ = false;
    }

private:
    void Check()
    {
        if (loading_) return;
        QString text = toPlainText();
        bool tooLong = wizard_->Restricted() && text.size() > 600;
        if (tooLong || !OrvFitsWindowCodePage(text)) {
            // Refuse the input: back to the last accepted text.
            int position = std::min<int>(textCursor().position(), good_.size());
            loading_ = true;
            setPlainText(good_);
            QTextCursor cursor = textCursor();
            cursor.setPosition(position);
            setTextCursor(cursor);
            loading_ = false;
            return;
        }
        good_ = text;
        wizard_->Work().description.window = OrvWindowText(text);
    }
    OrvEventWizard* wizard_;
    QString good_;
    bool loading_ = false;
};

// --- time fields ------------------------------------------------------------------------

OrvTimeFields::OrvTimeFields(OrvEventWizard* wizard, QWidget* parent) : QWidget(parent), wizard_(wizard)
{
    auto* form = new QFormLayout(this);
    startDate_ = new QDateEdit(this);
    endDate_ = new QDateEdit(this);
    for (QDateEdit* d : {startDate_, endDate_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    startTime_ = new QTimeEdit(this);
    endTime_ = new QTimeEdit(this);
    for (QTimeEdit* t : {startTime_, endTime_}) t->setDisplayFormat(QStringLiteral("HH:mm"));
    auto row = [this](QDateEdit* d, QTimeEdit* t) {
        auto* h = new QHBoxLayout;
        h->addWidget(d);
        h->addWidget(t);
        h->addStretch(1);
        return h;
    };
    form->addRow(T(27), row(startDate_, startTime_));
    form->addRow(T(53), row(endDate_, endTime_));
    frequency_ = new QComboBox(this);
    const int values[] = {7, 3, 4, 5, 6, 8};
    const int texts[] = {74, 75, 76, 77, 78, 80};
    for (int i = 0; i < 6; ++i) frequency_->addItem(T(texts[i]), values[i]);
    frequency_->setFixedWidth(kFieldWidth);
    form->addRow(T(28), frequency_);

    connect(startDate_, &QDateEdit::dateChanged, this, [this]() { Changed(true); });
    connect(startTime_, &QTimeEdit::timeChanged, this, [this]() { Changed(true); });
    connect(endDate_, &QDateEdit::dateChanged, this, [this]() { Changed(false); });
    connect(endTime_, &QTimeEdit::timeChanged, this, [this]() { Changed(false); });
    connect(frequency_, &QComboBox::activated, this, [this]() { FrequencyChosen(); });
    Reload();
}

void OrvTimeFields::Reload()
{
    loading_ = true;
    OrvEventWorkingCopy& w = wizard_->Work();
    startDate_->setDate(w.startDate.isValid() ? w.startDate : QDate::currentDate());
    startTime_->setTime(w.startTime);
    endDate_->setDate(w.endDate.isValid() ? w.endDate : startDate_->date());
    endTime_->setTime(w.endTime);
    endDate_->setEnabled(wizard_->EndDateEditable());
    // A simple rule shows its frequency; any other the user-defined entry.
    int shown = w.rule.SimpleFrequency();
    frequency_->setCurrentIndex(frequency_->findData(shown));
    frequency_->setEnabled(wizard_->EditMode() != ORV_EDIT_OCCURRENCE);
    loading_ = false;
}

void OrvTimeFields::Changed(bool start)
{
    if (loading_) return;
    OrvEventWorkingCopy& w = wizard_->Work();
    w.startDate = startDate_->date();
    w.startTime = startTime_->time();
    w.endDate = endDate_->date();
    w.endTime = endTime_->time();
    OrvSendEvent(wizard_, OrvEvent(start ? ORV_EWIZ_START_CHANGED : ORV_EWIZ_END_CHANGED));
    Reload();
}

void OrvTimeFields::FrequencyChosen()
{
    if (loading_) return;
    OrvEventWorkingCopy& w = wizard_->Work();
    int value = frequency_->currentData().toInt();
    if (value == ORV_FREQ_CUSTOM) {
        OrvEventRRuleDialog dialog(w.rule, this);
        if (dialog.Control() == ZAF_DIALOG_OK) w.rule = dialog.Rule();
    } else {
        w.rule.Clear();
        w.rule.frequency = value;
    }
    OrvSendEvent(wizard_, OrvEvent(ORV_EWIZ_RECURRENCE, value));
    Reload();
}

// --- person fields ------------------------------------------------------------------------

OrvPersonFields::OrvPersonFields(OrvEventWizard* wizard, bool location, QWidget* parent)
    : QWidget(parent), wizard_(wizard), location_(location)
{
    auto* layout = new QHBoxLayout(this);
    auto* text = new QVBoxLayout;
    name_ = new QLabel(this);
    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    address_ = new QLabel(this);
    name_->setTextFormat(Qt::PlainText);
    address_->setTextFormat(Qt::PlainText);
    text->addWidget(name_);
    text->addWidget(address_);
    if (location_) {
        auto* rooms = new QHBoxLayout;
        rooms->addWidget(new QLabel(T(194), this));
        rooms_ = new QComboBox(this);
        rooms_->setFixedWidth(kFieldWidth);
        rooms->addWidget(rooms_);
        rooms->addStretch(1);
        text->addLayout(rooms);
        connect(rooms_, &QComboBox::activated, this, [this]() {
            if (loading_) return;
            wizard_->Work().location.room01 = OrvWindowText(rooms_->currentText());
            OrvSendEvent(wizard_, OrvEvent(ORV_EWIZ_ROOM));
        });
    }
    text->addStretch(1);
    layout->addLayout(text, 1);
    auto* buttons = new QVBoxLayout;
    new_ = Button(129, "ico32_new", this);
    edit_ = Button(62, "ico32_edit", this);
    delete_ = Button(62, "ico32_delete", this);
    buttons->addWidget(new_);
    buttons->addWidget(edit_);
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(new_, &QPushButton::clicked, this, [this]() { Choose(false); });
    connect(edit_, &QPushButton::clicked, this, [this]() {
        // The organizer's edit button has no action of its own.
        if (location_) Choose(true);
    });
    connect(delete_, &QPushButton::clicked, this, [this]() { Clear(); });
    Reload();
}

void OrvPersonFields::Reload()
{
    loading_ = true;
    OrvEventWorkingCopy& w = wizard_->Work();
    const OrvAddress* person = location_ ? &w.location : (w.organizers.empty() ? nullptr : &w.organizers.front());
    name_->setText(person ? OrvQString(person->name) : QString());
    address_->setText(person ? AddressBlock(*person) : QString());
    bool enabled = location_ ? w.location.portalId != 0 : person != nullptr;
    edit_->setEnabled(enabled);
    delete_->setEnabled(enabled);
    if (rooms_) {
        rooms_->clear();
        if (w.location.portalId && wizard_->Services().locationRooms)
            for (const std::string& room : wizard_->Services().locationRooms(w.location.portalId))
                rooms_->addItem(OrvQString(room));
        int index = rooms_->findText(OrvQString(w.location.room01));
        if (index < 0 && !w.location.room01.empty()) {
            rooms_->addItem(OrvQString(w.location.room01));
            index = rooms_->count() - 1;
        }
        rooms_->setCurrentIndex(index);
    }
    loading_ = false;
}

void OrvPersonFields::Choose(bool replace)
{
    const OrvEventWizardServices& s = wizard_->Services();
    if (!s.choosePerson) return;
    OrvEventWorkingCopy& w = wizard_->Work();
    int kind = location_ ? ORV_PERSON_LOCATION : ORV_PERSON_ORGANIZER;
    OrvAddress chosen;
    if (replace && location_) chosen = w.location;
    if (!s.choosePerson(kind, w.FirstCategory(), chosen)) return;
    if (location_) {
        chosen.type = "location";
        w.location = chosen;
    } else {
        chosen.type = "organizer";
        if (w.organizers.empty()) w.organizers.push_back(chosen);
        else w.organizers.front() = chosen;
    }
    Reload();
}

void OrvPersonFields::Clear()
{
    OrvEventWorkingCopy& w = wizard_->Work();
    if (location_) {
        w.location = OrvAddress();
        w.location.type = "location";
    } else if (!w.organizers.empty()) {
        w.organizers.erase(w.organizers.begin());
    }
    Reload();
}

// --- cost fields ------------------------------------------------------------------------

OrvCostFields::OrvCostFields(OrvEventWizard* wizard, bool allPrices, bool unitsAndMinutes, QWidget* parent)
    : QWidget(parent), wizard_(wizard)
{
    auto* form = new QFormLayout(this);
    prices_[0] = PriceBox(this);
    free_ = new QCheckBox(T(140), this);
    auto* first = new QHBoxLayout;
    first->addWidget(prices_[0]);
    first->addWidget(free_);
    first->addStretch(1);
    form->addRow(T(139), first);
    if (allPrices) {
        prices_[1] = PriceBox(this);
        prices_[2] = PriceBox(this);
        form->addRow(T(209), prices_[1]);
        form->addRow(T(210), prices_[2]);
    }
    if (unitsAndMinutes) {
        units_ = new QSpinBox(this);
        minutes_ = new QSpinBox(this);
        for (QSpinBox* s : {units_, minutes_}) s->setRange(0, 100000);
        form->addRow(T(186), units_);
        form->addRow(T(187), minutes_);
    }
    auto store = [this]() {
        if (loading_) return;
        OrvEventWorkingCopy& w = wizard_->Work();
        w.price1 = prices_[0]->value();
        if (prices_[1]) w.price2 = prices_[1]->value();
        if (prices_[2]) w.price3 = prices_[2]->value();
        w.free = free_->isChecked();
        if (units_) w.units = static_cast<unsigned>(units_->value());
        if (minutes_) w.minutes = static_cast<unsigned>(minutes_->value());
    };
    for (QDoubleSpinBox* p : prices_)
        if (p) connect(p, &QDoubleSpinBox::valueChanged, this, store);
    connect(free_, &QCheckBox::toggled, this, store);
    if (units_) connect(units_, &QSpinBox::valueChanged, this, store);
    if (minutes_) connect(minutes_, &QSpinBox::valueChanged, this, store);
    Reload();
}

void OrvCostFields::Reload()
{
    loading_ = true;
    OrvEventWorkingCopy& w = wizard_->Work();
    prices_[0]->setValue(w.price1);
    if (prices_[1]) prices_[1]->setValue(w.price2);
    if (prices_[2]) prices_[2]->setValue(w.price3);
    free_->setChecked(w.free);
    if (units_) units_->setValue(static_cast<int>(w.units));
    if (minutes_) minutes_->setValue(static_cast<int>(w.minutes));
    loading_ = false;
}

// --- row table ------------------------------------------------------------------------

OrvRowTable::OrvRowTable(Rows& rows, QWidget* parent) : QWidget(parent), rows_(rows)
{
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 2, this);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout;
    add_ = Button(129, nullptr, this);
    delete_ = Button(43, nullptr, this);
    delete_->setEnabled(false);
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(add_, &QPushButton::clicked, this, [this]() {
        rows_.emplace_back();
        Reload();
    });
    connect(delete_, &QPushButton::clicked, this, [this]() {
        if (rows_.empty()) return;
        int row = table_->currentRow();
        if (row < 0 || row >= static_cast<int>(rows_.size()) || table_->selectedItems().isEmpty())
            row = static_cast<int>(rows_.size()) - 1;
        rows_.erase(rows_.begin() + row);
        Reload();
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this]() { delete_->setEnabled(!table_->selectedItems().isEmpty()); });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (loading_ || item->row() >= static_cast<int>(rows_.size())) return;
        QString text = item->text();
        if (!OrvFitsWindowCodePage(text)) {
            // Refuse what the window code page cannot hold.
            loading_ = true;
            auto& cell = item->column() == 0 ? rows_[item->row()].first : rows_[item->row()].second;
            item->setText(OrvQString(cell.window));
            loading_ = false;
            return;
        }
        auto& cell = item->column() == 0 ? rows_[item->row()].first : rows_[item->row()].second;
        cell.window = OrvWindowText(text);
    });
    Reload();
}

void OrvRowTable::Reload()
{
    loading_ = true;
    table_->setRowCount(static_cast<int>(rows_.size()));
    QStringList numbers;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%ld ", static_cast<long>(i + 1));
        numbers << QString::fromLatin1(number);
        table_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(OrvQString(rows_[i].first.window)));
        table_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(OrvQString(rows_[i].second.window)));
    }
    table_->setVerticalHeaderLabels(numbers);
    delete_->setEnabled(!table_->selectedItems().isEmpty());
    loading_ = false;
}

// --- file slots ------------------------------------------------------------------------

OrvFileSlot::OrvFileSlot(OrvEventWizard* wizard, bool download, const char* kind, int number, QWidget* parent)
    : QWidget(parent), wizard_(wizard), download_(download)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s_%02d", kind, number);
    name_ = name;
    auto* layout = new QHBoxLayout(this);
    preview_ = new QLabel(this);
    preview_->setFixedSize(160, download ? 24 : 120);
    preview_->setFrameStyle(QFrame::Box);
    preview_->setAlignment(Qt::AlignCenter);
    layout->addWidget(preview_);
    auto* right = new QVBoxLayout;
    text_ = new OrvLineEdit(this);
    text_->setFixedWidth(kFieldWidth);
    right->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    choose_ = Button(129, "DIROPEN", this);
    clear_ = Button(43, nullptr, this);
    buttons->addWidget(choose_);
    buttons->addWidget(clear_);
    buttons->addStretch(1);
    right->addLayout(buttons);
    right->addStretch(1);
    layout->addLayout(right, 1);
    connect(choose_, &QPushButton::clicked, this, [this]() {
        std::string path;
        if (wizard_->Services().chooseFile) {
            path = wizard_->Services().chooseFile(!download_);
        } else {
            QString filter = download_ ? QString() : QStringLiteral("Bilder (*.jpg *.tif *.png *.bmp)");
            path = QFileDialog::getOpenFileName(this, QString(), QString(), filter).toStdString();
        }
        if (!path.empty()) SetFile(path);
    });
    connect(clear_, &QPushButton::clicked, this, [this]() { ClearFile(); });
    connect(text_, &QLineEdit::textEdited, this, [this]() {
        if (OrvCalImageElement* e = Element()) {
            e->text = OrvToUTF8(text_->WindowText());
            e->changed = 1;
        }
    });
}

OrvCalImageList& OrvFileSlot::List() const
{
    OrvEventWorkingCopy& w = wizard_->Work();
    return download_ ? static_cast<OrvCalImageList&>(w.downloads) : w.images;
}

OrvCalImageElement* OrvFileSlot::Element() const
{
    OrvCalImageList& list = List();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Element(i)->name == name_) return list.Element(i);
    return nullptr;
}

void OrvFileSlot::Reload()
{
    OrvCalImageElement* e = Element();
    text_->SetWindowText(e ? OrvToSingleByte(e->text) : std::string());
    clear_->setEnabled(e != nullptr);
    preview_->clear();
    if (!e) return;
    std::string path = e->url;
    if (path.empty() || !QFileInfo::exists(QString::fromStdString(path))) {
        path.clear();
        int eventId = wizard_->Event()->eventId;
        if (eventId && wizard_->Services().fetchFile) wizard_->Services().fetchFile(eventId, name_, path);
    }
    if (path.empty()) return;
    if (download_) {
        preview_->setText(QFileInfo(QString::fromStdString(path)).fileName());
        return;
    }
    QPixmap picture(QString::fromStdString(path));
    if (!picture.isNull()) preview_->setPixmap(picture.scaled(preview_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else preview_->setText(QFileInfo(QString::fromStdString(path)).fileName());
}

void OrvFileSlot::SetFile(const std::string& path)
{
    OrvCalImageElement* e = Element();
    if (!e) {
        e = List().NewElement();
        e->name = name_;
        List().Add(e);
    }
    e->url = path;
    e->changed = 1;
    e->comment.clear();
    e->text = OrvToUTF8(text_->WindowText());
    OrvSendEvent(wizard_, OrvEvent(download_ ? ORV_EWIZ_DOWNLOAD_SLOT : ORV_EWIZ_IMAGE_SLOT));
    Reload();
}

void OrvFileSlot::ClearFile()
{
    if (OrvCalImageElement* e = Element()) {
        List().Subtract(e);
        delete e;
        // The caller deletes the portal's copy of a cleared file.
        auto& cleared = download_ ? wizard_->Work().clearedDownloads : wizard_->Work().clearedImages;
        cleared.push_back(name_);
    }
    Reload();
}

// --- sub-windows ------------------------------------------------------------------------

OrvWizardPageSubWin::OrvWizardPageSubWin(int classId, const QString& heading, QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classId);
    setMinimumWidth(600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    if (!heading.isEmpty()) {
        auto* title = new QLabel(heading, this);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        layout->addWidget(title);
    }
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    layout->addWidget(rule);
    body_ = new QVBoxLayout;
    layout->addLayout(body_);
}

OrvWPSW_Main::OrvWPSW_Main(OrvEventWizard* wizard, QWidget* parent)
    : OrvWizardPageSubWin(10071, QString(), parent), wizard_(wizard)
{
    auto* form = new QFormLayout;
    scenes_ = new QComboBox(this);
    categories_ = new QComboBox(this);
    scenes_->setFixedWidth(kFieldWidth);
    categories_->setFixedWidth(kFieldWidth);
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    if (OrvEventSceneList* scenes = config->GetEventSceneList())
        for (int i = 0; i < scenes->Count(); ++i) scenes_->addItem(OrvQString(scenes->Item(i)->name), scenes->Item(i)->id);
    if (OrvEventCategoryList* categories = config->GetEventCategoryList())
        for (int i = 0; i < categories->Count(); ++i)
            categories_->addItem(T(categories->Item(i)->textNumber), categories->Item(i)->id);
    title_ = new OrvLineEdit(this);
    slogan_ = new OrvLineEdit(this);
    title_->setFixedWidth(kWideField);
    slogan_->setFixedWidth(kWideField);
    form->addRow(T(161), scenes_);
    form->addRow(T(52), categories_);
    form->addRow(T(50), title_);
    sloganLabel_ = new QLabel(T(220), this);
    form->addRow(sloganLabel_, slogan_);
    Body()->addLayout(form);

    connect(scenes_, &QComboBox::activated, this, [this]() {
        if (!loading_) OrvSendEvent(wizard_, OrvEvent(ORV_EWIZ_SCENE, scenes_->currentData().toInt()));
    });
    connect(categories_, &QComboBox::activated, this, [this]() {
        if (loading_) return;
        int id = categories_->currentData().toInt();
        // Rebuilding the pages replaces sub-windows; let this signal end first.
        QMetaObject::invokeMethod(
            wizard_, [w = wizard_, id]() { OrvSendEvent(w, OrvEvent(ORV_EWIZ_CATEGORY, id)); }, Qt::QueuedConnection);
    });
    connect(title_, &QLineEdit::textEdited, this, [this]() { wizard_->Work().title.window = title_->WindowText(); });
    connect(slogan_, &QLineEdit::textEdited, this, [this]() { wizard_->Work().slogan.window = slogan_->WindowText(); });
    Reload();
}

void OrvWPSW_Main::Reload()
{
    loading_ = true;
    OrvEventWorkingCopy& w = wizard_->Work();
    scenes_->setCurrentIndex(w.scenes.Count() ? scenes_->findData(w.scenes.Item(0)->id) : -1);
    scenes_->setEnabled(wizard_->EditMode() != ORV_EDIT_OCCURRENCE);
    categories_->setCurrentIndex(categories_->findData(w.FirstCategory()));
    title_->SetWindowText(w.title.window);
    slogan_->SetWindowText(w.slogan.window);
    bool restricted = wizard_->Restricted();
    slogan_->setEnabled(!restricted);
    sloganLabel_->setEnabled(!restricted);
    loading_ = false;
}

OrvWPSW_Time::OrvWPSW_Time(OrvEventWizard* wizard, QWidget* parent) : OrvWizardPageSubWin(10072, T(136), parent)
{
    fields_ = new OrvTimeFields(wizard, this);
    Body()->addWidget(fields_);
}

OrvWPSW_Location::OrvWPSW_Location(OrvEventWizard* wizard, QWidget* parent)
    : OrvWizardPageSubWin(10073, T(51), parent)
{
    fields_ = new OrvPersonFields(wizard, true, this);
    Body()->addWidget(fields_);
}

OrvWPSW_Cost::OrvWPSW_Cost(OrvEventWizard* wizard, QWidget* parent) : OrvWizardPageSubWin(10074, T(139), parent)
{
    int c = wizard->Work().FirstCategory();
    fields_ = new OrvCostFields(wizard, false, c >= 101 && c <= 103, this);
    Body()->addWidget(fields_);
}

OrvWPSW_Organizer::OrvWPSW_Organizer(OrvEventWizard* wizard, QWidget* parent)
    : OrvWizardPageSubWin(10075, T(151), parent)
{
    fields_ = new OrvPersonFields(wizard, false, this);
    Body()->addWidget(fields_);
}

OrvWPSW_Description::OrvWPSW_Description(OrvEventWizard* wizard, QWidget* parent)
    : OrvWizardPageSubWin(10076, T(54), parent)
{
    text_ = new OrvDescriptionEdit(wizard, this);
    text_->setFixedHeight(100);
    Body()->addWidget(text_);
    Reload();
}

void OrvWPSW_Description::Reload()
{
    text_->Load();
}

QPlainTextEdit* OrvWPSW_Description::Text() const
{
    return text_;
}

// --- pages ------------------------------------------------------------------------------

OrvWizardPage_Start::OrvWizardPage_Start(OrvEventWizard* wizard) : OrvEventWizardPage(wizard, OrvEventPageKind::Start)
{
    SetHeadline("Start: Veranstaltung bearbeiten");
    SetDescription(OrvToSingleByte(
        "Auf dieser Seite können bereits alle wichtigen Informationen einer Veranstaltung bearbeitet werden. Wer "
        "detaillierter Angaben zu einzelnen Punkten machen möchte, kann links im Menü das gewünschte Formular "
        "auswählen."));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = new QWidget(scroll);
    column_ = new QVBoxLayout(inner);
    scroll->setWidget(inner);
    outer->addWidget(scroll);
    main_ = new OrvWPSW_Main(wizard, inner);
    column_->addWidget(main_);
    Rebuild();
}

void OrvWizardPage_Start::Rebuild()
{
    // Main keeps its boxes; the others depend on the category.
    for (QWidget* w : std::initializer_list<QWidget*>{time_, location_, cost_, organizer_, description_})
        if (w) {
            column_->removeWidget(w);
            w->hide();
            w->deleteLater();
        }
    QWidget* inner = main_->parentWidget();
    time_ = new OrvWPSW_Time(EventWizard(), inner);
    location_ = new OrvWPSW_Location(EventWizard(), inner);
    cost_ = new OrvWPSW_Cost(EventWizard(), inner);
    organizer_ = new OrvWPSW_Organizer(EventWizard(), inner);
    description_ = new OrvWPSW_Description(EventWizard(), inner);
    for (QWidget* w : std::initializer_list<QWidget*>{time_, location_, cost_, organizer_, description_})
        column_->addWidget(w);
    main_->Reload();
}

void OrvWizardPage_Start::Reload()
{
    for (OrvWizardPageSubWin* w :
         std::initializer_list<OrvWizardPageSubWin*>{main_, time_, location_, cost_, organizer_, description_})
        if (w) w->Reload();
}

OrvWizardPage_Time::OrvWizardPage_Time(OrvEventWizard* wizard) : OrvEventWizardPage(wizard, OrvEventPageKind::Time)
{
    SetHeadline(OrvText(136));
    auto* layout = new QVBoxLayout(this);
    fields_ = new OrvTimeFields(wizard, this);
    layout->addWidget(fields_);
    layout->addStretch(1);
}

OrvWizardPage_Location::OrvWizardPage_Location(OrvEventWizard* wizard)
    : OrvEventWizardPage(wizard, OrvEventPageKind::Location)
{
    SetHeadline(OrvText(51));
    auto* layout = new QVBoxLayout(this);
    fields_ = new OrvPersonFields(wizard, true, this);
    layout->addWidget(fields_);
    auto* choose = new QPushButton(QStringLiteral("..."), this);
    choose->setAutoDefault(false);
    layout->addWidget(choose, 0, Qt::AlignLeft);
    connect(choose, &QPushButton::clicked, this, [this]() { QMetaObject::invokeMethod(fields_->NewButton(), "click"); });
    layout->addStretch(1);
}

OrvWizardPage_Costs::OrvWizardPage_Costs(OrvEventWizard* wizard) : OrvEventWizardPage(wizard, OrvEventPageKind::Costs)
{
    SetHeadline(OrvText(139));
    auto* layout = new QVBoxLayout(this);
    int c = wizard->Work().FirstCategory();
    fields_ = new OrvCostFields(wizard, true, c >= 101 && c <= 103, this);
    layout->addWidget(fields_);
    text_ = new OrvLineEdit(this);
    text_->setFixedWidth(kWideField);
    layout->addWidget(text_);
    table_ = new OrvRowTable(wizard->Work().costTable, this);
    layout->addWidget(table_, 1);
    connect(text_, &QLineEdit::textEdited, this, [this]() { Work().costText.window = text_->WindowText(); });
}

void OrvWizardPage_Costs::Reload()
{
    fields_->Reload();
    text_->SetWindowText(Work().costText.window);
    table_->Reload();
}

OrvWizardPage_Person::OrvWizardPage_Person(OrvEventWizard* wizard, OrvEventPageKind kind)
    : OrvEventWizardPage(wizard, kind)
{
    SetHeadline(OrvText(OrvEventPageCaption(kind)));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 2, this);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setHorizontalHeaderLabels({T(50), OrvQString(OrvToSingleByte("Ort"))});
    layout->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout;
    add_ = Button(129, "ico32_new", this);
    edit_ = Button(62, "ico32_edit", this);
    delete_ = Button(43, "ico32_delete", this);
    edit_->setEnabled(false);
    delete_->setEnabled(false);
    buttons->addWidget(add_);
    buttons->addWidget(edit_);
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(add_, &QPushButton::clicked, this, [this]() {
        const OrvEventWizardServices& s = EventWizard()->Services();
        OrvAddress chosen;
        if (!s.choosePerson || !s.choosePerson(PersonKind(), Work().FirstCategory(), chosen)) return;
        Persons().push_back(chosen);
        Reload();
    });
    connect(delete_, &QPushButton::clicked, this, [this]() {
        int row = table_->currentRow();
        if (row < 0 || row >= static_cast<int>(Persons().size())) return;
        Persons().erase(Persons().begin() + row);
        Reload();
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this]() {
        bool selected = !table_->selectedItems().isEmpty();
        edit_->setEnabled(selected);
        delete_->setEnabled(selected);
    });
}

std::vector<OrvAddress>& OrvWizardPage_Person::Persons() const
{
    switch (Kind()) {
    case OrvEventPageKind::Organizer: return Work().organizers;
    case OrvEventPageKind::DJs: return Work().djs;
    default: return Work().guests;  // Guests and Teacher share the list
    }
}

int OrvWizardPage_Person::PersonKind() const
{
    switch (Kind()) {
    case OrvEventPageKind::Organizer: return ORV_PERSON_ORGANIZER;
    case OrvEventPageKind::DJs: return ORV_PERSON_DJ;
    default: return ORV_PERSON_GUEST;
    }
}

void OrvWizardPage_Person::Reload()
{
    const std::vector<OrvAddress>& persons = Persons();
    table_->setRowCount(static_cast<int>(persons.size()));
    for (std::size_t i = 0; i < persons.size(); ++i) {
        table_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(OrvQString(persons[i].name)));
        table_->setItem(static_cast<int>(i), 1, new QTableWidgetItem(OrvQString(persons[i].city)));
    }
    bool selected = !table_->selectedItems().isEmpty();
    edit_->setEnabled(selected);
    delete_->setEnabled(selected);
}

OrvWizardPage_Program::OrvWizardPage_Program(OrvEventWizard* wizard)
    : OrvEventWizardPage(wizard, OrvEventPageKind::Program)
{
    SetHeadline(OrvText(206));
    auto* layout = new QVBoxLayout(this);
    table_ = new OrvRowTable(wizard->Work().programme, this);
    layout->addWidget(table_);
}

OrvWizardPage_Comment::OrvWizardPage_Comment(OrvEventWizard* wizard)
    : OrvEventWizardPage(wizard, OrvEventPageKind::Comment)
{
    SetHeadline(OrvText(54));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(T(54), this));
    text_ = new OrvDescriptionEdit(wizard, this);
    text_->setFixedSize(kWideField, 160);
    layout->addWidget(text_);
    layout->addStretch(1);
}

void OrvWizardPage_Comment::Reload()
{
    text_->Load();
}

QPlainTextEdit* OrvWizardPage_Comment::Text() const
{
    return text_;
}

OrvWizardPage_Files::OrvWizardPage_Files(OrvEventWizard* wizard, OrvEventPageKind kind)
    : OrvEventWizardPage(wizard, kind)
{
    SetHeadline(OrvText(OrvEventPageCaption(kind)));
    auto* layout = new QVBoxLayout(this);
    bool download = kind == OrvEventPageKind::Downloads;
    const char* slotKind = kind == OrvEventPageKind::Flyer ? "flyer" : download ? "download" : "image";
    int count = kind == OrvEventPageKind::Flyer ? 1 : 3;
    for (int n = 1; n <= count; ++n) {
        auto* slot = new OrvFileSlot(wizard, download, slotKind, n, this);
        slots_.push_back(slot);
        layout->addWidget(slot);
    }
    layout->addStretch(1);
}

void OrvWizardPage_Files::Reload()
{
    for (OrvFileSlot* slot : slots_) slot->Reload();
}

OrvWizardPage_User::OrvWizardPage_User(OrvEventWizard* wizard) : OrvEventWizardPage(wizard, OrvEventPageKind::User)
{
    SetHeadline(OrvText(240));
    auto* layout = new QFormLayout(this);
    box_ = new QComboBox(this);
    box_->setFixedWidth(kFieldWidth);
    layout->addRow(T(238), box_);
    connect(box_, &QComboBox::activated, this, [this]() {
        if (loading_) return;
        Work().userCategory.window = box_->currentIndex() >= 0 ? OrvWindowText(box_->currentText()) : std::string();
        OrvSendEvent(EventWizard(), OrvEvent(ORV_EWIZ_USER_CATEGORY));
    });
}

void OrvWizardPage_User::Reload()
{
    loading_ = true;
    box_->clear();
    if (OrvUserCategoryList* list = OrvCalendarConfig::Get()->GetUserCategoryList())
        for (int i = 0; i < list->Count(); ++i) box_->addItem(OrvQString(list->Item(i)->name), list->Item(i)->id);
    box_->setCurrentIndex(box_->findText(OrvQString(Work().userCategory.window)));
    loading_ = false;
}

OrvWizardPage_End::OrvWizardPage_End(OrvEventWizard* wizard) : OrvEventWizardPage(wizard, OrvEventPageKind::End)
{
    SetHeadline(OrvText(53));
}

OrvEventWizardPage* OrvCreateEventWizardPage(OrvEventWizard* wizard, OrvEventPageKind kind)
{
    using K = OrvEventPageKind;
    switch (kind) {
    case K::Start: return new OrvWizardPage_Start(wizard);
    case K::Time: return new OrvWizardPage_Time(wizard);
    case K::Location: return new OrvWizardPage_Location(wizard);
    case K::Costs: return new OrvWizardPage_Costs(wizard);
    case K::Organizer:
    case K::DJs:
    case K::Guests:
    case K::Teacher: return new OrvWizardPage_Person(wizard, kind);
    case K::Program: return new OrvWizardPage_Program(wizard);
    case K::Comment: return new OrvWizardPage_Comment(wizard);
    case K::Flyer:
    case K::Images:
    case K::Downloads: return new OrvWizardPage_Files(wizard, kind);
    case K::User: return new OrvWizardPage_User(wizard);
    case K::End: return new OrvWizardPage_End(wizard);
    }
    return nullptr;
}
