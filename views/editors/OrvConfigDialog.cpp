#include "views/editors/OrvConfigDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/OrvConfig.h"
#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {
QString Text(int number) { return OrvQString(OrvText(number)); }
OrvCalendarConfig& Config() { return *OrvCalendarConfig::Get(); }

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

std::string Member(const json::Object& object, const char* name)
{
    json::Object::const_iterator it = object.Find(name);
    if (it == object.End()) return std::string();
    return static_cast<const json::String&>(it->element).Value();
}

const json::Array& ArrayOf(const json::Object& object, const char* name)
{
    static const json::Array none;
    json::Object::const_iterator it = object.Find(name);
    if (it == object.End()) return none;
    return it->element;
}

struct Choice {
    QString text;
    int id;
    std::string name;
    bool disabled;
};

// A list of toggle buttons; the identifiers of those chosen on OK.
std::vector<const Choice*> SelectFrom(QWidget* parent, const QString& title, const std::vector<Choice>& choices)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* scroll = new QScrollArea(&dialog);
    auto* inner = new QWidget;
    auto* list = new QVBoxLayout(inner);
    std::vector<QCheckBox*> boxes;
    for (const Choice& c : choices) {
        auto* box = new QCheckBox(c.text, inner);
        box->setEnabled(!c.disabled);
        box->setObjectName(QStringLiteral("choice"));
        list->addWidget(box);
        boxes.push_back(box);
    }
    list->addStretch(1);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
    auto* ok = new QPushButton(Text(49), &dialog);
    auto* cancel = new QPushButton(Text(56), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog]() { dialog.done(ZAF_DIALOG_OK); });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&dialog]() { dialog.done(ZAF_DIALOG_CLOSE); });
    layout->addLayout(ButtonRow({ok, cancel}));
    std::vector<const Choice*> chosen;
    if (dialog.exec() != ZAF_DIALOG_OK) return chosen;
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i]->isEnabled() && boxes[i]->isChecked()) chosen.push_back(&choices[i]);
    return chosen;
}
}  // namespace

// ---------------------------------------------------------------------------
// Pages

OrvConfigPageHeader::OrvConfigPageHeader(const QString& title, QWidget* parent) : QLabel(title, parent)
{
    setFixedHeight(26);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(49, 106, 197));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setIndent(6);
}

OrvConfigPage::OrvConfigPage(int pageID, int headerText, QWidget* parent) : QWidget(parent), id_(pageID)
{
    OrvSetClassID(this, pageID);
    OrvSetObjectID(this, pageID);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new OrvConfigPageHeader(Text(headerText), this));
    body_ = new QVBoxLayout;
    body_->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(body_, 1);
}

int OrvConfigPage::Event(const OrvEvent& event)
{
    if (event.type != ORV_CFG_APPLY) return 0;
    Apply();
    return event.type;
}

OrvConfigPage_Login::OrvConfigPage_Login(QWidget* parent) : OrvConfigPage(ORV_PAGE_LOGIN, 44, parent)
{
    auto* form = new QFormLayout;
    user_ = new OrvLineEdit(this);
    password_ = new OrvLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    remember_ = new QCheckBox(Text(19), this);
    form->addRow(Text(45), user_);
    form->addRow(Text(46), password_);
    form->addRow(QString(), remember_);
    Body()->addLayout(form);
    Body()->addStretch(1);
    OrvCalendarConfig& c = Config();
    user_->SetWindowText(c.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME));
    password_->SetWindowText(c.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_PASSWORD));
    remember_->setChecked(c.GetIntValue(ORVCFG_REMEMBERPASSWORD) != 0);
    tracker_.Track(user_);
    tracker_.Track(password_);
    tracker_.Track(remember_);
}

void OrvConfigPage_Login::Apply()
{
    if (!tracker_.AnyChanged()) return;
    OrvCalendarConfig& c = Config();
    const bool remember = remember_->isChecked();
    c.SetValue(ORVCFG_REMEMBERPASSWORD, remember ? "1" : "0");
    c.SetValue(ORVCFG_PASSWORD, remember ? password_->WindowText().c_str() : "");
    c.SetValue(ORVCFG_USERNAME, user_->WindowText().c_str());
    tracker_.Reset();
}

OrvConfigPage_Update::OrvConfigPage_Update(QWidget* parent) : OrvConfigPage(ORV_PAGE_UPDATE, 47, parent)
{
    check_ = new QCheckBox(Text(20), this);
    check_->setChecked(Config().GetIntValue(ORVCFG_CHECKFORUPDATESONSTART) != 0);
    Body()->addWidget(check_);
    Body()->addStretch(1);
    tracker_.Track(check_);
}

void OrvConfigPage_Update::Apply()
{
    tracker_.WriteBack(check_, [this]() {
        Config().SetValue(ORVCFG_CHECKFORUPDATESONSTART, check_->isChecked() ? "1" : "0");
    });
    tracker_.Reset();
}

OrvConfigPage_Language::OrvConfigPage_Language(QWidget* parent) : OrvConfigPage(ORV_PAGE_LANGUAGE, 122, parent)
{
    box_ = new QComboBox(this);
    box_->addItem(Text(124), OrvLanguageGerman);
    box_->addItem(Text(125), OrvLanguageEnglishUK);
    int stored = Config().GetIntValue(ORVCFG_APPLICATIONLANGUAGE);
    systemDefault_ = stored == 1;
    if (stored == 1) stored = OrvSystemLanguageID();
    // An English variant other than the British one shows as English.
    if (stored == OrvLanguageEnglishUS) stored = OrvLanguageEnglishUK;
    box_->setCurrentIndex(std::max(0, box_->findData(stored)));
    Body()->addWidget(box_);
    Body()->addStretch(1);
    tracker_.Track(box_);
}

void OrvConfigPage_Language::Apply()
{
    auto store = [this]() {
        Config().SetValue(ORVCFG_APPLICATIONLANGUAGE, std::to_string(box_->currentData().toInt()).c_str());
    };
    // OK on the system's language makes it the chosen one: the file then
    // says which language the user saw and accepted.
    if (systemDefault_) {
        store();
        systemDefault_ = false;
    } else {
        tracker_.WriteBack(box_, store);
    }
    tracker_.Reset();
}

// --- list pages ---------------------------------------------------------------

OrvConfigListPage::OrvConfigListPage(int pageID, int headerText, const QStringList& columns, QWidget* parent)
    : OrvConfigPage(pageID, headerText, parent)
{
    table_ = new QTableWidget(this);
    table_->setColumnCount(static_cast<int>(columns.size()));
    table_->setHorizontalHeaderLabels(columns);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    Body()->addWidget(table_, 1);
    add_ = new QPushButton(Text(129), this);
    edit_ = new QPushButton(Text(62), this);
    delete_ = new QPushButton(Text(130), this);
    auto* row = new QHBoxLayout;
    row->addWidget(add_);
    row->addWidget(edit_);
    row->addWidget(delete_);
    row->addStretch(1);
    Body()->addLayout(row);
    OrvConnectCommand(add_, this, OrvEvent(ORV_CFG_ADD));
    OrvConnectCommand(edit_, this, OrvEvent(ORV_CFG_EDIT));
    connect(delete_, &QPushButton::clicked, this, [this]() {
        const int r = table_->currentRow();
        if (r < 0 || r >= Rows()) return;
        Remove(r);
        Changed();
    });
    connect(table_, &QTableWidget::cellChanged, this, &OrvConfigListPage::FlagToggled);
}

int OrvConfigListPage::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_CFG_ADD:
        Add();
        return event.type;
    case ORV_CFG_EDIT: {
        const int r = table_->currentRow();
        if (r >= 0 && r < Rows()) Edit(r);
        return event.type;
    }
    default:
        return OrvConfigPage::Event(event);
    }
}

void OrvConfigListPage::Changed()
{
    modified_ = true;
    Refill();
}

void OrvConfigListPage::Refill()
{
    filling_ = true;
    const int current = table_->currentRow();
    const int rows = Rows();
    table_->setRowCount(rows);
    QStringList headers;
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = Cells(r);
        for (int c = 0; c < table_->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(c < cells.size() ? cells[c] : QString());
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            if (c == FlagColumn()) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Flag(r) ? Qt::Checked : Qt::Unchecked);
            }
            table_->setItem(r, c, item);
        }
        headers << RowHeader(r);
    }
    table_->setVerticalHeaderLabels(headers);
    if (rows > 0) table_->setCurrentCell(std::min(std::max(current, 0), rows - 1), 0);
    edit_->setEnabled(rows > 0);
    delete_->setEnabled(rows > 0);
    filling_ = false;
}

void OrvConfigListPage::FlagToggled(int row, int column)
{
    if (filling_ || column != FlagColumn() || row < 0 || row >= Rows()) return;
    const bool on = table_->item(row, column)->checkState() == Qt::Checked;
    if (on == Flag(row)) return;
    // One default at most: switching one on switches the others off.
    if (on)
        for (int r = 0; r < Rows(); ++r) SetFlag(r, false);
    SetFlag(row, on);
    Changed();
}

// Pools

OrvConfigPage_Pools::OrvConfigPage_Pools(QWidget* parent)
    : OrvConfigListPage(ORV_PAGE_POOLS, 233, {Text(39), Text(173)}, parent)
{
    list_.CopyFrom(*Config().GetEventPoolList());
    Refill();
}

QStringList OrvConfigPage_Pools::Cells(int row) const { return {OrvQString(list_.Item(row)->name), QString()}; }

void OrvConfigPage_Pools::Add()
{
    std::vector<Choice> choices;
    const json::Array& pools = ArrayOf(Config().PortalConfig(), "pools");
    for (size_t i = 0; i < pools.Size(); ++i) {
        const json::Object& pool = pools[i];
        const std::string name = Member(pool, "name");
        const int id = std::atoi(Member(pool, "id").c_str());
        // A stored pool carries its position in the file, not the portal's
        // identifier: only its name tells whether it is in the list.
        bool there = false;
        for (int k = 0; k < list_.Count(); ++k) there = there || list_.Item(k)->name == name;
        choices.push_back({OrvQString(name), id, name, there});
    }
    const auto chosen = SelectFrom(this, Text(232), choices);
    for (const Choice* c : chosen) list_.Add(new OrvEventPoolElement(c->id, c->name, false));
    if (!chosen.empty()) Changed();
}

void OrvConfigPage_Pools::Remove(int row) { delete list_.Subtract(list_.Item(row)); }

void OrvConfigPage_Pools::Apply()
{
    if (!Modified()) return;
    Config().SetEventPoolList(list_);
}

// Scenes

OrvConfigPage_Scenes::OrvConfigPage_Scenes(QWidget* parent)
    : OrvConfigListPage(ORV_PAGE_SCENES, 171, {Text(39), Text(173), Text(155)}, parent)
{
    list_.CopyFrom(*Config().GetEventSceneList());
    Refill();
}

QStringList OrvConfigPage_Scenes::Cells(int row) const
{
    const OrvEventSceneElement* s = list_.Item(row);
    return {OrvQString(s->name), QString(), QString::number(s->id)};
}

void OrvConfigPage_Scenes::Add()
{
    std::vector<Choice> choices;
    const json::Array& pools = ArrayOf(Config().PortalConfig(), "pools");
    for (size_t i = 0; i < pools.Size(); ++i) {
        const json::Array& scenes = ArrayOf(pools[i], "scenes");
        for (size_t j = 0; j < scenes.Size(); ++j) {
            const json::Object& scene = scenes[j];
            const std::string name = Member(scene, "name");
            const int id = std::atoi(Member(scene, "id").c_str());
            // Stored scenes are found by name (identifier 0 when the portal
            // did not know the name when they were read).
            bool there = false;
            for (int k = 0; k < list_.Count(); ++k)
                there = there || list_.Item(k)->name == name || (id != 0 && list_.Item(k)->id == id);
            choices.push_back({OrvQString(name), id, name, there});
        }
    }
    const auto chosen = SelectFrom(this, Text(171), choices);
    for (const Choice* c : chosen) list_.Add(new OrvEventSceneElement(c->id, c->name, false));
    if (!chosen.empty()) Changed();
}

void OrvConfigPage_Scenes::Remove(int row) { delete list_.Subtract(list_.Item(row)); }

void OrvConfigPage_Scenes::Apply()
{
    if (!Modified()) return;
    Config().SetEventSceneList(list_);
}

// Categories

OrvConfigPage_Categories::OrvConfigPage_Categories(QWidget* parent)
    : OrvConfigListPage(ORV_PAGE_CATEGORIES, 126, {Text(52)}, parent)
{
    list_.CopyFrom(*Config().GetEventCategoryList());
    Refill();
}

QStringList OrvConfigPage_Categories::Cells(int row) const
{
    return {OrvQString(OrvText(list_.Item(row)->textNumber))};
}

void OrvConfigPage_Categories::Add()
{
    std::vector<Choice> choices;
    const OrvCategoryRow* table = OrvCalendarConfig::BuiltInCategoryTable();
    for (int i = 0; i < OrvCategoryRowCount; ++i) {
        const OrvCategoryRow& row = table[i];
        if (row.id == 1) continue;
        bool there = false;
        for (int k = 0; k < list_.Count(); ++k) there = there || list_.Item(k)->id == row.id;
        choices.push_back({OrvQString(OrvText(row.textNumber)), row.id, std::to_string(row.textNumber), there});
    }
    const auto chosen = SelectFrom(this, Text(126), choices);
    for (const Choice* c : chosen)
        list_.Add(new OrvEventCategoryElement(c->id, OrvCalendarConfig::CategoryTextNumber(c->id), 0));
    if (!chosen.empty()) Changed();
}

void OrvConfigPage_Categories::Remove(int row) { delete list_.Subtract(list_.Item(row)); }

void OrvConfigPage_Categories::Apply()
{
    if (!Modified()) return;
    Config().SetEventCategoryList(list_);
}

// User categories

OrvConfigPage_UserCategories::OrvConfigPage_UserCategories(OrvWebServiceJoomla* portal, QWidget* parent)
    : OrvConfigListPage(ORV_PAGE_USER_CATEGORIES, 239, {Text(39)}, parent), portal_(portal)
{
    list_.CopyFrom(*Config().GetUserCategoryList());
    Refill();
}

QStringList OrvConfigPage_UserCategories::Cells(int row) const { return {OrvQString(list_.Item(row)->name)}; }

void OrvConfigPage_UserCategories::Add()
{
    OrvUserCategorieDialog dialog(std::string(), this);
    if (dialog.exec() != ZAF_DIALOG_OK || dialog.Name().empty()) return;
    const int id = list_.Count() > 0 ? static_cast<OrvUserCategoryElement*>(list_.Last())->id + 1 : 1;
    list_.Add(new OrvUserCategoryElement(id, dialog.Name()));
    Changed();
}

void OrvConfigPage_UserCategories::Edit(int row)
{
    OrvUserCategorieDialog dialog(list_.Item(row)->name, this);
    if (dialog.exec() != ZAF_DIALOG_OK || dialog.Name().empty()) return;
    list_.Item(row)->name = dialog.Name();
    Changed();
}

void OrvConfigPage_UserCategories::Remove(int row) { delete list_.Subtract(list_.Item(row)); }

void OrvConfigPage_UserCategories::Apply()
{
    if (!Modified()) return;
    // The portal keeps the user's categories; the configuration takes the
    // new list only when the portal accepted it.
    OrvWebServiceJoomla* portal = portal_;
    applyResult_ = Config().SetUserCategories(list_, [portal](const char* text) {
        return portal ? portal->UserSetCategories(text) : -1;
    });
    if (applyResult_ == 0) {
        // The list moved into the configuration; keep showing what was sent.
        list_.CopyFrom(*Config().GetUserCategoryList());
        Refill();
        return;
    }
    std::string message;
    if (portal && (portal->GetError(nullptr, nullptr, &message, nullptr) != 0 || message.empty()))
        message = portal->Message();
    OrvMessageWindow::Show(this, QStringLiteral("ERROR"),
                           message.empty() ? QStringLiteral("Die Benutzerkategorien wurden nicht gespeichert.")
                                           : QString::fromUtf8(message.c_str()));
}

bool OrvConfigPage_UserCategories::ApplyFailed() const { return Modified() && applyResult_ != 0; }

// Import profiles

OrvConfigPage_ICalImport::OrvConfigPage_ICalImport(OrvWebServiceJoomla* portal, QWidget* parent)
    : OrvConfigListPage(ORV_PAGE_ICAL_IMPORT, 59, {Text(39), Text(161), Text(52)}, parent), portal_(portal)
{
    list_.CopyFrom(*Config().GetICalImportList());
    Refill();
}

QStringList OrvConfigPage_ICalImport::Cells(int row) const
{
    const OrvICalImportElement* p = list_.Item(row);
    return {OrvQString(p->name), OrvQString(p->sceneName), OrvQString(OrvCalendarConfig::CategoryName(p->categoryID))};
}

void OrvConfigPage_ICalImport::Add()
{
    OrvICalImportElement empty;
    OrvICalImportDialog dialog(empty, portal_, this);
    if (dialog.exec() != ZAF_DIALOG_OK) return;
    OrvICalImportElement made = dialog.Profile();
    if (made.name.empty()) return;
    auto* profile = new OrvICalImportElement(made);
    profile->id = list_.Count() > 0 ? static_cast<OrvICalImportElement*>(list_.Last())->id + 1 : 1;
    list_.Add(profile);
    Changed();
}

void OrvConfigPage_ICalImport::Edit(int row)
{
    OrvICalImportElement* profile = list_.Item(row);
    OrvICalImportDialog dialog(*profile, portal_, this);
    if (dialog.exec() != ZAF_DIALOG_OK) return;
    OrvICalImportElement made = dialog.Profile();
    if (made.name.empty()) return;
    made.id = profile->id;
    *profile = made;
    Changed();
}

void OrvConfigPage_ICalImport::Remove(int row) { delete list_.Subtract(list_.Item(row)); }

void OrvConfigPage_ICalImport::Apply()
{
    if (!Modified()) return;
    Config().SetICalImportList(list_);
}

// --- persons and defaults ------------------------------------------------------

OrvPersonChooser::OrvPersonChooser(OrvWebServiceJoomla* portal, int kind, QWidget* parent)
    : QWidget(parent), portal_(portal), kind_(kind)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    field_ = new OrvLineEdit(this);
    field_->setReadOnly(true);
    choose_ = new QPushButton(QStringLiteral("..."), this);
    clear_ = new QPushButton(QStringLiteral("x"), this);
    choose_->setEnabled(portal_ != nullptr);
    row->addWidget(field_, 1);
    row->addWidget(choose_);
    row->addWidget(clear_);
    connect(choose_, &QPushButton::clicked, this, [this]() { Choose(); });
    connect(clear_, &QPushButton::clicked, this, [this]() { Set(0, std::string()); });
}

void OrvPersonChooser::Set(int id, const std::string& name)
{
    id_ = id;
    name_ = name;
    field_->SetWindowText(name);
}

bool OrvPersonChooser::Choose()
{
    if (!portal_) return false;
    json::Array table;
    const int result = portal_->PersonGetList(kind_, "", "", "", table);
    if (result != 0 && result != 100) {
        std::string message;
        if (portal_->GetError(nullptr, nullptr, &message, nullptr) != 0 || message.empty()) message = portal_->Message();
        OrvMessageWindow::Show(this, QStringLiteral("ERROR"),
                               message.empty() ? QStringLiteral("Die Personen konnten nicht geladen werden.")
                                               : QString::fromUtf8(message.c_str()));
        return false;
    }
    // No persons of that kind: an empty list to say so.
    QDialog dialog(this);
    dialog.setWindowTitle(Text(kind_ == 1 ? 51 : 151));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    for (size_t i = 0; i < table.Size(); ++i) {
        const json::Object& person = table[i];
        auto* item = new QListWidgetItem(QString::fromUtf8(Member(person, "fullname").c_str()), list);
        item->setData(Qt::UserRole, std::atoi(Member(person, "id").c_str()));
    }
    layout->addWidget(list);
    auto* ok = new QPushButton(Text(49), &dialog);
    auto* cancel = new QPushButton(Text(56), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    connect(ok, &QPushButton::clicked, &dialog, [&dialog]() { dialog.done(ZAF_DIALOG_OK); });
    connect(list, &QListWidget::itemDoubleClicked, &dialog, [&dialog]() { dialog.done(ZAF_DIALOG_OK); });
    connect(cancel, &QPushButton::clicked, &dialog, [&dialog]() { dialog.done(ZAF_DIALOG_CLOSE); });
    layout->addLayout(ButtonRow({ok, cancel}));
    if (dialog.exec() != ZAF_DIALOG_OK || !list->currentItem()) return false;
    Set(list->currentItem()->data(Qt::UserRole).toInt(), OrvWindowText(list->currentItem()->text()));
    return true;
}

OrvConfigPage_Defaults::OrvConfigPage_Defaults(OrvWebServiceJoomla* portal, QWidget* parent)
    : OrvConfigPage(ORV_PAGE_DEFAULTS, 219, parent)
{
    auto* form = new QFormLayout;
    first_ = new OrvPersonChooser(portal, 1, this);
    second_ = new OrvPersonChooser(portal, 2, this);
    form->addRow(Text(51), first_);
    form->addRow(Text(151), second_);
    Body()->addLayout(form);
    Body()->addStretch(1);
    for (int entry = 1; entry <= 2; ++entry) {
        int id = 0;
        std::string name;
        if (Config().GetDefault(entry, id, name) == 0) Chooser(entry)->Set(id, name);
        shown_[entry - 1] = {Chooser(entry)->ID(), Chooser(entry)->Name()};
    }
}

void OrvConfigPage_Defaults::Apply()
{
    // Another person may have the same name: the identifier counts too.
    for (int entry = 1; entry <= 2; ++entry) {
        OrvPersonChooser* chooser = Chooser(entry);
        std::pair<int, std::string> now{chooser->ID(), chooser->Name()};
        if (now == shown_[entry - 1]) continue;
        Config().SetDefault(entry, chooser->ID(), chooser->Name().c_str());
        shown_[entry - 1] = now;
    }
}

// --- small dialogs --------------------------------------------------------------

OrvUserCategorieDialog::OrvUserCategorieDialog(const std::string& name, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(238));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    field_ = new OrvLineEdit(this);
    field_->SetWindowText(name);
    form->addRow(Text(39), field_);
    layout->addLayout(form);
    ok_ = new QPushButton(Text(49), this);
    auto* cancel = new QPushButton(Text(56), this);
    ok_->setDefault(true);
    layout->addLayout(ButtonRow({ok_, cancel}));
    connect(ok_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_OK); });
    connect(cancel, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
}

std::string OrvUserCategorieDialog::Name() const { return field_->WindowText(); }

OrvICalImportDialog::OrvICalImportDialog(const OrvICalImportElement& profile, OrvWebServiceJoomla* portal,
                                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Text(239));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new OrvLineEdit(this);
    name_->setMaxLength(25);
    name_->SetWindowText(profile.name);
    scene_ = new QComboBox(this);
    OrvEventSceneList* scenes = Config().GetEventSceneList();
    for (int i = 0; i < scenes->Count(); ++i) scene_->addItem(OrvQString(scenes->Item(i)->name));
    scene_->setCurrentIndex(scene_->findText(OrvQString(profile.sceneName)));
    // An empty scene would shift the stored fields; a new profile starts on
    // the default scene.
    if (scene_->currentIndex() < 0 && profile.sceneName.empty()) {
        const int sceneID = Config().GetDefaultSceneID();
        for (int i = 0; i < scenes->Count(); ++i)
            if (scenes->Item(i)->id == sceneID) scene_->setCurrentIndex(i);
        if (scene_->currentIndex() < 0 && scene_->count() > 0) scene_->setCurrentIndex(0);
    }
    category_ = new QComboBox(this);
    const OrvCategoryRow* table = OrvCalendarConfig::BuiltInCategoryTable();
    for (int i = 0; i < OrvCategoryRowCount; ++i)
        if (table[i].id != 1) category_->addItem(Text(table[i].textNumber), table[i].id);
    category_->setCurrentIndex(category_->findData(profile.categoryID));
    person1_ = new OrvPersonChooser(portal, 1, this);
    person1_->Set(profile.person1ID, profile.person1Name);
    person2_ = new OrvPersonChooser(portal, 2, this);
    person2_->Set(profile.person2ID, profile.person2Name);
    form->addRow(Text(39), name_);
    form->addRow(Text(161), scene_);
    form->addRow(Text(52), category_);
    form->addRow(Text(51), person1_);
    form->addRow(Text(151), person2_);
    layout->addLayout(form);
    ok_ = new QPushButton(Text(49), this);
    auto* cancel = new QPushButton(Text(56), this);
    ok_->setDefault(true);
    layout->addLayout(ButtonRow({ok_, cancel}));
    connect(ok_, &QPushButton::clicked, this, [this]() {
        // The profile is stored as fields separated by ";".
        if (name_->text().contains(QLatin1Char(';'))) {
            OrvMessageWindow::Show(this, QStringLiteral("Hinweis"),
                                   QStringLiteral("Der Name darf kein Semikolon (;) enthalten."));
            name_->setFocus();
            return;
        }
        done(ZAF_DIALOG_OK);
    });
    connect(cancel, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
}

OrvICalImportElement OrvICalImportDialog::Profile() const
{
    OrvICalImportElement p;
    p.name = name_->WindowText();
    p.sceneName = scene_->currentIndex() >= 0 ? OrvWindowText(scene_->currentText()) : std::string();
    p.categoryID = category_->currentIndex() >= 0 ? category_->currentData().toInt() : 0;
    p.person1ID = person1_->ID();
    p.person1Name = person1_->Name();
    p.person2ID = person2_->ID();
    p.person2Name = person2_->Name();
    return p;
}

// ---------------------------------------------------------------------------
// Dialog

namespace {
struct PageRow {
    int treeText;
    int id;
};
const PageRow kPages[] = {
    {22, ORV_PAGE_LOGIN},          {23, ORV_PAGE_UPDATE},   {122, ORV_PAGE_LANGUAGE},
    {233, ORV_PAGE_POOLS},         {171, ORV_PAGE_SCENES},  {126, ORV_PAGE_CATEGORIES},
    {219, ORV_PAGE_DEFAULTS},      {239, ORV_PAGE_USER_CATEGORIES}, {59, ORV_PAGE_ICAL_IMPORT},
};
}  // namespace

OrvConfigDialog::OrvConfigDialog(OrvWebServiceJoomla* portal, QWidget* parent) : QDialog(parent), portal_(portal)
{
    setWindowTitle(Text(48));
    setModal(true);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    for (const PageRow& row : kPages) {
        auto* item = new QTreeWidgetItem(tree_, {Text(row.treeText)});
        item->setData(0, Qt::UserRole, row.id);
    }
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        OrvSendEvent(this, OrvEvent(ORV_CFG_SHOW_PAGE, item->data(0, Qt::UserRole).toInt()));
    });
    // A single click (or an arrow key) on the list shows the page, as in
    // any settings window.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
        if (item) OrvSendEvent(this, OrvEvent(ORV_CFG_SHOW_PAGE, item->data(0, Qt::UserRole).toInt()));
    });
    area_ = new QWidget(this);
    areaLayout_ = new QVBoxLayout(area_);
    areaLayout_->setContentsMargins(0, 0, 0, 0);
    ok_ = new QPushButton(Text(49), this);
    cancel_ = new QPushButton(Text(56), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &OrvConfigDialog::Ok);
    connect(cancel_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(Text(21), this));
    left->addWidget(tree_, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(area_, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(ButtonRow({ok_, cancel_}));
    resize(640, 420);
    ShowPage(ORV_PAGE_LOGIN);
    tree_->setCurrentItem(tree_->topLevelItem(0));
}

int OrvConfigDialog::Event(const OrvEvent& event)
{
    if (event.type != ORV_CFG_SHOW_PAGE) return 0;
    ShowPage(static_cast<int>(event.value));
    return event.type;
}

OrvConfigPage* OrvConfigDialog::Page(int pageID) const
{
    if (current_ && current_->PageID() == pageID) return current_;
    for (OrvConfigPage* p : before_)
        if (p->PageID() == pageID) return p;
    return nullptr;
}

OrvConfigPage* OrvConfigDialog::Create(int pageID)
{
    switch (pageID) {
    case ORV_PAGE_LOGIN: return new OrvConfigPage_Login(area_);
    case ORV_PAGE_UPDATE: return new OrvConfigPage_Update(area_);
    case ORV_PAGE_LANGUAGE: return new OrvConfigPage_Language(area_);
    case ORV_PAGE_POOLS: return new OrvConfigPage_Pools(area_);
    case ORV_PAGE_SCENES: return new OrvConfigPage_Scenes(area_);
    case ORV_PAGE_CATEGORIES: return new OrvConfigPage_Categories(area_);
    case ORV_PAGE_DEFAULTS: return new OrvConfigPage_Defaults(portal_, area_);
    case ORV_PAGE_USER_CATEGORIES: return new OrvConfigPage_UserCategories(portal_, area_);
    case ORV_PAGE_ICAL_IMPORT: return new OrvConfigPage_ICalImport(portal_, area_);
    default: return nullptr;
    }
}

void OrvConfigDialog::ShowPage(int pageID)
{
    if (current_ && current_->PageID() == pageID) return;
    OrvConfigPage* next = nullptr;
    for (auto it = before_.begin(); it != before_.end(); ++it)
        if ((*it)->PageID() == pageID) {
            next = *it;
            before_.erase(it);
            break;
        }
    if (!next) next = Create(pageID);
    if (!next) return;
    if (current_) {
        areaLayout_->removeWidget(current_);
        current_->hide();
        before_.push_back(current_);
    }
    current_ = next;
    areaLayout_->addWidget(current_);
    current_->show();
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        if (tree_->topLevelItem(i)->data(0, Qt::UserRole).toInt() == pageID) tree_->setCurrentItem(tree_->topLevelItem(i));
}

void OrvConfigDialog::Ok()
{
    std::vector<OrvConfigPage*> pages(before_);
    if (current_) pages.insert(pages.begin(), current_);
    // The portal may refuse the user's categories: they go first, and when
    // refused nothing else is stored and the dialog stays open on them, so
    // that neither what was entered is lost nor a later cancel breaks its
    // promise to store nothing.
    for (OrvConfigPage* p : pages) {
        if (!dynamic_cast<OrvConfigPage_UserCategories*>(p)) continue;
        OrvSendEvent(p, OrvEvent(ORV_CFG_APPLY));
        if (p->ApplyFailed()) {
            ShowPage(p->PageID());
            return;
        }
    }
    for (OrvConfigPage* p : pages)
        if (!dynamic_cast<OrvConfigPage_UserCategories*>(p)) OrvSendEvent(p, OrvEvent(ORV_CFG_APPLY));
    done(ZAF_DIALOG_OK);
}

int OrvRunSettingsDialog(QWidget* parent, OrvWebServiceJoomla* portal)
{
    OrvConfigDialog dialog(portal, parent);
    return dialog.Control();
}
