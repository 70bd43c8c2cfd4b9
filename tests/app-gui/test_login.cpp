// The start-up login against the local portal service: when the stored
// account logs in silently, when the login dialog comes instead, and what
// the login dialog stores.
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <sqlite3.h>

#include "AppGuiFixture.h"
#include "OrvMainWindow.h"
#include "PortalProcess.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvLineEdit.h"
#include "portal/ui/OrvLoginDialog.h"
#include "views/editors/OrvPortalDialogs.h"

namespace {

// Rows of the request log so far whose message begins with a text.
int LoggedCommands(const char* prefix)
{
    sqlite3* db = static_cast<sqlite3*>(OrvGetDatabase().ConnectionHandle());
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM WEBSERVICE WHERE task = 'Befehl' AND substr(message, 1, ?) = ?",
                           -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return 0;
    }
    const std::string text(prefix);
    sqlite3_bind_int(statement, 1, static_cast<int>(text.size()));
    sqlite3_bind_text(statement, 2, text.c_str(), -1, SQLITE_TRANSIENT);
    int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    sqlite3_finalize(statement);
    return count;
}

class LoginTest : public AppGuiFixture {
protected:
    void SetUp() override
    {
        ASSERT_GT(portal_.Start(dir_.File("portal.db")), 0) << portal_.Output();
    }
    void Start(const char* user, const char* password, int blocked)
    {
        Prepare("[HOST]\nHost=" + portal_.Host() + "\n[DEFAULT]\nUsername=" + user + "\nPassword=" + password +
                "\nRememberPassword=1\nBlocked=" + std::to_string(blocked) +
                "\nCheckForUpdatesOnStart=0\nApplicationLanguage=1031\n");
        OpenStorageAndDatabase();
    }
    void TearDown() override
    {
        window_.reset();
        portal_.Stop();
        AppGuiFixture::TearDown();
    }

    PortalProcess portal_;
    std::unique_ptr<OrvMainWindow> window_;
};

struct SequenceCase {
    const char* name;
    const char* user;
    const char* password;
    int blocked;
    bool dialog;            // the login dialog comes up
    bool dialogSeesBlocked;
    int loginsBeforeDialog; // silent login requests sent before it
};

class LoginSequenceTest : public LoginTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(LoginSequenceTest, SilentLoginOrDialog)
{
    const SequenceCase& c = GetParam();
    Start(c.user, c.password, c.blocked);
    window_ = std::make_unique<OrvMainWindow>();
    int dialogs = 0;
    bool sawBlocked = false;
    int loginsBefore = -1;
    window_->Hooks().loginDialog = [&](bool blocked, bool& registerAsked) {
        ++dialogs;
        sawBlocked = blocked;
        loginsBefore = LoggedCommands("Login(");
        registerAsked = false;
        return ZAF_DIALOG_CLOSE;
    };
    window_->show();
    if (c.dialog) {
        // Cancelling the dialog without registering ends the program.
        ASSERT_TRUE(OrvWaitFor([&]() { return !window_->isVisible(); }, 15000));
        EXPECT_EQ(dialogs, 1);
        EXPECT_EQ(sawBlocked, c.dialogSeesBlocked);
        EXPECT_EQ(loginsBefore, c.loginsBeforeDialog);
        EXPECT_FALSE(window_->IsLoggedIn());
        EXPECT_EQ(window_->Calendar()->occurrences.Count(), 0);
    } else {
        ASSERT_TRUE(OrvWaitFor([&]() { return window_->Calendar()->occurrences.Count() > 0; }, 15000));
        EXPECT_EQ(dialogs, 0);
        EXPECT_TRUE(window_->IsLoggedIn());
        EXPECT_TRUE(window_->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Login, LoginSequenceTest,
    ::testing::Values(SequenceCase{"stored_account", "demo", "demo", 0, false, false, 0},
                      SequenceCase{"blocked_flag", "demo", "demo", 1, true, true, 0},
                      SequenceCase{"wrong_password", "demo", "falsch", 0, true, false, 1},
                      SequenceCase{"no_account", "", "", 0, true, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoginTest, RegisteringInsteadOfLoggingIn)
{
    Start("", "", 0);
    window_ = std::make_unique<OrvMainWindow>();
    int logins = 0;
    window_->Hooks().loginDialog = [&](bool, bool& registerAsked) {
        // First time: the user asks to register; after it the stored
        // account must log in silently.
        registerAsked = ++logins == 1;
        return ZAF_DIALOG_CLOSE;
    };
    bool blocked = true;
    window_->Hooks().registerDialog = [&]() {
        OrvRegisterUserDialog dialog(*window_->Portal(), *config_, window_.get());
        dialog.NameField()->setText(QStringLiteral("Neue Tanzschule"));
        dialog.UserField()->setText(QStringLiteral("neu"));
        dialog.EmailField()->setText(QStringLiteral("neu@example.org"));
        dialog.PasswordField()->setText(QStringLiteral("geheim"));
        dialog.Password2Field()->setText(QStringLiteral("geheim"));
        EXPECT_EQ(dialog.TryRegister(), 0);
        blocked = dialog.Blocked();
        return blocked ? ZAF_DIALOG_CLOSE : ZAF_DIALOG_OK;
    };
    window_->show();
    EXPECT_TRUE(OrvWaitFor([&]() { return !window_->isVisible() || window_->IsLoggedIn(); }, 15000));
    EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "neu");
    EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_PASSWORD), "geheim");
    EXPECT_EQ(config_->GetIntValue(ORVCFG_REMEMBERPASSWORD), 1);
    EXPECT_EQ(config_->GetIntValue(ORVCFG_BLOCKED), blocked ? 1 : 0);
    if (blocked) {
        // Registered but not cleared: the hint, then the program ends.
        ASSERT_TRUE(OrvWaitFor([&]() { return !window_->isVisible(); }, 5000));
        ASSERT_FALSE(OrvMessageWindow::Recorded().empty());
        EXPECT_EQ(OrvMessageWindow::Recorded().back().title, QStringLiteral("HINWEIS"));
    } else {
        EXPECT_TRUE(window_->IsLoggedIn());
        EXPECT_EQ(logins, 1) << "the new account did not log in silently";
    }
}

TEST_F(LoginTest, RegistrationErrorsKeepTheDialogOpen)
{
    Start("", "", 0);
    OrvWebServiceJoomla service;
    OrvRegisterUserDialog dialog(service, *config_);
    dialog.NameField()->setText(QStringLiteral("Demo"));
    dialog.UserField()->setText(QStringLiteral("demo"));   // taken
    dialog.EmailField()->setText(QStringLiteral("demo@example.org"));
    dialog.PasswordField()->setText(QStringLiteral("x1"));
    dialog.Password2Field()->setText(QStringLiteral("x1"));
    EXPECT_NE(dialog.TryRegister(), 0);
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("ERROR"));
    EXPECT_FALSE(OrvMessageWindow::Recorded()[0].text.isEmpty());
    EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "");
}

struct DialogCase {
    const char* name;
    const char* password;
    bool remember;
    int result;                 // 0: logged in
    const char* storedPassword; // null: configuration untouched
};

class LoginDialogTest : public LoginTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(LoginDialogTest, OkLogsInAndStores)
{
    const DialogCase& c = GetParam();
    Start("alt", "altes", 1);
    OrvWebServiceJoomla service;
    service.SetDatabaseHandle(static_cast<sqlite3*>(OrvGetDatabase().ConnectionHandle()));
    OrvLoginDialog dialog(service, *config_, true);
    EXPECT_TRUE(dialog.UserField()->text().isEmpty()) << "the fields start empty";
    EXPECT_EQ(dialog.PasswordField()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    dialog.UserField()->setText(QStringLiteral("demo"));
    dialog.PasswordField()->setText(QString::fromLatin1(c.password));
    dialog.RememberBox()->setChecked(c.remember);
    const int result = dialog.TryLogin();
    if (c.result == 0) {
        EXPECT_EQ(result, 0);
        EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "demo");
        EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_PASSWORD), c.storedPassword);
        EXPECT_EQ(config_->GetIntValue(ORVCFG_REMEMBERPASSWORD), c.remember ? 1 : 0);
        EXPECT_EQ(config_->GetIntValue(ORVCFG_BLOCKED), 0);
        EXPECT_FALSE(dialog.Blocked());
        EXPECT_TRUE(OrvMessageWindow::Recorded().empty());
    } else {
        EXPECT_NE(result, 0);
        // The portal's own text in an "ERROR" window; nothing stored.
        ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
        EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("ERROR"));
        EXPECT_FALSE(OrvMessageWindow::Recorded()[0].text.isEmpty());
        EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "alt");
        EXPECT_STREQ(config_->GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_PASSWORD), "altes");
        EXPECT_EQ(config_->GetIntValue(ORVCFG_BLOCKED), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialog, LoginDialogTest,
                         ::testing::Values(DialogCase{"remembered", "demo", true, 0, "demo"},
                                           DialogCase{"not_remembered", "demo", false, 0, ""},
                                           DialogCase{"wrong_password", "falsch", true, -1, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoginTest, DialogButtonsEndTheDialog)
{
    Start("", "", 0);
    OrvWebServiceJoomla service;
    const struct {
        const char* name;
        bool registerButton;
        bool registerAsked;
    } cases[] = {{"register", true, true}, {"cancel", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OrvLoginDialog dialog(service, *config_, false);
        QPushButton* button = c.registerButton ? dialog.RegisterButton() : dialog.CancelButton();
        QTimer::singleShot(0, button, &QPushButton::click);
        EXPECT_NE(dialog.Control(), ZAF_DIALOG_OK);
        EXPECT_EQ(dialog.RegisterAsked(), c.registerAsked);
    }
    // OK with a wrong password keeps the dialog open.
    OrvLoginDialog dialog(service, *config_, false);
    dialog.UserField()->setText(QStringLiteral("demo"));
    dialog.PasswordField()->setText(QStringLiteral("falsch"));
    bool stillOpen = false;
    QTimer::singleShot(0, [&]() {
        dialog.OkButton()->click();
        stillOpen = dialog.isVisible();
        dialog.CancelButton()->click();
    });
    dialog.Control();
    EXPECT_TRUE(stillOpen);
}

}  // namespace
