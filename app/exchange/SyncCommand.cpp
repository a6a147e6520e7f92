#include <memory>

#include "SyncAccount.form.h"
#include "app/ScheduleMenu.h"
#include "app/UserMessages.h"
#include "app/exchange/Commands.h"
#include "caldav/CalDavError.h"
#include "caldav/SyncEngine.h"
#include "platform/ui/Dialogs.h"

const TClassInfo& TSyncAccountForm::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TSyncAccountForm>("TSyncAccountForm", &TForm::StaticClassInfo())
            .Creatable()
            .InheritAll()
            .Field("Label1", &TSyncAccountForm::Label1)
            .Field("Label2", &TSyncAccountForm::Label2)
            .Field("Label3", &TSyncAccountForm::Label3)
            .Field("Edt_Url", &TSyncAccountForm::Edt_Url)
            .Field("Edt_User", &TSyncAccountForm::Edt_User)
            .Field("Edt_Password", &TSyncAccountForm::Edt_Password)
            .Field("Btn_Ok", &TSyncAccountForm::Btn_Ok)
            .Field("Btn_Cancel", &TSyncAccountForm::Btn_Cancel)
            .Build();
    return Info;
}

TSyncAccountForm::TSyncAccountForm(TComponent* AOwner) : TForm(AOwner) {
    SetFormResource(kSyncAccount_form);
}

bool TSyncAccountForm::Ask(Sync::TAccountConfig& Config, std::string& Password) {
    auto F = std::make_unique<TSyncAccountForm>(Application);
    F->InitFromResource(F->FormResource());
    F->Edt_Url->SetText(Config.Url.empty() ? "https://" : Config.Url);
    F->Edt_User->SetText(Config.User);
    F->Edt_Password->SetPasswordChar('*');
    if (F->ShowModal() != mrOk) return false;
    Config.Url = Trim(F->Edt_Url->Text());
    Config.User = Trim(F->Edt_User->Text());
    Password = F->Edt_Password->Text();
    if (!Config.Url.empty() && Config.Url.back() != '/') Config.Url += '/';
    return true;
}

namespace Exchange {

namespace {

constexpr const char* Caption = "지금 동기화";
constexpr size_t ListedNotes = 20;

std::string Lines(const char* Heading, const std::vector<std::string>& Items) {
    if (Items.empty()) return {};
    std::string Out = std::string("\n\n") + Heading;
    for (size_t I = 0; I < Items.size() && I < ListedNotes; ++I) Out += "\n· " + Items[I];
    if (Items.size() > ListedNotes)
        Out += Format("\n… 외 %d건", static_cast<int>(Items.size() - ListedNotes));
    return Out;
}

std::string Described(const ICalendar::TEventNote& N) {
    return (N.Start.empty() ? std::string() : N.Start + " ") +
           (N.Summary.empty() ? "(제목 없음)" : N.Summary) + " — " + N.Reason;
}

// The account and its password: the saved ones, else what the dialog asks (saved, the password in
// the Secret Service when one runs). False when the user cancels.
bool Account(Sync::TAccountConfig& Config, std::string& Password, std::string& Note) {
    std::optional<Sync::TAccountConfig> Saved = Sync::LoadAccount();
    if (Saved) {
        Config = *Saved;
        try {
            Password = Sync::AccountPassword(Config);
            return true;
        } catch (const Sync::EAccountError&) {
            // Asked again below, with the address and user filled in.
        }
    }
    if (!TSyncAccountForm::Ask(Config, Password)) return false;
    TCalDavClient({Config.Url, Config.User, Password}).Probe();
    if (Sync::SecretServiceRuns())
        Sync::StoreSecret(Config, Password);
    else
        Note =
            "\n\n암호를 맡길 Secret Service가 없어 이번에만 썼습니다. 암호를 남기려면 "
            "agendix-cal account --password-file FILE 을 쓰십시오.";
    Config.PasswordFile.clear();
    Sync::SaveAccount(Config);
    return true;
}

}  // namespace

void SyncNow() {
    std::string Note;
    try {
        Sync::TAccountConfig Config;
        std::string Password;
        if (!Account(Config, Password, Note)) return;
        TCalDavClient Client({Config.Url, Config.User, Password});
        TProgressWindow Progress(Caption, "동기화하는 중입니다…");
        Sync::TSyncReport R;
        {
            ICalendar::TEntryStore Store;
            R = Sync::Synchronize(Client, Store,
                                  [&](size_t Done, size_t Total) { Progress.Update(Done, Total); });
        }
        ScheduleMenu::RefreshWindow();
        std::vector<std::string> Conflicts, Skipped;
        for (const auto& C : R.Conflicts) Conflicts.push_back(Described(C.Event) + "\n   다른 쪽: " + C.Kept);
        for (const auto& S : R.Skipped) Skipped.push_back(Described(S));
        Application->MessageBox(
            Sync::SyncSummary(R, true) + Lines("충돌:", Conflicts) + Lines("건너뛴 일정:", Skipped) + Note,
            Caption, MB_OK | (Conflicts.empty() && Skipped.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
    } catch (const ECalDavError& E) {
        ScheduleMenu::RefreshWindow();
        Application->MessageBox(
            CalDavErrorText(E, true) + "\n동기화를 멈췄습니다. 다음 동기화가 이어서 합니다." + Note, Caption,
            MB_OK | MB_ICONERROR);
    } catch (const Sync::EAccountError& E) {
        Application->MessageBox("동기화 계정을 쓸 수 없습니다.\n" + E.Message(), Caption,
                                MB_OK | MB_ICONERROR);
    } catch (const Exception& E) {
        ScheduleMenu::RefreshWindow();
        Application->MessageBox(UserMessage(E, "동기화하지 못했습니다."), Caption, MB_OK | MB_ICONERROR);
    }
}

}  // namespace Exchange
