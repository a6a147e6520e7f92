#include <gtest/gtest.h>

#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TestDriver.h"

namespace {

// A dialog like the entry dialog: an edit, a confirm button that saves, a cancel button.
class TDialog : public TForm {
  public:
    explicit TDialog(TComponent* Owner) : TForm(Owner) {
        SetBorderStyle(bsDialog);
        Edit = new TEdit(this);
        Edit->SetParent(this);
        Confirm = new TButton(this);
        Confirm->SetParent(this);
        Confirm->SetModalResult(mrOk);
        Confirm->SetTop(40);
        Cancel = new TButton(this);
        Cancel->SetParent(this);
        Cancel->SetModalResult(mrCancel);
        Cancel->SetTop(70);
        Confirm->OnClick = [this](TObject*) { Saved.push_back(Edit->Text()); };
    }
    TEdit* Edit;
    TButton* Confirm;
    TButton* Cancel;
    std::vector<AnsiString> Saved;
};

class TMain : public TForm {
  public:
    using TForm::TForm;
};

}  // namespace

// Clicked, or from the title by Enter and Escape once the buttons are the default and the cancel one.
TEST(Forms, ShowModalDrivenToOkAndToCancel) {
    auto Dialog = std::make_unique<TDialog>(nullptr);
    struct Row {
        TButton* TDialog::*Button;
        uint16_t Key;
        int Result;
        size_t Saves;
    } Rows[] = {{&TDialog::Confirm, 0, mrOk, 1},
                {&TDialog::Cancel, 0, mrCancel, 1},
                {&TDialog::Confirm, VK_RETURN, mrOk, 2},
                {&TDialog::Cancel, VK_ESCAPE, mrCancel, 2}};
    for (auto& R : Rows) {
        TestDriver::TModalActions Act({[&](TForm* F) {
            EXPECT_EQ(F, Dialog.get());
            EXPECT_TRUE(F->Visible());
            EXPECT_TRUE(F->Active());
            Dialog->Edit->SetText("회의");
            if (!R.Key) return TestDriver::Click(Dialog.get()->*R.Button);
            Dialog->Confirm->SetDefault(true);
            Dialog->Cancel->SetCancel(true);
            TestDriver::PressFocusedKey(R.Key);
        }});
        EXPECT_EQ(Dialog->ShowModal(), R.Result);
        EXPECT_EQ(Act.Ran(), 1);
        EXPECT_FALSE(Dialog->Visible());
        EXPECT_EQ(Dialog->Saved.size(), R.Saves);
    }
    EXPECT_EQ(Dialog->Saved[0], "회의");
}

TEST(Forms, MainFormActivatesAgainWhenItsModalFormCloses) {
    TMain* Main = nullptr;
    TDialog* Dialog = nullptr;
    Application->CreateForm(Main);
    Application->CreateForm(Dialog);
    EXPECT_EQ(Application->MainForm(), Main);
    std::vector<std::string> Log;
    Main->OnActivate = [&](TObject*) { Log.push_back("main"); };
    Dialog->OnActivate = [&](TObject*) { Log.push_back("dialog"); };
    Main->Show();
    TestDriver::ProcessEvents();
    EXPECT_EQ(Log, (std::vector<std::string>{"main"}));
    // Coming back to the window that is already active changes nothing.
    TestDriver::ActivateWindow(Main);
    EXPECT_EQ(Log, (std::vector<std::string>{"main"}));
    Main->OnClick = [&](TObject*) {
        TestDriver::TModalActions Act({[&](TForm*) { TestDriver::Click(Dialog->Cancel); }});
        Dialog->ShowModal();
        Log.push_back("after ShowModal");
    };
    Main->Click();
    TestDriver::ProcessEvents();
    EXPECT_EQ(Log, (std::vector<std::string>{"main", "dialog", "after ShowModal", "main"}));
    EXPECT_EQ(Application->ActiveForm(), Main);
}

TEST(Forms, RunEndsWhenTheMainFormCloses) {
    TMain* Main = nullptr;
    Application->CreateForm(Main);
    int Activations = 0;
    Main->OnActivate = [&](TObject*) { ++Activations; };
    QTimer::singleShot(0, [Main] { Main->Close(); });
    Application->Run();
    EXPECT_EQ(Activations, 1);
    EXPECT_FALSE(Main->Visible());
    EXPECT_TRUE(Application->Terminated());
}
