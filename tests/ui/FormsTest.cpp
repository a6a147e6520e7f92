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
        Confirm->OnClick = [this](TObject*) {
            Saved.push_back(Edit->Text());
            if (FailSave) throw EFCreateError("Cannot create file \"c:\\Temp\\20023709.txt\"");
        };
    }
    TEdit* Edit;
    TButton* Confirm;
    TButton* Cancel;
    bool FailSave = false;
    std::vector<AnsiString> Saved;
};

class TMain : public TForm {
  public:
    using TForm::TForm;
};

}  // namespace

TEST(Forms, ShowModalDrivenToOkAndToCancel) {
    auto Dialog = std::make_unique<TDialog>(nullptr);
    struct Row {
        TButton* TDialog::*Button;
        int Result;
        size_t Saves;
    } Rows[] = {{&TDialog::Confirm, mrOk, 1}, {&TDialog::Cancel, mrCancel, 1}};
    for (auto& R : Rows) {
        TestDriver::TModalActions Act({[&](TForm* F) {
            EXPECT_EQ(F, Dialog.get());
            EXPECT_TRUE(F->Visible());
            EXPECT_TRUE(F->Active());
            Dialog->Edit->SetText("회의");
            TestDriver::Click(Dialog.get()->*R.Button);
        }});
        EXPECT_EQ(Dialog->ShowModal(), R.Result);
        EXPECT_EQ(Act.Ran(), 1);
        EXPECT_FALSE(Dialog->Visible());
        EXPECT_EQ(Dialog->Saved.size(), R.Saves);
    }
    EXPECT_EQ(Dialog->Saved[0], "회의");
}

TEST(Forms, ExceptionInConfirmHandlerKeepsTheDialogOpen) {
    TestDriver::TMessageBoxAnswers Boxes;
    auto Dialog = std::make_unique<TDialog>(nullptr);
    Dialog->FailSave = true;
    TestDriver::TModalActions Act({[&](TForm* F) {
        TestDriver::Click(Dialog->Confirm);
        EXPECT_TRUE(F->Visible()) << "a failed save closed the dialog";
        EXPECT_EQ(F->ModalResult(), mrNone);
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        EXPECT_EQ(Boxes.Shown()[0].Text, "Cannot create file \"c:\\Temp\\20023709.txt\"");
        EXPECT_EQ(Dialog->Edit->Text(), "메모");  // what the user typed is still there
        TestDriver::Click(Dialog->Cancel);
    }});
    Dialog->Edit->SetText("메모");
    EXPECT_EQ(Dialog->ShowModal(), mrCancel);
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

TEST(Forms, CreateFormSetsTheReferenceBeforeReadingAndRunsOnCreateAfter) {
    struct TReading : TForm {
        explicit TReading(TComponent* Owner) : TForm(Owner) {
            SetFormResource("object Reading: TForm\n  Caption = 'read'\n  ClientWidth = 123\nend\n");
        }
    };
    static TReading* Ref = nullptr;
    // The class name of the description is the form's own class name.
    struct TProbe : TForm {
        explicit TProbe(TComponent* Owner) : TForm(Owner) {
            OnCreate = [this](TObject*) {
                SeenCaption = Caption();
                RefSet = Ref != nullptr;
            };
            SetFormResource("object Probe: TForm\n  Caption = 'probe'\nend\n");
        }
        AnsiString SeenCaption;
        bool RefSet = false;
    };
    TProbe* Probe = nullptr;
    Application->CreateForm(Ref);
    Application->CreateForm(Probe);
    EXPECT_EQ(Ref->Caption(), "read");
    EXPECT_EQ(Ref->ClientWidth(), 123);
    EXPECT_EQ(Probe->SeenCaption, "probe");
    EXPECT_TRUE(Probe->RefSet);
    EXPECT_EQ(Application->MainForm(), Ref);
    EXPECT_FALSE(Probe->Visible());
    Ref = nullptr;
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
