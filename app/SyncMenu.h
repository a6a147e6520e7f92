#pragma once
#include <string>

#include "caldav/Account.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

// "지금 동기화" in the main window's context menu: the same sync as agendix-cal sync, with a
// progress bar and a result box; with no account yet, a small dialog asks for one first.
namespace SyncMenu {

inline constexpr const char* SyncCaption = "지금 동기화";

// Adds the item to the installed context menu.
void Install();
void SyncNow();

}  // namespace SyncMenu

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
