#include "platform/rtl/Dates.h"

#include <cmath>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

#include "platform/rtl/Exceptions.h"

namespace {
constexpr int64_t DateDelta = 693594;  // 30 December 1899 counted with 1 January 0001 as day 1
constexpr int MonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
std::function<TDateTime()>& Clock() {
    static std::function<TDateTime()> C;
    return C;
}

TDateTime SystemNow() {
    std::time_t T = std::time(nullptr);
    std::tm Tm{};
    localtime_r(&T, &Tm);
    TDateTime D = 0;
    TryEncodeDate(Tm.tm_year + 1900, Tm.tm_mon + 1, Tm.tm_mday, D);
    return D + (Tm.tm_hour * 3600 + Tm.tm_min * 60 + Tm.tm_sec) / 86400.0;
}
}  // namespace

std::array<AnsiString, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int MonthDays(int Year, int Month) { return MonthLengths[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0); }

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > MonthDays(Year, Month)) return false;
    int64_t Days = Day;
    for (int M = 1; M < Month; ++M) Days += MonthDays(Year, M);
    int64_t Y = Year - 1;
    Days += Y * 365 + Y / 4 - Y / 100 + Y / 400;
    Result = static_cast<TDateTime>(Days - DateDelta);
    return true;
}

TDateTime EncodeDate(uint16_t Year, uint16_t Month, uint16_t Day) {
    TDateTime R;
    if (!TryEncodeDate(Year, Month, Day, R))
        throw EConvertError(Format("Invalid argument to date encode: %u-%u-%u", Year, Month, Day));
    return R;
}

void DecodeDate(TDateTime Value, uint16_t& Year, uint16_t& Month, uint16_t& Day) {
    double T = std::trunc(Value);
    if (!(T >= 1 - DateDelta && T <= 2958465)) throw EConvertError("date value out of range");
    // Days counted from 1 January 0001, zero-based.
    int64_t D = static_cast<int64_t>(T) + DateDelta - 1;
    int64_t Y400 = D / 146097;
    D %= 146097;
    int64_t Y100 = D / 36524;
    if (Y100 == 4) Y100 = 3;
    D -= Y100 * 36524;
    int64_t Y4 = D / 1461;
    D %= 1461;
    int64_t Y1 = D / 365;
    if (Y1 == 4) Y1 = 3;
    D -= Y1 * 365;
    int Y = static_cast<int>(Y400 * 400 + Y100 * 100 + Y4 * 4 + Y1 + 1);
    int M = 1;
    while (D >= MonthDays(Y, M)) D -= MonthDays(Y, M++);
    Year = static_cast<uint16_t>(Y);
    Month = static_cast<uint16_t>(M);
    Day = static_cast<uint16_t>(D + 1);
}

int DayOfWeek(TDateTime Value) {
    int64_t D = static_cast<int64_t>(std::trunc(Value)) + DateDelta;
    int R = static_cast<int>(D % 7);
    if (R < 0) R += 7;
    return R + 1;
}

TDateTime Now() { return Clock() ? Clock()() : SystemNow(); }

TDateTime Date() { return std::trunc(Now()); }

void SetDateClock(std::function<TDateTime()> C) { Clock() = std::move(C); }

void LoadLocaleDayNames() {
    locale_t Loc = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (!Loc) return;
    static const nl_item Items[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    for (int I = 0; I < 7; ++I)
        if (const char* S = nl_langinfo_l(Items[I], Loc); S && *S) ShortDayNames[I] = S;
    freelocale(Loc);
}
