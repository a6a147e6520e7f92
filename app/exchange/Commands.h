#pragma once
#include <string>

#include "caldav/Account.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace Exchange {

// A file dialog, the work (with a progress bar for big files) and a result box.
void ExportCalendar();
void ImportCalendar();
// The sync of agendix-cal sync, with a progress bar and a result box; with no account yet, the
// account dialog asks for one first.
void SyncNow();

}  // namespace Exchange

// The account dialog: the calendar's address, the user and the password.
class TSyncAccountForm : public TForm {
    AGENDIX_CLASS(TSyncAccountForm)
    explicit TSyncAccountForm(TComponent* AOwner);

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* Edt_Url = nullptr;
    TEdit* Edt_User = nullptr;
    TEdit* Edt_Password = nullptr;
    TButton* Btn_Ok = nullptr;
    TButton* Btn_Cancel = nullptr;

    // Shows the dialog over Config's values; false when the user cancels.
    static bool Ask(Sync::TAccountConfig& Config, std::string& Password);
};
