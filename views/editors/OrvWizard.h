// Multi-page editor: an ordered list of pages, one shown at a time, a page
// selector on the left and navigation buttons at the bottom. It knows
// nothing about what the pages edit.
#pragma once

#include <QDialog>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/OrvEvent.h"
#include "platform/OrvList.h"

class QLabel;
class QPushButton;
class QTextEdit;
class QVBoxLayout;
class OrvWizard;

// Commands of the wizard and its pages.
enum : int {
    ORV_WIZ_FORWARD = 10000,
    ORV_WIZ_BACK = 10001,
    ORV_WIZ_GOTO = 10002,    // value: index of the page
    ORV_WIZ_UPDATE = 10003,
    ORV_WIZ_REFRESH = 10004,
    ORV_WIZ_FINISH = 10006,
    ORV_WIZ_CANCEL = 10007,
    ORV_WIZ_EXTRA = 10008,
};

class OrvWizardPage : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 6001;

    explicit OrvWizardPage(QWidget* parent = nullptr);

    // Texts in the window code page.
    void SetCaption(const std::string& text) { caption_ = text; }
    void SetHeadline(const std::string& text) { headline_ = text; }
    void SetDescription(const std::string& text) { description_ = text; }
    const std::string& Caption() const { return caption_; }
    const std::string& Headline() const { return headline_; }
    const std::string& Description() const { return description_; }

    // Shown as valid, and complete (finish needs every page complete).
    virtual bool IsValid() const { return valid_; }
    virtual bool IsComplete() const { return complete_; }
    void SetValid(bool on) { valid_ = on; }
    void SetComplete(bool on) { complete_ = on; }

    bool Visited() const { return visited_; }
    void SetVisited(bool on) { visited_ = on; }

    // 1 = indented entry in the selector, 2 = outer entry.
    int Level() const { return level_; }
    void SetLevel(int level) { level_ = level; }

    OrvWizard* Wizard() const { return wizard_; }

    int Event(const OrvEvent& event) override;

private:
    friend class OrvWizard;
    std::string caption_, headline_, description_;
    bool valid_ = true;
    bool complete_ = true;
    bool visited_ = false;
    int level_ = 1;
    OrvWizard* wizard_ = nullptr;
};

// A node of the page list refers to one page; the wizard owns the pages.
class OrvWizardPageNode : public OrvElement {
    ORV_CLASS(OrvWizardPageNode, 6010, OrvElement)
public:
    explicit OrvWizardPageNode(OrvWizardPage* page) : page(page) {}
    OrvWizardPage* page;
};

class OrvWizardPageList : public OrvList {
public:
    ~OrvWizardPageList() override { Destroy(); }
    OrvWizardPage* Page(int index) const
    {
        auto* node = static_cast<OrvWizardPageNode*>(Get(index));
        return node ? node->page : nullptr;
    }
};

class OrvWizardPageSelectorButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int classID = 6003;
    OrvWizardPageSelectorButton(int index, const QString& caption, QWidget* parent);
    int Index() const { return index_; }
    // Name of the image the button shows.
    const QString& ImageName() const { return imageName_; }
    void SetImage(const QString& name, bool current);

private:
    int index_;
    QString imageName_;
};

class OrvWizardPageSelector : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 6002;
    static constexpr int leftBarClassID = 6004;
    explicit OrvWizardPageSelector(OrvWizard* wizard);
    int Event(const OrvEvent& event) override;
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    OrvWizardPageSelectorButton* Button(int index) const;

private:
    void Rebuild();
    void UpdateImages();
    OrvWizard* wizard_;
    std::vector<OrvWizardPageSelectorButton*> buttons_;
};

class OrvWizard : public QDialog, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 6000;

    explicit OrvWizard(QWidget* parent = nullptr, bool extraButton = false);
    ~OrvWizard() override;

    // Appends a page (the wizard takes ownership). Pages added after the
    // wizard is shown get a refresh.
    void AddPage(OrvWizardPage* page);
    // Removes and destroys every page after the one at index (the page
    // shown must not be among them).
    void RemovePagesAfter(int index);
    const OrvWizardPageList& Pages() const { return pages_; }
    int PageCount() const { return pages_.Count(); }
    OrvWizardPage* CurrentPage() const { return current_; }
    int CurrentIndex() const;

    // Shows the first page and updates the buttons; called on first show,
    // callable directly by tests and derived wizards.
    void Initialise();

    // Modal run: ZAF_DIALOG_OK after finish, ZAF_DIALOG_CLOSE after cancel.
    int Control();

    int Event(const OrvEvent& event) override;

    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* BackButton() const { return back_; }
    QPushButton* ForwardButton() const { return forward_; }
    QPushButton* ExtraButton() const { return extra_; }
    QPushButton* FinishButton() const { return finish_; }
    OrvWizardPageSelector* Selector() const { return selector_; }
    QLabel* HeadlineLabel() const { return headline_; }

    // Cancel, Escape and the window's close button come here; the wizard
    // closes only when ConfirmCancel agrees.
    void reject() override;

protected:
    // The derived wizard's finish; the framework's closes with OK.
    virtual void Finish();
    // True when cancelling may go ahead (the framework always agrees).
    virtual bool ConfirmCancel() { return true; }
    void ShowPage(int index);
    void showEvent(QShowEvent* event) override;

private:
    void Update();
    OrvWizardPageList pages_;
    OrvWizardPage* current_ = nullptr;
    bool initialised_ = false;
    OrvWizardPageSelector* selector_ = nullptr;
    QWidget* pageArea_ = nullptr;
    QVBoxLayout* pageLayout_ = nullptr;
    QLabel* headline_ = nullptr;
    QTextEdit* description_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    QPushButton* extra_ = nullptr;
    QPushButton* finish_ = nullptr;
};
