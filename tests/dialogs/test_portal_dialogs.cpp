// The portal dialogs driven as a user would against the local portal
// service: choosing a user, registering, the transfer dialogs and the
// update dialog, with the results the main window acts on.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "DialogTestSupport.h"
#include "PortalMethodsSupport.h"
#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvPortalSession.h"
#include "views/editors/OrvPortalDialogs.h"

#include "tests/support/OrvTestInput.h"

namespace {

QString T(int number) { return OrvQString(OrvText(number)); }
using orvinput::Click;
using orvinput::Toggle;
using orvinput::TypeText;

std::string Str(const json::UnknownElement& row, const char* name)
{
    const json::Object& o = row;
    return static_cast<const json::String&>(o[name]).Value();
}

// The local portal service with options of the test's choosing.
class PortalWith {
public:
    PortalWith(const std::string& db, std::vector<std::string> options)
    {
        std::vector<std::string> args = {ORVPORTAL_EXE, "--db", db, "--port", "0", "--seed-demo"};
        args.insert(args.end(), options.begin(), options.end());
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(ORVPORTAL_EXE, argv.data());
            _exit(127);
        }
        close(out[1]);
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (pid_ > 0 && line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            char buffer[256];
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            line.append(buffer, static_cast<size_t>(n));
        }
        close(out[0]);
        const char* prefix = "listening on ";
        if (line.compare(0, std::strlen(prefix), prefix) == 0) port_ = std::atoi(line.c_str() + std::strlen(prefix));
    }
    ~PortalWith()
    {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

class PortalDialogs : public pmtest::PortalFixture {
public:
    PortalDialogs() { testFaults_ = true; }  // some of its tests switch the service's faults

protected:
    void SetUp() override
    {
        pmtest::PortalFixture::SetUp();
        OrvMessageWindow::ClearRecorded();
    }
    // The portal's users, by user name: id.
    std::map<std::string, int> Users()
    {
        std::map<std::string, int> users;
        json::Array list;
        if (client_->Service().UserList(list) != 0) return users;
        for (size_t i = 0; i < list.Size(); ++i) users[Str(list[i], "username")] = std::atoi(Str(list[i], "id").c_str());
        return users;
    }
    dlgtest::ModalGuard guard_;
};

// --- user selection -----------------------------------------------------------

TEST_F(PortalDialogs, UserSelectionListsThePortalsUsersAndReturnsTheChosenId)
{
    const std::map<std::string, int> users = Users();
    ASSERT_EQ(users.count("anna"), 1u);
    int rows = 0;
    QStringList headers;
    dlgtest::OnNextModal([&](QDialog* d) {
        auto* dialog = qobject_cast<OrvSelectUserDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        OrvUserTable* table = dialog->Table();
        rows = table->rowCount();
        ASSERT_EQ(table->columnCount(), 2);
        for (int r = 0; r < rows; ++r) {
            headers << table->verticalHeaderItem(r)->text();
            if (table->item(r, 1)->text() == "anna") {
                EXPECT_EQ(table->item(r, 0)->text(), "Anna Beispiel");
                table->setCurrentCell(r, 0);
            }
        }
        Click(dialog->OkButton());
    });
    OrvSelectUserDialog dialog(&client_->Service());
    EXPECT_EQ(dialog.Control(), ZAF_DIALOG_OK);
    EXPECT_EQ(rows, static_cast<int>(users.size()));
    ASSERT_GE(headers.size(), 2);
    EXPECT_EQ(headers[0], "1 ");
    EXPECT_EQ(headers[1], "2 ");
    EXPECT_EQ(dialog.SelectedID(), users.at("anna"));
    EXPECT_EQ(dialog.SelectedName(), "Anna Beispiel");
}

struct EndCase {
    const char* name;
    std::function<void(OrvSelectUserDialog*)> end;
};

TEST_F(PortalDialogs, UserSelectionCancelledOrClosedReturnsNobody)
{
    const EndCase cases[] = {
        {"cancel button", [](OrvSelectUserDialog* d) { Click(d->CancelButton()); }},
        {"escape", [](OrvSelectUserDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        dlgtest::OnNextModal([&c](QDialog* d) {
            auto* dialog = qobject_cast<OrvSelectUserDialog*>(d);
            ASSERT_NE(dialog, nullptr);
            dialog->Table()->setCurrentCell(0, 0);
            c.end(dialog);
        });
        OrvSelectUserDialog dialog(&client_->Service());
        EXPECT_EQ(dialog.Control(), ZAF_DIALOG_CLOSE);
        EXPECT_EQ(dialog.SelectedID(), 0);
    }
}

TEST_F(PortalDialogs, UserSelectionOkWithoutARowStaysOpenAndADoubleClickChooses)
{
    const std::map<std::string, int> users = Users();
    bool openAfterOk = false;
    dlgtest::OnNextModal([&](QDialog* d) {
        auto* dialog = qobject_cast<OrvSelectUserDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        OrvUserTable* table = dialog->Table();
        table->setCurrentCell(-1, -1);
        Click(dialog->OkButton());
        openAfterOk = dialog->isVisible();
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 1)->text() == "demo") {
                const QRect cell = table->visualItemRect(table->item(r, 0));
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
                QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
            }
    });
    OrvSelectUserDialog dialog(&client_->Service());
    EXPECT_EQ(dialog.Control(), ZAF_DIALOG_OK);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(dialog.SelectedID(), users.at("demo"));
}

TEST_F(PortalDialogs, UserSelectionShowsNoRowsWhenThePortalFails)
{
    ASSERT_TRUE(server_->SetFault("retcode=-3:V001_User_List"));
    int rows = -1;
    dlgtest::OnNextModal([&rows](QDialog* d) {
        auto* dialog = qobject_cast<OrvSelectUserDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        rows = dialog->Table()->rowCount();
        Click(dialog->OkButton());
        if (dialog->isVisible()) Click(dialog->CancelButton());
    });
    OrvSelectUserDialog dialog(&client_->Service());
    EXPECT_EQ(dialog.Control(), ZAF_DIALOG_CLOSE);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(dialog.SelectedID(), 0);
}

// --- registration ---------------------------------------------------------------

struct RegisterFields {
    const char* name;
    const char* user;
    const char* email;
    const char* password;
    const char* password2;
};

void Fill(OrvRegisterUserDialog& d, const RegisterFields& f)
{
    TypeText(d.NameField(), QString::fromUtf8(f.name));
    TypeText(d.UserField(), QString::fromUtf8(f.user));
    TypeText(d.EmailField(), QString::fromUtf8(f.email));
    TypeText(d.PasswordField(), QString::fromUtf8(f.password));
    TypeText(d.Password2Field(), QString::fromUtf8(f.password2));
}

struct RefusedCase {
    const char* what;
    RegisterFields fields;
    const char* message;
};

TEST_F(PortalDialogs, RegistrationWithMissingOrInvalidFieldsShowsThePortalsMessageAndStaysOpen)
{
    const RefusedCase cases[] = {
        {"no name", {"", "neu1", "neu1@example.org", "pw", "pw"}, "Das Feld 'name' ist leer"},
        {"no user name", {"Neu", "", "neu1@example.org", "pw", "pw"}, "Das Feld 'username' ist leer"},
        {"no password", {"Neu", "neu1", "neu1@example.org", "", ""}, "Das Feld 'password' ist leer"},
        {"passwords differ", {"Neu", "neu1", "neu1@example.org", "pw", "pw2"}, "Die Passwörter stimmen nicht überein"},
        {"e-mail without @", {"Neu", "neu1", "neu1.example.org", "pw", "pw"}, "Die E-Mail-Adresse ist ungültig"},
        {"user name taken", {"Noch ein Demo", "demo", "d2@example.org", "pw", "pw"},
         "Der Benutzername ist bereits vergeben"},
    };
    OrvCalendarConfig& config = client_->Config();
    config.SetValue(ORVCFG_USERNAME, "vorher");
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.what);
        OrvMessageWindow::ClearRecorded();
        OrvRegisterUserDialog d(client_->Service(), config);
        d.show();
        dlgtest::ModalGuard guard(&d);
        Fill(d, c.fields);
        Click(d.RegisterButton());
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
        EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, "ERROR");
        EXPECT_EQ(OrvMessageWindow::Recorded()[0].text, QString::fromUtf8(c.message));
        EXPECT_STREQ(config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "vorher");
        EXPECT_EQ(d.NameField()->text(), QString::fromUtf8(c.fields.name)) << "what was typed stays";
        d.done(ZAF_DIALOG_CLOSE);
    }
    EXPECT_EQ(Users().count("neu1"), 0u);
}

TEST_F(PortalDialogs, CompleteRegistrationReachesThePortalStoresTheLoginAndEndsWithOk)
{
    OrvCalendarConfig& config = client_->Config();
    dlgtest::OnNextModal([](QDialog* dd) {
        auto* d = qobject_cast<OrvRegisterUserDialog*>(dd);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->PasswordField()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d->Password2Field()->echoMode(), QLineEdit::Password);
        // The window code page cannot hold the snowman; it is refused.
        Fill(*d, {"Jürgen \"Jo\" Groß☃", "juergen", "j@example.org", "gehe&im", "gehe&im"});
        EXPECT_EQ(d->NameField()->text(), QString::fromUtf8("Jürgen \"Jo\" Groß"));
        Click(d->RegisterButton());
    });
    OrvRegisterUserDialog dialog(client_->Service(), config);
    EXPECT_EQ(dialog.Control(), ZAF_DIALOG_OK);
    EXPECT_FALSE(dialog.Blocked());
    EXPECT_TRUE(OrvMessageWindow::Recorded().empty());
    EXPECT_STREQ(config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "juergen");
    EXPECT_STREQ(config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_REMEMBERPASSWORD), "1");
    EXPECT_STREQ(config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_BLOCKED), "0");
    EXPECT_STREQ(config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_PASSWORD), "gehe&im");

    // The new user is on the portal under the name as typed, in UTF-8.
    json::Array list;
    ASSERT_EQ(client_->Service().UserList(list), 0);
    std::string name;
    for (size_t i = 0; i < list.Size(); ++i)
        if (Str(list[i], "username") == "juergen") name = Str(list[i], "name");
    EXPECT_EQ(name, "J\xC3\xBCrgen \"Jo\" Gro\xC3\x9F");
    // And logs in with what was stored.
    pmtest::Client fresh(server_->Host());
    EXPECT_EQ(fresh.Service().Login("juergen", "gehe&im", 0), 0);
}

TEST_F(PortalDialogs, RegistrationRecordQuotesTheFieldsInOrder)
{
    OrvRegisterUserDialog d(client_->Service(), client_->Config());
    Fill(d, {"Tom & \"Jerry\" Müller", "tj", "t@example.org", "p&w", "p&w"});
    EXPECT_EQ(d.UserRecord(),
              "{\"name\":\"Tom #38; \\\"Jerry\\\" M\xC3\xBCller\",\"username\":\"tj\",\"email\":\"t@example.org\","
              "\"password\":\"p#38;w\",\"password2\":\"p#38;w\"}");
}

TEST_F(PortalDialogs, RegistrationThePortalBlocksShowsTheHintAndEndsWithoutOk)
{
    PortalWith blocking(dir_ + "/blocking.db", {"--block-new-users"});
    ASSERT_GT(blocking.Port(), 0);
    pmtest::Client other(blocking.Host());
    dlgtest::OnNextModal([](QDialog* dd) {
        auto* d = qobject_cast<OrvRegisterUserDialog*>(dd);
        ASSERT_NE(d, nullptr);
        Fill(*d, {"Paula", "paula", "p@example.org", "pw", "pw"});
        Click(d->RegisterButton());
    });
    OrvRegisterUserDialog dialog(other.Service(), other.Config());
    EXPECT_EQ(dialog.Control(), ZAF_DIALOG_CLOSE) << "the main window ends the program";
    EXPECT_TRUE(dialog.Blocked());
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, "HINWEIS");
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].text, T(215));
    EXPECT_STREQ(other.Config().GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_BLOCKED), "1");
    EXPECT_STREQ(other.Config().GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "paula");
}

TEST_F(PortalDialogs, RegistrationWithoutThePortalShowsAnErrorAndStaysOpen)
{
    server_->Stop();
    OrvRegisterUserDialog d(client_->Service(), client_->Config());
    d.show();
    dlgtest::ModalGuard guard(&d);
    Fill(d, {"Neu", "neu2", "n@example.org", "pw", "pw"});
    Click(d.RegisterButton());
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, "ERROR");
    EXPECT_FALSE(OrvMessageWindow::Recorded()[0].text.isEmpty());
    EXPECT_STRNE(client_->Config().GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME), "neu2");
    Click(d.CancelButton());
    EXPECT_EQ(d.result(), ZAF_DIALOG_CLOSE);
}

// --- transfers ---------------------------------------------------------------------

TEST_F(PortalDialogs, TransferDialogListsTheTransfersSetUpAndSendsNothing)
{
    OrvTransfers().clear();
    const size_t rows = client_->Log().size();
    OrvTransfer edited;
    bool emptyAtFirst = false;
    dlgtest::OnNextModal([&](QDialog* dd) {
        auto* d = qobject_cast<OrvTransferDialog*>(dd);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->List()->count(), 0);
        dlgtest::OnNextModal([&](QDialog* sd) {
            auto* s = qobject_cast<OrvTransferSetupDialog*>(sd);
            ASSERT_NE(s, nullptr);
            emptyAtFirst = s->Text1()->text().isEmpty() && s->Text2()->text().isEmpty();
            for (int i = 0; i < 4; ++i) emptyAtFirst = emptyAtFirst && !s->Flag(i)->isChecked();
            QTest::keyClicks(s->Text1(), "Berlin");
            TypeText(s->Text2(), QString::fromUtf8("Köln"));
            Toggle(s->Flag(1));
            Toggle(s->Flag(3));
            edited = s->Transfer();
            Click(s->OkButton());
        }, d);
        Click(d->NewButton());
        // A second setup dialog starts empty again.
        dlgtest::OnNextModal([&](QDialog* sd) {
            auto* s = qobject_cast<OrvTransferSetupDialog*>(sd);
            ASSERT_NE(s, nullptr);
            EXPECT_TRUE(s->Text1()->text().isEmpty());
            EXPECT_FALSE(s->Flag(1)->isChecked());
            sd->done(ZAF_DIALOG_CLOSE);
        }, d);
        // The accepted one is in the list; the cancelled one is not.
        EXPECT_EQ(d->NewTransfer(), ZAF_DIALOG_CLOSE);
        ASSERT_EQ(d->List()->count(), 1);
        EXPECT_EQ(d->List()->item(0)->text(), QString::fromUtf8("Berlin \u2192 Köln: ") + T(370) + ", " + T(372));
        // Editing the row shows it and replaces it on OK.
        dlgtest::OnNextModal([&](QDialog* sd) {
            auto* s = qobject_cast<OrvTransferSetupDialog*>(sd);
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->Text1()->text(), QStringLiteral("Berlin"));
            EXPECT_TRUE(s->Flag(3)->isChecked());
            Toggle(s->Flag(0));
            Click(s->OkButton());
        }, d);
        Click(d->EditButton());
        ASSERT_EQ(OrvTransfers().size(), 1u);
        EXPECT_EQ(OrvTransfers()[0].flags[0], 1);
        EXPECT_TRUE(d->List()->item(0)->text().contains(T(369)));
        Click(d->DeleteButton());
        EXPECT_EQ(d->List()->count(), 0);
        EXPECT_FALSE(d->EditButton()->isEnabled());
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b != d->NewButton() && b->text() == T(49)) Click(b);
    });
    EXPECT_EQ(OrvRunTransferDialog(nullptr), ZAF_DIALOG_OK);
    EXPECT_TRUE(emptyAtFirst);
    EXPECT_EQ(edited.text1, "Berlin");
    EXPECT_EQ(edited.text2, "K\xF6ln");
    const unsigned char flags[4] = {0, 1, 0, 1};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(edited.flags[i], flags[i]) << i;
    EXPECT_EQ(client_->Log().size(), rows) << "nothing goes to the portal";
}

TEST_F(PortalDialogs, TransferSetupShowsTheTransferItIsGiven)
{
    OrvTransfer t;
    t.text1 = "Hamburg";
    t.text2 = "M\xFCnchen";
    t.flags[0] = 1;
    t.flags[2] = 1;
    OrvTransferSetupDialog s(t);
    EXPECT_EQ(s.Text1()->text(), "Hamburg");
    EXPECT_EQ(s.Text2()->text(), QString::fromUtf8("München"));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.Flag(i)->isChecked(), t.flags[i] != 0) << i;
    const OrvTransfer back = s.Transfer();
    EXPECT_EQ(back.text2, t.text2);
    EXPECT_EQ(std::memcmp(back.flags, t.flags, 4), 0);
}

// --- updates -----------------------------------------------------------------------

class UpdateDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrvMessageWindow::ClearRecorded();
        dir_ = pmtest::MakeTempDir();
        pmtest::WriteFile(dir_ + "/setup.bin", "MZ-setup-bytes");
        portal_ = std::make_unique<PortalWith>(
            dir_ + "/portal.db", std::vector<std::string>{"--update-version", "1.0.12", "--update-file", dir_ + "/setup.bin",
                                                          "--update-history", "1.0.12: Neue Suche\n1.0.11: Fehler behoben"});
        ASSERT_GT(portal_->Port(), 0);
        client_ = std::make_unique<pmtest::Client>(portal_->Host());
        ASSERT_EQ(client_->Service().CheckUpdate(history_, version_), 0);
    }
    void TearDown() override
    {
        client_.reset();
        portal_.reset();
        pmtest::RemoveTree(dir_);
    }
    std::string dir_;
    std::unique_ptr<PortalWith> portal_;
    std::unique_ptr<pmtest::Client> client_;
    std::string version_, history_;
    dlgtest::ModalGuard guard_;
};

TEST_F(UpdateDialog, ShowsTheOfferedVersionAndItsHistory)
{
    EXPECT_EQ(version_, "1.0.12");
    OrvWebUpdateDialog d(client_->Service(), version_, history_);
    const QString offer = d.PageText()->toPlainText();
    EXPECT_TRUE(offer.contains("1.0.12")) << offer.toStdString();
    EXPECT_TRUE(offer.contains(ORV_APPLICATION_NAME));
    EXPECT_TRUE(offer.contains(ORV_PORTAL_WEB_ADDRESS));
    EXPECT_FALSE(offer.contains("%s"));
    EXPECT_TRUE(d.PageText()->isReadOnly());
    EXPECT_EQ(d.HistoryText()->toPlainText(), QString::fromUtf8(history_.c_str()));
    EXPECT_TRUE(d.HistoryText()->isReadOnly());
    EXPECT_EQ(d.NextButton()->text(), T(101) + " >");
    EXPECT_EQ(d.BackButton()->text(), "< " + T(100));
    EXPECT_EQ(d.CancelButton()->text(), T(56));
    EXPECT_TRUE(d.NextButton()->isEnabled());
    EXPECT_EQ(d.State(), 0);
}

TEST_F(UpdateDialog, ConfirmDownloadsTheInstallerAndEndsWithTheDownloadedState)
{
    QString waiting;
    bool buttonsOff = false;
    dlgtest::OnNextModal([&](QDialog* dd) {
        auto* d = qobject_cast<OrvWebUpdateDialog*>(dd);
        ASSERT_NE(d, nullptr);
        Click(d->NextButton());
        // The waiting page is drawn before the download starts.
        waiting = d->PageText()->toPlainText();
        buttonsOff = !d->NextButton()->isEnabled() && !d->BackButton()->isEnabled();
    });
    int state = 0;
    std::string path;
    EXPECT_EQ(OrvRunUpdateDialog(nullptr, client_->Service(), version_, history_, state, path), ZAF_DIALOG_OK);
    EXPECT_EQ(state, ORV_UPDATE_DOWNLOADED);
    EXPECT_TRUE(waiting.contains("1.0.12")) << waiting.toStdString();
    EXPECT_TRUE(waiting.contains(ORV_APPLICATION_NAME));
    EXPECT_TRUE(buttonsOff);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(std::string(client_->Config().GetUpdateDirectory()), 0), 0u) << path;
    EXPECT_EQ(pmtest::ReadFile(path), "MZ-setup-bytes");
}

TEST_F(UpdateDialog, MainWindowCheckGetsZeroOnConfirmAndHundredOnDecline)
{
    struct CheckCase {
        const char* name;
        bool confirm;
        int result;
        bool ended;
    };
    for (const CheckCase& c : {CheckCase{"confirm", true, 0, true}, CheckCase{"decline", false, 100, false}}) {
        SCOPED_TRACE(c.name);
        dlgtest::OnNextModal([&c](QDialog* dd) {
            auto* d = qobject_cast<OrvWebUpdateDialog*>(dd);
            ASSERT_NE(d, nullptr);
            Click(c.confirm ? d->NextButton() : d->CancelButton());
        });
        bool ended = false;
        OrvUpdateHooks hooks;
        hooks.showDialog = [this](const std::string& v, const std::string& h, int& state, std::string& path) {
            return OrvRunUpdateDialog(nullptr, client_->Service(), v, h, state, path);
        };
        hooks.endProgram = [&ended]() { ended = true; };
        OrvSetupProgram setup;
        EXPECT_EQ(OrvUpdateCheck(client_->Service(), hooks, setup), c.result);
        EXPECT_EQ(ended, c.ended);
        EXPECT_EQ(setup.path.empty(), !c.confirm);
    }
}

TEST_F(UpdateDialog, DeclineOrEscapeDownloadsNothing)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "escape" : "cancel");
        dlgtest::OnNextModal([escape](QDialog* dd) {
            auto* d = qobject_cast<OrvWebUpdateDialog*>(dd);
            ASSERT_NE(d, nullptr);
            if (escape) QTest::keyClick(d, Qt::Key_Escape);
            else Click(d->CancelButton());
        });
        int state = 0;
        std::string path;
        EXPECT_EQ(OrvRunUpdateDialog(nullptr, client_->Service(), version_, history_, state, path), ZAF_DIALOG_CLOSE);
        EXPECT_EQ(state, 0);
        EXPECT_TRUE(path.empty());
        EXPECT_TRUE(pmtest::ListDir(client_->Config().GetUpdateDirectory()).empty());
    }
}

struct FailedDownloadCase {
    const char* what;
    const char* version;
    std::vector<std::string> fault;
};

// Every failed download keeps the program running: the dialog stays on its
// waiting page, says why, and only cancel ends it. A reply that carries no
// file counts as failed too, though the download call reports 0 for it.
TEST_F(UpdateDialog, FailedDownloadStaysOnTheWaitingPageUntilCancelled)
{
    const FailedDownloadCase cases[] = {
        {"version not offered", "9.9.9", {}},
        {"reply without a file", "1.0.12", {"--fault", "noattach:V001_Application_DownloadUpdate"}},
        {"connection lost", "1.0.12", {"--fault", "drop=4:V001_Application_DownloadUpdate"}},
    };
    for (const FailedDownloadCase& c : cases) {
        SCOPED_TRACE(c.what);
        OrvMessageWindow::ClearRecorded();
        std::vector<std::string> options = {"--update-version", "1.0.12", "--update-file", dir_ + "/setup.bin"};
        options.insert(options.end(), c.fault.begin(), c.fault.end());
        PortalWith portal(dir_ + "/portal.db", options);
        ASSERT_GT(portal.Port(), 0);
        pmtest::Client client(portal.Host());
        bool open = false;
        QString waiting;
        size_t messages = 0;
        dlgtest::OnNextModal([&](QDialog* dd) {
            auto* d = qobject_cast<OrvWebUpdateDialog*>(dd);
            ASSERT_NE(d, nullptr);
            Click(d->NextButton());
            QTest::qWait(100);
            open = d->isVisible();
            waiting = d->PageText()->toPlainText();
            messages = OrvMessageWindow::Recorded().size();
            EXPECT_FALSE(d->NextButton()->isEnabled());
            EXPECT_TRUE(d->CancelButton()->isEnabled());
            Click(d->CancelButton());
        });
        int state = 0;
        std::string path;
        EXPECT_EQ(OrvRunUpdateDialog(nullptr, client.Service(), c.version, history_, state, path), ZAF_DIALOG_CLOSE);
        EXPECT_TRUE(open);
        EXPECT_TRUE(waiting.contains(c.version)) << waiting.toStdString();
        EXPECT_EQ(messages, 1u);
        if (messages) EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, "ERROR");
        EXPECT_EQ(state, 0);
        EXPECT_TRUE(path.empty());
        // What the main window's check makes of it: no program end.
        dlgtest::OnNextModal([](QDialog* dd) {
            auto* d = qobject_cast<OrvWebUpdateDialog*>(dd);
            ASSERT_NE(d, nullptr);
            Click(d->NextButton());
            QTest::qWait(100);
            if (d->isVisible()) Click(d->CancelButton());
        });
        bool ended = false;
        OrvUpdateHooks hooks;
        hooks.showDialog = [&client, &c](const std::string&, const std::string& h, int& st, std::string& p) {
            return OrvRunUpdateDialog(nullptr, client.Service(), c.version, h, st, p);
        };
        hooks.endProgram = [&ended]() { ended = true; };
        OrvSetupProgram setup;
        EXPECT_EQ(OrvUpdateCheck(client.Service(), hooks, setup), 100);
        EXPECT_FALSE(ended);
        EXPECT_TRUE(setup.path.empty());
    }
}

}  // namespace
