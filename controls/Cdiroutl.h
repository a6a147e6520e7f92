#pragma once
#include <cstdint>

#include "platform/rtl/Files.h"
#include "platform/ui/Outline.h"

enum TTextCase : uint8_t { tcLowerCase, tcUpperCase, tcAsIs };
using TCaseFunction = AnsiString (*)(const AnsiString&);

// The directory tree of one drive: the drive item on top, each level listed when it is first
// opened. Selecting an item makes its directory the current directory of the whole process.
class TCDirectoryOutline : public TCustomOutline {
    AGENDIX_CLASS(TCDirectoryOutline)
    explicit TCDirectoryOutline(TComponent* AOwner);
    ~TCDirectoryOutline() override;

    char Drive() const { return FDrive; }
    void SetDrive(char NewDrive);
    const AnsiString& Directory() const { return FDirectory; }
    void SetDirectory(const AnsiString& NewDirectory);
    TTextCase TextCase() const { return FTextCase; }
    void SetTextCase(TTextCase NewTextCase);

    virtual void BuildOneLevel(int RootItem);
    virtual void BuildTree();
    virtual void BuildSubTree(int RootItem);
    virtual void Change();

    void WalkTree(const AnsiString& Dest);
    int GetChildNamed(const AnsiString& Name, int Item);
    AnsiString ForceCase(const AnsiString& AString) const;
    void AssignCaseProc();

    static AnsiString CurDir();
    static int DriveToInt(char DriveLetter);

    void Loaded() override;
    void Click() override;
    void Expand(int Index) override;

    TNotifyEvent OnChange;

    // Marks an item whose subdirectories have been listed; its value is its own address.
    static void* APointer;
    static const int InvalidIndex;
    static const int RootIndex;

  protected:
    void CreateWnd() override;

  private:
    void EnterItem(TOutlineNode* Item);
    bool WalkTo(const AnsiString& Dest);  // true when every name on the way was found
    Drives::TDirectory OpenDirectory(TOutlineNode* Item);

    char FDrive = 0;
    AnsiString FDirectory;
    // The directory as it was given, before case-forcing: it finds the exact names where the
    // forced ones would be ambiguous.
    AnsiString FGivenDirectory;
    // The directory listed last, kept open: its child is opened from it, so a walk down many levels
    // does not have the kernel resolve ever longer paths.
    Drives::TDirectory FLastListed;
    uint64_t FLastDevice = 0, FLastInode = 0;
    TTextCase FTextCase = tcLowerCase;
    TCaseFunction FCaseFunction = nullptr;
};

namespace Cdiroutl {
void Register();
}
