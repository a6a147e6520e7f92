#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TestDriver.h"
#include "tests/support/Support.h"

namespace {

std::vector<AnsiString> HalfHours() {
    std::vector<AnsiString> L;
    for (int H = 6; H <= 21; ++H)
        for (const char* M : {":00", ":30"}) L.push_back((H < 10 ? "0" : "") + std::to_string(H) + M);
    return L;
}

struct FormFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    template <class T>
    T* Add(int L, int T_, int W, int H) {
        auto* C = new T(Form.get());
        C->SetParent(Form.get());
        C->SetBounds(L, T_, W, H);
        return C;
    }
};

}  // namespace

TEST_F(FormFixture, ComboBoxIndexOutsideTheItemsReadsBackMinusOne) {
    auto* Combo = Add<TComboBox>(10, 10, 97, 20);
    for (auto& S : HalfHours()) Combo->Items()->Add(S);
    Combo->SetText("Cbo_Start");
    Form->Show();
    struct Row {
        int Set, Index;
        const char* Text;
    } Rows[] = {{16, 16, "14:00"}, {-1, -1, ""},    {31, 31, "21:30"},
                {32, -1, ""},      {9, 9, "10:30"}, {-5, -1, ""}};
    for (auto& R : Rows) {
        Combo->SetItemIndex(R.Set);
        EXPECT_EQ(Combo->ItemIndex(), R.Index) << R.Set;
        EXPECT_EQ(Combo->Text(), R.Text) << R.Set;
    }
    Combo->SetItemIndex(31);
    Combo->Items()->Delete(31);
    EXPECT_EQ(Combo->ItemIndex(), -1);
}

TEST_F(FormFixture, UpDownStopsAtItsLimitsWithoutWrap) {
    auto* Spin = Add<TUpDown>(0, 0, 16, 24);
    std::vector<TUDBtnType> Clicks;
    Spin->OnClick = [&](TObject*, TUDBtnType B) { Clicks.push_back(B); };
    Form->Show();
    struct Row {
        int Start;
        bool Up;
        int End;
        size_t Events;
    } Rows[] = {
        {0, false, 0, 0}, {0, true, 1, 1}, {100, true, 100, 0}, {100, false, 99, 1}, {3, false, 2, 1}};
    for (auto& R : Rows) {
        Spin->SetPosition(R.Start);
        Clicks.clear();
        TestDriver::ClickAt(Spin, 8, R.Up ? 3 : 20);
        EXPECT_EQ(Spin->Position(), R.End) << R.Start << (R.Up ? " up" : " down");
        ASSERT_EQ(Clicks.size(), R.Events);
        if (R.Events) {
            EXPECT_EQ(Clicks[0], R.Up ? btNext : btPrev);
        }
    }
    Spin->SetWrap(true);
    Spin->SetPosition(100);
    Spin->Click(btNext);
    EXPECT_EQ(Spin->Position(), 0);
    Spin->SetPosition(500);
    EXPECT_EQ(Spin->Position(), 100);
}

TEST_F(FormFixture, LongLabelCaptionIsCutAtTheRightEdge) {
    auto* L = Add<TLabel>(0, 0, 60, 12);
    L->SetAutoSize(false);
    L->Font()->SetHeight(-12);
    L->Font()->SetName("굴림체");
    L->SetColor(clWhite);
    L->SetCaption("아주 긴 일정 제목이 라벨의 오른쪽 끝에서 잘립니다");
    L->Repaint();
    TBitmap* S = L->Surface();
    ASSERT_EQ(S->Width(), 60);
    ASSERT_EQ(S->Height(), 12);
    EXPECT_EQ(L->Width(), 60);
    // Ink reaches the last columns: the text runs on past the edge instead of wrapping.
    bool InkNearEdge = false;
    for (int X = 50; X < 60; ++X)
        for (int Y = 0; Y < 12; ++Y) InkNearEdge |= S->Pixel(X, Y) != clWhite;
    EXPECT_TRUE(InkNearEdge);
    // An automatically sized label grows to its caption instead.
    auto* Auto = Add<TLabel>(0, 20, 10, 10);
    Auto->SetCaption("14:00");
    EXPECT_EQ(Auto->Width(), Auto->Canvas()->TextWidth("14:00"));
}

TEST_F(FormFixture, ComposedSyllableIsInTheTextTheButtonHandlerReads) {
    auto* Edit = Add<TEdit>(10, 10, 200, 20);
    auto* Memo = Add<TMemo>(10, 40, 200, 80);
    auto* Button = Add<TButton>(10, 130, 75, 25);
    AnsiString SeenEdit, SeenMemo;
    Button->OnClick = [&](TObject*) {
        SeenEdit = Edit->Text();
        SeenMemo = Memo->Lines()->Text();
    };
    Form->Show();
    TestDriver::ActivateWindow(Form.get());
    struct Row {
        TWinControl* Target;
        const char* Committed;
        const char* Composing;
    } Rows[] = {{Edit, "대", "한"}, {Memo, "일", "정"}};
    for (auto& R : Rows) {
        R.Target->SetFocus();
        TestDriver::TypeText(R.Target, R.Committed);
        TestDriver::Compose(R.Target, R.Composing);
    }
    // The edit's syllable is committed when the focus leaves it, the memo's by the button press.
    TestDriver::Click(Button);
    EXPECT_EQ(SeenEdit, "대한");
    EXPECT_EQ(SeenMemo.substr(0, SeenMemo.find_last_not_of("\r\n") + 1), "일정");
    // Reading the text commits too.
    Edit->SetFocus();
    TestDriver::Compose(Edit, "국");
    EXPECT_EQ(Edit->Text(), "대한국");
}

TEST_F(FormFixture, EditHasNoLengthLimitAndMemoLinesFollowTheWidget) {
    auto* Edit = Add<TEdit>(10, 10, 200, 20);
    auto* Memo = Add<TMemo>(10, 40, 200, 80);
    Form->Show();
    Edit->SetText(AnsiString(40000, 'x'));
    EXPECT_EQ(Edit->Text().size(), 40000u);
    Memo->Lines()->Add("첫째");
    Memo->SetFocus();
    TestDriver::TypeText(Memo, "!");
    ASSERT_EQ(Memo->Lines()->Count(), 1);  // what is typed reaches the lines
    EXPECT_NE(Memo->Lines()->Strings(0).find('!'), AnsiString::npos);
}
