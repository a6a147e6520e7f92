#include "app/gallery/GalleryForm.h"

#include "controls/Accessibility.h"

#include <filesystem>

#include "Gallery.form.h"
#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"

TGalleryForm* GalleryForm = nullptr;

void RegisterGalleryControls() {
    Ccalendr::Register();
    Cgauges::Register();
    Cgrid::Register();
    Perfgrap::Register();
    Cdiroutl::Register();
}

const TClassInfo& TGalleryForm::StaticClassInfo() {
    using C = TGalleryForm;
    static const TClassInfo Info = TClassBuilder<C>("TGalleryForm", &TForm::StaticClassInfo())
                                       .Creatable()
                                       .InheritAll()
                                       .Field("PaletteTitle", &C::PaletteTitle)
                                       .Field("PaletteBox", &C::PaletteBox)
                                       .Field("Calendar", &C::Calendar)
                                       .Field("DateLabel", &C::DateLabel)
                                       .Field("GaugeText", &C::GaugeText)
                                       .Field("GaugeHorizontal", &C::GaugeHorizontal)
                                       .Field("GaugeVertical", &C::GaugeVertical)
                                       .Field("GaugePie", &C::GaugePie)
                                       .Field("GaugeNeedle", &C::GaugeNeedle)
                                       .Field("ProgressSpin", &C::ProgressSpin)
                                       .Field("ProgressLabel", &C::ProgressLabel)
                                       .Field("ColorGrid", &C::ColorGrid)
                                       .Field("ColorSample", &C::ColorSample)
                                       .Field("CpuGraph", &C::CpuGraph)
                                       .Field("CpuLabel", &C::CpuLabel)
                                       .Field("KindButton", &C::KindButton)
                                       .Field("CpuTimer", &C::CpuTimer)
                                       .Field("DirOutline", &C::DirOutline)
                                       .Field("DirLabel", &C::DirLabel)
                                       .Field("SaveButton", &C::SaveButton)
                                       .Field("SavedLabel", &C::SavedLabel)
                                       .Method("FormCreate", &C::FormCreate)
                                       .Method("PaletteBoxPaint", &C::PaletteBoxPaint)
                                       .Method("CalendarChange", &C::CalendarChange)
                                       .Method("ProgressSpinClick", &C::ProgressSpinClick)
                                       .Method("ColorGridChange", &C::ColorGridChange)
                                       .Method("CpuTimerTimer", &C::CpuTimerTimer)
                                       .Method("KindButtonClick", &C::KindButtonClick)
                                       .Method("DirOutlineChange", &C::DirOutlineChange)
                                       .Method("SaveButtonClick", &C::SaveButtonClick)
                                       .Build();
    return Info;
}

TGalleryForm::TGalleryForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterControlsAccessibility();
    SetFormResource(kGallery_form);
}

void TGalleryForm::FormCreate(TObject* Sender) {
    PaletteTitle->SetCaption("팔레트 페이지 \"" + LoadStr(101) + "\"");
    ProgressSpin->SetAccessibleName("Progress");
    DirOutline->SetAccessibleName("디렉터리");
    CalendarChange(Calendar);
    ProgressSpinClick(ProgressSpin, btNext);
    ColorGridChange(ColorGrid);
    DirOutlineChange(DirOutline);
    FCpu.Sample();  // the first sample only sets the baseline
}

void TGalleryForm::PaletteBoxPaint(TObject* Sender) {
    TCanvas* C = PaletteBox->Canvas();
    C->Brush()->SetColor(PaletteBox->Color());
    C->FillRect(PaletteBox->ClientRect());
    int Y = 4;
    for (const TPaletteEntry& E : PaletteEntries()) {
        TBitmap Picture;
        AnsiString Resource = UpperCase(E.Class->Name);
        if (!FindBitmapResource(Resource).empty()) {
            Picture.LoadFromResourceName(Resource);
            C->Draw(4, Y, &Picture);
        }
        C->Brush()->SetStyle(bsClear);
        C->TextOut(34, Y + 12 - C->TextHeight(E.Class->Name) / 2, E.Class->Name);
        C->Brush()->SetStyle(bsSolid);
        Y += 30;
    }
}

void TGalleryForm::CalendarChange(TObject* Sender) {
    DateLabel->SetCaption(Format("고른 날짜: %d년 %d월 %d일", Calendar->GetDateElement(1),
                                 Calendar->GetDateElement(2), Calendar->GetDateElement(3)));
}

void TGalleryForm::ProgressSpinClick(TObject* Sender, TUDBtnType Button) {
    int P = ProgressSpin->Position();
    for (TCGauge* G : {GaugeText, GaugeHorizontal, GaugeVertical, GaugePie, GaugeNeedle}) G->SetProgress(P);
    ProgressLabel->SetCaption(Format("Progress = %d", P));
}

void TGalleryForm::ColorGridChange(TObject* Sender) {
    ColorSample->SetColor(ColorGrid->GetBackgroundColor());
    ColorSample->Font()->SetColor(ColorGrid->GetForegroundColor());
}

void TGalleryForm::AddCpuSample(const std::vector<int>& Loads) {
    static const TColor CoreColors[16] = {clLime,   clYellow, clAqua,  clFuchsia, clRed,  clWhite,
                                          clSilver, clBlue,   clGreen, clOlive,   clTeal, clPurple,
                                          clMaroon, clNavy,   clGray,  0x0080FF};
    size_t Cores = std::min<size_t>(Loads.size(), 16);
    AnsiString Text = "CPU";
    int Total = 0;
    for (size_t I = 0; I < Cores; ++I) {
        // Bars stack: each core adds its share of the whole machine on top of the ones before.
        Total += Loads[I] / static_cast<int>(Cores);
        CpuGraph->DataPoint(CoreColors[I], CpuGraph->Kind() == pgBar ? Total : Loads[I]);
        Text += Format("  %d: %d.%d%%", static_cast<int>(I), Loads[I] / 10, Loads[I] % 10);
    }
    CpuGraph->Update();
    CpuLabel->SetCaption(Text);
}

void TGalleryForm::CpuTimerTimer(TObject* Sender) {
    AddCpuSample(FCpu.Sample());
}

void TGalleryForm::KindButtonClick(TObject* Sender) {
    bool ToBars = CpuGraph->Kind() == pgLine;
    CpuGraph->SetGraphKind(ToBars ? pgBar : pgLine);
    KindButton->SetCaption(ToBars ? "선으로" : "막대로");
}

void TGalleryForm::DirOutlineChange(TObject* Sender) {
    DirLabel->SetCaption("현재 디렉터리: " + GetCurrentDir());
}

AnsiString TGalleryForm::SavedFormPath() {
    return Drives::DataFolder() + "/gallery.form";
}

void TGalleryForm::SaveButtonClick(TObject* Sender) {
    std::error_code Ec;
    std::filesystem::create_directories(Drives::DataFolder(), Ec);
    WriteFileAtomic(SavedFormPath(), WriteComponentRes(this));
    SavedLabel->SetCaption("저장: " + SavedFormPath());
}
