#include "views/editors/OrvCalendarManager.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/editors/OrvCalQuery.h"
#include "views/editors/OrvPortalDialogs.h"

namespace {
QString Text(int number) { return OrvQString(OrvText(number)); }
constexpr int ItemClassRole = Qt::UserRole + 1;
}  // namespace

// ---------------------------------------------------------------------------
// Tree items

OrvCMDirectoryItem::OrvCMDirectoryItem(QTreeWidget* tree) : QTreeWidgetItem(tree, QTreeWidgetItem::UserType)
{
    setText(0, Text(235));
    setData(0, ItemClassRole, classID);
    setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    Selected(false);
}

void OrvCMDirectoryItem::Selected(bool on)
{
    const QPixmap image = OrvBitmap(on ? "DIROPEN" : "DIRCLOSE");
    if (!image.isNull()) setIcon(0, QIcon(image));
}

OrvCMCalendarItem::OrvCMCalendarItem(QTreeWidgetItem* parent, const QString& caption, int queryID)
    : QTreeWidgetItem(parent, QTreeWidgetItem::UserType + 1), id_(queryID)
{
    setText(0, caption);
    setData(0, ItemClassRole, classID);
}

// ---------------------------------------------------------------------------
// Boxes

OrvCalQueryTypeBox::OrvCalQueryTypeBox(QWidget* parent) : QComboBox(parent)
{
    addItem(Text(226), 3);
    addItem(Text(45), 2);
}

int OrvCalQueryTypeBox::Value() const { return currentIndex() < 0 ? -1 : currentData().toInt(); }

void OrvCalQueryTypeBox::SetValue(int type) { setCurrentIndex(findData(type)); }

OrvCalNameBox::OrvCalNameBox(bool scenes, QWidget* parent) : QComboBox(parent), scenes_(scenes)
{
    setEditable(false);
    Fill();
}

void OrvCalNameBox::Fill()
{
    const std::string chosen = Name();
    clear();
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    if (scenes_) {
        OrvEventSceneList* list = config->GetEventSceneList();
        for (int i = 0; i < list->Count(); ++i)
            addItem(OrvQString(list->Item(i)->name), config->GetSceneID(list->Item(i)->name.c_str()));
    } else {
        OrvEventPoolList* list = config->GetEventPoolList();
        for (int i = 0; i < list->Count(); ++i)
            addItem(OrvQString(list->Item(i)->name), config->GetPoolID(list->Item(i)->name.c_str()));
    }
    SetName(chosen);
}

void OrvCalNameBox::SetName(const std::string& name)
{
    if (name.empty()) {
        setCurrentIndex(-1);
        return;
    }
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    const int id = scenes_ ? config->GetSceneID(name.c_str()) : config->GetPoolID(name.c_str());
    int index = id != 0 ? findData(id) : -1;
    // A name the portal configuration does not know is found by its text.
    if (index < 0) index = findText(OrvQString(name));
    setCurrentIndex(index);
}

std::string OrvCalNameBox::Name() const
{
    if (currentIndex() < 0) return std::string();
    const int id = currentData().toInt();
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    std::string name = id != 0 ? (scenes_ ? config->GetSceneName(id) : config->GetPoolName(id)) : "";
    if (name.empty()) name = OrvWindowText(currentText());
    return name;
}

void OrvCalNameBox::showEvent(QShowEvent* event)
{
    // The tracker compares the chosen entry's text, which refilling keeps.
    const QSignalBlocker block(this);
    Fill();
    QComboBox::showEvent(event);
}

// ---------------------------------------------------------------------------
// General page

OrvCMPageGeneral::OrvCMPageGeneral(OrvWebServiceJoomla* portal, QWidget* parent) : QWidget(parent), portal_(portal)
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto addRow = [&](QLabel* label, QWidget* field, QWidget* extra = nullptr) {
        grid->addWidget(label, row, 0);
        if (extra) {
            auto* line = new QHBoxLayout;
            line->addWidget(field, 1);
            line->addWidget(extra);
            grid->addLayout(line, row, 1);
        } else {
            grid->addWidget(field, row, 1);
        }
        ++row;
    };
    name_ = new OrvLineEdit(this);
    addRow(new QLabel(Text(227), this), name_);
    type_ = new OrvCalQueryTypeBox(this);
    addRow(new QLabel(Text(228), this), type_);
    userLabel_ = new QLabel(Text(45), this);
    user_ = new OrvLineEdit(this);
    user_->setReadOnly(true);
    userButton_ = new QPushButton(QStringLiteral("..."), this);
    addRow(userLabel_, user_, userButton_);
    poolLabel_ = new QLabel(Text(229), this);
    pool_ = new OrvCalPoolBox(this);
    addRow(poolLabel_, pool_);
    sceneLabel_ = new QLabel(Text(161), this);
    scene_ = new OrvCalSceneBox(this);
    addRow(sceneLabel_, scene_);
    categoriesLabel_ = new QLabel(Text(126), this);
    lesson_ = new QCheckBox(Text(230), this);
    workshop_ = new QCheckBox(Text(81), this);
    event_ = new QCheckBox(Text(135), this);
    auto* flags = new QHBoxLayout;
    flags->addWidget(lesson_);
    flags->addWidget(workshop_);
    flags->addWidget(event_);
    flags->addStretch(1);
    grid->addWidget(categoriesLabel_, row, 0);
    grid->addLayout(flags, row, 1);
    ++row;
    countryLabel_ = new QLabel(Text(158), this);
    country_ = new OrvLineEdit(this);
    country_->setMaximumWidth(60);
    addRow(countryLabel_, country_);
    zipLabel_ = new QLabel(Text(157), this);
    zip_ = new OrvLineEdit(this);
    addRow(zipLabel_, zip_);
    cityLabel_ = new QLabel(Text(51), this);
    city_ = new OrvLineEdit(this);
    addRow(cityLabel_, city_);
    grid->setRowStretch(row, 1);

    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (boundItem_) boundItem_->setText(0, text);
    });
    connect(type_, &QComboBox::currentIndexChanged, this,
            [this]() { OrvSendEvent(this, OrvEvent(ORV_CM_TYPE_CHANGED)); });
    OrvConnectCommand(userButton_, this, OrvEvent(ORV_CM_CHOOSE_USER));
    // Nothing to edit before a query is shown.
    for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(false);
}

int OrvCMPageGeneral::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_CM_LOAD:
        if (event.data) Load(*static_cast<const OrvCalQuery*>(event.data));
        return event.type;
    case ORV_CM_STORE:
        if (event.data) Store(*static_cast<OrvCalQuery*>(event.data));
        return event.type;
    case ORV_CM_TYPE_CHANGED:
        TypeChanged();
        return event.type;
    case ORV_CM_CHOOSE_USER:
        ChooseUser();
        return event.type;
    default:
        return 0;
    }
}

void OrvCMPageGeneral::Load(const OrvCalQuery& query)
{
    // 1. The name field renames the tree item that carries the query's id.
    boundItem_ = nullptr;
    if (auto* manager = dynamic_cast<OrvCalendarManager*>(OrvFindParent(this, OrvCalendarManager::classID)))
        boundItem_ = manager->ItemOf(query.id);
    name_->setEnabled(true);
    name_->SetWindowText(query.name);
    {
        const QSignalBlocker block(type_);
        type_->setEnabled(true);
        type_->SetValue(query.type);
    }
    user_->SetWindowText(query.user);
    userID_ = query.userid;
    loadedUserID_ = query.userid;
    pool_->Fill();
    pool_->SetName(query.pool);
    scene_->Fill();
    scene_->SetName(query.scenes);
    country_->SetWindowText(query.country);
    zip_->SetWindowText(query.zip);
    city_->SetWindowText(query.city);
    lesson_->setChecked(query.lesson);
    workshop_->setChecked(query.workshop);
    event_->setChecked(query.event);
    for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(true);
    TypeChanged();
    for (QWidget* w : std::initializer_list<QWidget*>{name_, type_, user_, pool_, scene_, lesson_, workshop_, event_,
                                                      country_, zip_, city_})
        tracker_.Track(w);
    loaded_ = true;
}

void OrvCMPageGeneral::Store(OrvCalQuery& query) const
{
    if (!loaded_) return;
    // Only what the user changed: a "my" query keeps its type, a pool or
    // scene that is not configured here keeps its name.
    tracker_.WriteBack(name_, [&]() { query.name = name_->WindowText(); });
    tracker_.WriteBack(type_, [&]() {
        if (type_->Value() > 0) query.type = type_->Value();
    });
    if (tracker_.Changed(user_) || userID_ != loadedUserID_) {
        query.user = user_->WindowText();
        query.userid = userID_;
    }
    tracker_.WriteBack(pool_, [&]() { query.pool = pool_->Name(); });
    tracker_.WriteBack(scene_, [&]() { query.scenes = scene_->Name(); });
    tracker_.WriteBack(lesson_, [&]() { query.lesson = lesson_->isChecked(); });
    tracker_.WriteBack(workshop_, [&]() { query.workshop = workshop_->isChecked(); });
    tracker_.WriteBack(event_, [&]() { query.event = event_->isChecked(); });
    tracker_.WriteBack(country_, [&]() { query.country = country_->WindowText(); });
    tracker_.WriteBack(zip_, [&]() { query.zip = zip_->WindowText(); });
    tracker_.WriteBack(city_, [&]() { query.city = city_->WindowText(); });
}

void OrvCMPageGeneral::TypeChanged()
{
    if (!type_->isEnabled()) return;
    const bool user = type_->Value() == 2;
    for (QWidget* w : std::initializer_list<QWidget*>{userLabel_, user_, userButton_}) w->setEnabled(user);
    for (QWidget* w : std::initializer_list<QWidget*>{poolLabel_, pool_, sceneLabel_, scene_, categoriesLabel_, lesson_,
                                                      workshop_, event_, countryLabel_, country_, zipLabel_, zip_,
                                                      cityLabel_, city_})
        w->setEnabled(!user);
}

void OrvCMPageGeneral::ChooseUser()
{
    OrvSelectUserDialog dialog(portal_, this);
    if (dialog.Control() != ZAF_DIALOG_OK) return;
    user_->SetWindowText(dialog.SelectedName());
    userID_ = dialog.SelectedID();
}

// ---------------------------------------------------------------------------
// Manager

OrvCalendarManager::OrvCalendarManager(OrvCalQueryList& list, OrvWebServiceJoomla* portal, int userID,
                                       QWidget* parent)
    : QDialog(parent), list_(list), portal_(portal), userID_(userID)
{
    OrvSetClassID(this, classID);
    setWindowTitle(Text(221).remove(QStringLiteral("...")));
    setModal(true);

    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    root_ = new OrvCMDirectoryItem(tree_);
    for (int i = 0; i < list_.Count(); ++i) {
        OrvCalQuery* q = list_.Item(i);
        new OrvCMCalendarItem(root_, OrvQString(q->name), q->id);
    }
    root_->setExpanded(true);

    open_ = new QPushButton(Text(223), this);
    new_ = new QPushButton(Text(224), this);
    delete_ = new QPushButton(Text(43), this);
    rename_ = new QPushButton(Text(236), this);
    // Opening, deleting and renaming have no function: the name field
    // renames, and queries are only ever added.
    open_->setEnabled(false);
    delete_->setEnabled(false);
    rename_->setEnabled(false);
    OrvConnectCommand(new_, this, OrvEvent(ORV_CM_NEW));

    notebook_ = new QTabWidget(this);
    general_ = new OrvCMPageGeneral(portal_, notebook_);
    notebook_->addTab(general_, Text(25));

    ok_ = new QPushButton(Text(49), this);
    cancel_ = new QPushButton(Text(56), this);
    ok_->setDefault(true);
    OrvConnectCommand(ok_, this, OrvEvent(ORV_CM_STORE));
    connect(cancel_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now, QTreeWidgetItem* before) {
        if (before == root_) root_->Selected(false);
        if (now == root_) root_->Selected(true);
        if (auto* item = dynamic_cast<OrvCMCalendarItem*>(now))
            OrvSendEvent(this, OrvEvent(ORV_CM_SELECT, item->QueryID()));
    });

    auto* left = new QVBoxLayout;
    left->addWidget(tree_, 1);
    auto* commands = new QGridLayout;
    commands->addWidget(open_, 0, 0);
    commands->addWidget(new_, 0, 1);
    commands->addWidget(delete_, 1, 0);
    commands->addWidget(rename_, 1, 1);
    left->addLayout(commands);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addWidget(notebook_, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok_);
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(640, 420);
}

int OrvCalendarManager::Control() { return exec(); }

OrvCMCalendarItem* OrvCalendarManager::ItemOf(int queryID) const
{
    QTreeWidgetItemIterator it(tree_);
    for (; *it; ++it)
        if (auto* item = dynamic_cast<OrvCMCalendarItem*>(*it))
            if (item->QueryID() == queryID) return item;
    return nullptr;
}

int OrvCalendarManager::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_CM_NEW:
        NewQuery();
        return event.type;
    case ORV_CM_SELECT:
        Show(event.value);
        return event.type;
    case ORV_CM_STORE:
        Ok();
        return event.type;
    case ORV_CM_OPEN:
    case ORV_CM_DELETE:
    case ORV_CM_RENAME:
        return event.type;
    default:
        return 0;
    }
}

void OrvCalendarManager::SendToPages(const OrvEvent& event)
{
    for (int i = 0; i < notebook_->count(); ++i) OrvSendEvent(notebook_->widget(i), event);
}

void OrvCalendarManager::Show(int id)
{
    OrvCalQuery* query = list_.FindID(id);
    if (!query) return;
    SendToPages(OrvEvent(ORV_CM_LOAD, 0, query));
    current_ = id;
}

void OrvCalendarManager::NewQuery()
{
    auto* query = new OrvCalQuery;
    query->name = OrvText(224);
    list_.Append(query);
    auto* item = new OrvCMCalendarItem(root_, OrvQString(query->name), query->id);
    root_->setExpanded(true);
    SendToPages(OrvEvent(ORV_CM_LOAD, 0, query));
    current_ = query->id;
    // Selecting the item shows the query once more, which changes nothing.
    const QSignalBlocker block(tree_);
    tree_->setCurrentItem(item);
}

void OrvCalendarManager::Ok()
{
    OrvCalQuery* current = current_ ? list_.FindID(current_) : nullptr;
    if (current) {
        // The page writes only the fields the user changed.
        OrvCalQuery scratch;
        scratch.CopyFieldsFrom(*current);
        SendToPages(OrvEvent(ORV_CM_STORE, 0, &scratch));
        current->CopyFieldsFrom(scratch);
    }
    if (portal_) OrvWriteCalQueryList(*portal_, list_, userID_);
    done(ZAF_DIALOG_OK);
}

int OrvRunCalendarManager(QWidget* parent, OrvWebServiceJoomla& portal, int userID)
{
    OrvCalQueryList& list = OrvGetCalQueryList(portal, userID);
    OrvCalendarManager manager(list, &portal, userID, parent);
    return manager.Control();
}
