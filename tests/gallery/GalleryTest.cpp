#include <gtest/gtest.h>

#include "app/gallery/GalleryForm.h"
#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/TestDriver.h"
#include "tests/support/Support.h"

namespace {
class GalleryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Application->Initialize();
        RegisterGalleryControls();
        Application->CreateForm(GalleryForm);
        GalleryForm->Show();
        TestDriver::ProcessEvents();
    }
    void TearDown() override {
        Application->Reset();
        GalleryForm = nullptr;
    }
    PrivateDataHome Home;
};

// Every stored property of every component, as the writer sees it, by component name. Where the
// window system put the form itself is its own business.
std::map<std::string, std::string> StoredValues(TComponent* Root) {
    std::map<std::string, std::string> Out;
    std::string Own = WriteProperties(Root, 0);
    Out[Root->Name()] = Own.substr(Own.find("Width = "));
    for (int I = 0; I < Root->ComponentCount(); ++I)
        Out[Root->Components(I)->Name()] = WriteProperties(Root->Components(I), 0);
    return Out;
}
}  // namespace

TEST_F(GalleryTest, TheControlsWorkTogether) {
    // The spinner drives every gauge.
    GalleryForm->ProgressSpin->Click(btNext);
    for (TCGauge* G : {GalleryForm->GaugeText, GalleryForm->GaugePie, GalleryForm->GaugeNeedle})
        EXPECT_EQ(G->Progress(), 41);
    EXPECT_EQ(GalleryForm->ProgressLabel->Caption(), "Progress = 41");

    // The colour grid colours the sample.
    GalleryForm->ColorGrid->SetBackgroundIndex(9);
    EXPECT_EQ(GalleryForm->ColorSample->Color(), clRed);

    // The calendar's choice shows in the caption.
    GalleryForm->Calendar->SetDateElement(1, 2003);
    GalleryForm->Calendar->SetDateElement(2, 3);
    GalleryForm->Calendar->SetDateElement(3, 7);
    EXPECT_EQ(GalleryForm->DateLabel->Caption(), "고른 날짜: 2003년 3월 7일");

    // Samples reach the graph; the button switches it to bars.
    GalleryForm->AddCpuSample({250, 750});
    EXPECT_NE(GalleryForm->CpuLabel->Caption().find("1: 75.0%"), std::string::npos);
    TestDriver::Click(GalleryForm->KindButton);
    EXPECT_EQ(GalleryForm->CpuGraph->Kind(), pgBar);

    // The outline's selection is the process's current directory.
    EXPECT_EQ(GalleryForm->DirLabel->Caption(), "현재 디렉터리: " + GetCurrentDir());
}

TEST_F(GalleryTest, ASavedFormReadsBackToTheSameValues) {
    GalleryForm->ProgressSpin->Click(btNext);
    auto Before = StoredValues(GalleryForm);  // the save itself then only changes its own caption
    TestDriver::Click(GalleryForm->SaveButton);
    std::string Saved = ReadFile(TGalleryForm::SavedFormPath());
    EXPECT_EQ(Saved.rfind("object GalleryForm: TGalleryForm\n", 0), 0u) << Saved;
    EXPECT_NE(Saved.find("Progress = 41"), std::string::npos);
    EXPECT_EQ(Saved.find("CalendarDate"), std::string::npos);

    Application->Reset();
    GalleryForm = nullptr;
    auto* Again = new TGalleryForm(Application);
    Again->InitFromResource(Saved.c_str());
    auto After = StoredValues(Again);
    ASSERT_EQ(After.size(), Before.size());
    for (auto& [Name, Values] : Before) EXPECT_EQ(After[Name], Values) << Name;
    std::string Rewritten = WriteComponentRes(Again);
    EXPECT_EQ(Rewritten.substr(Rewritten.find("  Width = ")), Saved.substr(Saved.find("  Width = ")));
    delete Again;
}

TEST_F(GalleryTest, ScreenReadersHearWhatEachControlShows) {
    TGalleryForm* G = GalleryForm;
    G->CpuGraph->DataPoint(clRed, 40);
    G->CpuGraph->Update();
    struct Case {
        TControl* Control;
        TAccRole Role;
        std::string Value;  // empty: any
        size_t Parts;
    };
    for (const Case& C : std::vector<Case>{
             {G->GaugePie, TAccRole::ProgressBar, IntToStr(G->GaugePie->PercentDone()) + "%", 0},
             {G->ColorGrid, TAccRole::Table, "", 16},
             {G->CpuGraph, TAccRole::Chart, "빨강 40", 0},
             {G->Calendar, TAccRole::Table, "", 7},
             {G->ProgressSpin, TAccRole::SpinButton, "", 0},
             {G->DirOutline, TAccRole::Tree, "", 1},
         }) {
        SCOPED_TRACE(C.Control->Name());
        TAccDescription D = DescribeAccessible(C.Control);
        EXPECT_EQ(D.Self.Role, C.Role);
        EXPECT_FALSE(D.Self.Name.empty());
        if (!C.Value.empty()) {
            EXPECT_EQ(D.Self.Value, C.Value);
        }
        EXPECT_GE(D.Parts.size(), C.Parts);
    }
    TAccDescription Grid = DescribeAccessible(G->ColorGrid);
    EXPECT_EQ(Grid.Parts[G->ColorGrid->ForegroundIndex()].Value.substr(0, 6), "전경");
    int Selected = 0;
    for (auto& Day : DescribeAccessible(G->Calendar).Parts) Selected += Day.Selected;
    EXPECT_EQ(Selected, 1);
}
