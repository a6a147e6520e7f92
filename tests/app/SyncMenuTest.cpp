#include <sys/stat.h>

#include <cstdlib>

#include "app/ScheduleMenu.h"
#include "app/SyncMenu.h"
#include "app/exchange/Commands.h"
#include "platform/ui/Dialogs.h"
#include "tests/app/AppFixture.h"
#include "tests/caldav/Radicale.h"

// "지금 동기화" from the context menu, against the test's Radicale, with a private configuration folder.
class SyncMenuTest : public AppTest {
  protected:
    void SetUp() override {
        if (!RadicaleRuns()) GTEST_SKIP() << "no CalDAV server: run through scripts/test";
        setenv("XDG_CONFIG_HOME", Config.Path().c_str(), 1);
        Start(2024, 5, 10);
        ScheduleMenu::Install(Form1);
        SyncMenu::Install();
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        AppTest::TearDown();
    }
    // Runs the menu item; Dialog acts in the account dialog when one opens.
    std::vector<TestDriver::TShownMessage> SyncNow(std::function<void(TSyncAccountForm*)> Dialog = {}) {
        TestDriver::TMenuChoices Menu({SyncMenu::SyncCaption});
        std::vector<TestDriver::TModalActions::TAction> Actions;
        if (Dialog) Actions.push_back([&](TForm* F) { Dialog(dynamic_cast<TSyncAccountForm*>(F)); });
        TestDriver::TModalActions Modal(Actions);
        TestDriver::TMessageBoxAnswers Boxes;
        TestDriver::RightClickAt(Form1->Pan_CurrDay, 5, 5);
        EXPECT_EQ(Modal.Ran(), Dialog ? 1 : 0);
        return Boxes.Shown();
    }
    TempDir Config;
};

// With no account, the dialog asks for one; a wrong password is refused before anything is kept,
// the right one syncs the entry up and keeps the account (the password never in the file).
TEST_F(SyncMenuTest, AccountDialogThenSync) {
    TCalDavAccount A = FreshCalendar();
    CreateEntry(Form1->Lbl_09, "회의 준비", {"첫 줄"});
    auto Fill = [&](const std::string& Password) {
        return [=](TSyncAccountForm* D) {
            ASSERT_NE(D, nullptr);
            EXPECT_EQ(D->Edt_Password->PasswordChar(), '*');
            D->Edt_Url->SetText(A.Url);
            D->Edt_User->SetText(A.User);
            D->Edt_Password->SetText(Password);
            TestDriver::Click(D->Btn_Ok);
        };
    };
    auto Refused = SyncNow(Fill("wrong"));
    ASSERT_EQ(Refused.size(), 1u);
    EXPECT_NE(Refused[0].Text.find("사용자 이름이나 암호"), std::string::npos) << Refused[0].Text;
    EXPECT_FALSE(Sync::LoadAccount());

    int Progress = TProgressWindow::ShownCount();
    auto Done = SyncNow(Fill(A.Password));
    ASSERT_EQ(Done.size(), 1u);
    EXPECT_NE(Done[0].Text.find("동기화 완료: 보냄 1, 받음 0"), std::string::npos) << Done[0].Text;
    EXPECT_EQ(TProgressWindow::ShownCount(), Progress + 1);
    EXPECT_EQ(TCalDavClient(A).ListMembers().size(), 1u);
    ASSERT_TRUE(Sync::LoadAccount());
    EXPECT_EQ(ReadFile(Sync::ConfigPath()).find(A.Password), std::string::npos);
}

// An event made elsewhere shows in the timetable as soon as the sync is done.
TEST_F(SyncMenuTest, PulledEntryShowsAtOnce) {
    TCalDavAccount A = FreshCalendar();
    WriteFile(Config / "password", A.Password);
    chmod((Config / "password").c_str(), 0600);
    Sync::SaveAccount({A.Url, A.User, Config / "password"});
    TCalDavClient C(A);
    ASSERT_TRUE(C.Put(C.HrefFor("elsewhere"),
                      ICalendarText(VEvent("elsewhere",
                                           "DTSTART:20240510T140000\nDTEND:20240510T150000\n"
                                           "SUMMARY:다른 기기에서\n")),
                      "")
                    .Done);
    auto Done = SyncNow();
    ASSERT_EQ(Done.size(), 1u);
    EXPECT_NE(Done[0].Text.find("받음 1"), std::string::npos) << Done[0].Text;
    EXPECT_EQ(Form1->EntryLabel(8)->Caption(), "다른 기기에서");
}
