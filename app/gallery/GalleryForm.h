#pragma once
#include "app/gallery/CpuLoad.h"
#include "controls/Ccalendr.h"
#include "controls/Cdiroutl.h"
#include "controls/Cgauges.h"
#include "controls/Cgrid.h"
#include "controls/Perfgrap.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Timer.h"

// Registers the five controls on the component palette.
void RegisterGalleryControls();

// One form with a live control of each class of the palette.
class TGalleryForm : public TForm {
    AGENDIX_CLASS(TGalleryForm)
    explicit TGalleryForm(TComponent* AOwner);

    TLabel* PaletteTitle = nullptr;
    TPaintBox* PaletteBox = nullptr;
    TCCalendar* Calendar = nullptr;
    TLabel* DateLabel = nullptr;
    TCGauge* GaugeText = nullptr;
    TCGauge* GaugeHorizontal = nullptr;
    TCGauge* GaugeVertical = nullptr;
    TCGauge* GaugePie = nullptr;
    TCGauge* GaugeNeedle = nullptr;
    TUpDown* ProgressSpin = nullptr;
    TLabel* ProgressLabel = nullptr;
    TCColorGrid* ColorGrid = nullptr;
    TPanel* ColorSample = nullptr;
    TPerformanceGraph* CpuGraph = nullptr;
    TLabel* CpuLabel = nullptr;
    TButton* KindButton = nullptr;
    TTimer* CpuTimer = nullptr;
    TCDirectoryOutline* DirOutline = nullptr;
    TLabel* DirLabel = nullptr;
    TButton* SaveButton = nullptr;
    TLabel* SavedLabel = nullptr;

    void FormCreate(TObject* Sender);
    void PaletteBoxPaint(TObject* Sender);
    void CalendarChange(TObject* Sender);
    void ProgressSpinClick(TObject* Sender, TUDBtnType Button);
    void ColorGridChange(TObject* Sender);
    void CpuTimerTimer(TObject* Sender);
    void KindButtonClick(TObject* Sender);
    void DirOutlineChange(TObject* Sender);
    void SaveButtonClick(TObject* Sender);

    // Where the save button writes the form description.
    static AnsiString SavedFormPath();
    // Feeds one sample of per-core loads (0 to 1000) to the graph.
    void AddCpuSample(const std::vector<int>& Loads);

private:
    TCpuLoad FCpu;
};

extern TGalleryForm* GalleryForm;
