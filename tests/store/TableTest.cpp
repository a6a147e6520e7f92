#include <filesystem>

#include "store/QueryPlan.h"
#include "tests/store/ScheduleFixture.h"

namespace {

struct DayFilter {
    std::string Year, Month, Day;
    TFilterRecordEvent Handler() {
        return [this](TDataSet* Ds, bool& Accept) {
            Accept = Ds->FieldByName("Year")->AsString() == Year &&
                     Ds->FieldByName("Month")->AsString() == Month &&
                     Ds->FieldByName("Day")->AsString() == Day;
        };
    }
    TFilterKeysEvent Keys() {
        return [this](TDataSet*, std::vector<TFilterKey>& K) {
            K = {{"Year", Year}, {"Month", Month}, {"Day", Day}};
        };
    }
};

TEST_F(ScheduleTest, MissingTableIsCreatedFromItsFieldDefinitions) {
    auto Cols = Raw->Rows("SELECT name, type FROM pragma_table_info('Agendix.DB')");
    ASSERT_EQ(Cols.size(), 8u);
    EXPECT_EQ(Cols[0], "Year|TEXT(4)");
    EXPECT_EQ(Cols[6], "TiTle|TEXT(50)");
    EXPECT_EQ(Cols[7], "MemoFile|TEXT(14)");

    // A table opened without definitions takes its fields, widths included, from the file.
    TTable Plain(nullptr);
    Plain.SetDatabaseName("BCDEMOS");
    Plain.SetTableName("Agendix.DB");
    Plain.Open();
    ASSERT_EQ(Plain.FieldCount(), 8);
    EXPECT_EQ(Plain.FieldByName("Title")->Size(), 50);
    EXPECT_EQ(Plain.FieldByName("Title")->DataType(), ftString);
    EXPECT_TRUE(Plain.Eof());
    EXPECT_EQ(Plain.RecordCount(), 0);
    EXPECT_EQ(Plain.FieldByName("Year")->AsString(), "");

    TTable NoDefs(nullptr);
    NoDefs.SetDatabaseName("BCDEMOS");
    NoDefs.SetTableName("Other.DB");
    EXPECT_THROW(NoDefs.Open(), EDatabaseError);
    EXPECT_FALSE(NoDefs.Active());
}

TEST_F(ScheduleTest, FieldLookupIgnoresLetterCase) {
    Raw->Insert({"2002", "3", "7", "09", "6", "8", "회의", "20023709.txt"});
    Table->Open();
    TField* F = Table->FieldByName("TiTle");
    for (const char* Name : {"Title", "TITLE", "title", "TiTle"}) {
        EXPECT_EQ(Table->FieldByName(Name), F) << Name;
        EXPECT_EQ(Table->FindField(Name), F) << Name;
    }
    EXPECT_EQ(F->AsString(), "회의");
    EXPECT_EQ(Table->FieldByName("StartTime")->AsInteger(), 6);
    EXPECT_EQ(Table->FindField("Titel"), nullptr);
    try {
        Table->FieldByName("Titel");
        FAIL() << "no exception";
    } catch (const EDatabaseError& E) {
        EXPECT_NE(E.Message().find("Titel"), std::string::npos);
    }
}

// Each case: the current date, and the titles that must be visible, in table order.
TEST_F(ScheduleTest, DayFilterDecidesWhichRowsAreVisible) {
    Raw->Insert({"2002", "3", "7", "09", "0", "2", "a", ""});
    Raw->Insert({"2002", "3", "7", "14", "0", "2", "b", ""});
    Raw->Insert({"2002", "3", "8", "09", "0", "2", "other day", ""});
    Raw->Insert({"2002", "4", "7", "09", "0", "2", "other month", ""});
    Raw->Insert({"2003", "3", "7", "09", "0", "2", "other year", ""});
    Raw->Insert({"2002", "03", "7", "10", "0", "2", "leading zero", ""});
    Raw->Insert({"2002", "3", "7", "10", "0", "2", "c", ""});
    Raw->Exec("INSERT INTO \"Agendix.DB\" (Time, TiTle) VALUES ('11', 'no date')");
    Raw->Insert({"", "", "", "12", "0", "2", "empty date", ""});
    struct Case {
        DayFilter Date;
        std::vector<std::string> Titles;
    };
    std::vector<Case> Cases = {
        {{"2002", "3", "7"}, {"a", "b", "c"}},
        {{"2002", "3", "8"}, {"other day"}},
        {{"2002", "03", "7"}, {"leading zero"}},
        {{"2002", "3", "07"}, {}},
        {{"", "", ""}, {"no date", "empty date"}},  // only rows without a date pass empty strings
        {{"2002", "", ""}, {}},
        {{"2004", "1", "1"}, {}},
    };
    for (bool Hint : {false, true}) {
        for (auto& C : Cases) {
            Table->Close();
            Table->OnFilterRecord = C.Date.Handler();
            Table->OnFilterKeys = Hint ? C.Date.Keys() : nullptr;
            Table->SetFiltered(true);
            Table->Open();
            EXPECT_EQ(Column(*Table, "Title"), C.Titles)
                << C.Date.Year << "-" << C.Date.Month << "-" << C.Date.Day << (Hint ? " with keys" : "");
            EXPECT_EQ(Table->RecordCount(), static_cast<int>(C.Titles.size()));
        }
    }
    // Filtering off shows everything; a handler that refuses all hides everything.
    Table->SetFiltered(false);
    EXPECT_EQ(Table->RecordCount(), 9);
    Table->OnFilterRecord = [](TDataSet*, bool& Accept) { Accept = false; };
    Table->SetFiltered(true);
    EXPECT_EQ(Table->RecordCount(), 0);
    EXPECT_TRUE(Table->Eof());
}

// Before the main window has a date, the day filter gets empty texts: when no row lacks a date,
// the open reads no row at all.
TEST_F(ScheduleTest, EmptyKeysReadNothingWhenEveryRowHasTheText) {
    Raw->Insert({"2002", "3", "7", "09", "0", "2", "a", ""});
    DayFilter Empty;
    Table->OnFilterRecord = Empty.Handler();
    Table->OnFilterKeys = Empty.Keys();
    Table->SetFiltered(true);
    std::vector<std::string> Started;
    SetQueryPlanHook([&](const AnsiString& Sql, const std::vector<AnsiString>&) { Started.push_back(Sql); });
    Table->Open();
    SetQueryPlanHook({});
    EXPECT_EQ(Table->RecordCount(), 0);
    EXPECT_TRUE(Table->Eof());
    for (auto& Sql : Started) EXPECT_EQ(Sql.find("SELECT rowid"), std::string::npos) << Sql;
}

TEST_F(ScheduleTest, NextPastTheLastRowKeepsItCurrent) {
    for (const char* T : {"09", "10", "11"}) Raw->Insert({"2002", "3", "7", T, "0", "2", T, ""});
    Table->Open();
    EXPECT_FALSE(Table->Eof());
    EXPECT_EQ(Table->RecNo(), 1);
    // The search of a slot that is not there ends on the last row.
    Table->First();
    while (!Table->Eof() && Table->FieldByName("Time")->AsString() != "9") Table->Next();
    EXPECT_TRUE(Table->Eof());
    EXPECT_EQ(Table->FieldByName("Time")->AsString(), "11");
    EXPECT_EQ(Table->RecNo(), 3);
    Table->First();
    EXPECT_FALSE(Table->Eof());
    EXPECT_EQ(Table->FieldByName("Time")->AsString(), "09");
    Table->SetRecNo(2);
    EXPECT_EQ(Table->FieldByName("Time")->AsString(), "10");
    Table->Close();
    EXPECT_TRUE(Table->Eof());
    EXPECT_EQ(Table->RecordCount(), 0);
    EXPECT_THROW(Table->Next(), EDatabaseError);
}

TEST_F(ScheduleTest, EditInsertPostDeleteCancelAndWhatOpenSees) {
    auto Stored = [&] {
        return Raw->Rows("SELECT Year, Month, Day, Time, TiTle FROM \"Agendix.DB\" ORDER BY rowid");
    };
    auto Write = [&](const ScheduleRow& R) {
        const std::string* V[] = {&R.Year, &R.Month, &R.Day, &R.Time, &R.Start, &R.End, &R.Title, &R.Memo};
        for (int I = 0; I < 8; ++I) Table->FieldByName(ScheduleFields[I])->SetAsString(*V[I]);
    };
    Table->Open();
    EXPECT_THROW(Table->FieldByName("Title")->SetAsString("x"), EDatabaseError);  // browse state
    EXPECT_THROW(Table->Delete(), EDatabaseError);                                // nothing to delete

    // Edit on an empty table inserts, as a save of a free slot does.
    Table->Edit();
    EXPECT_EQ(Table->State(), dsInsert);
    Write({"2002", "3", "7", "09", "6", "8", "첫 일정", "20023709.txt"});
    Table->Post();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Stored(), std::vector<std::string>{"2002|3|7|09|첫 일정"});
    EXPECT_EQ(Raw->Rows("SELECT StartTime, EndTime, MemoFile FROM \"Agendix.DB\"")[0], "6|8|20023709.txt");

    Table->Insert();
    Write({"2002", "3", "7", "14", "16", "18", "둘", "20023714.txt"});
    Table->Post();
    EXPECT_EQ(Stored().size(), 2u);
    // Held rows show the new one where it was inserted, before the current row; a reopen shows
    // the table's own order.
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(Column(*Table, "Time"), (std::vector<std::string>{"14", "09"}));
    Table->Close();
    Table->Open();
    EXPECT_EQ(Column(*Table, "Time"), (std::vector<std::string>{"09", "14"}));

    // Cancel of an edit and of an insert leaves the file as it was.
    Table->First();
    Table->Edit();
    Table->FieldByName("Title")->SetAsString("바뀜");
    EXPECT_EQ(Table->FieldByName("Title")->AsString(), "바뀜");
    Table->Cancel();
    EXPECT_EQ(Table->FieldByName("Title")->AsString(), "첫 일정");
    Table->Insert();
    Write({"2002", "3", "7", "20", "0", "0", "버림", ""});
    Table->Cancel();
    EXPECT_EQ(Stored().size(), 2u);

    // An edit reaches exactly its row, also after a reopen.
    Table->Close();
    Table->Open();
    Table->Next();
    ASSERT_EQ(Table->FieldByName("Time")->AsString(), "14");
    Table->Edit();
    Table->FieldByName("Title")->SetAsString("고침");
    Table->Post();
    EXPECT_EQ(Stored(), (std::vector<std::string>{"2002|3|7|09|첫 일정", "2002|3|7|14|고침"}));

    // Delete as the dialog does it: Edit, then Delete.
    Table->First();
    Table->Edit();
    Table->Delete();
    EXPECT_EQ(Stored(), std::vector<std::string>{"2002|3|7|14|고침"});
    EXPECT_EQ(Table->RecordCount(), 1);
    EXPECT_EQ(Table->FieldByName("Time")->AsString(), "14");
    Table->Close();
    Table->Open();
    EXPECT_EQ(Column(*Table, "Title"), std::vector<std::string>{"고침"});

    // Another connection's committed change is seen by the next Open, not before.
    Raw->Insert({"2002", "3", "7", "15", "0", "2", "밖에서", ""});
    EXPECT_EQ(Table->RecordCount(), 1);
    Table->Close();
    Table->Open();
    EXPECT_EQ(Column(*Table, "Title"), (std::vector<std::string>{"고침", "밖에서"}));

    // A row that another connection deleted is not silently recreated by an edit.
    Raw->Exec("DELETE FROM \"Agendix.DB\" WHERE Time = '15'");
    Table->Last();
    Table->Edit();
    Table->FieldByName("Title")->SetAsString("유령");
    EXPECT_THROW(Table->Post(), EDatabaseError);
    EXPECT_EQ(Stored(), std::vector<std::string>{"2002|3|7|14|고침"});
}

TEST_F(ScheduleTest, OverWideAndUnrepresentableValuesAreRefusedWithNothingWritten) {
    Table->Open();
    struct Case {
        const char* Field;
        std::string Value;
        std::vector<std::string> MessageParts;
    };
    std::string Hangul25, Hangul26;
    for (int I = 0; I < 25; ++I) Hangul25 += "가";
    Hangul26 = Hangul25 + "가";
    std::vector<Case> Refused = {
        {"TiTle", Hangul26, {"TiTle", "50", "52"}},
        {"Title", std::string(51, 'x'), {"TiTle", "50", "51"}},
        {"Year", "20022", {"Year", "4", "5"}},
        {"MemoFile", "200211209.txt.x", {"MemoFile", "14", "15"}},
        {"TiTle", "회의 \xF0\x9F\x98\x80", {"TiTle", "CP949"}},  // an emoji
    };
    for (auto& C : Refused) {
        Table->Insert();
        Table->FieldByName("Time")->SetAsString("09");
        try {
            Table->FieldByName(C.Field)->SetAsString(C.Value);
            ADD_FAILURE() << C.Field << " took " << C.Value;
        } catch (const EDatabaseError& E) {
            for (auto& Part : C.MessageParts)
                EXPECT_NE(E.Message().find(Part), std::string::npos) << E.Message();
        }
        // The refused value never reached the row.
        EXPECT_EQ(Table->FieldByName(C.Field)->AsString(), C.Field == std::string("Time") ? "09" : "");
        Table->Cancel();
    }
    EXPECT_TRUE(Raw->Rows("SELECT * FROM \"Agendix.DB\"").empty());

    // The full width is accepted, in CP949 bytes.
    Table->Insert();
    Table->FieldByName("TiTle")->SetAsString(Hangul25);
    Table->Post();
    EXPECT_EQ(Raw->Rows("SELECT TiTle FROM \"Agendix.DB\""), std::vector<std::string>{Hangul25});
    // A refused write during an edit leaves the stored row as it was, even when the next move
    // drops the pending edit instead of storing half of it.
    Table->Edit();
    Table->FieldByName("Year")->SetAsString("2002");
    EXPECT_THROW(Table->FieldByName("TiTle")->SetAsString(Hangul26), EDatabaseError);
    Table->First();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Raw->Rows("SELECT Year, TiTle FROM \"Agendix.DB\""),
              std::vector<std::string>{"<null>|" + Hangul25});
}

TEST_F(ScheduleTest, DataLinksFollowOpenCloseMovesAndEdits) {
    for (const char* T : {"09", "10"}) Raw->Insert({"2002", "3", "7", T, "0", "2", T, ""});
    struct Link : TDataLink {
        std::vector<std::string> Log;
        void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
        void DataSetChanged() override { Log.push_back("changed"); }
        void DataSetScrolled(int D) override { Log.push_back("scrolled " + std::to_string(D)); }
        void EditingChanged() override { Log.push_back(Editing() ? "editing" : "browsing"); }
        void RecordChanged(TField* F) override { Log.push_back("record " + F->FieldName()); }
    };
    TDataSource Source(nullptr);
    Link L;
    L.SetDataSource(&Source);
    Source.SetDataSet(Table.get());
    EXPECT_TRUE(L.Log.empty());
    Table->Open();
    Table->Next();
    Table->Next();  // at the end: no move
    Table->First();
    Table->Edit();
    Table->FieldByName("Title")->SetAsString("x");
    Table->Post();
    Table->Close();
    EXPECT_EQ(L.Log, (std::vector<std::string>{"active", "scrolled 1", "scrolled -1", "editing",
                                               "record TiTle", "browsing", "changed", "inactive"}));
    // A data set that goes away leaves its sources empty.
    Table.reset();
    EXPECT_EQ(Source.DataSet(), nullptr);
    EXPECT_FALSE(L.Active());
}

TEST_F(ScheduleTest, AFileThatIsNotADatabaseIsReportedWithItsPath) {
    Table.reset();
    Raw.reset();
    std::string Path = DatabaseFileName("BROKEN");
    std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
    WriteFile(Path, std::string(4096, 'x'));
    std::filesystem::create_directories(DatabaseFileName("FOLDER"));  // a folder where the file should be
    for (const char* Name : {"BROKEN", "FOLDER"}) {
        TTable T(nullptr);
        T.SetDatabaseName(Name);
        T.SetTableName("Agendix.DB");
        AddScheduleDefs(T);
        try {
            T.Open();
            ADD_FAILURE() << Name << " opened";
        } catch (const EDatabaseError& E) {
            EXPECT_NE(E.Message().find(DatabaseFileName(Name)), std::string::npos) << E.Message();
        }
        EXPECT_FALSE(T.Active());
    }
    // The program goes on: once the file is sound again, the same data set opens.
    std::filesystem::remove(Path);
    TTable T(nullptr);
    T.SetDatabaseName("BROKEN");
    T.SetTableName("Agendix.DB");
    AddScheduleDefs(T);
    T.Open();
    EXPECT_TRUE(T.Active());
}

TEST(DatabaseFileName, FollowsTheDataFolderAndSanitizesTheName) {
    PrivateDataHome Home;
    EXPECT_EQ(DatabaseFileName("BCDEMOS"), Home.Path() + "/agendix/BCDEMOS.sqlite");
    EXPECT_EQ(DatabaseFileName("../a b/c"), Home.Path() + "/agendix/.._a_b_c.sqlite");
    EXPECT_EQ(DatabaseFileName(".."), Home.Path() + "/agendix/_...sqlite");
}

}  // namespace
