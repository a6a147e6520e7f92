#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Strings.h"

// Drive paths ("c:\Temp\memo.txt") map to directories: C: is a private root under the user's data
// folder, Z: is the whole file system. Path components resolve without regard to letter case; an
// exact match wins, and where several names differ only in case none is guessed.
namespace Drives {
// ${XDG_DATA_HOME:-~/.local/share}/agendix, read afresh on every call so tests can move it.
std::string DataFolder();
// Native directory of a drive letter ('C' or 'c'); empty when the drive does not exist.
std::string DriveRoot(char Letter);
// Creates the C: root and its Temp folder if missing (what an installed system would have).
void EnsureDriveC();
// Native path for a drive path or a relative path; components matched case-insensitively, those
// above the last (and the last too when Directory is set) only with directories. Components that
// do not exist are kept as given. ".." stops at the root of the drive.
std::string ToNative(const AnsiString& Path, bool Directory = false);
// Drive path for a native absolute path: the longest drive root that contains it, else Z:.
AnsiString FromNative(const std::string& Native);

// For callers that keep the exact names a directory holds, which a drive path cannot always say
// (names that differ only in case, names holding a backslash).
struct TDirEntry {
    std::string Name;
    uint64_t Device = 0, Inode = 0;  // of the directory itself, also when reached by a link
};
// An open directory. A child is opened from it without the kernel walking the whole path again,
// which keeps a walk down many levels linear.
class TDirectory {
  public:
    TDirectory() = default;
    explicit TDirectory(const std::string& Native);
    TDirectory(const TDirectory& Parent, const std::string& Name);  // follows a link
    TDirectory(TDirectory&& Other) noexcept : FFd(Other.FFd) { Other.FFd = -1; }
    TDirectory& operator=(TDirectory&& Other) noexcept;
    TDirectory(const TDirectory&) = delete;
    TDirectory& operator=(const TDirectory&) = delete;
    ~TDirectory();
    bool IsOpen() const { return FFd >= 0; }
    bool Identity(uint64_t& Device, uint64_t& Inode) const;
    // Its subdirectories, symbolic links to directories among them, in byte order of their names.
    std::vector<TDirEntry> Subdirectories() const;

  private:
    int FFd = -1;
};
// The same for a native path; empty when it cannot be read.
std::vector<TDirEntry> ListSubdirectories(const std::string& Native);
bool DirectoryIdentity(const std::string& Native, uint64_t& Device, uint64_t& Inode);
// Makes a native directory the current one, as SetCurrentDir does for a drive path.
bool SetCurrentNativeDir(const std::string& Native);
}  // namespace Drives

constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

AnsiString GetCurrentDir();  // as a drive path, "z:\home\user"
bool SetCurrentDir(const AnsiString& Dir);
// The buffer protocol of the Win32 call: copies the directory with its terminator when it fits
// and returns its length; otherwise returns the size the buffer needs (terminator included).
uint32_t GetCurrentDirectoryA(uint32_t BufferLength, char* Buffer);
// Drive numbers count 1 = A, 2 = B, 3 = C; 0 means the current drive. Returns false when the
// drive does not exist.
bool ChDrive(int Drive);
AnsiString ExpandFileName(const AnsiString& Path);
bool IsPathDelimiter(const AnsiString& S, int Index);  // 1-based, '\' or '/'
AnsiString IncludeTrailingBackslash(const AnsiString& S);
AnsiString ExtractFileName(const AnsiString& Path);
bool FileExists(const AnsiString& Path);
bool DirectoryExists(const AnsiString& Path);
bool DeleteFile(const AnsiString& Path);
AnsiString AnsiLowerCaseFileName(const AnsiString& S);
AnsiString AnsiUpperCaseFileName(const AnsiString& S);

struct TSearchRec {
    int Time = 0;
    int64_t Size = 0;
    int Attr = 0;
    AnsiString Name;
    int ExcludeAttr = 0;
    struct Handle* FindHandle = nullptr;
};
// Pattern "dir\*.*" or "dir\*.txt"; '*' and '?' match case-insensitively. Directories are found
// only when the mask holds faDirectory; names starting with '.' carry faHidden. 0 on success.
int FindFirst(const AnsiString& Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// Whole-file I/O on drive or native paths. Writes go to a temporary file that is synced and
// renamed over the target, the folder synced after, so a failed write never leaves half a file
// (AtomicFile.h has the rest).
std::string ReadFileBytes(const AnsiString& Path);  // EFOpenError naming the path
// Appends what is left of an open file to Out; 0, or the errno of the read that failed.
int ReadToEnd(int Fd, std::string& Out);
void WriteFileAtomic(const AnsiString& Path, const std::string& Bytes);  // EFCreateError
