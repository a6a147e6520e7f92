#include "tests/app/AppFixture.h"

TEST_F(AppTest, StartsOnTodayWithCaptionsStringsAndSpinner) {
    SetDateClock([] { return EncodeDate(2003, 3, 5); });
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(DataModule3);
    // Nothing is queried before the first activation.
    EXPECT_EQ(Form1->Str_CurrYear + Form1->Str_CurrMonth + Form1->Str_CurrDay + Form1->Str_CurrTime, "");
    EXPECT_EQ(Captions(), std::vector<std::string>(16, " "));
    Form1->Show();
    TestDriver::ProcessEvents();

    EXPECT_EQ(Form1->Caption(), "나의 일정관리");
    EXPECT_EQ(Form1->Str_CurrYear, "2003");
    EXPECT_EQ(Form1->Str_CurrMonth, "3");
    EXPECT_EQ(Form1->Str_CurrDay, "5");
    EXPECT_EQ(Form1->Pan_CurrDay->Caption(), "3 월 5 일 일정");
    EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), "2003 년 3 월");
    EXPECT_EQ(Form1->Pan_NextMonth->Caption(), "2003 년 4 월");
    EXPECT_EQ(Form1->UpDown1->Position(), 3);
    EXPECT_EQ(Form1->Cal_NextMonth->GetDateElement(3), 5);
    EXPECT_EQ(Captions(), std::vector<std::string>(16, " "));
}

// Both calendars, the captions, the summary's month and the date strings follow every step, up to
// the last month the calendars can show; before January of year 1 the calendar itself refuses.
TEST_F(AppTest, SpinnerReachesEveryMonthTheCalendarsCanShow) {
    struct Case {
        int Year, Month, Steps;
        TUDBtnType Button;
        const char *Curr, *Next;
    };
    for (Case C : std::vector<Case>{{2002, 12, 1, btNext, "2003 년 1 월", "2003 년 2 월"},
                                    {2003, 1, 30, btPrev, "2000 년 7 월", "2000 년 8 월"},
                                    {2003, 12, 120, btNext, "2013 년 12 월", "2014 년 1 월"},
                                    {1, 3, 2, btPrev, "1 년 1 월", "1 년 2 월"},
                                    {9999, 10, 1, btNext, "9999 년 11 월", "9999 년 12 월"}}) {
        SCOPED_TRACE(C.Curr);
        Start(C.Year, C.Month, 15);
        for (int I = 0; I < C.Steps; ++I) Form1->UpDown1->Click(C.Button);
        EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), C.Curr);
        EXPECT_EQ(Form1->Pan_NextMonth->Caption(), C.Next);
        auto Element = [](int I) { return IntToStr(Form1->Cal_CurrMonth->GetDateElement(I)); };
        EXPECT_EQ(Form1->Str_CurrYear + "-" + Form1->Str_CurrMonth + "-" + Form1->Str_CurrDay,
                  Element(1) + "-" + Element(2) + "-" + Element(3));
        EXPECT_EQ(DataModule3->Query1->ParamByName("CurYear")->AsString() + "-" +
                      DataModule3->Query1->ParamByName("CurMonth")->AsString(),
                  Element(1) + "-" + Element(2));
        EXPECT_EQ(Form1->Pan_CurrDay->Caption(), Element(2) + " 월 " + Element(3) + " 일 일정");
        TearDown();
    }
    Start(1, 1, 15);
    EXPECT_ANY_THROW(Form1->UpDown1->Click(btPrev));
    EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), "1 년 1 월");
}

// A day the next month lacks is clamped in both calendars; a day chosen in the second calendar
// changes only that calendar.
TEST_F(AppTest, TheLastDayOfTheMonthIsClampedInBothCalendars) {
    Start(2003, 1, 31);
    EXPECT_EQ(Form1->Cal_NextMonth->GetDateElement(2), 2);
    EXPECT_EQ(Form1->Cal_NextMonth->GetDateElement(3), 28);
    Form1->UpDown1->Click(btNext);
    EXPECT_EQ(Form1->Cal_CurrMonth->GetDateElement(3), 28);
    EXPECT_EQ(Form1->Cal_NextMonth->GetDateElement(2), 3);
    EXPECT_EQ(Form1->Pan_CurrDay->Caption(), "2 월 28 일 일정");
    Form1->Cal_NextMonth->SetDateElement(3, 20);
    EXPECT_EQ(Form1->Str_CurrDay + " " + Form1->Pan_CurrDay->Caption(), "28 2 월 28 일 일정");
}

TEST_F(AppTest, MonthSummaryListsDaysInTextOrderWithTheirMessages) {
    Start(2003, 3, 3);
    for (auto [Day, Time] : {std::pair{"1", "09"}, {"10", "09"}, {"2", "09"}, {"2", "10"}, {"7", "11"}})
        StoreRow({"2003", "3", Day, Time, "6", "8", std::string("day ") + Day, ""});
    StoreRow({"2003", "03", "7", "09", "6", "8", "leading zero", ""});
    StoreRow({"2003", "4", "7", "09", "6", "8", "other month", ""});
    StoreRow({"2002", "3", "7", "09", "6", "8", "other year", ""});
    Form1->Qry_SchCount(Form1);
    TQuery* Q = DataModule3->Query1;
    std::vector<std::string> Days, Msgs;
    for (Q->First(); !Q->Eof(); Q->Next()) {
        Days.push_back(Q->FieldByName("Day")->AsString());
        Msgs.push_back(Q->FieldByName("Msg")->AsString());
    }
    EXPECT_EQ(Days, (std::vector<std::string>{"1", "10", "2", "7"}));
    EXPECT_EQ(Msgs[2], "총 2 건의 일정이 있습니다.");
    EXPECT_EQ(Msgs[3], "총 1 건의 일정이 있습니다.");

    // A click on day 7's row selects it; the summary is queried again and stands on its first row.
    auto ClickRow = [](int Row) {
        TRect Cell = Form1->DBGrid1->CellRect(1, Row);
        TestDriver::ClickAt(Form1->DBGrid1, Cell.Left + 3, Cell.Top + 3);
        TestDriver::ProcessEvents();
    };
    ClickRow(4);
    EXPECT_EQ(Form1->Cal_CurrMonth->GetDateElement(3), 7);
    EXPECT_EQ(Form1->Pan_CurrDay->Caption(), "3 월 7 일 일정");
    EXPECT_EQ(Form1->Lbl_11->Caption(), "day 7");
    EXPECT_EQ(Form1->Lbl_09->Caption(), " ");  // the row of month "03" is not this day's
    EXPECT_EQ(Q->RecNo(), 1);

    // In a month without entries the grid has no rows and a click changes nothing.
    Form1->UpDown1->Click(btNext);
    Form1->UpDown1->Click(btNext);
    EXPECT_TRUE(DataModule3->Query1->IsEmpty());
    ClickRow(1);
    EXPECT_EQ(Form1->Pan_CurrDay->Caption(), "5 월 7 일 일정");
}

TEST_F(AppTest, RowsStoredByHandWithOddHours) {
    Start(2003, 3, 5);
    StoreRow({"2003", "3", "5", "9", "6", "8", "nine", "nine.txt"});
    StoreRow({"2003", "3", "5", "05", "6", "8", "five", ""});
    StoreRow({"2003", "3", "5", "22", "6", "8", "ten pm", ""});
    StoreRow({"2003", "3", "5", "12", "-1", "-1", "noon", ""});
    Form1->Qry_SchCount(Form1);
    auto C = Captions();
    EXPECT_EQ(C[3], "nine");  // "9" reads as hour 9
    EXPECT_EQ(C[6], "noon");
    EXPECT_EQ(std::count(C.begin(), C.end(), " "), 14);  // "05" and "22" show nowhere
    // No row has Time "09" exactly: the search ends on the day's last row, which fills the dialog.
    OpenRow(Form1->Lbl_09, [](TForm2* D) {
        EXPECT_EQ(D->Edt_Title->Text(), "noon");
        EXPECT_EQ(D->Cbo_Start->ItemIndex(), -1);
        EXPECT_EQ(D->Cbo_End->ItemIndex(), -1);
    });
    EXPECT_EQ(Form1->Str_CurrTime, "09");
}
