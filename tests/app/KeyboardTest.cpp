#include <QTest>

#include "tests/app/AppFixture.h"

TEST_F(AppTest, TheTimetableOpensAnHourFromTheKeyboardAndMarksIt) {
    Start(2003, 3, 5);
    TPanel* Table = Form1->Panel1;
    Table->SetFocus();
    TestDriver::ProcessEvents();
    ASSERT_TRUE(Table->Focused());
    // A dotted mark around the current row only, on the panel; the rows themselves draw as before.
    auto Marked = [&](int K) {
        int Inked = 0;
        for (int X = 45; X < 181; ++X)
            Inked += Table->Surface()->Pixel(X, 38 + 24 * K) != ColorToRGB(clBtnFace);
        return Inked;
    };
    for (int I = 0; I < 8; ++I) TestDriver::PressKey(Table, VK_DOWN);
    TestDriver::PressKey(Table, VK_UP);
    TestDriver::PressKey(Table, VK_DOWN);
    TestDriver::ProcessEvents();
    EXPECT_EQ(Table->KeyRow(), 8);
    EXPECT_GT(Marked(8), 30);
    EXPECT_EQ(Marked(0), 0);
    EXPECT_EQ(Marked(7), 0);

    for (uint16_t Key : {VK_RETURN, VK_SPACE}) {
        TestDriver::TModalActions Modal({[&](TForm*) {
            EXPECT_EQ(Form1->Str_CurrTime, "14");
            EXPECT_EQ(Form2->Cbo_Start->ItemIndex(), 16);
            Form2->Edt_Title->SetText(Key == VK_RETURN ? "Smoke meeting" : "Smoke meeting 2");
            TestDriver::Click(Form2->Btn_Confirm);
        }});
        Table->SetFocus();
        TestDriver::PressKey(Table, Key);
        TestDriver::ProcessEvents();
        EXPECT_EQ(Modal.Ran(), 1);
    }
    EXPECT_EQ(Form1->Lbl_14->Caption(), "Smoke meeting 2");
    EXPECT_EQ(Rows().size(), 1u);
    Table->SetKeyRow(99);
    EXPECT_EQ(Table->KeyRow(), 15);
}

TEST_F(AppTest, TheSpinnerStepsByKeysAndWheel) {
    Start(2003, 3, 5);
    Form1->UpDown1->SetFocus();
    TestDriver::ProcessEvents();
    ASSERT_TRUE(Form1->UpDown1->Focused());
    struct Step {
        uint16_t Key;
        const char* Month;
    };
    for (Step S : std::vector<Step>{{VK_PRIOR, "2003 년 4 월"},
                                    {VK_UP, "2003 년 5 월"},
                                    {VK_NEXT, "2003 년 4 월"},
                                    {VK_DOWN, "2003 년 3 월"}}) {
        TestDriver::PressKey(Form1->UpDown1, S.Key);
        EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), S.Month);
    }
    // Half notches add up to one step; a whole notch back is one step back.
    Form1->UpDown1->DoMouseWheel(0, 60);
    EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), "2003 년 3 월");
    Form1->UpDown1->DoMouseWheel(0, 60);
    EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), "2003 년 4 월");
    Form1->UpDown1->DoMouseWheel(0, -240);
    EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), "2003 년 2 월");
}

TEST_F(AppTest, TheSpinnerRepeatsWhileAnArrowIsHeld) {
    Start(2003, 3, 5);
    TUpDown* Spin = Form1->UpDown1;
    Spin->MouseDown(mbLeft, 0, 8, 4);  // the upper arrow: next month, at once
    EXPECT_EQ(Form1->Pan_CurrMonth->Caption(), "2003 년 4 월");
    QTest::qWait(1000);
    Spin->MouseUp(mbLeft, 0, 8, 4);
    int Month = Form1->Cal_CurrMonth->GetDateElement(2);
    EXPECT_GE(Month, 6);  // a pause, then a step every 80 ms
    QTest::qWait(300);
    EXPECT_EQ(Form1->Cal_CurrMonth->GetDateElement(2), Month);  // released: no more steps
}
