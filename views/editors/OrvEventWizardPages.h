// The pages of the event wizard and the sub-windows of its Start page.
#pragma once

#include <QComboBox>
#include <QWidget>

#include <vector>

#include "views/editors/OrvEventWizard.h"

class QCheckBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimeEdit;
class QVBoxLayout;
class OrvLineEdit;

// Description field: refuses characters the window code page cannot hold
// and, while the login is restricted, more than 600 characters.
class OrvDescriptionEdit;

// Start, end and recurrence of the working copy.
class OrvTimeFields : public QWidget {
    Q_OBJECT
public:
    OrvTimeFields(OrvEventWizard* wizard, QWidget* parent);
    void Reload();
    QDateEdit* StartDate() const { return startDate_; }
    QTimeEdit* StartTime() const { return startTime_; }
    QDateEdit* EndDate() const { return endDate_; }
    QTimeEdit* EndTime() const { return endTime_; }
    QComboBox* Frequency() const { return frequency_; }

private:
    void Changed(bool start);
    void FrequencyChosen();
    OrvEventWizard* wizard_;
    QDateEdit* startDate_;
    QTimeEdit* startTime_;
    QDateEdit* endDate_;
    QTimeEdit* endTime_;
    QComboBox* frequency_;
    bool loading_ = false;
};

// Name and address of one person with new, edit and delete buttons.
class OrvPersonFields : public QWidget {
    Q_OBJECT
public:
    // location: true for the event's location, false for the first
    // organizer.
    OrvPersonFields(OrvEventWizard* wizard, bool location, QWidget* parent);
    void Reload();
    QPushButton* NewButton() const { return new_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* DeleteButton() const { return delete_; }
    QComboBox* Rooms() const { return rooms_; }
    QLabel* NameLabel() const { return name_; }

private:
    void Choose(bool replace);
    void Clear();
    OrvEventWizard* wizard_;
    bool location_;
    QLabel* name_;
    QLabel* address_;
    QPushButton* new_;
    QPushButton* edit_;
    QPushButton* delete_;
    QComboBox* rooms_ = nullptr;
    bool loading_ = false;
};

// Prices, free admission and (optionally) units and minutes.
class OrvCostFields : public QWidget {
    Q_OBJECT
public:
    OrvCostFields(OrvEventWizard* wizard, bool allPrices, bool unitsAndMinutes, QWidget* parent);
    void Reload();
    QDoubleSpinBox* Price(int n) const { return prices_[n - 1]; }
    QCheckBox* Free() const { return free_; }
    QSpinBox* Units() const { return units_; }
    QSpinBox* Minutes() const { return minutes_; }

private:
    OrvEventWizard* wizard_;
    QDoubleSpinBox* prices_[3] = {nullptr, nullptr, nullptr};
    QCheckBox* free_;
    QSpinBox* units_ = nullptr;
    QSpinBox* minutes_ = nullptr;
    bool loading_ = false;
};

// A two-column table of rows (programme or cost table) with add and delete.
class OrvRowTable : public QWidget {
    Q_OBJECT
public:
    using Rows = std::vector<std::pair<OrvKeptText, OrvKeptText>>;
    OrvRowTable(Rows& rows, QWidget* parent);
    void Reload();
    QTableWidget* Table() const { return table_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }

private:
    Rows& rows_;
    QTableWidget* table_;
    QPushButton* add_;
    QPushButton* delete_;
    bool loading_ = false;
};

// One image or download slot, named "%s_%02d" from its kind and number.
class OrvFileSlot : public QWidget {
    Q_OBJECT
public:
    OrvFileSlot(OrvEventWizard* wizard, bool download, const char* kind, int number, QWidget* parent);
    void Reload();
    // Gives the slot a local file (as the choose button does).
    void SetFile(const std::string& path);
    void ClearFile();
    const std::string& Name() const { return name_; }
    QLabel* Preview() const { return preview_; }
    OrvLineEdit* TextField() const { return text_; }

private:
    OrvCalImageList& List() const;
    OrvCalImageElement* Element() const;
    OrvEventWizard* wizard_;
    bool download_;
    std::string name_;
    QLabel* preview_;
    OrvLineEdit* text_;
    QPushButton* choose_;
    QPushButton* clear_;
};

// --- Start page sub-windows -------------------------------------------------

class OrvWizardPageSubWin : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10070;
    OrvWizardPageSubWin(int classId, const QString& heading, QWidget* parent);
    virtual void Reload() {}

protected:
    QVBoxLayout* Body() const { return body_; }

private:
    QVBoxLayout* body_;
};

class OrvWPSW_Main : public OrvWizardPageSubWin {
    Q_OBJECT
public:
    OrvWPSW_Main(OrvEventWizard* wizard, QWidget* parent);
    void Reload() override;
    QComboBox* Scenes() const { return scenes_; }
    QComboBox* Categories() const { return categories_; }
    OrvLineEdit* Title() const { return title_; }
    OrvLineEdit* Slogan() const { return slogan_; }

private:
    OrvEventWizard* wizard_;
    QComboBox* scenes_;
    QComboBox* categories_;
    OrvLineEdit* title_;
    OrvLineEdit* slogan_;
    QLabel* sloganLabel_;
    bool loading_ = false;
};

class OrvWPSW_Time : public OrvWizardPageSubWin {
    Q_OBJECT
public:
    OrvWPSW_Time(OrvEventWizard* wizard, QWidget* parent);
    void Reload() override { fields_->Reload(); }
    OrvTimeFields* Fields() const { return fields_; }

private:
    OrvTimeFields* fields_;
};

class OrvWPSW_Location : public OrvWizardPageSubWin {
    Q_OBJECT
public:
    OrvWPSW_Location(OrvEventWizard* wizard, QWidget* parent);
    void Reload() override { fields_->Reload(); }
    OrvPersonFields* Fields() const { return fields_; }

private:
    OrvPersonFields* fields_;
};

class OrvWPSW_Cost : public OrvWizardPageSubWin {
    Q_OBJECT
public:
    OrvWPSW_Cost(OrvEventWizard* wizard, QWidget* parent);
    void Reload() override { fields_->Reload(); }
    OrvCostFields* Fields() const { return fields_; }

private:
    OrvCostFields* fields_;
};

class OrvWPSW_Organizer : public OrvWizardPageSubWin {
    Q_OBJECT
public:
    OrvWPSW_Organizer(OrvEventWizard* wizard, QWidget* parent);
    void Reload() override { fields_->Reload(); }
    OrvPersonFields* Fields() const { return fields_; }

private:
    OrvPersonFields* fields_;
};

class OrvWPSW_Description : public OrvWizardPageSubWin {
    Q_OBJECT
public:
    OrvWPSW_Description(OrvEventWizard* wizard, QWidget* parent);
    void Reload() override;
    QPlainTextEdit* Text() const;

private:
    OrvDescriptionEdit* text_;
};

// --- pages --------------------------------------------------------------------

class OrvWizardPage_Start : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_Start(OrvEventWizard* wizard);
    void Reload() override;
    // Builds the sub-windows for the working copy's first category.
    void Rebuild();
    OrvWPSW_Main* Main() const { return main_; }
    OrvWPSW_Time* Time() const { return time_; }
    OrvWPSW_Location* Location() const { return location_; }
    OrvWPSW_Cost* Cost() const { return cost_; }
    OrvWPSW_Organizer* Organizer() const { return organizer_; }
    OrvWPSW_Description* Description() const { return description_; }

private:
    QVBoxLayout* column_;
    OrvWPSW_Main* main_ = nullptr;
    OrvWPSW_Time* time_ = nullptr;
    OrvWPSW_Location* location_ = nullptr;
    OrvWPSW_Cost* cost_ = nullptr;
    OrvWPSW_Organizer* organizer_ = nullptr;
    OrvWPSW_Description* description_ = nullptr;
};

class OrvWizardPage_Time : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_Time(OrvEventWizard* wizard);
    void Reload() override { fields_->Reload(); }
    OrvTimeFields* Fields() const { return fields_; }

private:
    OrvTimeFields* fields_;
};

class OrvWizardPage_Location : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_Location(OrvEventWizard* wizard);
    void Reload() override { fields_->Reload(); }

private:
    OrvPersonFields* fields_;
};

class OrvWizardPage_Costs : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_Costs(OrvEventWizard* wizard);
    void Reload() override;
    OrvCostFields* Fields() const { return fields_; }
    OrvLineEdit* CostText() const { return text_; }
    OrvRowTable* Table() const { return table_; }

private:
    OrvCostFields* fields_;
    OrvLineEdit* text_;
    OrvRowTable* table_;
};

// Organizer, DJs, Guests and Teacher: a table of one person list.
class OrvWizardPage_Person : public OrvEventWizardPage {
    Q_OBJECT
public:
    OrvWizardPage_Person(OrvEventWizard* wizard, OrvEventPageKind kind);
    void Reload() override;
    std::vector<OrvAddress>& Persons() const;
    int PersonKind() const;
    QTableWidget* Table() const { return table_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* DeleteButton() const { return delete_; }

private:
    QTableWidget* table_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
};

class OrvWizardPage_Program : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_Program(OrvEventWizard* wizard);
    void Reload() override { table_->Reload(); }
    OrvRowTable* Table() const { return table_; }

private:
    OrvRowTable* table_;
};

class OrvWizardPage_Comment : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_Comment(OrvEventWizard* wizard);
    void Reload() override;
    QPlainTextEdit* Text() const;

private:
    OrvDescriptionEdit* text_;
};

// Flyer, Images and Downloads.
class OrvWizardPage_Files : public OrvEventWizardPage {
    Q_OBJECT
public:
    OrvWizardPage_Files(OrvEventWizard* wizard, OrvEventPageKind kind);
    void Reload() override;
    const std::vector<OrvFileSlot*>& Slots() const { return slots_; }

private:
    std::vector<OrvFileSlot*> slots_;
};

class OrvWizardPage_User : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_User(OrvEventWizard* wizard);
    void Reload() override;
    QComboBox* Box() const { return box_; }

private:
    QComboBox* box_;
    bool loading_ = false;
};

class OrvWizardPage_End : public OrvEventWizardPage {
    Q_OBJECT
public:
    explicit OrvWizardPage_End(OrvEventWizard* wizard);
};
