// The wizard framework driven through its buttons and the page selector.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/qt/OrvQtEvent.h"
#include "views/editors/OrvWizard.h"

namespace {

class CountingPage : public OrvWizardPage {
public:
    using OrvWizardPage::OrvWizardPage;
    int Event(const OrvEvent& event) override
    {
        if (event.type == ORV_WIZ_UPDATE) ++updates;
        return OrvWizardPage::Event(event);
    }
    int updates = 0;
};

std::unique_ptr<OrvWizard> MakeWizard(int pages, std::vector<CountingPage*>* out = nullptr)
{
    auto wizard = std::make_unique<OrvWizard>();
    for (int i = 0; i < pages; ++i) {
        auto* page = new CountingPage;
        page->SetCaption("Seite " + std::to_string(i + 1));
        page->SetHeadline("Kopf " + std::to_string(i + 1));
        wizard->AddPage(page);
        if (out) out->push_back(page);
    }
    wizard->Initialise();
    return wizard;
}

std::vector<std::string> SelectorImages(const OrvWizard& wizard)
{
    std::vector<std::string> names;
    for (int i = 0; i < wizard.Selector()->ButtonCount(); ++i)
        names.push_back(wizard.Selector()->Button(i)->ImageName().toStdString());
    return names;
}

TEST(Wizard, SinglePageHasNoNavigationButFinishes)
{
    auto wizard = MakeWizard(1);
    EXPECT_FALSE(wizard->BackButton()->isEnabled());
    EXPECT_FALSE(wizard->ForwardButton()->isEnabled());
    EXPECT_TRUE(wizard->FinishButton()->isEnabled());
    EXPECT_EQ(wizard->ExtraButton(), nullptr);
    EXPECT_EQ(SelectorImages(*wizard), (std::vector<std::string>{"01WIZPAGE_CURRENT"}));
}

TEST(Wizard, ForwardTwiceBackOnceMarksVisitedPages)
{
    auto wizard = MakeWizard(4);
    EXPECT_EQ(SelectorImages(*wizard), (std::vector<std::string>{"01WIZPAGE_CURRENT", "01WIZPAGE_NORMAL",
                                                                 "01WIZPAGE_NORMAL", "01WIZPAGE_END"}));
    QTest::mouseClick(wizard->ForwardButton(), Qt::LeftButton);
    QTest::mouseClick(wizard->ForwardButton(), Qt::LeftButton);
    QTest::mouseClick(wizard->BackButton(), Qt::LeftButton);
    EXPECT_EQ(wizard->CurrentIndex(), 1);
    EXPECT_EQ(SelectorImages(*wizard), (std::vector<std::string>{"01WIZPAGE_VISITED", "01WIZPAGE_CURRENT",
                                                                 "01WIZPAGE_VISITED", "01WIZPAGE_END"}));
    EXPECT_EQ(wizard->HeadlineLabel()->text().toStdString(), "Kopf 2");
    EXPECT_TRUE(wizard->BackButton()->isEnabled());
    EXPECT_TRUE(wizard->ForwardButton()->isEnabled());
}

TEST(Wizard, SelectorEntryOfLastPageShowsItAndDisablesForward)
{
    std::vector<CountingPage*> pages;
    auto wizard = MakeWizard(3, &pages);
    QTest::mouseClick(wizard->Selector()->Button(2), Qt::LeftButton);
    EXPECT_EQ(wizard->CurrentPage(), pages[2]);
    EXPECT_FALSE(wizard->ForwardButton()->isEnabled());
    EXPECT_TRUE(wizard->BackButton()->isEnabled());
    // Pages that are not shown stay alive and hidden.
    EXPECT_TRUE(pages[0]->isHidden());
    EXPECT_TRUE(pages[0]->Visited());
    EXPECT_FALSE(pages[1]->Visited());
    EXPECT_EQ(SelectorImages(*wizard).back(), "01WIZPAGE_CURRENT");
}

TEST(Wizard, FinishWaitsForEveryPageToBeComplete)
{
    std::vector<CountingPage*> pages;
    auto wizard = MakeWizard(3, &pages);
    pages[2]->SetComplete(false);
    OrvSendEvent(wizard.get(), OrvEvent(ORV_WIZ_UPDATE));
    EXPECT_FALSE(wizard->FinishButton()->isEnabled());
    pages[2]->SetComplete(true);
    int before = pages[0]->updates;
    QTest::mouseClick(wizard->ForwardButton(), Qt::LeftButton);
    EXPECT_TRUE(wizard->FinishButton()->isEnabled());
    // Every change of page passes an update to all pages.
    EXPECT_GT(pages[0]->updates, before);
}

TEST(Wizard, ControlLoopResultFollowsTheButton)
{
    struct Case {
        const char* name;
        QPushButton* (OrvWizard::*button)() const;
        int result;
    } cases[] = {
        {"finish", &OrvWizard::FinishButton, ZAF_DIALOG_OK},
        {"cancel", &OrvWizard::CancelButton, ZAF_DIALOG_CLOSE},
    };
    for (const Case& c : cases) {
        auto wizard = MakeWizard(2);
        OrvWizard* w = wizard.get();
        QTimer::singleShot(0, w, [w, &c]() { QTest::mouseClick((w->*c.button)(), Qt::LeftButton); });
        EXPECT_EQ(w->Control(), c.result) << c.name;
    }
}

TEST(Wizard, ExtraButtonOnlyWhenEnabledAndPagesAddedLaterAppear)
{
    OrvWizard wizard(nullptr, true);
    ASSERT_NE(wizard.ExtraButton(), nullptr);
    wizard.AddPage(new OrvWizardPage);
    wizard.Initialise();
    EXPECT_FALSE(wizard.ForwardButton()->isEnabled());
    wizard.AddPage(new OrvWizardPage);
    EXPECT_EQ(wizard.Selector()->ButtonCount(), 2);
    EXPECT_TRUE(wizard.ForwardButton()->isEnabled());
}

}  // namespace
