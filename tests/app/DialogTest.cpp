#include "tests/app/AppFixture.h"

namespace fs = std::filesystem;

TEST_F(AppTest, AFreeRowOpensABlankDialogAndConfirmSavesTheEntry) {
    Start(2003, 3, 5);
    TestDriver::TModalActions Modal({[](TForm* F) {
        auto* D = static_cast<TForm2*>(F);
        EXPECT_EQ(D->Edt_Title->Text(), "");
        EXPECT_EQ(D->Memo1->Lines()->Count(), 0);
        EXPECT_EQ(D->Cbo_Start->ItemIndex(), 16);
        EXPECT_EQ(D->Cbo_End->ItemIndex(), 18);
        D->Edt_Title->SetText("회의 준비");
        D->Memo1->Lines()->Add("첫 줄");
        D->Memo1->Lines()->Add("둘째 줄");
        TestDriver::Click(D->Btn_Confirm);
    }});
    Form1->DisPlayData(Form1->Lbl_14);
    ASSERT_EQ(Modal.Ran(), 1);
    // The click's own handler refreshes, before the window becomes active again.
    EXPECT_EQ(Form1->Lbl_14->Caption(), "회의 준비");
    EXPECT_EQ(DataModule3->Query1->FieldByName("Msg")->AsString(), "총 1 건의 일정이 있습니다.");
    EXPECT_EQ(Form1->Str_CurrTime, "14");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"2003|3|5|14|16|18|회의 준비|20033514.txt"}));
    EXPECT_EQ(ReadFile(MemoPath("20033514.txt")), Utf8ToCp949("첫 줄\r\n둘째 줄\r\n"));
}

TEST_F(AppTest, ATakenRowOpensTheStoredEntryAndSavesChangesInPlace) {
    Start(2003, 3, 5);
    OpenRow(Form1->Lbl_09, [](TForm2* D) {
        D->Edt_Title->SetText("Standup");
        D->Cbo_Start->SetItemIndex(9);
        D->Cbo_End->SetItemIndex(12);
        D->Memo1->Lines()->Add("notes");
        TestDriver::Click(D->Btn_Confirm);
    });
    // The entry stays in the row it was created from, whatever its times say.
    EXPECT_EQ(Form1->Lbl_09->Caption(), "Standup");
    EXPECT_EQ(Form1->Lbl_10->Caption(), " ");
    OpenRow(Form1->Lbl_09, [](TForm2* D) {
        EXPECT_EQ(D->Edt_Title->Text(), "Standup");
        EXPECT_EQ(D->Cbo_Start->ItemIndex(), 9);
        EXPECT_EQ(D->Cbo_End->ItemIndex(), 12);
        EXPECT_EQ(D->Memo1->Lines()->Items(), std::vector<AnsiString>{"notes"});
        D->Edt_Title->SetText("Standup (moved)");
        D->Memo1->Lines()->Clear();
        TestDriver::Click(D->Btn_Confirm);
    });
    EXPECT_EQ(Rows(), (std::vector<std::string>{"2003|3|5|09|9|12|Standup (moved)|20033509.txt"}));
    EXPECT_EQ(ReadFile(MemoPath("20033509.txt")), "");

    // The same slot of another day is another entry.
    Form1->Cal_CurrMonth->SetDateElement(3, 6);
    CreateEntry(Form1->Lbl_09, "Next day");
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[1], "2003|3|6|09|6|8|Next day|20033609.txt");
}

TEST_F(AppTest, CancelChangesNothing) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_21, "Late", {"keep"});
    auto Before = Rows();
    OpenRow(Form1->Lbl_21, [](TForm2* D) {
        EXPECT_EQ(D->Cbo_Start->ItemIndex(), 30);
        EXPECT_EQ(D->Cbo_End->ItemIndex(), -1);  // one past the last item
        D->Edt_Title->SetText("changed");
        D->Memo1->Lines()->Add("more");
        TestDriver::Click(D->Btn_Cancel);
    });
    EXPECT_EQ(Rows(), Before);
    EXPECT_EQ(Rows()[0], "2003|3|5|21|30|-1|Late|20033521.txt");
    EXPECT_EQ(Memo("20033521.txt"), "keep\r\n");
    EXPECT_EQ(Form1->Lbl_21->Caption(), "Late");
}

TEST_F(AppTest, DeleteAsksAndKeepsTheMemoFile) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_07, "Run", {"5 km"});
    {
        TestDriver::TMessageBoxAnswers Boxes({IDNO});
        OpenRow(Form1->Lbl_07, [](TForm2* D) {
            TestDriver::Click(D->Btn_Delete);
            EXPECT_EQ(D->ModalResult(), mrNone);  // "No" keeps the dialog open
        });
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        EXPECT_EQ(Boxes.Shown()[0].Text, "현재 일정을 삭제하시겠읍니까 ?");
        EXPECT_EQ(Boxes.Shown()[0].Caption, "Delete Confirm");
        EXPECT_EQ(Boxes.Shown()[0].Flags, MB_YESNO);
        EXPECT_EQ(Rows().size(), 1u);
    }
    {
        TestDriver::TMessageBoxAnswers Boxes({IDYES});
        OpenRow(Form1->Lbl_07, [](TForm2* D) {
            TestDriver::Click(D->Btn_Delete);
            EXPECT_EQ(D->ModalResult(), mrCancel);
        });
        EXPECT_TRUE(Rows().empty());
    }
    EXPECT_EQ(Memo("20033507.txt"), "5 km\r\n");
    EXPECT_EQ(Form1->Lbl_07->Caption(), " ");

    // Saving the slot again writes a new record naming the same file, whose text is replaced.
    CreateEntry(Form1->Lbl_07, "Walk", {"2 km"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"2003|3|5|07|2|4|Walk|20033507.txt"}));
    EXPECT_EQ(Memo("20033507.txt"), "2 km\r\n");

    // Delete in a free slot closes at once, without asking.
    TestDriver::TMessageBoxAnswers Boxes;
    OpenRow(Form1->Lbl_20, [](TForm2* D) {
        TestDriver::Click(D->Btn_Delete);
        EXPECT_EQ(D->ModalResult(), mrCancel);
    });
    EXPECT_TRUE(Boxes.Shown().empty());
}

// Day 2 of November and day 12 of January would both read "2002" "11" "2" "09".
TEST_F(AppTest, MemoNamesOfDifferentDatesNeverCollide) {
    EXPECT_EQ(TForm2::MemoFileName("987", "5", "5", "06"), "09875506.txt");
    Start(2002, 1, 12);
    CreateEntry(Form1->Lbl_09, "January", {"jan"});
    Form1->Cal_CurrMonth->SetDateElement(2, 11);
    Form1->Cal_CurrMonth->SetDateElement(3, 2);
    CreateEntry(Form1->Lbl_09, "November", {"nov"});
    EXPECT_EQ(Memo("200211209.txt"), "jan\r\n");
    EXPECT_EQ(Memo("2002110209.txt"), "nov\r\n");
}

TEST_F(AppTest, ARefusedSaveKeepsTheDialogOpenAndWritesNothing) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_10, "Original", {"original memo"});
    auto Before = Rows();
    struct Case {
        const char* What;
        AnsiString Title;
        AnsiString MemoLine;
        const char* Message;
    };
    for (const Case& C :
         {Case{"title over 50 bytes", AnsiString(27, 'x') + "가나다라마바사아자차카타", "new", "50"},
          Case{"title CP949 cannot hold", "party 🎉", "new", "제목"},
          Case{"title of two lines", "two\nlines", "new", "한 줄이어야"},
          Case{"title with a tab", "tab\there", "new", "한 줄이어야"},
          Case{"memo CP949 cannot hold", "fine", "🎉", "메모"}}) {
        TestDriver::TMessageBoxAnswers Boxes;
        OpenRow(Form1->Lbl_10, [&](TForm2* D) {
            D->Edt_Title->SetText(C.Title);
            D->Memo1->Lines()->Clear();
            D->Memo1->Lines()->Add(C.MemoLine);
            TestDriver::Click(D->Btn_Confirm);
            EXPECT_EQ(D->ModalResult(), mrNone) << C.What;
            EXPECT_EQ(D->Edt_Title->Text(), C.Title) << "what the user typed is kept";
        });
        ASSERT_EQ(Boxes.Shown().size(), 1u) << C.What;
        EXPECT_NE(Boxes.Shown()[0].Text.find(C.Message), std::string::npos) << Boxes.Shown()[0].Text;
        EXPECT_EQ(Rows(), Before) << C.What;
        EXPECT_EQ(Memo("20033510.txt"), "original memo\r\n") << C.What;
    }
    // A title of exactly 50 bytes is stored.
    AnsiString Fifty = AnsiString(26, 'y') + "가나다라마바사아자차카타";
    ASSERT_EQ(Cp949Length(Fifty), 50);
    CreateEntry(Form1->Lbl_10, Fifty);
    EXPECT_EQ(Rows()[0], "2003|3|5|10|8|10|" + Fifty + "|20033510.txt");
}

TEST_F(AppTest, AMissingMemoDirectoryIsReportedAndNothingIsStored) {
    Start(2003, 3, 5);
    fs::remove_all(Home.Path() + "/agendix/drive_c/Temp");
    TestDriver::TMessageBoxAnswers Boxes;
    OpenRow(Form1->Lbl_16, [](TForm2* D) {
        D->Edt_Title->SetText("Nowhere");
        TestDriver::Click(D->Btn_Confirm);
        EXPECT_EQ(D->ModalResult(), mrNone);
    });
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_NE(Boxes.Shown()[0].Text.find("20033516.txt"), std::string::npos) << Boxes.Shown()[0].Text;
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(fs::exists(Home.Path() + "/agendix/drive_c/Temp"));  // the program never creates it
}

// A missing memo file opens the entry with an empty memo; one that cannot be read stops the dialog.
TEST_F(AppTest, AMissingMemoFileReadsEmptyAndAnUnreadableOneStopsTheDialog) {
    Start(2003, 3, 5);
    CreateEntry(Form1->Lbl_13, "Lunch", {"soup"});
    fs::remove(MemoPath("20033513.txt"));
    OpenRow(Form1->Lbl_13, [](TForm2* D) {
        EXPECT_EQ(D->Edt_Title->Text(), "Lunch");
        EXPECT_EQ(D->Memo1->Lines()->Count(), 0);
    });
    WriteFile(MemoPath("20033513.txt"), "\xB0");  // half a CP949 character
    TestDriver::TMessageBoxAnswers Boxes;
    TestDriver::TModalActions Modal({[](TForm*) { ADD_FAILURE() << "the dialog opened"; }});
    TestDriver::Click(Form1->Lbl_13);
    TestDriver::ProcessEvents();
    EXPECT_EQ(Modal.Ran(), 0);
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_NE(Boxes.Shown()[0].Text.find("20033513.txt"), std::string::npos) << Boxes.Shown()[0].Text;
    EXPECT_EQ(ReadFile(MemoPath("20033513.txt")), "\xB0");
}
