#include <regex>

#include "store/QueryPlan.h"
#include "tests/app/AppFixture.h"

namespace {

// The statements the program starts from start-up to a spinner step, a save of a new and of a
// changed entry and a delete, each with the engine's plan. None may read the schedule table from
// end to end: what the program asks stays as quick at a million entries as at ten.
TEST_F(AppTest, NoStatementReadsTheWholeSchedule) {
    Start(2003, 3, 5);  // the first start creates the table
    StoreRow({"2003", "3", "5", "09", "6", "8", "회의", ""});
    StoreRow({"2003", "4", "5", "10", "8", "10", "다음 달", ""});
    TearDown();

    std::vector<std::pair<std::string, std::vector<std::string>>> Runs;
    SetQueryPlanHook([&](const AnsiString& Sql, const std::vector<AnsiString>& Plan) {
        Runs.push_back({Sql, Plan});
    });
    Start(2003, 3, 5);
    Form1->UpDown1->Click(btNext);
    TestDriver::ProcessEvents();
    CreateEntry(Form1->Lbl_14, "새 일정");
    CreateEntry(Form1->Lbl_14, "고친 일정");
    OpenRow(Form1->Lbl_14, [](TForm2* D) {
        TestDriver::TMessageBoxAnswers Boxes({IDYES});
        TestDriver::Click(D->Btn_Delete);
    });
    SetQueryPlanHook({});
    EXPECT_EQ(Captions()[8], FreeSlotText) << "the entry was saved and deleted";

    const std::regex FullScan(R"(^SCAN Agendix(\.DB)?\b)");
    std::map<std::string, int> Seen;
    for (auto& [Sql, Plan] : Runs) {
        for (auto& Line : Plan) EXPECT_FALSE(std::regex_search(Line, FullScan)) << Line << "\n  for: " << Sql;
        for (const char* Kind : {"SELECT", "INSERT", "UPDATE", "DELETE", "GROUP BY"})
            if (Sql.find(Kind) != std::string::npos && Sql.find("Agendix") != std::string::npos) ++Seen[Kind];
    }
    for (const char* Kind : {"SELECT", "INSERT", "UPDATE", "DELETE", "GROUP BY"})
        EXPECT_GT(Seen[Kind], 0) << "no " << Kind << " on the schedule was seen";
}

}  // namespace
