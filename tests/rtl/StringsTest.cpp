#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/Cp949.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

TEST(Strings, StrToIntTakesOnlyDecimalIntegers) {
    EXPECT_EQ(StrToInt("9"), 9);
    EXPECT_EQ(StrToInt("06"), 6);
    EXPECT_EQ(StrToInt("-1"), -1);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* Bad : {"", " 5", "5 ", "5a", "-", "+", "0x10", "2147483648", "99999999999999999999", "１"}) {
        try {
            StrToInt(Bad);
            ADD_FAILURE() << "accepted '" << Bad << "'";
        } catch (const EConvertError& E) {
            EXPECT_NE(E.Message().find(std::string("'") + Bad + "'"), std::string::npos) << E.Message();
        }
    }
}

TEST(Strings, CaseAndSearch) {
    EXPECT_EQ(UpperCase("TiTle 제목"), "TITLE 제목");
    EXPECT_EQ(AnsiLowerCase("ÄBC Dir"), "äbc dir");
    EXPECT_EQ(AnsiCompareText("Title", "TiTle"), 0);
    EXPECT_LT(AnsiCompareText("a", "B"), 0);
    EXPECT_EQ(AnsiPos("\\", "ab\\cd"), 3);
    EXPECT_EQ(AnsiPos("x", "abc"), 0);
    EXPECT_EQ(Format("%s %d 건", "총", 3), "총 3 건");
    EXPECT_EQ(Format("Value must be between %d and %d", -2147483647, 99), "Value must be between -2147483647 and 99");
}

// Only letters match regardless of case: '@' and '`', '[' and '{' differ by the same bit.
TEST(Strings, SameText) {
    struct Case {
        const char *A, *B;
        bool Same;
    };
    for (const Case& C : std::vector<Case>{{"TiTle", "Title", true},
                                           {"OnFilterRecord", "onfilterrecord", true},
                                           {"", "", true},
                                           {"a@", "A`", false},
                                           {"[x]", "{X}", false},
                                           {"Title", "Titles", false},
                                           {"ÄBC", "äbc", true},
                                           {"Ä", "A", false}})
        EXPECT_EQ(SameText(C.A, C.B), C.Same) << C.A << " / " << C.B;
}

TEST(Cp949, WidthsInBytes) {
    EXPECT_EQ(Cp949Length("총 "), 3);
    EXPECT_EQ(Cp949Length(" 건의 일정이 있습니다."), 22);
    EXPECT_EQ(Cp949Length("2002"), 4);
    EXPECT_EQ(Utf8ToCp949("가"), "\xB0\xA1");
    EXPECT_EQ(Cp949ToUtf8("\xB0\xA1\r\n"), "가\r\n");
}

TEST(Cp949, RefusesWhatItCannotHoldAndNamesTheCharacter) {
    for (const char* Text : {"일정 😀", "🎉", "\xFF"}) {
        EXPECT_FALSE(IsCp949Representable(Text));
        EXPECT_THROW(Cp949Length(Text), EConvertError);
    }
    try {
        Utf8ToCp949("일정 😀");
        FAIL();
    } catch (const EConvertError& E) {
        EXPECT_NE(E.Message().find("😀"), std::string::npos) << E.Message();
    }
    EXPECT_THROW(Cp949ToUtf8("\xB0"), EConvertError);
}
