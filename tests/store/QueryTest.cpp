#include "platform/classes/FormIO.h"
#include "tests/store/ScheduleFixture.h"

namespace {

// A data module as the schedule keeps it: the day-filtered table, the month summary and its source.
class TTestModule : public TComponent {
    AGENDIX_CLASS(TTestModule)
    explicit TTestModule(TComponent* AOwner) : TComponent(AOwner) {}
    ~TTestModule() override { UnregisterRootComponent(this); }
    TTable* Table1 = nullptr;
    TQuery* Query1 = nullptr;
    TDataSource* DataSource1 = nullptr;
    std::string CurrYear, CurrMonth, CurrDay;
    std::vector<int> CountsSeenByCalc;

    void Table1FilterRecord(TDataSet* DataSet, bool& Accept) {
        Accept = DataSet->FieldByName("Year")->AsString() == CurrYear &&
                 DataSet->FieldByName("Month")->AsString() == CurrMonth &&
                 DataSet->FieldByName("Day")->AsString() == CurrDay;
    }
    void Query1CalcFields(TDataSet* DataSet) {
        CountsSeenByCalc.push_back(Query1->RecordCount());
        if (Query1->RecordCount() == 0) return;
        Query1->FieldByName("Msg")->SetAsString("총 " + Query1->FieldByName("DayCnt")->AsString() +
                                                " 건의 일정이 있습니다.");
    }
};

const TClassInfo& TTestModule::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TTestModule>("TTestModule", &TComponent::StaticClassInfo())
                                       .Field("Table1", &TTestModule::Table1)
                                       .Field("Query1", &TTestModule::Query1)
                                       .Field("DataSource1", &TTestModule::DataSource1)
                                       .Method("Table1FilterRecord", &TTestModule::Table1FilterRecord)
                                       .Method("Query1CalcFields", &TTestModule::Query1CalcFields)
                                       .Build();
    return Info;
}

const char* const MonthSql[] = {
    "SELECT Agendix.\"Year\" , Agendix.\"Month\" , ",
    " Agendix.\"Day\" , count( Agendix.\"Day\" ) as DayCnt",
    "FROM \"Agendix.DB\" Agendix",
    "WHERE ( ( Agendix.\"Year\" = :CurYear ) AND",
    "  ( Agendix.\"Month\" = :CurMonth ) )",
    "GROUP BY",
    " Agendix.\"Day\" , Agendix.\"Year\" , Agendix.\"Month\"",
    "ORDER BY",
    " Agendix.\"Year\" , Agendix.\"Month\" , Agendix.\"Day\"",
};

const char* const ModuleText = R"(object DataModule3: TTestModule
  object Table1: TTable
    Active = True
    DatabaseName = 'BCDEMOS'
    Filtered = True
    TableName = 'Agendix.DB'
    OnFilterRecord = Table1FilterRecord
    FieldDefs = <
      item
        Name = 'Year'
        DataType = ftString
        Size = 4
      end
      item
        Name = 'Month'
        DataType = ftString
        Size = 2
      end
      item
        Name = 'Day'
        DataType = ftString
        Size = 2
      end
      item
        Name = 'Time'
        DataType = ftString
        Size = 2
      end
      item
        Name = 'StartTime'
        DataType = ftString
        Size = 2
      end
      item
        Name = 'EndTime'
        DataType = ftString
        Size = 2
      end
      item
        Name = 'TiTle'
        DataType = ftString
        Size = 50
      end
      item
        Name = 'MemoFile'
        DataType = ftString
        Size = 14
      end>
  end
  object Query1: TQuery
    Active = True
    DatabaseName = 'BCDEMOS'
    SQL = (
      'SELECT Agendix."Year" , Agendix."Month" , '
      ' Agendix."Day" , count( Agendix."Day" ) as DayCnt'
      'FROM "Agendix.DB" Agendix'
      'WHERE ( ( Agendix."Year" = :CurYear ) AND'
      '  ( Agendix."Month" = :CurMonth ) )'
      'GROUP BY'
      ' Agendix."Day" , Agendix."Year" , Agendix."Month"'
      'ORDER BY'
      ' Agendix."Year" , Agendix."Month" , Agendix."Day"')
    Params = <
      item
        Name = 'CurYear'
        DataType = ftString
        ParamType = ptUnknown
      end
      item
        Name = 'CurMonth'
        DataType = ftString
        ParamType = ptUnknown
      end>
    OnCalcFields = Query1CalcFields
    object Query1Year: TStringField
      FieldName = 'Year'
      Alignment = taCenter
      ReadOnly = True
      Size = 4
    end
    object Query1Month: TStringField
      FieldName = 'Month'
      Alignment = taCenter
      ReadOnly = True
      Size = 2
    end
    object Query1Day: TStringField
      FieldName = 'Day'
      Alignment = taCenter
      ReadOnly = True
      Size = 2
    end
    object Query1DayCnt: TIntegerField
      FieldName = 'DayCnt'
      ReadOnly = True
      Visible = False
    end
    object Query1Msg: TStringField
      FieldKind = fkCalculated
      FieldName = 'Msg'
      ReadOnly = True
      Size = 30
      Calculated = True
    end
  end
  object DataSource1: TDataSource
    DataSet = Query1
  end
end
)";

class MonthQueryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterStoreClasses();
        Module = std::make_unique<TTestModule>(nullptr);
        ReadComponentRes(Module.get(), ModuleText);
        Raw = std::make_unique<RawDb>(DatabaseFileName("BCDEMOS"));
    }
    void Summary(const char* Year, const char* Month) {
        TQuery* Q = Module->Query1;
        Q->Close();
        Q->ParamByName("CurYear")->SetAsString(Year);
        Q->ParamByName("CurMonth")->SetAsString(Month);
        Q->Open();
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> Out;
        TQuery* Q = Module->Query1;
        for (Q->First(); !Q->Eof(); Q->Next())
            Out.push_back(Q->FieldByName("Year")->AsString() + "/" + Q->FieldByName("Month")->AsString() +
                          "/" + Q->FieldByName("Day")->AsString() + " " + Q->FieldByName("Msg")->AsString());
        return Out;
    }
    PrivateDataHome Home;
    std::unique_ptr<TTestModule> Module;
    std::unique_ptr<RawDb> Raw;
};

TEST_F(MonthQueryTest, TheDescriptionDeclaresAndOpensBothDataSets) {
    TQuery* Q = Module->Query1;
    ASSERT_NE(Q, nullptr);
    EXPECT_TRUE(Module->Table1->Active());
    EXPECT_TRUE(Module->Table1->Filtered());
    EXPECT_TRUE(Q->Active());
    EXPECT_EQ(Module->DataSource1->DataSet(), Q);
    // Opened before any parameter holds a value: no rows, no message computed.
    EXPECT_EQ(Q->RecordCount(), 0);
    EXPECT_TRUE(Module->CountsSeenByCalc.empty());

    ASSERT_EQ(Q->SQL()->Count(), 9);
    for (int I = 0; I < 9; ++I) EXPECT_EQ((*Q->SQL())[I], MonthSql[I]);
    ASSERT_EQ(Q->ParamCount(), 2);
    EXPECT_EQ(Q->Params()->Items(0)->Name(), "CurYear");
    EXPECT_EQ(Q->Params()->Items(1)->DataType(), ftString);
    EXPECT_EQ(Q->Params()->Items(1)->ParamType(), ptUnknown);
    EXPECT_EQ(Q->ParamByName("curmonth"), Q->Params()->Items(1));
    EXPECT_THROW(Q->ParamByName("CurDay"), EDatabaseError);

    ASSERT_EQ(Q->FieldCount(), 5);
    TField* Year = Q->FieldByName("Year");
    EXPECT_EQ(Year->Alignment(), taCenter);
    EXPECT_TRUE(Year->ReadOnly());
    EXPECT_EQ(Year->Size(), 4);
    EXPECT_EQ(Year->Owner(), Module.get());
    EXPECT_EQ(Q->FieldByName("DayCnt")->DataType(), ftInteger);
    EXPECT_FALSE(Q->FieldByName("DayCnt")->Visible());
    EXPECT_TRUE(Q->FieldByName("Msg")->Calculated());
    EXPECT_EQ(Q->FieldByName("Msg")->FieldKind(), fkCalculated);

    // Written back, a field stores what differs from its defaults, the kind once.
    AnsiString Msg = WriteProperties(Q->FieldByName("Msg"), 0);
    EXPECT_EQ(Msg, "FieldKind = fkCalculated\nFieldName = 'Msg'\nReadOnly = True\nSize = 30\n");
    AnsiString Query = WriteProperties(Q, 0);
    EXPECT_NE(Query.find("Active = True\nDatabaseName = 'BCDEMOS'\nSQL = ("), std::string::npos) << Query;
    EXPECT_NE(Query.find("Name = 'CurMonth'"), std::string::npos) << Query;
    EXPECT_NE(Query.find("OnCalcFields = Query1CalcFields"), std::string::npos) << Query;
}

TEST_F(MonthQueryTest, GroupsTheDaysOfOneMonthInTextOrder) {
    for (const char* Day : {"1", "1", "1", "10", "2", "2", "31", "9"})
        Raw->Insert({"2002", "3", Day, "09", "0", "2", "t", ""});
    Raw->Insert({"2002", "4", "1", "09", "0", "2", "other month", ""});
    Raw->Insert({"2003", "3", "1", "09", "0", "2", "other year", ""});
    Raw->Insert({"2002", "03", "5", "09", "0", "2", "leading zero", ""});

    Summary("2002", "3");
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "2002/3/1 총 3 건의 일정이 있습니다.", "2002/3/10 총 1 건의 일정이 있습니다.",
                          "2002/3/2 총 2 건의 일정이 있습니다.", "2002/3/31 총 1 건의 일정이 있습니다.",
                          "2002/3/9 총 1 건의 일정이 있습니다."}));
    EXPECT_EQ(Module->Query1->FieldByName("DayCnt")->AsInteger(), 1);
    // The handler saw rows at every call, once per fetched row.
    EXPECT_EQ(Module->CountsSeenByCalc.size(), 5u);
    for (int N : Module->CountsSeenByCalc) EXPECT_GT(N, 0);

    Summary("2002", "03");
    EXPECT_EQ(Rows(), std::vector<std::string>{"2002/03/5 총 1 건의 일정이 있습니다."});
    Summary("2002", "5");
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(Module->Query1->Eof());
    Summary("2002", "4");
    EXPECT_EQ(Rows().size(), 1u);

    // Parameters without values again: no rows.
    Module->Query1->Close();
    Module->Query1->ParamByName("CurYear")->Clear();
    Module->Query1->Open();
    EXPECT_EQ(Module->Query1->RecordCount(), 0);
}

TEST_F(MonthQueryTest, TheDayFilteredTableAndTheReadOnlySummary) {
    Raw->Insert({"2002", "3", "7", "09", "0", "2", "a", ""});
    Raw->Insert({"2002", "3", "8", "09", "0", "2", "b", ""});
    TTable* T = Module->Table1;
    T->Close();
    T->Open();
    EXPECT_EQ(T->RecordCount(), 0);  // the date strings are still empty
    Module->CurrYear = "2002";
    Module->CurrMonth = "3";
    Module->CurrDay = "8";
    T->Close();
    T->Open();
    ASSERT_EQ(T->RecordCount(), 1);
    EXPECT_EQ(T->FieldByName("Title")->AsString(), "b");

    Summary("2002", "3");
    TQuery* Q = Module->Query1;
    EXPECT_THROW(Q->Edit(), EDatabaseError);
    EXPECT_THROW(Q->Insert(), EDatabaseError);
    EXPECT_THROW(Q->Delete(), EDatabaseError);
    EXPECT_EQ(Q->State(), dsBrowse);
}

TEST_F(MonthQueryTest, CalculatedFieldsAloneTakeWritesDuringCalculation) {
    Raw->Insert({"2002", "3", "7", "09", "0", "2", "a", ""});
    TQuery* Q = Module->Query1;
    Q->OnCalcFields = [](TDataSet* Ds) { Ds->FieldByName("Day")->SetAsString("8"); };
    EXPECT_THROW(Summary("2002", "3"), EDatabaseError);
    EXPECT_FALSE(Q->Active());
    Q->OnCalcFields = nullptr;
    Summary("2002", "3");
    EXPECT_EQ(Q->FieldByName("Msg")->AsString(), "");
    EXPECT_TRUE(Q->FieldByName("Msg")->IsNull());
}

TEST(QueryParams, FollowTheTextAndKeepTheirValues) {
    PrivateDataHome Home;
    TQuery Q(nullptr);
    Q.SetDatabaseName("BCDEMOS");
    Q.SQL()->Add("SELECT :A AS a, ':B' AS quoted -- :D");
    EXPECT_EQ(Q.ParamCount(), 1);
    Q.ParamByName("a")->SetAsString("1");
    Q.SQL()->Add(", :Other AS o, :a AS again");
    ASSERT_EQ(Q.ParamCount(), 2);
    EXPECT_EQ(Q.ParamByName("A")->AsString(), "1");
    Q.SQL()->SetText("SELECT :A AS a, :Other AS o, :a AS again");
    Q.ParamByName("Other")->SetAsInteger(7);
    Q.Open();
    ASSERT_EQ(Q.FieldCount(), 3);
    EXPECT_EQ(Q.FieldByName("a")->AsString(), "1");
    EXPECT_EQ(Q.FieldByName("o")->AsInteger(), 7);
    EXPECT_EQ(Q.FieldByName("o")->DataType(), ftInteger);
    EXPECT_EQ(Q.FieldByName("again")->AsString(), "1");
    // Changing the text closes the query.
    Q.SQL()->SetText("SELECT 1 AS one");
    EXPECT_FALSE(Q.Active());
    EXPECT_EQ(Q.ParamCount(), 0);
}

}  // namespace
