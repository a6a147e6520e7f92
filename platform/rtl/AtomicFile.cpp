#include "platform/rtl/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/Exceptions.h"

namespace {
constexpr const char* kTempMark = ".tmp";  // then six letters or digits: "20033514.txt.tmpa8Zk2q"
constexpr size_t kSuffix = 6;

bool IsTemporaryName(const std::string& Name) {
    size_t Mark = std::strlen(kTempMark);
    if (Name.size() <= Mark + kSuffix) return false;
    size_t At = Name.size() - kSuffix - Mark;
    if (Name.compare(At, Mark, kTempMark) != 0) return false;
    for (size_t I = Name.size() - kSuffix; I < Name.size(); ++I)
        if (!std::isalnum(static_cast<unsigned char>(Name[I]))) return false;
    return true;
}

std::string RandomSuffix() {
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char Bytes[kSuffix];
    if (getrandom(Bytes, sizeof Bytes, 0) != static_cast<ssize_t>(sizeof Bytes))
        for (auto& B : Bytes) B = static_cast<unsigned char>(std::rand());
    std::string S;
    for (unsigned char B : Bytes) S += Letters[B % (sizeof Letters - 1)];
    return S;
}

std::string FolderOf(const std::string& Path) {
    size_t Slash = Path.find_last_of('/');
    return Slash == std::string::npos ? "." : Slash == 0 ? "/" : Path.substr(0, Slash);
}

// A rename is durable only once the folder that holds the name is synced.
int SyncFolder(const std::string& Dir) {
    int Fd = open(Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Fd < 0) return errno;
    int Rc = fsync(Fd) == 0 ? 0 : errno;
    close(Fd);
    return Rc == EINVAL ? 0 : Rc;  // file systems that cannot sync a folder have nothing to sync
}

// Whether a staged file may replace the file found at Name (in the folder Dir): 0, or the error
// to fail with. A file without write permission is read-only, also for a user who could override it.
int Replaceable(const struct stat& Old, int Dir, const char* Name) {
    if (S_ISDIR(Old.st_mode)) return EISDIR;
    if (!(Old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || faccessat(Dir, Name, W_OK, 0) != 0) return EACCES;
    return 0;
}

int WriteAll(int Fd, const std::string& Bytes) {
    size_t Done = 0;
    while (Done < Bytes.size()) {
        ssize_t W = write(Fd, Bytes.data() + Done, Bytes.size() - Done);
        if (W < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        Done += static_cast<size_t>(W);
    }
    return 0;
}
}  // namespace

TStagedFile::TStagedFile(const AnsiString& Path, const std::string& Bytes)
    : FPath(Path), FTarget(Drives::ToNative(Path)) {
    Stage(Bytes);
}

void TStagedFile::Stage(const std::string& Bytes) {
    struct stat Old;
    if (stat(FTarget.c_str(), &Old) == 0) {
        if (int Rc = Replaceable(Old, AT_FDCWD, FTarget.c_str()); Rc != 0) Fail(Rc);
        FHadOld = true;
        FOldMode = Old.st_mode & 07777;
    }
    for (int Try = 0; FFd < 0; ++Try) {
        FTemp = FTarget + kTempMark + RandomSuffix();
        FFd = open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd < 0 && (errno != EEXIST || Try > 20)) Fail(errno);
    }
    flock(FFd, LOCK_EX);
    int Rc = WriteAll(FFd, Bytes);
    if (Rc == 0 && FHadOld && fchmod(FFd, FOldMode) != 0) Rc = errno;
    if (Rc == 0 && fsync(FFd) != 0) Rc = errno;
    if (Rc != 0) Fail(Rc);
}

TStagedFile::~TStagedFile() {
    if (FFd >= 0) {
        unlink(FTemp.c_str());
        close(FFd);
    }
}

void TStagedFile::Fail(int Error) const {
    throw EFCreateError("Cannot create file \"" + FPath + "\". " + std::strerror(Error));
}

void TStagedFile::Install() {
    if (FFd < 0 || FInstalled) return;
    if (FHadOld) {
        try {
            FOldBytes = ReadFileBytes(FPath);
        } catch (const EStreamError&) {
            Fail(EACCES);
        }
    }
    if (rename(FTemp.c_str(), FTarget.c_str()) != 0) Fail(errno);
    FInstalled = true;
    close(FFd);
    FFd = -1;
    if (int Rc = SyncFolder(FolderOf(FTarget)); Rc != 0) {
        Undo();
        Fail(Rc);
    }
}

void TStagedFile::Undo() {
    if (!FInstalled) return;
    FInstalled = false;
    if (!FHadOld) {
        unlink(FTarget.c_str());
    } else {
        TStagedFile Back(FPath, FOldBytes);
        if (fchmod(Back.FFd, FOldMode) == 0) Back.Install();
    }
    SyncFolder(FolderOf(FTarget));
}

void TStagedFile::Finish() {
    FInstalled = false;
    FOldBytes.clear();
}

void WriteFileAtomic(const AnsiString& Path, const std::string& Bytes) {
    TStagedFile File(Path, Bytes);
    File.Install();
    File.Finish();
}

TStagedFileSet::TStagedFileSet(const std::string& NativeFolder) : FFolder(NativeFolder) {
    FDir = open(FFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FDir < 0) Fail("", errno);
    for (int Try = 0; FStage < 0; ++Try) {
        FStageName = std::string(".import") + kTempMark + RandomSuffix();
        if (mkdirat(FDir, FStageName.c_str(), 0700) != 0) {
            if (errno != EEXIST || Try > 20) Fail("", errno);
            continue;
        }
        FStage = openat(FDir, FStageName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (FStage < 0) Fail("", errno);
    }
    flock(FStage, LOCK_EX);
}

TStagedFileSet::~TStagedFileSet() {
    if (FStage >= 0) {
        for (auto& F : FFiles)
            if (F.Staged) unlinkat(FStage, F.Name.c_str(), 0);
        unlinkat(FDir, FStageName.c_str(), AT_REMOVEDIR);
        close(FStage);
    }
    if (FDir >= 0) close(FDir);
}

void TStagedFileSet::Fail(const std::string& Name, int Error) const {
    throw EFCreateError("Cannot create file \"" + FFolder + (Name.empty() ? "" : "/" + Name) + "\". " +
                        std::strerror(Error));
}

// A file that is there already: it must be a file we may write, and its mode and text are kept.
void TStagedFileSet::KeepOld(TFile& F) {
    struct stat Old;
    if (fstatat(FDir, F.Name.c_str(), &Old, 0) != 0) {
        if (errno != ENOENT) Fail(F.Name, errno);
        return;
    }
    if (int Rc = Replaceable(Old, FDir, F.Name.c_str()); Rc != 0) Fail(F.Name, Rc);
    F.HadOld = true;
    F.OldMode = Old.st_mode & 07777;
}

size_t TStagedFileSet::Add(const std::string& Name, const std::string& Bytes, bool New) {
    Resize(FFiles.size() + 1);
    Stage(FFiles.size() - 1, Name, Bytes, New);
    return FFiles.size() - 1;
}

void TStagedFileSet::Resize(size_t Count) {
    FFiles.resize(Count);
}

void TStagedFileSet::Stage(size_t Index, const std::string& Name, const std::string& Bytes, bool New) {
    TFile& F = FFiles.at(Index);
    F.Name = Name;
    if (!New) KeepOld(F);
    int Fd = openat(FStage, Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, F.HadOld ? 0600 : 0666);
    if (Fd < 0) Fail(Name, errno);
    F.Staged = true;
    int Rc = WriteAll(Fd, Bytes);
    if (Rc == 0 && F.HadOld && fchmod(Fd, F.OldMode) != 0) Rc = errno;
    if (close(Fd) != 0 && Rc == 0) Rc = errno;
    if (Rc != 0) Fail(Name, Rc);
}

void TStagedFileSet::Discard(size_t Index) {
    TFile& F = FFiles.at(Index);
    if (F.Staged) unlinkat(FStage, F.Name.c_str(), 0);
    F.Staged = false;
}

// Moves one staged file into place. A file thought new is moved only where there is none; when
// one is there after all (or the file system cannot promise that), it is treated as a replaced one.
void TStagedFileSet::Place(TFile& F) {
    const char* Name = F.Name.c_str();
    if (!F.HadOld) {
        if (renameat2(FStage, Name, FDir, Name, RENAME_NOREPLACE) == 0) {
            F.Staged = false;
            F.Installed = true;
            return;
        }
        if (errno != EEXIST && errno != EINVAL) Fail(F.Name, errno);
        KeepOld(F);
        if (F.HadOld) {  // the staged bytes are synced already; its new mode is synced with it
            int Fd = openat(FStage, Name, O_RDONLY | O_CLOEXEC);
            if (Fd < 0) Fail(F.Name, errno);
            int Rc = fchmod(Fd, F.OldMode) == 0 && fsync(Fd) == 0 ? 0 : errno;
            close(Fd);
            if (Rc != 0) Fail(F.Name, Rc);
        }
    }
    if (F.HadOld) {
        try {
            F.OldBytes = ReadFileBytes(FFolder + "/" + F.Name);
        } catch (const EStreamError&) {
            Fail(F.Name, EACCES);
        }
    }
    if (renameat(FStage, Name, FDir, Name) != 0) Fail(F.Name, errno);
    F.Staged = false;
    F.Installed = true;
}

void TStagedFileSet::Install() {
    // One sync of the file system puts every staged byte on disk before any name changes.
    if (syncfs(FStage) != 0) Fail("", errno);
    try {
        for (auto& F : FFiles)
            if (F.Staged) Place(F);
        if (fsync(FDir) != 0 && errno != EINVAL) Fail("", errno);
    } catch (...) {
        Undo();
        throw;
    }
}

void TStagedFileSet::Undo() {
    bool Any = false;
    for (auto It = FFiles.rbegin(); It != FFiles.rend(); ++It) {
        TFile& F = *It;
        if (!F.Installed) continue;
        F.Installed = false;
        Any = true;
        if (!F.HadOld) {
            unlinkat(FDir, F.Name.c_str(), 0);
        } else {
            TStagedFile Back(FFolder + "/" + F.Name, F.OldBytes);
            if (fchmod(Back.FFd, F.OldMode) == 0) Back.Install();
        }
    }
    if (Any) fsync(FDir);
}

void TStagedFileSet::Finish() {
    for (auto& F : FFiles) {
        F.Installed = false;
        F.OldBytes.clear();
    }
}

namespace {
// A staging folder's files, then the folder; false when something stays.
bool RemoveStagingFolder(int Fd, const std::string& Path) {
    DIR* D = fdopendir(dup(Fd));
    if (!D) return false;
    while (dirent* E = readdir(D)) {
        std::string Name = E->d_name;
        if (Name != "." && Name != "..") unlinkat(Fd, Name.c_str(), 0);
    }
    closedir(D);
    return rmdir(Path.c_str()) == 0;
}
}  // namespace

int RemoveStagingLeftovers(const AnsiString& Dir) {
    std::string Native = Drives::ToNative(Dir);
    DIR* D = opendir(Native.c_str());
    if (!D) return 0;
    int Removed = 0;
    while (dirent* E = readdir(D)) {
        std::string Name = E->d_name;
        if (!IsTemporaryName(Name)) continue;
        std::string Full = Native + "/" + Name;
        int Fd = open(Full.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (Fd < 0) continue;
        struct stat St;
        // A temporary still locked belongs to a save or an import in progress in another process.
        if (fstat(Fd, &St) == 0 && (S_ISREG(St.st_mode) || S_ISDIR(St.st_mode)) &&
            flock(Fd, LOCK_EX | LOCK_NB) == 0 &&
            (S_ISDIR(St.st_mode) ? RemoveStagingFolder(Fd, Full) : unlink(Full.c_str()) == 0))
            ++Removed;
        close(Fd);
    }
    closedir(D);
    if (Removed) SyncFolder(Native);
    return Removed;
}
