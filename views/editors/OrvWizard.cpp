#include "views/editors/OrvWizard.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"

namespace {
// Left bar width and header height of the layout record.
constexpr int kLeftBarWidth = 170;
constexpr int kHeaderHeight = 100;
}  // namespace

// --- page -----------------------------------------------------------------

OrvWizardPage::OrvWizardPage(QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    setAutoFillBackground(true);
}

int OrvWizardPage::Event(const OrvEvent& event)
{
    // Pages take the update and refresh; derived pages add their own.
    return event.type == ORV_WIZ_UPDATE || event.type == ORV_WIZ_REFRESH ? event.type : 0;
}

// --- selector --------------------------------------------------------------

OrvWizardPageSelectorButton::OrvWizardPageSelectorButton(int index, const QString& caption, QWidget* parent)
    : QToolButton(parent), index_(index)
{
    OrvSetClassID(this, classID);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setText(caption);
    setFixedWidth(180);
    setStyleSheet(QStringLiteral("QToolButton { border: none; text-align: left; }"));
}

void OrvWizardPageSelectorButton::SetImage(const QString& name, bool current)
{
    imageName_ = name;
    setIcon(OrvIcon(name.toLatin1().constData()));
    QFont f = font();
    f.setBold(current);
    setFont(f);
}

OrvWizardPageSelector::OrvWizardPageSelector(OrvWizard* wizard) : QWidget(wizard), wizard_(wizard)
{
    OrvSetClassID(this, classID);
    setFixedWidth(kLeftBarWidth + 40);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 20, 0, 0);
    layout->setSpacing(4);
    layout->addStretch(1);
}

OrvWizardPageSelectorButton* OrvWizardPageSelector::Button(int index) const
{
    return index >= 0 && index < ButtonCount() ? buttons_[index] : nullptr;
}

void OrvWizardPageSelector::Rebuild()
{
    for (auto* b : buttons_) delete b;
    buttons_.clear();
    auto* box = static_cast<QVBoxLayout*>(layout());
    const OrvWizardPageList& pages = wizard_->Pages();
    for (int i = 0; i < pages.Count(); ++i) {
        OrvWizardPage* page = pages.Page(i);
        auto* button = new OrvWizardPageSelectorButton(i, OrvQString(page->Caption()), this);
        // Level-1 pages are indented below the outer entries.
        button->setContentsMargins(page->Level() == 1 ? 20 : 0, 0, 0, 0);
        auto* row = new QHBoxLayout;
        row->setContentsMargins(page->Level() == 1 ? 30 : 10, 0, 0, 0);
        row->addWidget(button);
        row->addStretch(1);
        box->insertLayout(box->count() - 1, row);
        button->SetImage(i == pages.Count() - 1 ? QStringLiteral("01WIZPAGE_END") : QStringLiteral("01WIZPAGE_NORMAL"),
                         false);
        OrvConnectCommand(button, wizard_, OrvEvent(ORV_WIZ_GOTO, i));
        buttons_.push_back(button);
    }
}

void OrvWizardPageSelector::UpdateImages()
{
    const OrvWizardPageList& pages = wizard_->Pages();
    for (int i = 0; i < ButtonCount() && i < pages.Count(); ++i) {
        OrvWizardPage* page = pages.Page(i);
        bool current = page == wizard_->CurrentPage();
        QString name = current            ? QStringLiteral("01WIZPAGE_CURRENT")
                       : page->Visited()  ? QStringLiteral("01WIZPAGE_VISITED")
                       : i == pages.Count() - 1 ? QStringLiteral("01WIZPAGE_END")
                                                : QStringLiteral("01WIZPAGE_NORMAL");
        buttons_[i]->SetImage(name, current);
    }
}

int OrvWizardPageSelector::Event(const OrvEvent& event)
{
    if (event.type == ORV_WIZ_REFRESH) {
        Rebuild();
        UpdateImages();
        return event.type;
    }
    if (event.type == ORV_WIZ_UPDATE) {
        if (ButtonCount() != wizard_->PageCount()) Rebuild();
        UpdateImages();
        return event.type;
    }
    return 0;
}

// --- wizard ----------------------------------------------------------------

OrvWizard::OrvWizard(QWidget* parent, bool extraButton) : QDialog(parent)
{
    OrvSetClassID(this, classID);
    setWindowTitle(QString());
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    selector_ = new OrvWizardPageSelector(this);

    auto* header = new QWidget(this);
    header->setFixedHeight(kHeaderHeight);
    auto* headerLayout = new QVBoxLayout(header);
    headline_ = new QLabel(header);
    QFont bold = headline_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    headline_->setFont(bold);
    description_ = new QTextEdit(header);
    description_->setReadOnly(true);
    description_->setFrameStyle(QFrame::NoFrame);
    description_->setFixedHeight(40);
    headerLayout->addWidget(headline_);
    headerLayout->addWidget(description_);

    pageArea_ = new QWidget(this);
    pageLayout_ = new QVBoxLayout(pageArea_);
    pageLayout_->setContentsMargins(0, 0, 0, 0);

    cancel_ = new QPushButton(OrvQString(OrvText(56)), this);
    back_ = new QPushButton(QStringLiteral("<< ") + OrvQString(OrvText(100)), this);
    forward_ = new QPushButton(OrvQString(OrvText(101)) + QStringLiteral(" >>"), this);
    if (extraButton) extra_ = new QPushButton(OrvQString(OrvText(142)), this);
    finish_ = new QPushButton(OrvQString(OrvText(143)), this);
    for (QPushButton* b : {cancel_, back_, forward_, extra_, finish_})
        if (b) b->setAutoDefault(false);
    OrvConnectCommand(cancel_, this, OrvEvent(ORV_WIZ_CANCEL));
    OrvConnectCommand(back_, this, OrvEvent(ORV_WIZ_BACK));
    OrvConnectCommand(forward_, this, OrvEvent(ORV_WIZ_FORWARD));
    if (extra_) OrvConnectCommand(extra_, this, OrvEvent(ORV_WIZ_EXTRA));
    OrvConnectCommand(finish_, this, OrvEvent(ORV_WIZ_FINISH));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cancel_, back_, forward_, extra_, finish_})
        if (b) buttons->addWidget(b);

    auto* right = new QVBoxLayout;
    right->addWidget(header);
    right->addWidget(pageArea_, 1);
    right->addLayout(buttons);
    auto* all = new QHBoxLayout(this);
    all->addWidget(selector_);
    all->addLayout(right, 1);
    resize(760, 560);
}

OrvWizard::~OrvWizard()
{
    // The pages are children of the page area and go with it; the nodes
    // only refer to them.
}

void OrvWizard::AddPage(OrvWizardPage* page)
{
    if (!page) return;
    page->wizard_ = this;
    page->setParent(pageArea_);
    page->hide();
    pages_.Add(new OrvWizardPageNode(page));
    if (initialised_) {
        OrvSendEvent(page, OrvEvent(ORV_WIZ_REFRESH));
        OrvSendEvent(selector_, OrvEvent(ORV_WIZ_REFRESH));
        Update();
    }
}

void OrvWizard::RemovePagesAfter(int index)
{
    while (pages_.Count() > index + 1) {
        auto* node = static_cast<OrvWizardPageNode*>(pages_.Last());
        OrvWizardPage* page = node->page;
        pages_.Subtract(node);
        delete node;
        if (page == current_) current_ = nullptr;
        pageLayout_->removeWidget(page);
        delete page;
    }
    if (initialised_) {
        OrvSendEvent(selector_, OrvEvent(ORV_WIZ_REFRESH));
        Update();
    }
}

int OrvWizard::CurrentIndex() const
{
    for (int i = 0; i < pages_.Count(); ++i)
        if (pages_.Page(i) == current_) return i;
    return -1;
}

void OrvWizard::Initialise()
{
    if (initialised_) return;
    initialised_ = true;
    OrvSendEvent(selector_, OrvEvent(ORV_WIZ_REFRESH));
    if (pages_.Count() > 0) ShowPage(0);
    else Update();
}

void OrvWizard::showEvent(QShowEvent* event)
{
    Initialise();
    QDialog::showEvent(event);
}

void OrvWizard::ShowPage(int index)
{
    OrvWizardPage* target = pages_.Page(index);
    if (!target) return;
    if (current_ && current_ != target) {
        // Taking a page out of the window marks it visited; it stays alive.
        current_->hide();
        pageLayout_->removeWidget(current_);
        current_->SetVisited(true);
    }
    current_ = target;
    pageLayout_->addWidget(target);
    target->show();
    headline_->setText(OrvQString(target->Headline()));
    description_->setPlainText(OrvQString(target->Description()));
    Update();
}

void OrvWizard::Update()
{
    int index = CurrentIndex();
    forward_->setEnabled(index >= 0 && index < pages_.Count() - 1);
    back_->setEnabled(index > 0);
    bool complete = true;
    for (int i = 0; i < pages_.Count(); ++i)
        if (!pages_.Page(i)->IsComplete()) complete = false;
    finish_->setEnabled(complete);
    OrvSendEvent(selector_, OrvEvent(ORV_WIZ_UPDATE));
    for (int i = 0; i < pages_.Count(); ++i) OrvSendEvent(pages_.Page(i), OrvEvent(ORV_WIZ_UPDATE));
}

void OrvWizard::Finish()
{
    done(QDialog::Accepted);
}

void OrvWizard::reject()
{
    if (ConfirmCancel()) QDialog::reject();
}

int OrvWizard::Control()
{
    Initialise();
    return exec() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
}

int OrvWizard::Event(const OrvEvent& event)
{
    int index = CurrentIndex();
    switch (event.type) {
    case ORV_WIZ_FORWARD:
        if (index >= 0 && index + 1 < pages_.Count()) ShowPage(index + 1);
        return event.type;
    case ORV_WIZ_BACK:
        if (index > 0) ShowPage(index - 1);
        return event.type;
    case ORV_WIZ_GOTO:
        ShowPage(static_cast<int>(event.value));
        return event.type;
    case ORV_WIZ_UPDATE:
        Update();
        return event.type;
    case ORV_WIZ_REFRESH:
        OrvSendEvent(selector_, event);
        for (int i = 0; i < pages_.Count(); ++i) OrvSendEvent(pages_.Page(i), event);
        return event.type;
    case ORV_WIZ_FINISH:
        Finish();
        return event.type;
    case ORV_WIZ_CANCEL:
        reject();
        return event.type;
    default:
        return 0;
    }
}
