// What the user types or stores is never lost: another writer in between, engine failures after
// every check, hostile stored texts, and the keyboard in the reused dialog.
#include <sys/stat.h>

#include "platform/rtl/AtomicFile.h"
#include "tests/app/AppFixture.h"

namespace fs = std::filesystem;

namespace {
class SafetyTest : public AppTest {
  protected:
    // Presses a dialog button and returns the one message it showed.
    std::string PressAndRead(TButton* Button, std::vector<int> Answers = {}) {
        TestDriver::TMessageBoxAnswers Boxes(std::move(Answers));
        TestDriver::Click(Button);
        EXPECT_FALSE(Boxes.Shown().empty());
        return Boxes.Shown().empty() ? "" : Boxes.Shown().back().Text;
    }
};

bool Mentions(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}
}  // namespace

// The 10:00 entry is deleted elsewhere and its row id goes to an entry of 1 April: neither a save
// nor a delete of the stale entry may touch the April one.
TEST_F(SafetyTest, AStaleSaveOrDeleteNeverHitsTheRowThatReusedItsId) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_10, "Dentist", {"old memo"});
    for (bool Deleting : {false, true}) {
        OpenRow(Form1->Lbl_10, [&](TForm2* D) {
            Db().Exec("DELETE FROM \"Agendix.DB\"");
            StoreRow({"2003", "4", "1", "10", "8", "10", "April", "20034110.txt"});
            ASSERT_EQ(Db().Rows("SELECT rowid FROM \"Agendix.DB\""), std::vector<std::string>{"1"});
            D->Edt_Title->SetText("Dentist moved");
            D->Memo1->Lines()->SetText("new memo");
            std::string Text =
                Deleting ? PressAndRead(D->Btn_Delete, {IDYES, IDOK}) : PressAndRead(D->Btn_Confirm);
            EXPECT_TRUE(Mentions(Text, "다른 곳에서 바뀌었거나 지워졌습니다")) << Text;
            EXPECT_TRUE(D->Visible()) << "the dialog keeps what was typed";
        });
        EXPECT_EQ(Rows(), std::vector<std::string>{"2003|4|1|10|8|10|April|20034110.txt"});
        EXPECT_EQ(Memo("20033510.txt"), "old memo\r\n");
        EXPECT_EQ(Form1->Lbl_10->Caption(), " ") << "the view shows what the database holds";
        Db().Exec("DELETE FROM \"Agendix.DB\"");
        CreateEntry(Form1->Lbl_10, "Dentist", {"old memo"});
    }
}

// Another program files 14:00 while this window still shows it free: no second record, and the
// other entry's memo stays.
TEST_F(SafetyTest, ASlotFiledMeanwhileIsNotFiledTwice) {
    Start(2003, 3, 5);
    OpenRow(Form1->Lbl_14, [&](TForm2* D) {
        StoreRow({"2003", "3", "5", "14", "16", "18", "Theirs", "20033514.txt"});
        WriteFile(MemoPath("20033514.txt"), "their memo");
        D->Edt_Title->SetText("Mine");
        D->Memo1->Lines()->SetText("my memo");
        EXPECT_TRUE(Mentions(PressAndRead(D->Btn_Confirm), "다른 곳에서"));
    });
    EXPECT_EQ(Rows(), std::vector<std::string>{"2003|3|5|14|16|18|Theirs|20033514.txt"});
    EXPECT_EQ(ReadFile(MemoPath("20033514.txt")), "their memo");
    EXPECT_EQ(Form1->Lbl_14->Caption(), "Theirs");
}

// The engine refuses the row after every check passed: the memo file and the row stay as they
// were, no temporary is left, and the user reads why in Korean.
TEST_F(SafetyTest, AnEngineFailureLeavesMemoAndRowAsTheyWere) {
    struct Case {
        const char* What;
        std::function<void(SafetyTest&)> Break, Mend;
        const char* Message;
        std::vector<TLabel*> Rows;
    };
    Start(2003, 3, 5);
    std::unique_ptr<RawDb> Holder;
    std::string Db = Home.Path() + "/agendix/BCDEMOS.sqlite";
    const Case Cases[] = {
        {"locked past the busy timeout",
         [&](SafetyTest& T) {
             SetBusyTimeout(50);
             Holder = std::make_unique<RawDb>(Db);
             Holder->Exec("BEGIN IMMEDIATE");
         },
         [&](SafetyTest&) {
             Holder.reset();
             SetBusyTimeout(5000);
         },
         "다른 프로그램이 일정 데이터베이스를 쓰고 있습니다",
         {Form1->Lbl_08, Form1->Lbl_15}},
        {"a newer layout with a required column",
         [&](SafetyTest& T) {
             RawDb R(Db);
             R.Exec("ALTER TABLE \"Agendix.DB\" RENAME TO Old");
             R.Exec(
                 "CREATE TABLE \"Agendix.DB\" (Year TEXT(4), Month TEXT(2), Day TEXT(2), Time TEXT(2), "
                 "StartTime TEXT(2), EndTime TEXT(2), TiTle TEXT(50), MemoFile TEXT(14), Owner TEXT NOT "
                 "NULL)");
             R.Exec("INSERT INTO \"Agendix.DB\" SELECT *, 'me' FROM Old");
         },
         [&](SafetyTest&) {
             RawDb R(Db);
             R.Exec("DROP TABLE \"Agendix.DB\"");
             R.Exec("ALTER TABLE Old RENAME TO \"Agendix.DB\"");
         },
         "표 형식이 이 프로그램과 맞지 않습니다",
         {Form1->Lbl_15}},
    };
    CreateEntry(Form1->Lbl_08, "Kept", {"kept memo"});
    for (const Case& C : Cases) {
        C.Break(*this);
        Form1->Qry_SchCount(Form1);
        for (TLabel* Row : C.Rows) {
            OpenRow(Row, [&](TForm2* D) {
                D->Edt_Title->SetText("Changed");
                D->Memo1->Lines()->SetText("changed memo");
                std::string Text = PressAndRead(D->Btn_Confirm);
                EXPECT_TRUE(Mentions(Text, C.Message)) << C.What << ": " << Text;
                EXPECT_TRUE(Mentions(Text, "아무것도 바뀌지 않았습니다")) << Text;
            });
        }
        C.Mend(*this);
        EXPECT_EQ(Rows(), std::vector<std::string>{"2003|3|5|08|4|6|Kept|20033508.txt"}) << C.What;
        EXPECT_EQ(Memo("20033508.txt"), "kept memo\r\n") << C.What;
        EXPECT_FALSE(fs::exists(MemoPath("20033515.txt"))) << C.What;
        EXPECT_EQ(RemoveStagingLeftovers(MemoDirectory), 0) << C.What;
    }
}

// A database file the user may not write is still shown; a save says so and changes nothing.
TEST_F(SafetyTest, AReadOnlyDatabaseCanBeViewedButNotChanged) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_08, "Kept", {"kept memo"});
    Application->Reset();
    std::string Db = Home.Path() + "/agendix/BCDEMOS.sqlite";
    ASSERT_FALSE(fs::exists(Db + "-wal")) << "closing the program folds the log into the file";
    chmod(Db.c_str(), 0444);
    Start(2003, 3, 5);
    EXPECT_EQ(Form1->Lbl_08->Caption(), "Kept");
    OpenRow(Form1->Lbl_08, [&](TForm2* D) {
        D->Memo1->Lines()->SetText("changed memo");
        EXPECT_TRUE(Mentions(PressAndRead(D->Btn_Confirm), "읽기 전용"));
    });
    EXPECT_EQ(Memo("20033508.txt"), "kept memo\r\n");
    chmod(Db.c_str(), 0644);
}

// Entries titled "" or " " look free, but they are taken: they open with their memo and keep it.
TEST_F(SafetyTest, EntriesWithAnEmptyOrBlankTitleKeepTheirMemo) {
    Start(2003, 3, 5);
    for (std::string Title : {"", " "}) {
        StoreRow({"2003", "3", "5", "11", "10", "12", Title, "20033511.txt"});
        WriteFile(MemoPath("20033511.txt"), "title memo\r\n");
        Form1->Qry_SchCount(Form1);
        EXPECT_EQ(Form1->Lbl_11->Caption(), Title);
        OpenRow(Form1->Lbl_11, [](TForm2* D) {
            EXPECT_EQ(D->Memo1->Lines()->Items(), std::vector<AnsiString>{"title memo"});
            EXPECT_EQ(D->Cbo_Start->ItemIndex(), 10);
            TestDriver::Click(D->Btn_Confirm);
        });
        EXPECT_EQ(Memo("20033511.txt"), "title memo\r\n");
        EXPECT_EQ(Rows(), std::vector<std::string>{"2003|3|5|11|10|12|" + Title + "|20033511.txt"});
        Db().Exec("DELETE FROM \"Agendix.DB\"");
    }
}

// Stored texts that would lead a memo read or write out of the memo folder are refused.
TEST_F(SafetyTest, MemoPathsStayInTheMemoFolder) {
    Start(2003, 3, 5);
    WriteFile(Home.Path() + "/agendix/outside.txt", "secret");
    StoreRow({"2003", "3", "5", "12", "12", "14", "Escape", "..\\..\\outside.txt"});
    StoreRow({"2003", "3", "/../../../w", "09", "6", "8", "Day", "x.txt"});
    Form1->Qry_SchCount(Form1);
    {
        TestDriver::TModalActions Modal({[](TForm*) { ADD_FAILURE() << "the dialog opened"; }});
        TestDriver::TMessageBoxAnswers Boxes;
        TestDriver::Click(Form1->Lbl_12);
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        EXPECT_TRUE(Mentions(Boxes.Shown()[0].Text, "메모 파일 이름이 올바르지 않아"))
            << Boxes.Shown()[0].Text;
        EXPECT_FALSE(Mentions(Form2->Memo1->Lines()->Text(), "secret"));
    }
    // The summary row of the hostile day sets the date strings to its text before the calendar
    // refuses it; a save then must not write "2003" "3" "/../../../w" "14" ".txt".
    {
        TestDriver::TMessageBoxAnswers Boxes;
        DataModule3->Query1->First();
        while (DataModule3->Query1->FieldByName("Day")->AsString() != "/../../../w")
            DataModule3->Query1->Next();
        GuardedCall(Form1, [] { Form1->DBGrid1CellClick(nullptr); });
        EXPECT_EQ(Boxes.Shown().size(), 1u);
    }
    ASSERT_EQ(Form1->Str_CurrDay, "/../../../w");
    Form1->Str_CurrTime = "14";
    TestDriver::TMessageBoxAnswers Boxes;
    GuardedCall(Form2, [] { Form2->Btn_ConfirmClick(Form2->Btn_Confirm); });
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_TRUE(Mentions(Boxes.Shown()[0].Text, "아무것도 저장하지 않았습니다"));
    EXPECT_FALSE(fs::exists(Home.Path() + "/w14.txt"));
    EXPECT_EQ(Rows().size(), 2u);
}

// Without date strings (the first query failed) a save is refused before anything is written.
TEST_F(SafetyTest, NoSaveWithoutADate) {
    Start(2003, 3, 5);
    Form2->Edt_Title->SetText("One line");
    Form1->Str_CurrYear = Form1->Str_CurrMonth = Form1->Str_CurrDay = "";
    Form1->Str_CurrTime = "09";
    TestDriver::TMessageBoxAnswers Boxes;
    GuardedCall(Form2, [] { Form2->Btn_ConfirmClick(Form2->Btn_Confirm); });
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_TRUE(Mentions(Boxes.Shown()[0].Text, "알 수 없습니다"));
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(fs::exists(MemoPath("000009.txt")));
}

// From the second opening on, typing goes into the title, whatever had the focus; Tab leaves the
// memo; Enter presses a focused button.
TEST_F(SafetyTest, TheKeyboardStartsInTheTitleAtEveryOpening) {
    Start(2003, 3, 5);
    TestDriver::TModalActions Cancel(
        {[](TForm* F) { TestDriver::Click(static_cast<TForm2*>(F)->Btn_Cancel); }});
    TestDriver::Click(Form1->Lbl_07);
    for (int Opening = 2; Opening <= 3; ++Opening) {
        OpenRow(Form1->Lbl_07, [&](TForm2* D) {
            D->Btn_Delete->SetFocus();
            EXPECT_EQ(TestDriver::FocusedControl(), D->Btn_Delete);
            D->Hide();
        });
        OpenRow(Form1->Lbl_07, [&](TForm2* D) {
            EXPECT_EQ(TestDriver::FocusedControl(), D->Edt_Title) << "opening " << Opening;
            TestDriver::TypeKeys("Call mom");
            EXPECT_EQ(D->Edt_Title->Text(), "Call mom");
            D->Memo1->SetFocus();
            TestDriver::PressFocusedKey(VK_TAB);
            EXPECT_EQ(TestDriver::FocusedControl(), D->Btn_Confirm);
            EXPECT_EQ(D->Memo1->Lines()->Text().find('\t'), std::string::npos);
            TestDriver::PressFocusedKey(VK_TAB, ssShift);
            EXPECT_EQ(TestDriver::FocusedControl(), D->Memo1);
            TestDriver::PressFocusedKey(VK_TAB);
            TestDriver::PressFocusedKey(VK_RETURN);
            EXPECT_EQ(D->ModalResult(), mrOk) << "Enter pressed the confirm button";
        });
        EXPECT_EQ(Rows().back(), "2003|3|5|07|2|4|Call mom|20033507.txt");
        Db().Exec("DELETE FROM \"Agendix.DB\"");
        Form1->Qry_SchCount(Form1);
    }
}

// A Time that is no number stops the refresh at its row with a message, shown once per action
// though the dialog's close and the window's activation both refresh.
TEST_F(SafetyTest, ATimeThatIsNotANumberIsReportedOnce) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_08, "first");
    StoreRow({"2003", "3", "5", "xx", "4", "6", "broken", ""});
    StoreRow({"2003", "3", "5", "10", "8", "10", "after", ""});
    TestDriver::TMessageBoxAnswers Boxes;
    TestDriver::TModalActions Modal(
        {[](TForm* F) { TestDriver::Click(static_cast<TForm2*>(F)->Btn_Cancel); }});
    TestDriver::Click(Form1->Lbl_08);
    TestDriver::ProcessEvents();
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    const std::string& Text = Boxes.Shown()[0].Text;
    EXPECT_EQ(Text.rfind("저장된 일정에 올바르지 않은 값이 있습니다. 일정을 읽지 못했습니다.\n", 0), 0u)
        << Text;
    EXPECT_TRUE(Mentions(Text, "'xx'")) << Text;
    EXPECT_EQ(Form1->Lbl_08->Caption(), "first");
    EXPECT_EQ(Form1->Lbl_10->Caption(), " ");
}

// Coming back from another program shows what another writer did meanwhile.
TEST_F(SafetyTest, ComingBackFromAnotherProgramRefreshes) {
    Start(2003, 3, 5);
    StoreRow({"2003", "3", "5", "13", "14", "16", "Elsewhere", "20033513.txt"});
    EXPECT_EQ(Form1->Lbl_13->Caption(), " ");
    TestDriver::SwitchAwayAndBack();
    EXPECT_EQ(Form1->Lbl_13->Caption(), "Elsewhere");
}
