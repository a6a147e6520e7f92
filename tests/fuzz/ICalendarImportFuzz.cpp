// libFuzzer target: any bytes given to the iCalendar import either fail with EICalendarError or
// give entries that fit the schedule table, and a dry run over a real store plans them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "icalendar/EntryStore.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/Files.h"
#include "store/Schedule.h"

using namespace ICalendar;

namespace {
bool Fits(const TEntry& E) {
    int Time = StrToIntDef(E.Time, -1), Start = StrToIntDef(E.StartTime, -1),
        End = StrToIntDef(E.EndTime, -1);
    return Time >= 6 && Time <= 21 && E.Time.size() == 2 && Start >= -1 && Start <= 31 && End >= -1 &&
           End <= 31 && IsCp949Representable(E.TiTle) && Cp949Length(E.TiTle) <= Schedule::TitleWidth &&
           Schedule::IsOneLine(E.TiTle) && IsCp949Representable(E.Memo) &&
           Schedule::IsPlainMemoName(E.MemoFile) && E.MemoFile.size() <= 14;
}

TEntryStore& Store() {
    static TEntryStore* S = [] {
        static std::string Dir = "/tmp/agendix-fuzz-XXXXXX";
        if (!mkdtemp(Dir.data())) std::abort();
        setenv("XDG_DATA_HOME", Dir.c_str(), 1);
        setenv("TZ", "Asia/Seoul", 1);
        Drives::EnsureDriveC();
        return new TEntryStore;
    }();
    return *S;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TEntryStore& S = Store();
    TDayRange Range;
    Range.HasFrom = Range.HasTo = true;
    Range.From = {2024, 1, 1};
    Range.To = {2025, 12, 31};
    std::string Text(reinterpret_cast<const char*>(Data), Size);
    try {
        TParsedCalendar P = ParseCalendar(Text, Range, "Asia/Seoul");
        for (auto& E : P.Events)
            if (!Fits(E.Entry)) __builtin_trap();
        TImportReport R = S.Apply(P, true);
        // The import that parses on a thread of its own while it reads the store plans the same.
        if (ImportJson(S.Import(Text, Range, true)) != ImportJson(R)) __builtin_trap();
    } catch (const EICalendarError&) {
    }
    return 0;
}
