#pragma once
#include <optional>
#include <string>

#include "platform/rtl/Exceptions.h"

// The sync account: the calendar's address and the user in $XDG_CONFIG_HOME/agendix/sync.conf,
// the password in the desktop's Secret Service, or in a file of the user's own (mode 0600) whose
// path the configuration names. The password itself is never written by this program.
namespace Sync {

// A missing, unreadable or unsafe account setting; the message is for the user.
class EAccountError : public Exception {
  public:
    using Exception::Exception;
};

struct TAccountConfig {
    std::string Url;  // the calendar collection
    std::string User;
    std::string PasswordFile;  // absolute; empty when the password is in the Secret Service
};

std::string ConfigPath();
// Empty when no account is set up; EAccountError when the file cannot be read.
std::optional<TAccountConfig> LoadAccount();
// Written atomically, mode 0600. Refuses an address that is not http(s) or a user with a line break.
void SaveAccount(const TAccountConfig& Config);

// True when a Secret Service answers on the session bus.
bool SecretServiceRuns();
void StoreSecret(const TAccountConfig& Config, const std::string& Password);  // EAccountError on failure
std::optional<std::string> LookupSecret(const TAccountConfig& Config);

// The first line of a password file. EAccountError when it is missing, not a regular file, or can
// be read or written by anyone but its owner.
std::string ReadPasswordFile(const std::string& Path);

// The password the account names: its file, else the Secret Service. EAccountError when neither
// gives one.
std::string AccountPassword(const TAccountConfig& Config);

}  // namespace Sync
