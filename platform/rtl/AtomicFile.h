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
    void Stage(const std::string& Bytes);
    [[noreturn]] void Fail(int Error) const;
    AnsiString FPath;
    std::string FTarget, FTemp;
    int FFd = -1;  // the temporary, open and locked while it waits, so a cleaner leaves it alone
    bool FInstalled = false, FHadOld = false;
    std::string FOldBytes;
    unsigned FOldMode = 0;
};

// Many files of one folder replaced together with one change. Add writes each new text into a
// staging folder inside the target folder, whose name marks it a temporary and which is locked
// while the set lives, so that the start-up clean-up leaves it alone and no descriptor stays open
// per file. Install syncs every staged byte with one sync of the file system, moves the files into
// place and syncs the folder once. Undo and Finish act on every installed file, as TStagedFile's
// do; whatever is still staged goes with the set.
class TStagedFileSet {
  public:
    explicit TStagedFileSet(const std::string& NativeFolder);  // EFCreateError naming the folder
    ~TStagedFileSet();
    TStagedFileSet(const TStagedFileSet&) = delete;
    TStagedFileSet& operator=(const TStagedFileSet&) = delete;

    // Name is a plain file name, taken as it is. New says that no file of that name is expected:
    // then only moving it into place finds out (and handles) one that is there after all.
    // Returns the file's index in the set. EFCreateError naming the file.
    size_t Add(const std::string& Name, const std::string& Bytes, bool New = false);
    // Room for Count files, then staged by index as Add does, by several threads at once if each
    // stages other indexes.
    void Resize(size_t Count);
    void Stage(size_t Index, const std::string& Name, const std::string& Bytes, bool New = false);
    void Discard(size_t Index);  // before Install: that file is not put in place
    void Install();              // EFCreateError; all or none
    void Undo();
    void Finish();
    size_t Count() const { return FFiles.size(); }

  private:
    struct TFile {
        std::string Name;
        bool Staged = false, Installed = false, HadOld = false;
        unsigned OldMode = 0;
        std::string OldBytes;
    };
    void KeepOld(TFile& File);
    void Place(TFile& File);
    [[noreturn]] void Fail(const std::string& Name, int Error) const;
    std::string FFolder, FStageName;
    int FDir = -1, FStage = -1;
    std::vector<TFile> FFiles;
};

// Removes the temporaries that a killed process left in a folder (files and staging folders with
// what they hold): only names this code makes, and only those no living process holds. Returns
// how many went.
int RemoveStagingLeftovers(const AnsiString& Dir);
