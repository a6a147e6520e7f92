#include "controls/Ccalendr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <tuple>
#include <vector>

#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace {

using TYmd = std::tuple<int, int, int>;

TYmd Ymd(const TCCalendar& C) {
    return {C.Year(), C.Month(), C.Day()};
}

AnsiString CurrentText(const TCCalendar& C) {
    return C.GetCellText(C.Col(), C.Row());
}

// Today is pinned to 14 November 2002 for every test, and the day names are fixed English ones.
class CalendarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SavedNames = ShortDayNames;
        ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        SetDateClock([] { return EncodeDate(2002, 11, 14) + 0.75; });
    }
    void TearDown() override {
        SetDateClock({});
        ShortDayNames = SavedNames;
    }
    // A calendar that remembers the date each of its notifications reported.
    std::unique_ptr<TCCalendar> NewCalendar() {
        auto C = std::make_unique<TCCalendar>(nullptr);
        C->OnChange = [this](TObject* Sender) { Notified.push_back(Ymd(*static_cast<TCCalendar*>(Sender))); };
        return C;
    }
    std::unique_ptr<TCCalendar> CalendarOn(TYmd At) {
        auto C = NewCalendar();
        C->SeTCCalendarDate(EncodeDate(std::get<0>(At), std::get<1>(At), std::get<2>(At)));
        Notified.clear();
        return C;
    }
    // Where the text of day D stands, or (-1, -1).
    static std::pair<int, int> CellOf(const TCCalendar& C, int D) {
        for (int R = 1; R < 7; ++R)
            for (int Col = 0; Col < 7; ++Col)
                if (C.GetCellText(Col, R) == IntToStr(D)) return {Col, R};
        return {-1, -1};
    }
    std::array<AnsiString, 7> SavedNames;
    std::vector<TYmd> Notified;
};

TEST_F(CalendarTest, NewCalendarShowsTodayAndWhatNotifies) {
    auto C = NewCalendar();
    EXPECT_EQ(C->CalendarDate(), EncodeDate(2002, 11, 14));  // the time of day is dropped
    EXPECT_TRUE(C->UseCurrentDate());
    // The held day stays highlighted with the focus, and no range of days can be selected.
    EXPECT_EQ(C->Options() & (goRangeSelect | goDrawFocusSelected), TGridOptions(goDrawFocusSelected));
    // Monday first: 1 November 2002 is a Friday, so day 14 is Thursday of the third week.
    EXPECT_EQ(std::pair(C->Col(), C->Row()), std::pair(3, 3));
    EXPECT_TRUE(Notified.empty());
    C->SeTCCalendarDate(C->CalendarDate());  // the present date too
    C->SeTCCalendarDate(EncodeDate(2003, 4, 10));
    C->NextMonth();
    EXPECT_EQ(Notified.size(), 3u);    // every date set reports itself
    EXPECT_TRUE(C->UseCurrentDate());  // whole dates and month steps leave the flag
    // Neither the week's start, a redraw nor the flag notifies; turning it off keeps the date.
    C->SetStartOfWeek(7);
    C->UpdateCalendar();
    C->SetUseCurrentDate(false);
    EXPECT_EQ(Ymd(*C), TYmd(2003, 5, 10));
    C->SetUseCurrentDate(true);
    EXPECT_EQ(Ymd(*C), TYmd(2002, 11, 14));
    EXPECT_EQ(CurrentText(*C), "14");
    EXPECT_EQ(Notified.size(), 3u);
    // An element write clears the flag; a month step does not bring it back.
    C->SetDay(3);
    C->NextMonth();
    EXPECT_FALSE(C->UseCurrentDate());
}

TEST_F(CalendarTest, MonthStepsClampTheDayAndCarryTheYear) {
    struct {
        TYmd From;
        int Delta;
        TYmd To;
    } Rows[] = {
        {{2003, 1, 31}, 1, {2003, 2, 28}},   {{2004, 1, 31}, 1, {2004, 2, 29}},
        {{2003, 3, 31}, -1, {2003, 2, 28}},  {{2003, 5, 31}, 1, {2003, 6, 30}},
        {{2003, 4, 30}, 1, {2003, 5, 30}},   {{2002, 12, 15}, 1, {2003, 1, 15}},
        {{2003, 1, 15}, -1, {2002, 12, 15}}, {{2003, 7, 31}, -1, {2003, 6, 30}},
        {{2003, 5, 10}, 0, {2003, 5, 10}},   {{2003, 5, 10}, 28, {2003, 6, 10}},
        {{2003, 5, 10}, -28, {2003, 4, 10}}, {{1900, 1, 31}, 1, {1900, 2, 28}},
        {{2000, 1, 31}, 1, {2000, 2, 29}},
    };
    for (auto& R : Rows) {
        SCOPED_TRACE(testing::PrintToString(R.From) + " by " + std::to_string(R.Delta));
        auto C = CalendarOn(R.From);
        C->ChangeMonth(R.Delta);
        EXPECT_EQ(Ymd(*C), R.To);
        EXPECT_EQ(Notified.size(), 1u);
        EXPECT_EQ(CurrentText(*C), IntToStr(std::get<2>(R.To)));
    }
    // The wanted day is not remembered across moves.
    auto C = CalendarOn({2003, 1, 31});
    C->NextMonth();
    C->PrevMonth();
    EXPECT_EQ(Ymd(*C), TYmd(2003, 1, 28));
}

TEST_F(CalendarTest, YearStepsFrom29FebruaryNotifyTwiceAndStepsStopAtTheSupportedYears) {
    // The day goes to the 28th first, then the year moves; each step reports itself.
    auto C = CalendarOn({2004, 2, 29});
    C->NextYear();
    EXPECT_EQ(Notified, (std::vector<TYmd>{{2004, 2, 28}, {2005, 2, 28}}));
    C = CalendarOn({2004, 2, 29});
    C->PrevYear();
    EXPECT_EQ(Notified, (std::vector<TYmd>{{2004, 2, 28}, {2003, 2, 28}}));
    C = CalendarOn({2003, 2, 28});
    C->NextYear();
    EXPECT_EQ(Notified, (std::vector<TYmd>{{2004, 2, 28}}));

    // Past 9999 the steps raise, before year 1 they are ignored; the date stays either way.
    C = CalendarOn({9999, 12, 15});
    EXPECT_THROW(C->NextMonth(), EConvertError);
    EXPECT_THROW(C->NextYear(), EConvertError);
    EXPECT_EQ(Ymd(*C), TYmd(9999, 12, 15));
    C = CalendarOn({1, 1, 15});
    EXPECT_THROW(C->PrevMonth(), EConvertError);
    C->PrevYear();
    EXPECT_EQ(Ymd(*C), TYmd(1, 1, 15));
    // So is a whole date the calendar cannot show; it keeps its date and works on.
    for (double Bad : {EncodeDate(9999, 12, 31) + 1, EncodeDate(1, 1, 1) - 1, 1e300, -1e300,
                       std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(C->SeTCCalendarDate(Bad), EConvertError) << Bad;
        EXPECT_EQ(Ymd(*C), TYmd(1, 1, 15));
    }
    EXPECT_TRUE(Notified.empty());
    C->NextMonth();
    EXPECT_EQ(CurrentText(*C), "15");
}

TEST_F(CalendarTest, ElementWritesIgnoredRefusedOrNotifiedOnce) {
    // On 10 April 2003. Out-of-range values, the present values and bad indexes change nothing.
    struct {
        int Index, Value;
        TYmd To;
    } Rows[] = {
        {3, 31, {2003, 4, 10}}, {2, 13, {2003, 4, 10}},   {1, 0, {2003, 4, 10}},    {4, 5, {2003, 4, 10}},
        {3, 10, {2003, 4, 10}}, {2, 4, {2003, 4, 10}},    {1, 2003, {2003, 4, 10}}, {3, -1, {2003, 4, 10}},
        {0, 1, {2003, 4, 10}},  {1, 1999, {1999, 4, 10}}, {2, 12, {2003, 12, 10}},  {3, 30, {2003, 4, 30}},
        {3, 1, {2003, 4, 1}},
    };
    for (auto& R : Rows) {
        SCOPED_TRACE(testing::Message() << R.Index << " := " << R.Value);
        auto C = CalendarOn({2003, 4, 10});
        C->SetDateElement(R.Index, R.Value);
        bool Changed = R.To != TYmd(2003, 4, 10);
        EXPECT_EQ(Ymd(*C), R.To);
        EXPECT_EQ(Notified.size(), Changed ? 1u : 0u);
        EXPECT_EQ(C->UseCurrentDate(), !Changed);
        EXPECT_EQ(CurrentText(*C), IntToStr(std::get<2>(R.To)));
    }

    // Refusals: a month shorter than the day, 29 February into a common year, years past 9999
    // (also those that would wrap around in 16 bits).
    struct {
        TYmd From;
        int Index, Value;
    } Refused[] = {
        {{2003, 1, 31}, 2, 2},
        {{2004, 2, 29}, 1, 2003},
        {{2003, 1, 31}, 1, 10000},
        {{2003, 1, 31}, 1, 65536 + 2003},
    };
    for (auto& R : Refused) {
        SCOPED_TRACE(testing::Message() << "refused " << R.Index << " := " << R.Value);
        auto C = CalendarOn(R.From);
        EXPECT_THROW(C->SetDateElement(R.Index, R.Value), EConvertError);
        EXPECT_EQ(Ymd(*C), R.From);
        EXPECT_TRUE(C->UseCurrentDate());
        EXPECT_EQ(CurrentText(*C), IntToStr(std::get<2>(R.From)));
        EXPECT_TRUE(Notified.empty());
    }
}

TEST_F(CalendarTest, CellMappingForEveryFirstWeekdayAndStartOfWeek) {
    auto C = NewCalendar();
    std::set<int> FirstWeekdays;
    for (int StartOfWeek = 1; StartOfWeek <= 7; ++StartOfWeek) {
        C->SetStartOfWeek(static_cast<int16_t>(StartOfWeek));
        for (int Col = 0; Col < 7; ++Col)
            EXPECT_EQ(C->GetCellText(Col, 0), ShortDayNames[(StartOfWeek + Col) % 7]) << StartOfWeek;
        for (int M = 1; M <= 12; ++M) {
            SCOPED_TRACE(testing::Message() << "2003-" << M << " week from " << StartOfWeek);
            C->SeTCCalendarDate(EncodeDate(2003, M, 1));
            int First = DayOfWeek(C->CalendarDate());
            FirstWeekdays.insert(First);
            // Day 1 lies in the first week row, in the column whose header is its weekday.
            int Col1 = ((First - 1 - StartOfWeek) % 7 + 7) % 7;
            EXPECT_EQ(C->MonthOffset(), 1 - Col1);
            int Days = C->DaysThisMonth();
            EXPECT_EQ(Days, MonthDays(2003, M));
            for (int D = 1; D <= Days; ++D) {
                auto [Col, Row] = CellOf(*C, D);
                EXPECT_EQ((StartOfWeek + Col) % 7, DayOfWeek(EncodeDate(2003, M, D)) - 1) << D;
                EXPECT_EQ(Row, (Col1 + D - 1) / 7 + 1) << D;
            }
            int Filled = 0;
            for (int Row = 1; Row < 7; ++Row)
                for (int Col = 0; Col < 7; ++Col) Filled += !C->GetCellText(Col, Row).empty();
            EXPECT_EQ(Filled, Days);  // every other cell is blank
        }
    }
    EXPECT_EQ(FirstWeekdays.size(), 7u);

    // December 2003 begins on a Monday. Cells past the grid have no text, though the sums would give one.
    ASSERT_EQ(C->MonthOffset(), 0);
    for (auto [Col, Row] : {std::pair{7, 0}, std::pair{-9, 0}, std::pair{7, 1}, std::pair{-1, 2}})
        EXPECT_EQ(C->GetCellText(Col, Row), "") << Col << "," << Row;
    // A week start outside 1..7 means Monday.
    for (int Bad : {0, 8, -3}) {
        C->SetStartOfWeek(7);
        C->SetStartOfWeek(static_cast<int16_t>(Bad));
        EXPECT_EQ(C->StartOfWeek(), 1) << Bad;
        EXPECT_EQ(C->MonthOffset(), 1) << Bad;
    }
}

// A calendar on a window, laid out with 22 x 15 cells.
class CalendarControlTest : public CalendarTest {
  protected:
    void SetUp() override {
        CalendarTest::SetUp();
        Cal = NewCalendar();
        Cal->SetBounds(0, 0, 164, 115);
        Cal->Perform(WM_SIZE, 0, SizeMessage(160, 111).LParam);
        Cal->HandleNeeded();
        Notified.clear();
    }
    void ClickCell(int Col, int Row) {
        TRect R = Cal->CellRect(Col, Row);
        int X = (R.Left + R.Right) / 2, Y = (R.Top + R.Bottom) / 2;
        Cal->MouseDown(mbLeft, ssLeft, X, Y);
        Cal->MouseUp(mbLeft, 0, X, Y);
    }
    void Key(uint16_t K) { Cal->KeyDown(K, 0); }
    std::unique_ptr<TCCalendar> Cal;
};

// Seven columns and rows share the client area less six lines; a line width however large is held to
// what a window can show, so the cells' arithmetic stays in range.
TEST_F(CalendarControlTest, CellSizeFromTheClientAreaAndTheLineWidth) {
    EXPECT_EQ(Cal->DefaultColWidth(), 22);
    EXPECT_EQ(Cal->DefaultRowHeight(), 15);
    for (int Width : {2, INT32_MAX, 40000, -5}) {
        Cal->SetGridLineWidth(Width);
        EXPECT_EQ(Cal->GridLineWidth(), std::clamp(Width, 0, TCustomGrid::kMaxGridLineWidth));
        Cal->Perform(WM_SIZE, 0, SizeMessage(160, 111).LParam);
        EXPECT_EQ(Cal->DefaultColWidth(), (160 - 6 * Cal->GridLineWidth()) / 7);
        Cal->Repaint();
    }
    // A real resize reaches the calendar as the same message.
    Cal->SetGridLineWidth(2);
    Cal->SetBounds(0, 0, 300, 200);
    EXPECT_EQ(Cal->DefaultColWidth(), (Cal->ClientWidth() - 12) / 7);
    EXPECT_EQ(Cal->DefaultRowHeight(), (Cal->ClientHeight() - 12) / 7);
}

TEST_F(CalendarControlTest, PickingByMouseAndArrowKeys) {
    auto [Col18, Row18] = CellOf(*Cal, 18);
    ClickCell(Col18, Row18);
    EXPECT_EQ(Ymd(*Cal), TYmd(2002, 11, 18));
    EXPECT_FALSE(Cal->UseCurrentDate());
    ClickCell(Col18, Row18);  // the held day again: nothing to report
    // Blank cells before day 1 and after the 30th, and the header row, are refused.
    for (auto [Col, Row] :
         {std::pair{0, 1}, std::pair{3, 1}, std::pair{6, 5}, std::pair{0, 6}, std::pair{2, 0}}) {
        ClickCell(Col, Row);
        EXPECT_EQ(std::pair(Cal->Col(), Cal->Row()), std::pair(Col18, Row18)) << Col << "," << Row;
    }
    EXPECT_EQ(Notified.size(), 1u);

    struct {
        uint16_t Key;
        int Day;
    } Steps[] = {{VK_RIGHT, 19}, {VK_UP, 12}, {VK_LEFT, 11}, {VK_DOWN, 18}};
    for (auto& S : Steps) {
        Key(S.Key);
        EXPECT_EQ(Ymd(*Cal), TYmd(2002, 11, S.Day)) << S.Key;
    }
    EXPECT_EQ(Notified.size(), 5u);
    // From day 1 (Friday, column 4) the blank Thursday cell and the header are refused.
    Cal->SetDay(1);
    Key(VK_LEFT);
    Key(VK_UP);
    EXPECT_EQ(Ymd(*Cal), TYmd(2002, 11, 1));
    EXPECT_EQ(std::pair(Cal->Col(), Cal->Row()), std::pair(4, 1));
    EXPECT_EQ(Notified.size(), 6u);
}

TEST_F(CalendarControlTest, ReadOnlyRefusesTheUserButFollowsTheDate) {
    Cal->SetReadOnly(true);
    auto Cell = std::pair(Cal->Col(), Cal->Row());
    ClickCell(0, 2);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    EXPECT_EQ(Ymd(*Cal), TYmd(2002, 11, 14));
    EXPECT_EQ(std::pair(Cal->Col(), Cal->Row()), Cell);
    EXPECT_TRUE(Notified.empty());
    Cal->NextMonth();  // December 2002 begins on a Sunday
    EXPECT_EQ(CurrentText(*Cal), "14");
    Cal->SetDay(31);
    EXPECT_EQ(std::pair(Cal->Col(), Cal->Row()), std::pair(1, 6));
}

TEST_F(CalendarControlTest, DrawsEachTextCentredAndClippedAndTheCurrentCellSelected) {
    // Sunday first, in Korean, with one blank name and one far too wide.
    ShortDayNames = {"일", "", "화요일 화요일 화요일", "수", "목", "금", "토"};
    Cal->SetStartOfWeek(7);
    Cal->Font()->SetName("굴림체");
    Cal->Font()->SetHeight(-12);
    Cal->Repaint();
    const TBitmap* S = Cal->Surface();
    EXPECT_TRUE(S->SavePng(ArtifactPath("calendar.png")));
    const TColor Window = ColorToRGB(Cal->Color()), Fixed = ColorToRGB(Cal->FixedColor()),
                 Highlight = ColorToRGB(clHighlight), HighlightText = ColorToRGB(clHighlightText),
                 WindowText = ColorToRGB(clWindowText);
    int Blank = 0;
    for (int Row = 0; Row < 7; ++Row)
        for (int Col = 0; Col < 7; ++Col) {
            SCOPED_TRACE(testing::Message() << "cell " << Col << "," << Row);
            TRect R = Cal->CellRect(Col, Row);
            bool Current = Col == Cal->Col() && Row == Cal->Row();
            TColor Back = Row == 0 ? Fixed : Current ? Highlight : Window;
            EXPECT_EQ(S->Pixel(R.Left, R.Top), Back);
            AnsiString Text = Cal->GetCellText(Col, Row);
            TRect Ink = InkBox(*S, R, Back);
            if (Text.empty()) {
                EXPECT_GE(Ink.Left, Ink.Right);  // only the background shows: nothing spilled in
                ++Blank;
                continue;
            }
            // The ink's middle lies within a pixel or two of the cell's; the wide name is cut at both edges.
            ASSERT_LT(Ink.Left, Ink.Right);
            EXPECT_LE(std::abs((Ink.Left + Ink.Right) - (R.Left + R.Right)), 3);
            EXPECT_LE(std::abs((Ink.Top + Ink.Bottom) - (R.Top + R.Bottom)), 3);
            EXPECT_TRUE(Text != ShortDayNames[2] || (Ink.Left <= R.Left + 1 && Ink.Right >= R.Right - 1));
            // Glyphs are smoothed: their strongest pixel leans to the text colour of the cell's state.
            TColor Strongest = Back;
            for (int Yy = Ink.Top; Yy < Ink.Bottom; ++Yy)
                for (int Xx = Ink.Left; Xx < Ink.Right; ++Xx)
                    if (ColorDistance(S->Pixel(Xx, Yy), Back) > ColorDistance(Strongest, Back))
                        Strongest = S->Pixel(Xx, Yy);
            TColor Ink1 = Current ? HighlightText : WindowText, Ink2 = Current ? WindowText : HighlightText;
            EXPECT_LT(ColorDistance(Strongest, Ink1),
                      std::min(ColorDistance(Strongest, Ink2), ColorDistance(Strongest, Back)));
        }
    EXPECT_EQ(Blank, 42 - 30 + 1);
}


}  // namespace
