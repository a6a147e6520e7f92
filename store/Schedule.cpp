#include "store/Schedule.h"

#include "store/Database.h"

namespace Schedule {

AnsiString MemoFileName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                        const AnsiString& Time) {
    AnsiString Y = Year.size() < 4 ? AnsiString(4 - Year.size(), '0') + Year : Year;
    AnsiString D = Month.size() == 2 && Day.size() == 1 ? "0" + Day : Day;
    return Y + Month + D + Time + ".txt";
}

bool IsPlainMemoName(const AnsiString& Name) {
    if (Name.empty() || Name == "." || Name == "..") return false;
    for (unsigned char C : Name)
        if (C < 0x20 || C == 0x7F || C == '\\' || C == '/' || C == ':') return false;
    return true;
}

bool IsOneLine(const AnsiString& Text) {
    for (unsigned char C : Text)
        if (C < 0x20 || C == 0x7F) return false;
    return true;
}

AnsiString HalfHourText(int Index) {
    if (Index < 0 || Index > 31) return AnsiString();
    return Format("%02d:%s", 6 + Index / 2, Index % 2 ? "30" : "00");
}

bool SlotTaken(TTable& Table, const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
               const AnsiString& Time) {
    auto Db = ConnectionOf(Table);
    TStatement S(*Db,
                 "SELECT 1 FROM " + QuoteIdent(Table.TableName()) +
                     " WHERE \"Year\" = ?1 AND \"Month\" = ?2 AND \"Day\" = ?3 AND \"Time\" = ?4 LIMIT 1");
    S.BindText(1, Year);
    S.BindText(2, Month);
    S.BindText(3, Day);
    S.BindText(4, Time);
    return S.Step();
}

}  // namespace Schedule
