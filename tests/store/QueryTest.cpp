#include "tests/store/ScheduleFixture.h"

namespace {

// A grouping query with persistent fields and a calculated message, the way the month summary
// declares them; the summary's own text is checked with the data module that holds it.
class QueryTest : public ScheduleTest {
  protected:
    void SetUp() override {
        ScheduleTest::SetUp();
        Q.SetDatabaseName("BCDEMOS");
        Q.SQL()->SetText(
            "SELECT Year, Month, Day, count(Day) AS DayCnt FROM \"Agendix.DB\" WHERE Year = :CurYear AND "
            "Month = :CurMonth GROUP BY Day, Year, Month ORDER BY Year, Month, Day");
        for (const char* Name : {"Year", "Month", "Day"}) Field<TStringField>(Name, fkData);
        Field<TIntegerField>("DayCnt", fkData);
        Field<TStringField>("Msg", fkCalculated)->SetSize(30);
        Q.OnCalcFields = [this](TDataSet* Ds) {
            CountsSeenByCalc.push_back(Ds->RecordCount());
            Ds->FieldByName("Msg")->SetAsString("n=" + Ds->FieldByName("DayCnt")->AsString());
        };
    }
    template <class F>
    F* Field(const char* Name, TFieldKind Kind) {
        auto* Fd = new F(&Q);
        Fd->SetFieldName(Name);
        Fd->SetFieldKind(Kind);
        Fd->SetDataSet(&Q);
        return Fd;
    }
    void Summary(const char* Year, const char* Month) {
        Q.Close();
        Q.ParamByName("CurYear")->SetAsString(Year);
        Q.ParamByName("CurMonth")->SetAsString(Month);
        Q.Open();
    }
    TQuery Q{nullptr};
    std::vector<int> CountsSeenByCalc;
};

TEST_F(QueryTest, GroupsCountsAndCalculatesEachFetchedRow) {
    for (const char* Day : {"1", "1", "10", "2"}) Raw->Insert({"2002", "3", Day, "09", "0", "2", "t", ""});
    Raw->Insert({"2002", "4", "1", "09", "0", "2", "other month", ""});
    Q.Open();  // before any parameter holds a value
    EXPECT_EQ(Q.RecordCount(), 0);
    EXPECT_TRUE(CountsSeenByCalc.empty());
    Summary("2002", "3");
    EXPECT_EQ(Column(Q, "Day"), (std::vector<std::string>{"1", "10", "2"}));
    EXPECT_EQ(Column(Q, "Msg"), (std::vector<std::string>{"n=2", "n=1", "n=1"}));
    EXPECT_EQ(Q.FieldByName("DayCnt")->DataType(), ftInteger);
    // The handler saw the rows at every call.
    ASSERT_FALSE(CountsSeenByCalc.empty());
    for (int N : CountsSeenByCalc) EXPECT_GT(N, 0);
    Summary("2002", "5");
    EXPECT_TRUE(Q.Eof());
    // A query's rows are read-only; only calculated fields take writes, and only while calculating.
    Summary("2002", "3");
    EXPECT_THROW(Q.Edit(), EDatabaseError);
    EXPECT_THROW(Q.Delete(), EDatabaseError);
    EXPECT_THROW(Q.FieldByName("Msg")->SetAsString("x"), EDatabaseError);
    Q.OnCalcFields = [](TDataSet* Ds) { Ds->FieldByName("Day")->SetAsString("8"); };
    EXPECT_THROW(Summary("2002", "3"), EDatabaseError);
    EXPECT_FALSE(Q.Active());
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
    EXPECT_THROW(Q.ParamByName("CurDay"), EDatabaseError);
    Q.SQL()->SetText("SELECT :A AS a, :Other AS o, :a AS again");
    Q.ParamByName("Other")->SetAsInteger(7);
    Q.Open();
    ASSERT_EQ(Q.FieldCount(), 3);
    EXPECT_EQ(Q.FieldByName("a")->AsString(), "1");
    EXPECT_EQ(Q.FieldByName("o")->AsInteger(), 7);
    EXPECT_EQ(Q.FieldByName("again")->AsString(), "1");
    // Changing the text closes the query.
    Q.SQL()->SetText("SELECT 1 AS one");
    EXPECT_FALSE(Q.Active());
    EXPECT_EQ(Q.ParamCount(), 0);
}

}  // namespace
