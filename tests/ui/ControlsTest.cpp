#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TestDriver.h"

namespace {

// A control that records the messages and keys it receives.
class TRecorder : public TCustomControl {
  public:
    TRecorder(TComponent* Owner, std::string Name, std::vector<std::string>& Log, int64_t DlgCode = 0)
        : TCustomControl(Owner), FName(std::move(Name)), FLog(Log), FDlgCode(DlgCode) {
        SetTabStop(true);
    }
    void Dispatch(TMessage& M) override {
        switch (M.Msg) {
            case WM_SIZE: {
                TWMSize S = AsSize(M);
                FLog.push_back(FName + ":SIZE " + std::to_string(S.Width) + "x" + std::to_string(S.Height));
                return;  // consumed, as the calendar does
            }
            case WM_SETFOCUS:
                FLog.push_back(FName + ":SETFOCUS");
                break;
            case WM_KILLFOCUS:
                FLog.push_back(FName + ":KILLFOCUS");
                break;
            case WM_GETDLGCODE:
                FLog.push_back(FName + ":GETDLGCODE");
                M.Result = FDlgCode;
                return;
            default:
                break;
        }
        TCustomControl::Dispatch(M);
    }
    void KeyDown(uint16_t& Key, TShiftState Shift) override {
        FLog.push_back(FName + ":KEY " + std::to_string(Key));
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(char& Key) override { FLog.push_back(FName + ":CHAR " + std::string(1, Key)); }

  private:
    std::string FName;
    std::vector<std::string>& FLog;
    int64_t FDlgCode;
};

std::vector<std::string> Only(const std::vector<std::string>& Log, const std::string& Part) {
    std::vector<std::string> R;
    for (auto& L : Log)
        if (L.find(Part) != std::string::npos) R.push_back(L);
    return R;
}

}  // namespace

TEST(Controls, ResizeReachesWMSizeThroughDispatch) {
    std::vector<std::string> Log;
    auto Form = std::make_unique<TForm>(nullptr);
    Form->SetBorderStyle(bsSizeable);
    auto* R = new TRecorder(Form.get(), "R", Log);
    R->SetParent(Form.get());
    R->SetBounds(0, 0, 50, 40);
    EXPECT_EQ(Only(Log, "SIZE"), (std::vector<std::string>{"R:SIZE 50x40"}));
    R->SetBounds(5, 5, 50, 40);  // a move alone is no size change
    R->SetAlign(alClient);
    Form->Show();
    // The window system resizes the window: the aligned child hears its new client size.
    Log.clear();
    TestDriver::ResizeWindow(Form.get(), 300, 200);
    TestDriver::ProcessEvents();
    EXPECT_EQ(Form->ClientWidth(), 300);
    EXPECT_EQ(Form->ClientHeight(), 200);
    EXPECT_EQ(Only(Log, "SIZE"), (std::vector<std::string>{"R:SIZE 300x200"}));
    EXPECT_EQ(R->BoundsRect(), Rect(0, 0, 300, 200));
    EXPECT_EQ(R->Surface()->Width(), 300);
}

TEST(Controls, FocusMessagesArriveInOrder) {
    std::vector<std::string> Log;
    auto Form = std::make_unique<TForm>(nullptr);
    auto* A = new TRecorder(Form.get(), "A", Log);
    auto* B = new TRecorder(Form.get(), "B", Log);
    A->SetParent(Form.get());
    B->SetParent(Form.get());
    A->SetBounds(0, 0, 20, 20);
    B->SetBounds(30, 0, 20, 20);
    int Enters = 0;
    B->OnEnter = [&](TObject*) { ++Enters; };
    Form->Show();
    TestDriver::ActivateWindow(Form.get());
    A->SetFocus();
    B->SetFocus();
    A->SetFocus();
    EXPECT_EQ(Only(Log, "FOCUS"), (std::vector<std::string>{"A:SETFOCUS", "A:KILLFOCUS", "B:SETFOCUS",
                                                            "B:KILLFOCUS", "A:SETFOCUS"}));
    EXPECT_TRUE(A->Focused());
    EXPECT_FALSE(B->Focused());
    EXPECT_EQ(Enters, 1);
}

TEST(Controls, KeysAskWMGetDlgCode) {
    std::vector<std::string> Log;
    auto Form = std::make_unique<TForm>(nullptr);
    auto* Arrows = new TRecorder(Form.get(), "Arrows", Log, DLGC_WANTARROWS);
    auto* Plain = new TRecorder(Form.get(), "Plain", Log, 0);
    Arrows->SetParent(Form.get());
    Plain->SetParent(Form.get());
    Form->Show();
    TestDriver::ActivateWindow(Form.get());
    struct Row {
        TRecorder* C;
        uint16_t Key;
        std::vector<std::string> Expected;
    } Rows[] = {
        {Arrows, VK_LEFT, {"Arrows:GETDLGCODE", "Arrows:KEY 37"}},
        {Arrows, 'A', {"Arrows:GETDLGCODE", "Arrows:KEY 65", "Arrows:CHAR a"}},
        {Plain, VK_DOWN, {"Plain:GETDLGCODE"}},  // not wanted: never reaches KeyDown
        {Plain, VK_HOME, {"Plain:GETDLGCODE", "Plain:KEY 36"}},
    };
    for (auto& R : Rows) {
        R.C->SetFocus();
        Log.clear();
        TestDriver::PressKey(R.C, R.Key);
        std::vector<std::string> Got;
        for (auto& L : Log)
            if (L.find("FOCUS") == std::string::npos && L.find("SIZE") == std::string::npos) Got.push_back(L);
        // Releases ask again; only the press is of interest here.
        Got.resize(std::min(Got.size(), R.Expected.size()));
        EXPECT_EQ(Got, R.Expected) << "key " << R.Key;
    }
}

TEST(Controls, InvalidateSchedulesOnePaintRepaintPaintsNow) {
    struct TCounter : TCustomControl {
        using TCustomControl::TCustomControl;
        int Paints = 0;
        void Paint() override {
            ++Paints;
            Canvas()->Brush()->SetColor(clRed);
            Canvas()->FillRect(ClientRect());
        }
    };
    auto Form = std::make_unique<TForm>(nullptr);
    auto* C = new TCounter(Form.get());
    C->SetParent(Form.get());
    C->SetBounds(0, 0, 10, 10);
    C->Repaint();
    EXPECT_EQ(C->Paints, 1);
    EXPECT_EQ(C->Surface()->Pixel(5, 5), clRed);
    Form->Show();
    TestDriver::ProcessEvents();
    int Before = C->Paints;
    for (int I = 0; I < 5; ++I) C->Invalidate();
    TestDriver::ProcessEvents();
    EXPECT_EQ(C->Paints, Before + 1);
}

TEST(Controls, AlignAndAnchorsFollowTheParent) {
    auto Form = std::make_unique<TForm>(nullptr);
    Form->SetClientWidth(400);
    Form->SetClientHeight(300);
    auto* Left = new TPanel(Form.get());
    Left->SetParent(Form.get());
    Left->SetWidth(100);
    Left->SetAlign(alLeft);
    auto* Rest = new TPanel(Form.get());
    Rest->SetParent(Form.get());
    Rest->SetAlign(alClient);
    auto* Corner = new TButton(Form.get());
    Corner->SetParent(Rest);
    Corner->SetBounds(200, 250, 75, 25);
    Corner->SetAnchors(akRight | akBottom);
    EXPECT_EQ(Left->BoundsRect(), Rect(0, 0, 100, 300));
    EXPECT_EQ(Rest->BoundsRect(), Rect(100, 0, 400, 300));
    Form->SetClientWidth(500);
    Form->SetClientHeight(320);
    EXPECT_EQ(Left->BoundsRect(), Rect(0, 0, 100, 320));
    EXPECT_EQ(Rest->BoundsRect(), Rect(100, 0, 500, 320));
    EXPECT_EQ(Corner->BoundsRect(), Rect(300, 270, 375, 295));
}

TEST(Controls, FontAndColourFollowTheParentUntilSet) {
    auto Form = std::make_unique<TForm>(nullptr);
    auto* P = new TPanel(Form.get());
    P->SetParent(Form.get());
    auto* L = new TLabel(Form.get());
    L->SetParent(P);
    Form->Font()->SetHeight(-15);
    EXPECT_EQ(L->Font()->Height(), -15);
    EXPECT_EQ(L->Color(), clBtnFace);
    L->Font()->SetName("굴림체");
    EXPECT_FALSE(L->ParentFont());
    Form->Font()->SetHeight(-20);
    EXPECT_EQ(L->Font()->Height(), -15);
    P->SetColor(clWhite);
    EXPECT_EQ(L->Color(), clWhite);
    L->SetColor(clWhite);  // choosing a colour, even the one it has, ends the following
    EXPECT_FALSE(L->ParentColor());
    // Text controls start with the window colour of their own, whatever the parent's.
    P->SetColor(clBtnFace);
    auto* M = new TMemo(Form.get());
    M->SetParent(P);
    auto* E = new TEdit(Form.get());
    E->SetParent(P);
    EXPECT_EQ(M->Color(), clWindow);
    EXPECT_EQ(E->Color(), clWindow);
}

TEST(Controls, GraphicControlShowsWhatLiesUnderWhereItDoesNotPaint) {
    // A label with a bottom-line bevel laid over its lower half, as the rows of the timetable have.
    auto Form = std::make_unique<TForm>(nullptr);
    Form->SetClientWidth(120);
    Form->SetClientHeight(60);
    auto* L = new TLabel(Form.get());
    L->SetParent(Form.get());
    L->SetBounds(10, 10, 80, 20);
    L->SetAutoSize(false);
    L->SetColor(clYellow);
    auto* B = new TBevel(Form.get());
    B->SetParent(Form.get());
    B->SetBounds(0, 20, 100, 12);
    B->SetShape(bsBottomLine);
    Form->Show();
    TestDriver::ProcessEvents();
    B->Repaint();
    EXPECT_FALSE(B->PaintsOpaque());
    const uint32_t* Bits = B->Surface()->Bits();
    EXPECT_EQ(Bits[2 * 100 + 50] >> 24, 0u) << "untouched bevel pixels are transparent";
    EXPECT_EQ(Bits[11 * 100 + 50] >> 24, 0xFFu) << "its line is drawn";
    EXPECT_EQ(TestDriver::ShownPixel(Form.get(), 50, 25), clYellow) << "the label shows through the bevel";
}
