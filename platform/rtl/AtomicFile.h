#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Files.h"

// A file replaced together with another change (a database row): the new bytes wait, synced, in
// a temporary file beside the target until Install moves them into place; until Finish, Undo puts
// the old file back. Whatever is left of the temporary goes with the object, so an exception
// before Install changes nothing on disk. A new file gets the mode the umask gives; a replaced
// one keeps its mode.
class TStagedFile {
  public:
    TStagedFile(const AnsiString& Path, const std::string& Bytes);  // EFCreateError naming Path
    ~TStagedFile();
    TStagedFile(const TStagedFile&) = delete;
    TStagedFile& operator=(const TStagedFile&) = delete;

    void Install();  // EFCreateError; the target is then the new text, the folder synced
    void Undo();     // after Install: the target as it was (or gone, if there was none)
    void Finish();   // the old text is not needed any more

  private:
    friend class TStagedFileSet;
    // For a set: a native path taken as it is, and neither the bytes nor the folder synced here.
    TStagedFile(const std::string& NativeTarget, const std::string& Bytes, bool Deferred);
    void Stage(const std::string& Bytes);
    [[noreturn]] void Fail(int Error) const;
    AnsiString FPath;
    std::string FTarget, FTemp;
    int FFd = -1;  // the temporary, open and locked while it waits, so a cleaner leaves it alone
    bool FInstalled = false, FHadOld = false, FDeferred = false;
    std::string FOldBytes;
    unsigned FOldMode = 0;
};

// Many files replaced together with one change, synced together: staging writes them all, Install
// syncs their bytes with one sync of the file system, renames them and syncs each folder once.
// Undo and Finish act on every file, as TStagedFile's do.
class TStagedFileSet {
  public:
    // NativePath is used as it is, without resolving letter case, so that staging thousands of
    // new files in one folder does not read the folder for each. EFCreateError naming it.
    void Add(const std::string& NativePath, const std::string& Bytes);
    void Install();  // EFCreateError; all or none
    void Undo();
    void Finish();
    size_t Count() const { return FFiles.size(); }

  private:
    std::vector<std::unique_ptr<TStagedFile>> FFiles;
};

// Removes the temporaries that a killed process left in a folder: only names this code makes,
// and only those no living process holds. Returns how many went.
int RemoveStagingLeftovers(const AnsiString& Dir);
