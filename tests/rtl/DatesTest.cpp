#include <gtest/gtest.h>

#include "platform/rtl/Dates.h"
#include "platform/rtl/Exceptions.h"

TEST(Dates, KnownDatesAndWeekdays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2002, 12, 1), 37591);
    struct Row {
        int Y, M, D, Weekday;
    };
    // 1 = Sunday ... 7 = Saturday
    for (Row R : {Row{1899, 12, 30, 7}, Row{2002, 12, 1, 1}, Row{2003, 3, 1, 7}, Row{2003, 3, 5, 4},
                  Row{2000, 2, 29, 3}, Row{1, 1, 1, 2}, Row{9999, 12, 31, 6}})
        EXPECT_EQ(DayOfWeek(EncodeDate(R.Y, R.M, R.D)), R.Weekday) << R.Y << "-" << R.M << "-" << R.D;
}

TEST(Dates, EncodeRefusesWhatDoesNotExist) {
    for (auto [Y, M, D] : {std::tuple{0, 1, 1},
                           {10000, 1, 1},
                           {2003, 0, 1},
                           {2003, 13, 1},
                           {2003, 2, 29},
                           {1900, 2, 29},
                           {2003, 4, 31},
                           {2003, 1, 0},
                           {2003, 1, 32}})
        EXPECT_THROW(EncodeDate(Y, M, D), EConvertError) << Y << "-" << M << "-" << D;
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
    EXPECT_NO_THROW(EncodeDate(2004, 2, 29));
}

TEST(Dates, MonthLengthsAndLeapYears) {
    const int Lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int M = 1; M <= 12; ++M) EXPECT_EQ(MonthDays(2003, M), Lengths[M - 1]);
    EXPECT_EQ(MonthDays(2004, 2), 29);
    EXPECT_EQ(MonthDays(2000, 2), 29);
    EXPECT_EQ(MonthDays(1900, 2), 28);
}

TEST(Dates, DecodeInvertsEncodeOverTheWholeRange) {
    TDateTime Expected = EncodeDate(1, 1, 1);
    for (int Y = 1; Y <= 9999; ++Y)
        for (int M = 1; M <= 12; ++M)
            for (int D = 1; D <= MonthDays(Y, M); ++D) {
                TDateTime V = EncodeDate(Y, M, D);
                ASSERT_EQ(V, Expected) << Y << "-" << M << "-" << D;
                uint16_t Y2, M2, D2;
                // Before 1899 the time of day counts away from zero.
                DecodeDate(V >= 0 ? V + 0.75 : V - 0.75, Y2, M2, D2);
                ASSERT_EQ(std::tie(Y2, M2, D2), std::tuple(Y, M, D));
                Expected += 1;
            }
    uint16_t Y, M, D;
    EXPECT_THROW(DecodeDate(EncodeDate(9999, 12, 31) + 1, Y, M, D), EConvertError);
    EXPECT_THROW(DecodeDate(1e300, Y, M, D), EConvertError);
}
