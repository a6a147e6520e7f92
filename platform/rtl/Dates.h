#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "platform/rtl/Strings.h"

// Days since 30 December 1899; the integer part is the date.
using TDateTime = double;

TDateTime Date();
TDateTime Now();
TDateTime EncodeDate(uint16_t Year, uint16_t Month, uint16_t Day);  // EConvertError when invalid
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
void DecodeDate(TDateTime Value, uint16_t& Year, uint16_t& Month, uint16_t& Day);
int DayOfWeek(TDateTime Value);  // 1 = Sunday ... 7 = Saturday
bool IsLeapYear(int Year);
int MonthDays(int Year, int Month);

// The locale's abbreviated day names, Sunday first. Filled from LC_TIME at start-up; writable.
extern std::array<AnsiString, 7> ShortDayNames;
void LoadLocaleDayNames();

// Tests pin the clock behind Date(); an empty function restores the system clock.
void SetDateClock(std::function<TDateTime()> Clock);
