#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Strings.h"

struct sqlite3;

// For tests that check how the engine answers: while a hook is set, it receives the SQL text of
// every statement the store starts and the engine's plan for it, the detail lines of EXPLAIN
// QUERY PLAN ("SEARCH Agendix.DB USING INDEX ...", "SCAN Agendix.DB"). Without a hook nothing is
// asked.
using TQueryPlanHook = std::function<void(const AnsiString& Sql, const std::vector<AnsiString>& Plan)>;
void SetQueryPlanHook(TQueryPlanHook Hook);

namespace QueryPlan {
// Inside store/: a statement of Db is about to start.
void Starting(sqlite3* Db, const std::string& Sql);
}  // namespace QueryPlan
