#include "caldav/Account.h"

#include <fcntl.h>
#include <glib.h>
#include <libsecret/secret.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace Sync {

namespace {

const SecretSchema* Schema() {
    static const SecretSchema S = {"org.agendix.CalDAV",
                                   SECRET_SCHEMA_NONE,
                                   {{"url", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr};
    return &S;
}

std::string ErrorText(GError* E) {
    std::string S = E && E->message ? E->message : "unknown error";
    if (E) g_error_free(E);
    return S;
}

struct TKeyFile {
    GKeyFile* K = g_key_file_new();
    ~TKeyFile() { g_key_file_free(K); }
    std::string Get(const char* Key) {
        gchar* V = g_key_file_get_string(K, "account", Key, nullptr);
        std::string S = V ? V : "";
        g_free(V);
        return S;
    }
};

}  // namespace

std::string ConfigPath() {
    const char* Xdg = std::getenv("XDG_CONFIG_HOME");
    std::string Base =
        Xdg && *Xdg ? Xdg : std::string(std::getenv("HOME") ? std::getenv("HOME") : "") + "/.config";
    return Base + "/agendix/sync.conf";
}

std::optional<TAccountConfig> LoadAccount() {
    const std::string Path = ConfigPath();
    if (!std::filesystem::exists(Path)) return std::nullopt;
    TKeyFile F;
    GError* E = nullptr;
    if (!g_key_file_load_from_file(F.K, Path.c_str(), G_KEY_FILE_NONE, &E))
        throw EAccountError(Path + ": " + ErrorText(E));
    TAccountConfig C{F.Get("url"), F.Get("user"), F.Get("password-file")};
    if (C.Url.empty() || C.User.empty()) throw EAccountError(Path + ": url and user are required");
    return C;
}

void SaveAccount(const TAccountConfig& Config) {
    if (Config.Url.rfind("http://", 0) != 0 && Config.Url.rfind("https://", 0) != 0)
        throw EAccountError("the address must start with http:// or https://: " + Config.Url);
    for (const std::string* S : {&Config.Url, &Config.User, &Config.PasswordFile})
        if (S->find_first_of("\r\n") != std::string::npos) throw EAccountError("line breaks are not allowed");
    if (Config.User.empty()) throw EAccountError("the user name is empty");
    TKeyFile F;
    g_key_file_set_string(F.K, "account", "url", Config.Url.c_str());
    g_key_file_set_string(F.K, "account", "user", Config.User.c_str());
    if (!Config.PasswordFile.empty())
        g_key_file_set_string(F.K, "account", "password-file", Config.PasswordFile.c_str());
    gsize Len = 0;
    gchar* Data = g_key_file_to_data(F.K, &Len, nullptr);
    std::string Text(Data, Len);
    g_free(Data);

    const std::string Path = ConfigPath();
    std::error_code Ec;
    std::filesystem::create_directories(std::filesystem::path(Path).parent_path(), Ec);
    GError* E = nullptr;
    // g_file_set_contents_full writes a temporary, syncs it and renames it over the old file.
    if (!g_file_set_contents_full(Path.c_str(), Text.data(), static_cast<gssize>(Text.size()),
                                  G_FILE_SET_CONTENTS_CONSISTENT, 0600, &E))
        throw EAccountError(Path + ": " + ErrorText(E));
}

bool SecretServiceRuns() {
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) return false;
    GError* E = nullptr;
    SecretService* S = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &E);
    if (!S) {
        g_clear_error(&E);
        return false;
    }
    g_object_unref(S);
    return true;
}

void StoreSecret(const TAccountConfig& Config, const std::string& Password) {
    GError* E = nullptr;
    const std::string Label = "Agendix CalDAV " + Config.User + " @ " + Config.Url;
    if (!secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, Label.c_str(), Password.c_str(),
                                    nullptr, &E, "url", Config.Url.c_str(), "user", Config.User.c_str(),
                                    nullptr))
        throw EAccountError("the Secret Service did not keep the password: " + ErrorText(E));
}

std::optional<std::string> LookupSecret(const TAccountConfig& Config) {
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) return std::nullopt;
    GError* E = nullptr;
    gchar* P = secret_password_lookup_sync(Schema(), nullptr, &E, "url", Config.Url.c_str(), "user",
                                           Config.User.c_str(), nullptr);
    g_clear_error(&E);
    if (!P) return std::nullopt;
    std::string S = P;
    secret_password_free(P);
    return S;
}

std::string ReadPasswordFile(const std::string& Path) {
    int Fd = open(Path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (Fd < 0) throw EAccountError(Path + ": " + std::strerror(errno));
    struct stat St {};
    if (fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
        close(Fd);
        throw EAccountError(Path + ": not a regular file");
    }
    if (St.st_mode & (S_IRWXG | S_IRWXO)) {
        close(Fd);
        throw EAccountError(Path + ": others may read this file; make it private with chmod 600");
    }
    std::string Text;
    char Buf[4096];
    ssize_t N;
    while ((N = read(Fd, Buf, sizeof Buf)) > 0 && Text.size() < 65536) Text.append(Buf, N);
    close(Fd);
    Text = Text.substr(0, Text.find_first_of("\r\n"));
    if (Text.empty()) throw EAccountError(Path + ": the file holds no password");
    return Text;
}

std::string AccountPassword(const TAccountConfig& Config) {
    if (!Config.PasswordFile.empty()) return ReadPasswordFile(Config.PasswordFile);
    if (auto P = LookupSecret(Config)) return *P;
    throw EAccountError("no password for " + Config.User +
                        " in the Secret Service; set up the account again");
}

}  // namespace Sync
