#include "platform/rtl/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/rtl/Exceptions.h"

namespace fs = std::filesystem;

namespace {
bool IsDelim(char C) { return C == '\\' || C == '/'; }

std::vector<AnsiString> SplitComponents(const AnsiString& S) {
    std::vector<AnsiString> Parts;
    AnsiString Cur;
    for (char C : S) {
        if (IsDelim(C)) {
            if (!Cur.empty()) Parts.push_back(Cur);
            Cur.clear();
        } else {
            Cur += C;
        }
    }
    if (!Cur.empty()) Parts.push_back(Cur);
    return Parts;
}

bool HasDrive(const AnsiString& P) {
    return P.size() >= 2 && P[1] == ':' && std::isalpha(static_cast<unsigned char>(P[0]));
}

bool IsDirectory(const std::string& Native) {
    struct stat St;
    return stat(Native.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

std::string Child(const std::string& Dir, const std::string& Name) {
    return Dir == "/" ? "/" + Name : Dir + "/" + Name;
}

// Finds the entry of a directory that a name means: the exact name first; else the one entry that
// matches without regard to letter case. Where several do, none is guessed and the name stays as
// given. A component that must be a directory only matches directories.
std::string MatchEntry(const std::string& Dir, const AnsiString& Name, bool WantDir) {
    if (Name == "." || Name == "..") return Name;
    struct stat St;
    std::string Exact = Child(Dir, Name);
    if (WantDir ? IsDirectory(Exact) : lstat(Exact.c_str(), &St) == 0) return Name;
    DIR* D = opendir(Dir.c_str());
    if (!D) return Name;
    std::string Hit;
    int Hits = 0;
    AnsiString Want = AnsiLowerCase(Name);
    while (dirent* E = readdir(D)) {
        if (AnsiLowerCase(E->d_name) != Want) continue;
        if (WantDir && !IsDirectory(Child(Dir, E->d_name))) continue;
        Hit = E->d_name;
        ++Hits;
    }
    closedir(D);
    return Hits == 1 ? Hit : Name;
}

// ".." never climbs above Floor, the root of the drive the path lies on.
std::string JoinNative(const std::string& Base, const std::vector<AnsiString>& Parts,
                       const std::string& Floor, bool WantDir) {
    std::string Cur = Base.empty() ? "/" : Base;
    for (size_t I = 0; I < Parts.size(); ++I) {
        const AnsiString& P = Parts[I];
        if (P == ".") continue;
        if (P == "..") {
            if (Cur == Floor) continue;
            fs::path Up = fs::path(Cur).parent_path();
            Cur = Up.empty() ? "/" : Up.string();
            continue;
        }
        Cur = Child(Cur, MatchEntry(Cur, P, WantDir || I + 1 < Parts.size()));
    }
    return Cur;
}

std::string NativeCwd() {
    std::error_code Ec;
    auto P = fs::current_path(Ec);
    return Ec ? "/" : P.string();
}

// The directory each drive was last left in, as Windows keeps one per drive.
std::map<char, std::string>& DriveDirs() {
    static std::map<char, std::string> M;
    return M;
}

bool Within(const std::string& Native, const std::string& Root) {
    return !Root.empty() && (Native == Root || Native.rfind(Root + "/", 0) == 0);
}
}  // namespace

namespace Drives {
std::string DataFolder() {
    const char* X = std::getenv("XDG_DATA_HOME");
    std::string Base;
    if (X && *X) {
        Base = X;
    } else {
        const char* Home = std::getenv("HOME");
        Base = std::string(Home && *Home ? Home : "/tmp") + "/.local/share";
    }
    return Base + "/agendix";
}

std::string DriveRoot(char Letter) {
    char L = static_cast<char>(std::toupper(static_cast<unsigned char>(Letter)));
    if (L == 'C') return DataFolder() + "/drive_c";
    if (L == 'Z') return "/";
    return "";
}

void EnsureDriveC() {
    std::error_code Ec;
    fs::create_directories(DriveRoot('C') + "/Temp", Ec);
}

std::string ToNative(const AnsiString& Path, bool Directory) {
    if (!Path.empty() && Path[0] == '/') return JoinNative("/", SplitComponents(Path), "/", Directory);
    if (HasDrive(Path)) {
        std::string Root = DriveRoot(Path[0]);
        if (Root.empty()) return Path;
        return JoinNative(Root, SplitComponents(Path.substr(2)), Root, Directory);
    }
    std::string Cwd = NativeCwd();
    std::string Root = DriveRoot(FromNative(Cwd)[0]);
    // The working directory may be the canonical form of the drive root's path.
    std::error_code Ec;
    std::string RootReal = fs::weakly_canonical(Root, Ec).string();
    if (!Within(Cwd, Root) && Within(Cwd, RootReal)) Root = RootReal;
    if (!Path.empty() && Path[0] == '\\') return JoinNative(Root, SplitComponents(Path), Root, Directory);
    return JoinNative(Cwd, SplitComponents(Path), Root, Directory);
}

AnsiString FromNative(const std::string& Native) {
    std::string C = DriveRoot('C');
    std::error_code Ec;
    std::string CReal = fs::weakly_canonical(C, Ec).string();
    for (const std::string& Root : {C, CReal}) {
        if (Within(Native, Root)) {
            AnsiString Rest = Native.substr(Root.size());
            std::replace(Rest.begin(), Rest.end(), '/', '\\');
            if (Rest.empty()) Rest = "\\";
            return "c:" + Rest;
        }
    }
    AnsiString Rest = Native;
    std::replace(Rest.begin(), Rest.end(), '/', '\\');
    if (Rest.empty()) Rest = "\\";
    return "z:" + Rest;
}
}  // namespace Drives

namespace Drives {
TDirectory::TDirectory(const std::string& Native)
    : FFd(Native.empty() ? -1 : open(Native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

TDirectory::TDirectory(const TDirectory& Parent, const std::string& Name)
    : FFd(Parent.FFd < 0 ? -1 : openat(Parent.FFd, Name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

TDirectory& TDirectory::operator=(TDirectory&& Other) noexcept {
    if (this != &Other) {
        if (FFd >= 0) close(FFd);
        FFd = Other.FFd;
        Other.FFd = -1;
    }
    return *this;
}

TDirectory::~TDirectory() {
    if (FFd >= 0) close(FFd);
}

bool TDirectory::Identity(uint64_t& Device, uint64_t& Inode) const {
    struct stat St;
    if (FFd < 0 || fstat(FFd, &St) != 0) return false;
    Device = St.st_dev;
    Inode = St.st_ino;
    return true;
}

std::vector<TDirEntry> TDirectory::Subdirectories() const {
    std::vector<TDirEntry> Out;
    int Fd = FFd < 0 ? -1 : dup(FFd);
    DIR* D = Fd < 0 ? nullptr : fdopendir(Fd);
    if (!D) {
        if (Fd >= 0) close(Fd);
        return Out;
    }
    rewinddir(D);  // the duplicate shares its position with earlier listings
    while (dirent* E = readdir(D)) {
        if (E->d_type != DT_DIR && E->d_type != DT_LNK && E->d_type != DT_UNKNOWN) continue;
        if (std::strcmp(E->d_name, ".") == 0 || std::strcmp(E->d_name, "..") == 0) continue;
        struct stat St;
        if (fstatat(dirfd(D), E->d_name, &St, 0) != 0 || !S_ISDIR(St.st_mode)) continue;
        Out.push_back({E->d_name, static_cast<uint64_t>(St.st_dev), static_cast<uint64_t>(St.st_ino)});
    }
    closedir(D);
    std::sort(Out.begin(), Out.end(), [](const TDirEntry& A, const TDirEntry& B) { return A.Name < B.Name; });
    return Out;
}

std::vector<TDirEntry> ListSubdirectories(const std::string& Native) {
    return TDirectory(Native).Subdirectories();
}

bool DirectoryIdentity(const std::string& Native, uint64_t& Device, uint64_t& Inode) {
    struct stat St;
    if (Native.empty() || stat(Native.c_str(), &St) != 0 || !S_ISDIR(St.st_mode)) return false;
    Device = St.st_dev;
    Inode = St.st_ino;
    return true;
}

bool SetCurrentNativeDir(const std::string& Native) {
    if (Native.empty() || chdir(Native.c_str()) != 0) return false;
    AnsiString Cur = GetCurrentDir();
    DriveDirs()[static_cast<char>(std::toupper(static_cast<unsigned char>(Cur[0])))] = NativeCwd();
    return true;
}
}  // namespace Drives

AnsiString GetCurrentDir() {
    return Drives::FromNative(NativeCwd());
}

bool SetCurrentDir(const AnsiString& Dir) {
    return Drives::SetCurrentNativeDir(Drives::ToNative(Dir, true));
}

uint32_t GetCurrentDirectoryA(uint32_t BufferLength, char* Buffer) {
    AnsiString Cur = GetCurrentDir();
    if (Buffer && BufferLength > Cur.size()) {
        std::memcpy(Buffer, Cur.c_str(), Cur.size() + 1);
        return static_cast<uint32_t>(Cur.size());
    }
    return static_cast<uint32_t>(Cur.size() + 1);
}

bool ChDrive(int Drive) {
    if (Drive == 0) return true;
    if (Drive < 1 || Drive > 26) return false;
    char L = static_cast<char>('A' + Drive - 1);
    std::string Root = Drives::DriveRoot(L);
    if (Root.empty()) return false;
    AnsiString Cur = GetCurrentDir();
    DriveDirs()[static_cast<char>(std::toupper(static_cast<unsigned char>(Cur[0])))] = NativeCwd();
    auto It = DriveDirs().find(L);
    std::string Target = It != DriveDirs().end() ? It->second : Root;
    if (L == 'C') Drives::EnsureDriveC();
    return chdir(Target.c_str()) == 0 || chdir(Root.c_str()) == 0;
}

AnsiString ExpandFileName(const AnsiString& Path) {
    AnsiString Full;
    if (HasDrive(Path)) {
        Full = Path;
    } else if (!Path.empty() && Path[0] == '/') {
        Full = Drives::FromNative("/") + Path.substr(1);
    } else if (!Path.empty() && Path[0] == '\\') {
        Full = GetCurrentDir().substr(0, 2) + Path;
    } else {
        Full = IncludeTrailingBackslash(GetCurrentDir()) + Path;
    }
    // Collapse "." and ".." and doubled delimiters; keep a trailing delimiter.
    AnsiString Drive = Full.substr(0, 2);
    bool Trailing = Full.size() > 2 && IsDelim(Full.back());
    std::vector<AnsiString> Out;
    for (auto& P : SplitComponents(Full.substr(2))) {
        if (P == ".") continue;
        if (P == "..") {
            if (!Out.empty()) Out.pop_back();
            continue;
        }
        Out.push_back(P);
    }
    AnsiString R = Drive + "\\";
    for (size_t I = 0; I < Out.size(); ++I) R += (I ? "\\" : "") + Out[I];
    if (Trailing && !Out.empty()) R += "\\";
    return R;
}

bool IsPathDelimiter(const AnsiString& S, int Index) {
    return Index >= 1 && Index <= static_cast<int>(S.size()) && IsDelim(S[Index - 1]);
}

AnsiString IncludeTrailingBackslash(const AnsiString& S) {
    return !S.empty() && IsDelim(S.back()) ? S : S + "\\";
}

AnsiString ExtractFileName(const AnsiString& Path) {
    size_t P = Path.find_last_of("\\/:");
    return P == AnsiString::npos ? Path : Path.substr(P + 1);
}

bool FileExists(const AnsiString& Path) {
    struct stat St;
    return stat(Drives::ToNative(Path).c_str(), &St) == 0 && S_ISREG(St.st_mode);
}

bool DirectoryExists(const AnsiString& Path) {
    struct stat St;
    return stat(Drives::ToNative(Path).c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool DeleteFile(const AnsiString& Path) { return unlink(Drives::ToNative(Path).c_str()) == 0; }

AnsiString AnsiLowerCaseFileName(const AnsiString& S) { return AnsiLowerCase(S); }
AnsiString AnsiUpperCaseFileName(const AnsiString& S) { return AnsiUpperCase(S); }

struct Handle {
    std::vector<TSearchRec> Found;
    size_t Next = 0;
};

namespace {
bool WildMatch(const char* P, const char* S) {
    for (; *P; ++P) {
        if (*P == '*') {
            while (P[1] == '*') ++P;
            if (!P[1]) return true;
            for (const char* T = S; *T; ++T)
                if (WildMatch(P + 1, T)) return true;
            return WildMatch(P + 1, S + std::strlen(S));
        }
        if (!*S) return false;
        if (*P != '?' && std::tolower(static_cast<unsigned char>(*P)) != std::tolower(static_cast<unsigned char>(*S)))
            return false;
        ++S;
    }
    return !*S;
}

bool MaskMatches(const AnsiString& Mask, const AnsiString& Name) {
    if (Mask == "*" || Mask == "*.*") return true;
    if (WildMatch(Mask.c_str(), Name.c_str())) return true;
    // "name.*" also finds "name" without an extension, as on the system these masks come from.
    if (Mask.size() > 2 && Mask.compare(Mask.size() - 2, 2, ".*") == 0 && Name.find('.') == AnsiString::npos)
        return WildMatch(Mask.substr(0, Mask.size() - 2).c_str(), Name.c_str());
    return false;
}

int StepNext(TSearchRec& F) {
    Handle* H = F.FindHandle;
    if (!H || H->Next >= H->Found.size()) return ENOENT;
    TSearchRec& R = H->Found[H->Next++];
    F.Name = R.Name;
    F.Attr = R.Attr;
    F.Size = R.Size;
    F.Time = R.Time;
    return 0;
}
}  // namespace

int FindFirst(const AnsiString& Path, int Attr, TSearchRec& F) {
    FindClose(F);
    size_t Cut = Path.find_last_of("\\/");
    AnsiString DirPart = Cut == AnsiString::npos ? (HasDrive(Path) ? Path.substr(0, 2) : "") : Path.substr(0, Cut + 1);
    AnsiString Mask = Cut == AnsiString::npos ? (HasDrive(Path) ? Path.substr(2) : Path) : Path.substr(Cut + 1);
    std::string Dir = DirPart.empty()
                          ? NativeCwd()
                          : Drives::ToNative(DirPart.size() == 2 ? DirPart + "\\" : DirPart, true);
    DIR* D = opendir(Dir.c_str());
    if (!D) return errno ? errno : ENOENT;
    auto* H = new Handle;
    F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
    while (dirent* E = readdir(D)) {
        AnsiString Name = E->d_name;
        if (Name == "." || Name == "..") continue;
        if (!MaskMatches(Mask, Name)) continue;
        struct stat St;
        std::string Full = Dir == "/" ? "/" + Name : Dir + "/" + Name;
        if (stat(Full.c_str(), &St) != 0) continue;
        TSearchRec R;
        R.Name = Name;
        R.Size = St.st_size;
        R.Time = static_cast<int>(St.st_mtime);
        if (S_ISDIR(St.st_mode)) R.Attr |= faDirectory;
        if (Name[0] == '.') R.Attr |= faHidden;
        if (!(St.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) R.Attr |= faReadOnly;
        if (!S_ISDIR(St.st_mode) && !S_ISREG(St.st_mode)) R.Attr |= faSysFile;
        if (!S_ISDIR(St.st_mode)) R.Attr |= faArchive;
        if (R.Attr & F.ExcludeAttr) continue;
        H->Found.push_back(R);
    }
    closedir(D);
    std::sort(H->Found.begin(), H->Found.end(), [](const TSearchRec& A, const TSearchRec& B) { return A.Name < B.Name; });
    F.FindHandle = H;
    int Rc = StepNext(F);
    if (Rc != 0) FindClose(F);
    return Rc;
}

int FindNext(TSearchRec& F) { return StepNext(F); }

void FindClose(TSearchRec& F) {
    delete F.FindHandle;
    F.FindHandle = nullptr;
}

int ReadToEnd(int Fd, std::string& Out) {
    char Buf[65536];
    for (;;) {
        ssize_t R = read(Fd, Buf, sizeof Buf);
        if (R < 0 && errno == EINTR) continue;
        if (R < 0) return errno;
        if (R == 0) return 0;
        Out.append(Buf, static_cast<size_t>(R));
    }
}

std::string ReadFileBytes(const AnsiString& Path) {
    std::string N = Drives::ToNative(Path);
    int Fd = open(N.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) throw EFOpenError("Cannot open file \"" + Path + "\". " + std::strerror(errno));
    std::string Out;
    if (int E = ReadToEnd(Fd, Out); E != 0) {
        close(Fd);
        throw EReadError("Cannot read file \"" + Path + "\". " + std::strerror(E));
    }
    close(Fd);
    struct stat St;
    if (stat(N.c_str(), &St) == 0 && S_ISDIR(St.st_mode))
        throw EFOpenError("Cannot open file \"" + Path + "\". It is a directory");
    return Out;
}
