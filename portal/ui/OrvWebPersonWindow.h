// The editing window of one portal person: the pages contact, geo, image,
// room and text over one person record, and the buttons that save the
// person or go back to the list without saving.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "base/json.h"
#include "platform/qt/OrvChangeTracker.h"
#include "portal/OrvPersonRecord.h"

class OrvLineEdit;
class OrvWebPersonWindow;
class OrvWebServiceJoomla;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;

// Multi-line text that refuses characters the window code page cannot hold.
class OrvPersonTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OrvPersonTextEdit(QWidget* parent = nullptr);
    void SetWindowText(const std::string& text);
    std::string WindowText() const;

private:
    void Check();
    QString good_;
    bool loading_ = false;
};

// One check box per person category; the dialog's own category is always
// selected.
class OrvPersonCategoryGroup : public QWidget {
    Q_OBJECT
public:
    OrvPersonCategoryGroup(int fixedCategory, QWidget* parent = nullptr);
    // Selects the boxes whose record name is the "perscat" of an element.
    void SetSelection(const json::Array& table);
    QCheckBox* Box(int category) const { return boxes_[category - 1]; }
    // Record names of the selected boxes, in category order.
    std::vector<std::string> Selected() const;

private:
    int fixed_;
    QCheckBox* boxes_[OrvPersonCategoryCount];
};

// Base of the editing window's pages.
class OrvWebPersonPage : public QWidget {
    Q_OBJECT
public:
    explicit OrvWebPersonPage(OrvWebPersonWindow* window);
    // Fills the page from the record (and the portal).
    virtual void Fill() = 0;
    // Writes what the user changed into the record.
    virtual void Store(OrvPersonRecord& record) = 0;
    // After a successful save; personID is the saved person's id.
    virtual void Saved(int personID) {}

protected:
    OrvWebPersonWindow* window_;
    OrvChangeTracker tracker_;
    OrvLineEdit* Field(const std::string& value);
    void Take(OrvLineEdit* field, std::string& target) const;
};

class OrvWebPersonPage_Contact : public OrvWebPersonPage {
    Q_OBJECT
public:
    explicit OrvWebPersonPage_Contact(OrvWebPersonWindow* window);
    void Fill() override;
    void Store(OrvPersonRecord& record) override;

    // The fields by the record member they edit ("fullname", "zip", ...).
    OrvLineEdit* FieldOf(const std::string& member) const;
    OrvPersonCategoryGroup* Categories() const { return categories_; }

private:
    std::vector<std::pair<std::string, OrvLineEdit*>> fields_;
    OrvPersonCategoryGroup* categories_;
};

class OrvWebPersonPage_Geo : public OrvWebPersonPage {
    Q_OBJECT
public:
    explicit OrvWebPersonPage_Geo(OrvWebPersonWindow* window);
    void Fill() override;
    void Store(OrvPersonRecord& record) override;
    OrvLineEdit* Longitude() const { return longitude_; }
    OrvLineEdit* Latitude() const { return latitude_; }
    QCheckBox* Assign() const { return assign_; }

private:
    OrvLineEdit* longitude_;
    OrvLineEdit* latitude_;
    QCheckBox* assign_;
};

class OrvWebPersonPage_Text : public OrvWebPersonPage {
    Q_OBJECT
public:
    explicit OrvWebPersonPage_Text(OrvWebPersonWindow* window);
    void Fill() override;
    void Store(OrvPersonRecord& record) override;
    OrvPersonTextEdit* Text() const { return text_; }

private:
    OrvPersonTextEdit* text_;
};

class OrvWebPersonPage_Room : public OrvWebPersonPage {
    Q_OBJECT
public:
    explicit OrvWebPersonPage_Room(OrvWebPersonWindow* window);
    void Fill() override;
    void Store(OrvPersonRecord& record) override;
    // Row 1..8.
    QToolButton* Toggle(int row) const { return toggles_[row - 1]; }
    OrvLineEdit* Name(int row) const { return names_[row - 1]; }

private:
    QToolButton* toggles_[OrvPersonRoomCount];
    OrvLineEdit* names_[OrvPersonRoomCount];
};

// A picture of a person under a fixed portal name ("logo", "portrait",
// "img"): shows the picture, lets the user choose another or empty it.
class OrvWebImageFrame : public QWidget {
    Q_OBJECT
public:
    OrvWebImageFrame(const char* name, int textNumber, QWidget* parent = nullptr);
    const std::string& Name() const { return name_; }
    // The picture shown (a local file), empty when none.
    const std::string& File() const { return file_; }
    bool Changed() const { return changed_; }
    // Shows a file without marking the frame changed (a downloaded one).
    void Show(const std::string& file);
    // The user's choice: shows it and marks the frame changed.
    void SetFile(const std::string& file);
    void Clear();
    void MarkUnchanged() { changed_ = false; }
    // Name under which the portal holds the picture shown before the user
    // changed it (empty when none came from the portal).
    const std::string& PortalFile() const { return portalFile_; }
    void SetPortalFile(const std::string& name) { portalFile_ = name; }
    // Replaces the file dialog (tests, other callers).
    void SetChooser(std::function<std::string()> chooser) { chooser_ = std::move(chooser); }

    QPushButton* ChooseButton() const { return choose_; }
    QPushButton* ClearButton() const { return clear_; }
    QLabel* Picture() const { return picture_; }

private:
    void ShowPicture();
    std::string name_;
    std::string file_;
    std::string portalFile_;
    bool changed_ = false;
    std::function<std::string()> chooser_;
    QLabel* picture_;
    QPushButton* choose_;
    QPushButton* clear_;
};

class OrvWebPersonPage_Image : public OrvWebPersonPage {
    Q_OBJECT
public:
    explicit OrvWebPersonPage_Image(OrvWebPersonWindow* window);
    void Fill() override;
    void Store(OrvPersonRecord&) override {}
    void Saved(int personID) override;
    // 0 logo, 1 portrait, 2 img.
    OrvWebImageFrame* Frame(int index) const { return frames_[index]; }
    // Pictures that could not be sent or deleted at the latest save.
    int Failures() const { return failures_; }

private:
    OrvWebImageFrame* frames_[3];
    int failures_ = 0;
};

class OrvWebPersonWindow : public QWidget {
    Q_OBJECT
public:
    // person: the chosen list row (null or empty for a new person);
    // category: the category of the dialog's list.
    OrvWebPersonWindow(OrvWebServiceJoomla& portal, int category, const json::Object* person,
                       QWidget* parent = nullptr);

    OrvWebServiceJoomla& Portal() const { return portal_; }
    int Category() const { return category_; }
    // The record as the window holds it (the person's values until the
    // pages store the user's changes).
    OrvPersonRecord& Record() { return record_; }
    // The person's "params" (room lines), UTF-8.
    const std::string& Params() const { return params_; }

    // The save button: checks the input, stores the pages, sends the
    // record. On success the pages get the save event and the window
    // finishes; otherwise it stays open. Returns PersonSave's result, or 1
    // when required fields are missing.
    int Save();
    // Back to the list without saving.
    void Cancel();

    QTabWidget* Pages() const { return tabs_; }
    OrvWebPersonPage_Contact* Contact() const { return contact_; }
    OrvWebPersonPage_Geo* Geo() const { return geo_; }
    OrvWebPersonPage_Image* Image() const { return image_; }
    // Null when the window has no room page (persons other than locations).
    OrvWebPersonPage_Room* Room() const { return room_; }
    OrvWebPersonPage_Text* Text() const { return text_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    // The window is done: savedID is the saved person's id, 0 when nothing
    // was saved.
    void finished(int savedID);

private:
    OrvWebServiceJoomla& portal_;
    int category_;
    OrvPersonRecord record_;
    std::string params_;
    std::vector<OrvWebPersonPage*> pages_;
    QTabWidget* tabs_;
    OrvWebPersonPage_Contact* contact_;
    OrvWebPersonPage_Geo* geo_;
    OrvWebPersonPage_Image* image_;
    OrvWebPersonPage_Room* room_ = nullptr;
    OrvWebPersonPage_Text* text_;
    QPushButton* save_;
    QPushButton* cancel_;
};
