// The calendar manager: a tree of the user's portal queries and a page that
// shows the current one. OK stores the page into the current query and
// writes the whole list to the portal.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QTreeWidgetItem>

#include "platform/OrvEvent.h"
#include "platform/qt/OrvChangeTracker.h"

class OrvCalQuery;
class OrvCalQueryList;
class OrvLineEdit;
class OrvWebServiceJoomla;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeWidget;

// Commands inside the manager.
constexpr int ORV_CM_OPEN = 10001;
constexpr int ORV_CM_NEW = 10002;
constexpr int ORV_CM_DELETE = 10003;
constexpr int ORV_CM_RENAME = 10004;
constexpr int ORV_CM_SELECT = 10005;      // value: the query's id
constexpr int ORV_CM_LOAD = 10006;        // data: the query to show
constexpr int ORV_CM_TYPE_CHANGED = 10007;
constexpr int ORV_CM_CHOOSE_USER = 10008;
constexpr int ORV_CM_STORE = 10152;       // to the manager: OK; to the pages: data is the scratch query

class OrvCMDirectoryItem : public QTreeWidgetItem {
public:
    static constexpr int classID = 10080;
    explicit OrvCMDirectoryItem(QTreeWidget* tree);
    // "DIROPEN" while selected, "DIRCLOSE" otherwise.
    void Selected(bool on);
};

class OrvCMCalendarItem : public QTreeWidgetItem {
public:
    static constexpr int classID = 10081;
    OrvCMCalendarItem(QTreeWidgetItem* parent, const QString& caption, int queryID);
    int QueryID() const { return id_; }

private:
    int id_;
};

// Type box: "selection" (3) and "user" (2); "my" only comes from the portal.
class OrvCalQueryTypeBox : public QComboBox {
    Q_OBJECT
public:
    explicit OrvCalQueryTypeBox(QWidget* parent = nullptr);
    // -1 when no entry is chosen (a query of type "my").
    int Value() const;
    void SetValue(int type);
};

// Read-only list of the configured pools or scenes; an entry's value is the
// portal configuration's identifier for its name. Filled again each time
// it is shown.
class OrvCalNameBox : public QComboBox {
    Q_OBJECT
public:
    OrvCalNameBox(bool scenes, QWidget* parent = nullptr);
    void Fill();
    // Chooses the entry of that name (by identifier, then by name); none
    // found leaves no entry chosen.
    void SetName(const std::string& name);
    // The name for the chosen entry; empty when none is chosen.
    std::string Name() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool scenes_;
};

class OrvCalPoolBox : public OrvCalNameBox {
    Q_OBJECT
public:
    explicit OrvCalPoolBox(QWidget* parent = nullptr) : OrvCalNameBox(false, parent) {}
};

class OrvCalSceneBox : public OrvCalNameBox {
    Q_OBJECT
public:
    explicit OrvCalSceneBox(QWidget* parent = nullptr) : OrvCalNameBox(true, parent) {}
};

class OrvCMPageGeneral : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    OrvCMPageGeneral(OrvWebServiceJoomla* portal, QWidget* parent = nullptr);
    // 10006 load, 10152 store, 10007 type change, 10008 choose the user.
    int Event(const OrvEvent& event) override;

    OrvLineEdit* NameField() const { return name_; }
    OrvCalQueryTypeBox* TypeBox() const { return type_; }
    OrvLineEdit* UserField() const { return user_; }
    QPushButton* UserButton() const { return userButton_; }
    OrvCalPoolBox* PoolBox() const { return pool_; }
    OrvCalSceneBox* SceneBox() const { return scene_; }
    QCheckBox* LessonBox() const { return lesson_; }
    QCheckBox* WorkshopBox() const { return workshop_; }
    QCheckBox* EventBox() const { return event_; }
    OrvLineEdit* CountryField() const { return country_; }
    OrvLineEdit* ZipField() const { return zip_; }
    OrvLineEdit* CityField() const { return city_; }
    // The user number the user field keeps.
    int UserID() const { return userID_; }

private:
    void Load(const OrvCalQuery& query);
    void Store(OrvCalQuery& query) const;
    void TypeChanged();
    void ChooseUser();

    OrvWebServiceJoomla* portal_;
    QTreeWidgetItem* boundItem_ = nullptr;
    OrvChangeTracker tracker_;
    bool loaded_ = false;
    int userID_ = 0;
    int loadedUserID_ = 0;

    OrvLineEdit* name_;
    OrvCalQueryTypeBox* type_;
    QLabel* userLabel_;
    OrvLineEdit* user_;
    QPushButton* userButton_;
    QLabel* poolLabel_;
    OrvCalPoolBox* pool_;
    QLabel* sceneLabel_;
    OrvCalSceneBox* scene_;
    QLabel* categoriesLabel_;
    QCheckBox* lesson_;
    QCheckBox* workshop_;
    QCheckBox* event_;
    QLabel* countryLabel_;
    OrvLineEdit* country_;
    QLabel* zipLabel_;
    OrvLineEdit* zip_;
    QLabel* cityLabel_;
    OrvLineEdit* city_;
};

class OrvCalendarManager : public QDialog, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 10083;
    // portal: where OK writes the list and the user chooser asks; userID:
    // the user whose queries these are (0: the logged-in user).
    OrvCalendarManager(OrvCalQueryList& list, OrvWebServiceJoomla* portal, int userID, QWidget* parent = nullptr);

    int Event(const OrvEvent& event) override;
    int Control();

    int CurrentID() const { return current_; }
    QTreeWidget* Tree() const { return tree_; }
    OrvCMDirectoryItem* RootItem() const { return root_; }
    // The calendar item of a query id, depth first; null when none.
    OrvCMCalendarItem* ItemOf(int queryID) const;
    OrvCMPageGeneral* GeneralPage() const { return general_; }
    QPushButton* OpenButton() const { return open_; }
    QPushButton* NewButton() const { return new_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* RenameButton() const { return rename_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void Show(int id);
    void NewQuery();
    void Ok();
    void SendToPages(const OrvEvent& event);

    OrvCalQueryList& list_;
    OrvWebServiceJoomla* portal_;
    int userID_;
    int current_ = 0;
    QTreeWidget* tree_;
    OrvCMDirectoryItem* root_;
    QTabWidget* notebook_;
    OrvCMPageGeneral* general_;
    QPushButton* open_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* rename_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Command 10156: fetches the query list (once more from the portal), runs
// the manager modally over it and returns the dialog's result (ZAF_DIALOG_OK
// after OK, which has written the list to the portal).
int OrvRunCalendarManager(QWidget* parent, OrvWebServiceJoomla& portal, int userID = 0);
