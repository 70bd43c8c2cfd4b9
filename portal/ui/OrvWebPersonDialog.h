// The person dialog: the portal's persons of one category as a list, or
// one person in the editing window. Choosing a person (double click) or
// asking for a new one replaces the list by the editing window; when that
// finishes, a fresh list takes its place again.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class OrvAddress;
class OrvWebPersonTable;
class OrvWebPersonWindow;
class OrvWebServiceJoomla;
class QPushButton;
class QVBoxLayout;

class OrvWebPersonDialog : public QDialog {
    Q_OBJECT
public:
    // category: 1 location, 2 organizer, 3 DJ, 4 guest. In choose mode the
    // dialog has an OK button that ends it with the selected person.
    OrvWebPersonDialog(OrvWebServiceJoomla& portal, int category, bool chooseMode, QWidget* parent = nullptr);

    int Category() const { return category_; }
    // Exactly one of the two is shown; the other is null.
    OrvWebPersonTable* List() const { return list_; }
    OrvWebPersonWindow* Editor() const { return editor_; }

    // Replaces the list by the editing window for row n of the list.
    void EditRow(int n);
    // Replaces the list by the editing window for a new person.
    void NewPerson();
    // A fresh list; selects the person with the id when it is listed.
    void ShowList(int selectID = 0);

    // After OK: the chosen person (window code page texts, portal id).
    bool Chosen() const { return chosen_; }
    void ChosenPerson(OrvAddress& person) const;

    QPushButton* NewButton() const { return new_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CloseButton() const { return close_; }

private:
    // Puts the list or the editing window into the dialog's body.
    void Place(QWidget* part);
    void UpdateButtons();
    void Accept();

    OrvWebServiceJoomla& portal_;
    int category_;
    bool chooseMode_;
    bool chosen_ = false;
    int chosenRow_ = -1;
    QVBoxLayout* body_;
    OrvWebPersonTable* list_ = nullptr;
    OrvWebPersonWindow* editor_ = nullptr;
    QWidget* listButtons_;
    QPushButton* new_;
    QPushButton* edit_;
    QPushButton* ok_ = nullptr;
    QPushButton* close_;
    // The person chosen, kept when the list is replaced.
    struct Choice {
        int id = 0;
        std::string fullname, street, country, zip, city, url, phone, email;
    } choice_;
};

// Modal person dialog for the event wizard: lists the persons of a kind
// (1 location, 2 organizer, 3 DJ, 4 guest), lets the user edit, add and
// choose one. True when the user chose a person with OK: person then holds
// it in window code page texts with its portal id and type set; false (and
// person untouched) when the dialog was cancelled. category: the event's
// first category (not needed by the list). A person that already has a
// portal id is selected in the list when it opens.
bool OrvChoosePerson(QWidget* parent, OrvWebServiceJoomla& portal, int kind, int category, OrvAddress& person);

// The same with a hook that runs the dialog instead of exec() (tests drive
// it and return the dialog's result).
bool OrvChoosePerson(QWidget* parent, OrvWebServiceJoomla& portal, int kind, int category, OrvAddress& person,
                     const std::function<int(OrvWebPersonDialog&)>& run);
