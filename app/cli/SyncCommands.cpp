#include "app/cli/SyncCommands.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>

#include "caldav/Account.h"
#include "caldav/CalDavError.h"
#include "caldav/SyncEngine.h"
#include "platform/rtl/Files.h"

namespace SyncCommands {

namespace {

std::string Say(const char* Korean, const char* English) {
    return ICalendar::KoreanLocale() ? Korean : English;
}

// Reads a line from the terminal without showing it.
bool AskPassword(std::string& Password) {
    if (!isatty(STDIN_FILENO)) return false;
    std::cerr << Say("암호: ", "Password: ") << std::flush;
    termios Old{};
    tcgetattr(STDIN_FILENO, &Old);
    termios Quiet = Old;
    Quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &Quiet);
    bool Got = static_cast<bool>(std::getline(std::cin, Password));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &Old);
    std::cerr << "\n";
    return Got && !Password.empty();
}

// "--name value" options; false with a message on anything else.
bool Options(const std::vector<std::string>& Args, const std::vector<std::string>& Valued,
             const std::vector<std::string>& Flags, std::map<std::string, std::string>& Out,
             std::ostream& Err) {
    for (size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        if (std::find(Flags.begin(), Flags.end(), A) != Flags.end()) {
            Out[A] = "1";
        } else if (std::find(Valued.begin(), Valued.end(), A) != Valued.end() && I + 1 < Args.size()) {
            Out[A] = Args[++I];
        } else {
            Err << Say("알 수 없는 인자입니다: ", "unknown argument: ") << A << "\n";
            return false;
        }
    }
    return true;
}

int Failed(std::ostream& Err, const std::string& Message) {
    Err << Message << "\n";
    return 1;
}

}  // namespace

int Account(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
    std::map<std::string, std::string> O;
    if (!Options(Args, {"--url", "--user", "--password-file"}, {}, O, Err)) return 2;
    const bool Korean = ICalendar::KoreanLocale();
    try {
        if (O.empty()) {
            auto C = Sync::LoadAccount();
            if (!C) return Failed(Err, Say("동기화 계정이 없습니다.", "no sync account is set up"));
            Out << "url: " << C->Url << "\nuser: " << C->User << "\n"
                << (C->PasswordFile.empty() ? Say("암호: Secret Service", "password: Secret Service")
                                            : Say("암호 파일: ", "password file: ") + C->PasswordFile)
                << "\n";
            return 0;
        }
        if (!O.count("--url") || !O.count("--user")) {
            Err << Say("사용법: agendix-cal account --url URL --user NAME [--password-file FILE]",
                       "usage: agendix-cal account --url URL --user NAME [--password-file FILE]")
                << "\n";
            return 2;
        }
        Sync::TAccountConfig C{O["--url"], O["--user"], ""};
        if (!C.Url.empty() && C.Url.back() != '/') C.Url += '/';
        std::string Password;
        if (O.count("--password-file")) {
            C.PasswordFile = std::filesystem::absolute(O["--password-file"]).lexically_normal().string();
            Password = Sync::ReadPasswordFile(C.PasswordFile);
        } else if (!Sync::SecretServiceRuns()) {
            return Failed(
                Err,
                Say("암호를 맡길 Secret Service가 없습니다. --password-file FILE (권한 0600)을 쓰십시오.",
                    "no Secret Service runs to keep the password; use --password-file FILE (mode 0600)"));
        } else if (!AskPassword(Password)) {
            return Failed(Err, Say("암호를 읽지 못했습니다.", "no password was given"));
        }
        // The address and password are tried before anything is kept.
        TCalDavClient({C.Url, C.User, Password}).Probe();
        if (C.PasswordFile.empty()) Sync::StoreSecret(C, Password);
        Sync::SaveAccount(C);
        Out << Say("동기화 계정을 저장했습니다: ", "sync account saved: ") << Sync::ConfigPath() << "\n";
        return 0;
    } catch (const ECalDavError& E) {
        return Failed(Err, CalDavErrorText(E, Korean));
    } catch (const Exception& E) {
        return Failed(Err, E.Message());
    }
}

int Sync(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
    std::map<std::string, std::string> O;
    if (!Options(Args, {"--password-file"}, {"--json"}, O, Err)) return 2;
    const bool Korean = ICalendar::KoreanLocale();
    try {
        auto C = Sync::LoadAccount();
        if (!C)
            return Failed(
                Err, Say("동기화 계정이 없습니다: agendix-cal account --url URL --user NAME 으로 만드십시오.",
                         "no sync account: set one up with agendix-cal account --url URL --user NAME"));
        std::string Password = O.count("--password-file") ? Sync::ReadPasswordFile(O["--password-file"])
                                                          : Sync::AccountPassword(*C);
        TCalDavClient Client({C->Url, C->User, Password});
        Drives::EnsureDriveC();
        ICalendar::TEntryStore Store;
        Sync::TSyncReport R = Sync::Synchronize(Client, Store);
        if (O.count("--json")) {
            Out << Sync::SyncJson(R) << "\n";
            return 0;
        }
        Out << Sync::SyncSummary(R, Korean) << "\n";
        for (const auto& K : R.Conflicts)
            Out << Say("충돌", "conflict") << ": " << K.Event.Start << " " << K.Event.Summary << " — "
                << K.Event.Reason << "; " << Say("다른 쪽은 ", "the other version is in ") << K.Kept << "\n";
        for (const auto& S : R.Skipped)
            Out << Say("건너뜀", "skipped") << ": " << S.Start << " " << S.Summary << " — " << S.Reason
                << "\n";
        return 0;
    } catch (const ECalDavError& E) {
        return Failed(Err,
                      CalDavErrorText(E, Korean) + Say(" — 동기화를 멈췄습니다. 다음 동기화가 이어서 합니다.",
                                                       " — sync stopped; the next sync goes on from here."));
    } catch (const Exception& E) {
        return Failed(Err, E.Message());
    }
}

}  // namespace SyncCommands
