// The settings dialog: a tree of page names and the page area. Pages once
// shown live until the dialog closes, so what was typed survives switching;
// OK applies every page shown, cancel writes nothing.
#pragma once

#include <QDialog>
#include <QLabel>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/OrvCalendarConfig.h"
#include "platform/OrvEvent.h"
#include "platform/qt/OrvChangeTracker.h"

class OrvLineEdit;
class OrvWebServiceJoomla;
class QCheckBox;
class QComboBox;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QVBoxLayout;

constexpr int ORV_CFG_SHOW_PAGE = 10001;  // value: page identifier
constexpr int ORV_CFG_EDIT = 10001;       // to a list page
constexpr int ORV_CFG_ADD = 10002;
constexpr int ORV_CFG_APPLY = 10110;

constexpr int ORV_PAGE_LOGIN = 10040;
constexpr int ORV_PAGE_UPDATE = 10041;
constexpr int ORV_PAGE_LANGUAGE = 10042;
constexpr int ORV_PAGE_CATEGORIES = 10044;
constexpr int ORV_PAGE_SCENES = 10045;
constexpr int ORV_PAGE_DEFAULTS = 10046;
constexpr int ORV_PAGE_POOLS = 10050;
constexpr int ORV_PAGE_USER_CATEGORIES = 10051;
constexpr int ORV_PAGE_ICAL_IMPORT = 10052;

// Title bar of a page.
class OrvConfigPageHeader : public QLabel {
    Q_OBJECT
public:
    OrvConfigPageHeader(const QString& title, QWidget* parent);
};

class OrvConfigPage : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    OrvConfigPage(int pageID, int headerText, QWidget* parent);
    int PageID() const { return id_; }
    // 10110: Apply().
    int Event(const OrvEvent& event) override;
    // Writes the page's values into the configuration.
    virtual void Apply() = 0;
    // True when the last apply could not store the page's values.
    virtual bool ApplyFailed() const { return false; }

protected:
    QVBoxLayout* Body() const { return body_; }

private:
    int id_;
    QVBoxLayout* body_;
};

class OrvConfigPage_Login : public OrvConfigPage {
    Q_OBJECT
public:
    explicit OrvConfigPage_Login(QWidget* parent);
    void Apply() override;
    OrvLineEdit* UserField() const { return user_; }
    OrvLineEdit* PasswordField() const { return password_; }
    QCheckBox* RememberBox() const { return remember_; }

private:
    OrvLineEdit* user_;
    OrvLineEdit* password_;
    QCheckBox* remember_;
    OrvChangeTracker tracker_;
};

class OrvConfigPage_Update : public OrvConfigPage {
    Q_OBJECT
public:
    explicit OrvConfigPage_Update(QWidget* parent);
    void Apply() override;
    QCheckBox* CheckBox() const { return check_; }

private:
    QCheckBox* check_;
    OrvChangeTracker tracker_;
};

class OrvConfigPage_Language : public OrvConfigPage {
    Q_OBJECT
public:
    explicit OrvConfigPage_Language(QWidget* parent);
    void Apply() override;
    QComboBox* Box() const { return box_; }

private:
    QComboBox* box_;
    OrvChangeTracker tracker_;
    bool systemDefault_ = false;   // stored 1: the system's language, not a choice yet
};

// A table of the page's list with add, edit and delete; the page edits a
// copy, which only Apply stores.
class OrvConfigListPage : public OrvConfigPage {
    Q_OBJECT
public:
    OrvConfigListPage(int pageID, int headerText, const QStringList& columns, QWidget* parent);
    int Event(const OrvEvent& event) override;
    QTableWidget* Table() const { return table_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* DeleteButton() const { return delete_; }
    bool Modified() const { return modified_; }

protected:
    virtual int Rows() const = 0;
    virtual QStringList Cells(int row) const = 0;
    // Column with the default flag, -1 for none.
    virtual int FlagColumn() const { return -1; }
    virtual bool Flag(int) const { return false; }
    virtual void SetFlag(int, bool) {}
    virtual void Add() = 0;
    virtual void Edit(int) {}
    virtual void Remove(int row) = 0;
    virtual QString RowHeader(int row) const { return QString::number(row + 1); }
    void Refill();
    void Changed();

private:
    void FlagToggled(int row, int column);
    QTableWidget* table_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
    bool modified_ = false;
    bool filling_ = false;
};

class OrvConfigPage_Pools : public OrvConfigListPage {
    Q_OBJECT
public:
    explicit OrvConfigPage_Pools(QWidget* parent);
    void Apply() override;
    const OrvEventPoolList& List() const { return list_; }

protected:
    int Rows() const override { return list_.Count(); }
    QStringList Cells(int row) const override;
    int FlagColumn() const override { return 1; }
    bool Flag(int row) const override { return list_.Item(row)->flag; }
    void SetFlag(int row, bool on) override { list_.Item(row)->flag = on; }
    void Add() override;
    void Remove(int row) override;

private:
    OrvEventPoolList list_;
};

class OrvConfigPage_Scenes : public OrvConfigListPage {
    Q_OBJECT
public:
    explicit OrvConfigPage_Scenes(QWidget* parent);
    void Apply() override;
    const OrvEventSceneList& List() const { return list_; }

protected:
    int Rows() const override { return list_.Count(); }
    QStringList Cells(int row) const override;
    int FlagColumn() const override { return 1; }
    bool Flag(int row) const override { return list_.Item(row)->flag; }
    void SetFlag(int row, bool on) override { list_.Item(row)->flag = on; }
    void Add() override;
    void Remove(int row) override;

private:
    OrvEventSceneList list_;
};

class OrvConfigPage_Categories : public OrvConfigListPage {
    Q_OBJECT
public:
    explicit OrvConfigPage_Categories(QWidget* parent);
    void Apply() override;
    const OrvEventCategoryList& List() const { return list_; }

protected:
    int Rows() const override { return list_.Count(); }
    QStringList Cells(int row) const override;
    void Add() override;
    void Remove(int row) override;

private:
    OrvEventCategoryList list_;
};

class OrvConfigPage_UserCategories : public OrvConfigListPage {
    Q_OBJECT
public:
    OrvConfigPage_UserCategories(OrvWebServiceJoomla* portal, QWidget* parent);
    void Apply() override;
    const OrvUserCategoryList& List() const { return list_; }
    // The portal's result of the last apply (1 before any).
    int ApplyResult() const { return applyResult_; }
    bool ApplyFailed() const override;

protected:
    int Rows() const override { return list_.Count(); }
    QStringList Cells(int row) const override;
    void Add() override;
    void Edit(int row) override;
    void Remove(int row) override;

private:
    OrvWebServiceJoomla* portal_;
    OrvUserCategoryList list_;
    int applyResult_ = 1;
};

class OrvConfigPage_ICalImport : public OrvConfigListPage {
    Q_OBJECT
public:
    OrvConfigPage_ICalImport(OrvWebServiceJoomla* portal, QWidget* parent);
    void Apply() override;
    const OrvICalImportList& List() const { return list_; }

protected:
    int Rows() const override { return list_.Count(); }
    QStringList Cells(int row) const override;
    QString RowHeader(int row) const override { return QString::number(row + 1) + QLatin1Char(' '); }
    void Add() override;
    void Edit(int row) override;
    void Remove(int row) override;

private:
    OrvWebServiceJoomla* portal_;
    OrvICalImportList list_;
};

// A person of the portal: the name shown, "..." chooses from the portal's
// list of that kind, "x" clears.
class OrvPersonChooser : public QWidget {
    Q_OBJECT
public:
    OrvPersonChooser(OrvWebServiceJoomla* portal, int kind, QWidget* parent);
    void Set(int id, const std::string& name);
    int ID() const { return id_; }
    const std::string& Name() const { return name_; }
    OrvLineEdit* Field() const { return field_; }
    QPushButton* ChooseButton() const { return choose_; }
    QPushButton* ClearButton() const { return clear_; }
    // The list dialog; true when a person was chosen.
    bool Choose();

private:
    OrvWebServiceJoomla* portal_;
    int kind_;
    int id_ = 0;
    std::string name_;
    OrvLineEdit* field_;
    QPushButton* choose_;
    QPushButton* clear_;
};

class OrvConfigPage_Defaults : public OrvConfigPage {
    Q_OBJECT
public:
    OrvConfigPage_Defaults(OrvWebServiceJoomla* portal, QWidget* parent);
    void Apply() override;
    OrvPersonChooser* Chooser(int entry) const { return entry == 1 ? first_ : second_; }

private:
    OrvPersonChooser* first_;
    OrvPersonChooser* second_;
    // Identifier and name of each entry as last stored or read.
    std::pair<int, std::string> shown_[2];
};

// The name of one user category.
class OrvUserCategorieDialog : public QDialog {
    Q_OBJECT
public:
    OrvUserCategorieDialog(const std::string& name, QWidget* parent);
    std::string Name() const;
    OrvLineEdit* Field() const { return field_; }
    QPushButton* OkButton() const { return ok_; }

private:
    OrvLineEdit* field_;
    QPushButton* ok_;
};

// One import profile: name (at most 25 characters), scene, category and
// the persons of kind 1 and 2.
class OrvICalImportDialog : public QDialog {
    Q_OBJECT
public:
    OrvICalImportDialog(const OrvICalImportElement& profile, OrvWebServiceJoomla* portal, QWidget* parent);
    // The fields as a profile (identifier 0).
    OrvICalImportElement Profile() const;
    OrvLineEdit* NameField() const { return name_; }
    QComboBox* SceneBox() const { return scene_; }
    QComboBox* CategoryBox() const { return category_; }
    OrvPersonChooser* Person(int kind) const { return kind == 1 ? person1_ : person2_; }
    QPushButton* OkButton() const { return ok_; }

private:
    OrvLineEdit* name_;
    QComboBox* scene_;
    QComboBox* category_;
    OrvPersonChooser* person1_;
    OrvPersonChooser* person2_;
    QPushButton* ok_;
};

class OrvConfigDialog : public QDialog, public OrvEventHandler {
    Q_OBJECT
public:
    explicit OrvConfigDialog(OrvWebServiceJoomla* portal, QWidget* parent = nullptr);
    int Event(const OrvEvent& event) override;
    int Control() { return exec(); }
    // Escape and the window's close button count as cancel.
    void reject() override { done(ZAF_DIALOG_CLOSE); }

    QTreeWidget* Tree() const { return tree_; }
    OrvConfigPage* CurrentPage() const { return current_; }
    // The page of that identifier among those shown so far; null when none.
    OrvConfigPage* Page(int pageID) const;
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void ShowPage(int pageID);
    OrvConfigPage* Create(int pageID);
    void Ok();

    OrvWebServiceJoomla* portal_;
    QTreeWidget* tree_;
    QWidget* area_;
    QVBoxLayout* areaLayout_;
    OrvConfigPage* current_ = nullptr;
    std::vector<OrvConfigPage*> before_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Command 10137. The dialog's result (ZAF_DIALOG_OK after OK).
int OrvRunSettingsDialog(QWidget* parent, OrvWebServiceJoomla* portal);
