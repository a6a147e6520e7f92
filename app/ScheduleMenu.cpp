#include "app/ScheduleMenu.h"

#include "app/Exchange.h"
#include "app/SyncMenu.h"
#include "app/Unit1.h"
#include "platform/ui/Forms.h"

namespace ScheduleMenu {

namespace {
TPopupMenu* GMenu = nullptr;
}

TPopupMenu* Install(TForm* Form) {
    GMenu = new TPopupMenu(Form);
    GMenu->Add(ExportCaption, [](TObject*) { Exchange::Run(Exchange::TCommand::ExportCalendar); });
    GMenu->Add(ImportCaption, [](TObject*) { Exchange::Run(Exchange::TCommand::ImportCalendar); });
    Form->SetPopupMenu(GMenu);
    return GMenu;
}

TPopupMenu* Menu() {
    return GMenu;
}

TMenuItem* AddItem(const AnsiString& Caption, TNotifyEvent OnClick) {
    return GMenu ? GMenu->Add(Caption, std::move(OnClick)) : nullptr;
}

void RefreshWindow() {
    if (Form1) Form1->Qry_SchCount(Form1);
}

}  // namespace ScheduleMenu

void SyncMenu::Install() {
    ScheduleMenu::AddItem(SyncCaption, [](TObject*) { Exchange::Run(Exchange::TCommand::SyncNow); });
}
