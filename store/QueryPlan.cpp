#include "store/QueryPlan.h"

#include <sqlite3.h>

namespace {
TQueryPlanHook& Hook() {
    static TQueryPlanHook H;
    return H;
}
}  // namespace

void SetQueryPlanHook(TQueryPlanHook H) {
    Hook() = std::move(H);
}

void QueryPlan::Starting(sqlite3* Db, const std::string& Sql) {
    if (!Hook()) return;
    std::vector<AnsiString> Plan;
    sqlite3_stmt* S = nullptr;
    if (sqlite3_prepare_v2(Db, ("EXPLAIN QUERY PLAN " + Sql).c_str(), -1, &S, nullptr) == SQLITE_OK && S)
        while (sqlite3_step(S) == SQLITE_ROW)
            if (const unsigned char* Detail = sqlite3_column_text(S, 3))
                Plan.emplace_back(reinterpret_cast<const char*>(Detail));
    sqlite3_finalize(S);
    Hook()(Sql, Plan);
}
