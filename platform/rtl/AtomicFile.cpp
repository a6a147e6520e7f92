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

TStagedFile::TStagedFile(const std::string& NativeTarget, const std::string& Bytes, bool Deferred)
    : FPath(NativeTarget), FTarget(NativeTarget), FDeferred(Deferred) {
    Stage(Bytes);
}

void TStagedFile::Stage(const std::string& Bytes) {
    struct stat Old;
    if (stat(FTarget.c_str(), &Old) == 0) {
        if (S_ISDIR(Old.st_mode)) Fail(EISDIR);
        // A file without write permission is read-only, also for a user who could override it.
        if (!(Old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || access(FTarget.c_str(), W_OK) != 0)
            Fail(EACCES);
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
    if (Rc == 0 && !FDeferred && fsync(FFd) != 0) Rc = errno;
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
    if (FDeferred) return;
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

void TStagedFileSet::Add(const std::string& NativePath, const std::string& Bytes) {
    FFiles.push_back(std::unique_ptr<TStagedFile>(new TStagedFile(NativePath, Bytes, true)));
}

void TStagedFileSet::Install() {
    if (FFiles.empty()) return;
    // One sync of the file system puts every staged byte on disk before any name changes.
    if (syncfs(FFiles.front()->FFd) != 0) FFiles.front()->Fail(errno);
    std::vector<std::string> Folders;
    try {
        for (auto& F : FFiles) {
            F->Install();
            std::string Dir = FolderOf(F->FTarget);
            if (std::find(Folders.begin(), Folders.end(), Dir) == Folders.end()) Folders.push_back(Dir);
        }
        for (auto& Dir : Folders)
            if (int Rc = SyncFolder(Dir); Rc != 0) FFiles.front()->Fail(Rc);
    } catch (...) {
        Undo();
        throw;
    }
}

void TStagedFileSet::Undo() {
    for (auto It = FFiles.rbegin(); It != FFiles.rend(); ++It) (*It)->Undo();
}

void TStagedFileSet::Finish() {
    for (auto& F : FFiles) F->Finish();
}

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
        // A temporary still locked belongs to a save in progress in another process.
        if (fstat(Fd, &St) == 0 && S_ISREG(St.st_mode) && flock(Fd, LOCK_EX | LOCK_NB) == 0 &&
            unlink(Full.c_str()) == 0)
            ++Removed;
        close(Fd);
    }
    closedir(D);
    if (Removed) SyncFolder(Native);
    return Removed;
}
