#include "controls/Cdiroutl.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <unordered_map>
#include <vector>

#include "TCDIRECTORYOUTLINE.bmp.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"

namespace {
// Where an item's directory lies and which directory it is. Items are listed and entered through
// it, so an item always means the exact directory it was listed from.
struct TDirItem : TOutlineItemExtra {
    std::string Native;
    std::string Name;  // as the file system gives it; empty for an item found by its path
    AnsiString Key;    // the text without regard to letter case
    uint64_t Device = 0, Inode = 0;
    bool Known = false;  // the identity could be read
};

// One listing of a directory's subdirectories: taken at construction, stepped through by Next.
class FileFind {
  public:
    explicit FileFind(const Drives::TDirectory& Dir) : FFound(Dir.Subdirectories()) {}
    bool Valid() const { return FNext < FFound.size(); }
    const Drives::TDirEntry& Result() const { return FFound[FNext]; }
    void Next() { ++FNext; }

  private:
    std::vector<Drives::TDirEntry> FFound;
    size_t FNext = 0;
};

char UpCase(char C) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
}

// The item's directory; an item that the outline did not list itself is found by its path.
TDirItem& DirOf(TOutlineNode* N) {
    if (auto* D = dynamic_cast<TDirItem*>(N->Extra())) return *D;
    auto D = std::make_unique<TDirItem>();
    const AnsiString& Text = N->Text();
    D->Native = N->Level() == 1 ? Drives::DriveRoot(Text.empty() ? 0 : Text[0])
                                : Drives::ToNative(N->FullPath(), true);
    D->Key = AnsiLowerCase(Text);
    D->Known = Drives::DirectoryIdentity(D->Native, D->Device, D->Inode);
    TDirItem& Ref = *D;
    N->SetExtra(std::move(D));
    return Ref;
}

// A directory that one of the items above already is (a link to ".", to a parent, a bind mount).
bool EnteredAbove(TOutlineNode* N) {
    const TDirItem& D = DirOf(N);
    if (!D.Known) return false;
    for (TOutlineNode* A = N->Parent(); A && A->Parent(); A = A->Parent()) {
        const TDirItem& Up = DirOf(A);
        if (Up.Known && Up.Device == D.Device && Up.Inode == D.Inode) return true;
    }
    return false;
}
}  // namespace

void* TCDirectoryOutline::APointer = &TCDirectoryOutline::APointer;
const int TCDirectoryOutline::InvalidIndex = 0;
const int TCDirectoryOutline::RootIndex = 0;

const TClassInfo& TCDirectoryOutline::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCDirectoryOutline>("TCDirectoryOutline", &TCustomOutline::StaticClassInfo())
            .Creatable()
            .Event("OnChange", &TCDirectoryOutline::OnChange)
            .Enum("TextCase", &TCDirectoryOutline::TextCase, &TCDirectoryOutline::SetTextCase, tcLowerCase,
                  {"tcLowerCase", "tcUpperCase", "tcAsIs"})
            .Inherit({"Align",         "Anchors",     "BorderStyle", "Color",       "Constraints",
                      "Ctl3D",         "DragCursor",  "DragMode",    "Enabled",     "Font",
                      "ItemHeight",    "OnClick",     "OnCollapse",  "OnDblClick",  "OnDragDrop",
                      "OnDragOver",    "OnDrawItem",  "OnEndDock",   "OnEndDrag",   "OnEnter",
                      "OnExit",        "OnExpand",    "OnKeyDown",   "OnKeyPress",  "OnKeyUp",
                      "OnMouseDown",   "OnMouseMove", "OnMouseUp",   "OnStartDock", "OnStartDrag",
                      "Options",       "ParentColor", "ParentCtl3D", "ParentFont",  "ParentShowHint",
                      "PictureClosed", "PictureLeaf", "PictureOpen", "PopupMenu",   "ScrollBars",
                      "Style",         "ShowHint",    "TabOrder",    "TabStop",     "Visible"})
            .Build();
    return Info;
}

TCDirectoryOutline::TCDirectoryOutline(TComponent* AOwner) : TCustomOutline(AOwner) {
    FTextCase = tcLowerCase;
    SetStyle(osTreePictureText);
    SetOptions(ooDrawFocusRect | ooStretchBitmaps);
    SetPictureLeaf(PictureClosed());
    AssignCaseProc();
}

TCDirectoryOutline::~TCDirectoryOutline() = default;

AnsiString TCDirectoryOutline::ForceCase(const AnsiString& AString) const {
    return FCaseFunction ? FCaseFunction(AString) : AString;
}

void TCDirectoryOutline::AssignCaseProc() {
    switch (FTextCase) {
        case tcLowerCase:
            FCaseFunction = AnsiLowerCaseFileName;
            break;
        case tcUpperCase:
            FCaseFunction = AnsiUpperCaseFileName;
            break;
        default:
            FCaseFunction = nullptr;
            break;
    }
}

AnsiString TCDirectoryOutline::CurDir() {
    std::vector<char> Buffer(256);
    uint32_t Length = GetCurrentDirectoryA(static_cast<uint32_t>(Buffer.size()), Buffer.data());
    if (Length >= Buffer.size()) {
        Buffer.resize(Length);
        Length = GetCurrentDirectoryA(static_cast<uint32_t>(Buffer.size()), Buffer.data());
        // The directory may have changed between the calls; never read past what was written.
        if (Length >= Buffer.size()) return "";
    }
    return AnsiString(Buffer.data(), Length);
}

int TCDirectoryOutline::DriveToInt(char DriveLetter) {
    return UpCase(DriveLetter) - 'A';
}

void TCDirectoryOutline::BuildTree() {
    Clear();
    AnsiString Letter = FDrive ? AnsiString(1, FDrive) : AnsiString();
    AddChild(0, ForceCase(Letter + ":"));
    WalkTree(FGivenDirectory.empty() ? FDirectory : FGivenDirectory);
    Change();
}

// Children keep ascending order without regard to case, a new name going before the first child
// that is not less than it. Found by binary search over the running maximum of the present
// children, which is the front-to-back walk's answer even where they are out of order.
void TCDirectoryOutline::BuildOneLevel(int RootItem) {
    TOutlineNode* Root = Items(RootItem);
    const TDirItem& Dir = DirOf(Root);
    struct Found {
        Drives::TDirEntry Entry;
        AnsiString Text, Key;
        int Order = 0, Pos = 0;
    };
    std::vector<Found> New;
    Drives::TDirectory Open = OpenDirectory(Root);
    if (!EnteredAbove(Root))
        for (FileFind Find(Open); Find.Valid(); Find.Next())
            if (Find.Result().Name[0] != '.')
                New.push_back(
                    {Find.Result(), ForceCase(Find.Result().Name), "", static_cast<int>(New.size())});
    // Where the chosen case would make two items alike, both show their names as they are.
    std::unordered_map<AnsiString, int> Alike;
    for (const Found& F : New) ++Alike[F.Text];
    for (Found& F : New) {
        if (Alike[F.Text] > 1) F.Text = F.Entry.Name;
        F.Key = AnsiLowerCase(F.Text);
    }
    std::vector<AnsiString> Highest;
    for (int C = Root->GetFirstChild(); C != -1; C = Root->GetNextChild(C)) {
        AnsiString Key = AnsiLowerCase(Items(C)->Text());
        Highest.push_back(Highest.empty() || Highest.back() < Key ? Key : Highest.back());
    }
    for (Found& F : New)
        F.Pos = static_cast<int>(std::lower_bound(Highest.begin(), Highest.end(), F.Key) - Highest.begin());
    // Within one gap the later of two equal names ends up first.
    std::sort(New.begin(), New.end(), [](const Found& A, const Found& B) {
        if (A.Pos != B.Pos) return A.Pos < B.Pos;
        if (A.Key != B.Key) return A.Key < B.Key;
        return A.Order > B.Order;
    });
    std::vector<std::pair<int, AnsiString>> Texts;
    Texts.reserve(New.size());
    for (const Found& F : New) Texts.emplace_back(F.Pos, F.Text);
    std::vector<TOutlineNode*> Added = InsertChildren(RootItem, Texts);
    for (size_t I = 0; I < Added.size(); ++I) {
        auto D = std::make_unique<TDirItem>();
        D->Native = Dir.Native == "/" ? "/" + New[I].Entry.Name : Dir.Native + "/" + New[I].Entry.Name;
        D->Name = New[I].Entry.Name;
        D->Key = std::move(New[I].Key);
        D->Device = New[I].Entry.Device;
        D->Inode = New[I].Entry.Inode;
        D->Known = true;
        Added[I]->SetExtra(std::move(D));
    }
    Root->SetData(APointer);
    if (Open.Identity(FLastDevice, FLastInode)) FLastListed = std::move(Open);
}

// An open directory pins its inode, so equal identities mean the very directory listed last.
Drives::TDirectory TCDirectoryOutline::OpenDirectory(TOutlineNode* Item) {
    const TDirItem& Dir = DirOf(Item);
    if (!Dir.Name.empty() && Dir.Known && FLastListed.IsOpen()) {
        const TDirItem& Up = DirOf(Item->Parent());
        if (Up.Known && Up.Device == FLastDevice && Up.Inode == FLastInode) {
            Drives::TDirectory Child(FLastListed, Dir.Name);
            uint64_t Device, Inode;
            if (Child.Identity(Device, Inode) && Device == Dir.Device && Inode == Dir.Inode) return Child;
        }
    }
    return Drives::TDirectory(Dir.Native);
}

void TCDirectoryOutline::Expand(int Index) {
    if (Items(Index)->Data() == nullptr) BuildOneLevel(Index);
    TCustomOutline::Expand(Index);
}

void TCDirectoryOutline::BuildSubTree(int RootItem) {
    BuildOneLevel(RootItem);
    // Each child's own listing lands after it, so the next child is found afresh every time.
    TOutlineNode* Root = Items(RootItem);
    for (int Child = Root->GetFirstChild(); Child != -1; Child = Root->GetNextChild(Child))
        BuildSubTree(Child);
}

// Names are matched as given first, so a path finds its exact directory where case-forced names
// would be alike.
void TCDirectoryOutline::WalkTree(const AnsiString& Dest) {
    WalkTo(Dest);
}

bool TCDirectoryOutline::WalkTo(const AnsiString& Dest) {
    if (ItemCount() < 1) return false;
    int Item = 1;
    bool Whole = true;
    size_t At = 0;
    size_t Colon = Dest.find(':');
    if (Colon != AnsiString::npos) {
        At = Colon + 1;
        if (At < Dest.size() && Dest[At] == '\\') ++At;
    }
    while (At < Dest.size()) {
        // UTF-8 never holds '\' inside a multi-byte character, so a byte search is safe.
        size_t Slash = Dest.find('\\', At);
        if (Slash == AnsiString::npos) Slash = Dest.size();
        int Child = GetChildNamed(Dest.substr(At, Slash - At), Item);
        At = Slash + 1;
        // No such item: the walk stops at the deepest directory that was found.
        if (Child == -1) {
            Whole = false;
            break;
        }
        Item = Child;
    }
    SetSelectedItem(Item);
    return Whole;
}

// The child of exactly that name; else the one child that matches without regard to case.
int TCDirectoryOutline::GetChildNamed(const AnsiString& Name, int Item) {
    TOutlineNode* Node = Items(Item);
    Node->SetExpanded(true);
    AnsiString Wanted = AnsiLowerCase(Name);
    int Found = -1, Alike = 0;
    for (int Child = Node->GetFirstChild(); Child != -1; Child = Node->GetNextChild(Child)) {
        TOutlineNode* C = Items(Child);
        if (C->Text() == Name) return Child;
        if (DirOf(C).Key == Wanted && Alike++ == 0) Found = Child;
    }
    return Alike == 1 ? Found : -1;
}

void TCDirectoryOutline::Change() {
    if (OnChange) OnChange(this);
}

void TCDirectoryOutline::Click() {
    TCustomOutline::Click();
    TOutlineNode* Item = Items(SelectedItem());
    if (Item->Level() > 1)
        EnterItem(Item);
    else
        SetDirectory(Item->FullPath());
}

// A directory item is entered as the directory it was listed from; its path as text could name
// another one (names alike but for case, names holding a backslash).
void TCDirectoryOutline::EnterItem(TOutlineNode* Item) {
    AnsiString Path = Item->FullPath();
    if (Path == FDirectory) return;
    FDirectory = Path;
    FGivenDirectory = Path;
    if (Drives::SetCurrentNativeDir(DirOf(Item).Native)) FGivenDirectory = GetCurrentDir();
    Change();
}

void TCDirectoryOutline::SetDirectory(const AnsiString& NewDirectory) {
    if (NewDirectory.empty()) return;
    AnsiString Full = ExpandFileName(NewDirectory);
    if (Full.size() > 3 && IsPathDelimiter(Full, static_cast<int>(Full.size()))) Full.pop_back();
    // A path on a drive that does not exist changes nothing: the tree could not follow it.
    if (Drives::DriveRoot(Full[0]).empty()) return;
    AnsiString Temp = ForceCase(Full);
    // An outline without items has not shown this directory yet.
    if (Temp == FDirectory && ItemCount() > 0) return;
    FDirectory = Temp;
    FGivenDirectory = Full;
    if (UpCase(FDirectory[0]) == UpCase(FDrive) && ItemCount() > 0) {
        // Where the walk finds every name, the item's own directory is entered: the path need not
        // be resolved again.
        if (!WalkTo(Full) || !Drives::SetCurrentNativeDir(DirOf(Items(SelectedItem())).Native))
            SetCurrentDir(Full);
        Change();
        return;
    }
    SetCurrentDir(Full);
    if (UpCase(FDirectory[0]) == UpCase(FDrive)) {
        if (!Loading()) BuildTree();
    } else {
        SetDrive(FDirectory[0]);
    }
}

// Only drives that exist are taken: C: and Z: on this platform.
void TCDirectoryOutline::SetDrive(char NewDrive) {
    char Letter = UpCase(NewDrive);
    if (Letter < 'A' || Letter > 'Z' || Drives::DriveRoot(Letter).empty()) return;
    if (Letter == UpCase(FDrive) && ItemCount() > 0) return;
    FDrive = Letter;
    // ChDrive counts from 1 for A, DriveToInt from 0.
    ChDrive(DriveToInt(FDrive) + 1);
    FGivenDirectory = CurDir();
    FDirectory = ForceCase(FGivenDirectory);
    if (!Loading()) BuildTree();
}

void TCDirectoryOutline::SetTextCase(TTextCase NewTextCase) {
    if (NewTextCase == FTextCase) return;
    FTextCase = NewTextCase;
    AssignCaseProc();
    if (NewTextCase == tcAsIs) {
        FDirectory = CurDir();
        FGivenDirectory = FDirectory;
        FDrive = FDirectory.empty() ? 0 : FDirectory[0];
    }
    if (!Loading()) BuildTree();
}

void TCDirectoryOutline::CreateWnd() {
    TCustomOutline::CreateWnd();
    if (FDrive == 0) {
        AnsiString Given = CurDir();
        AnsiString Dir = ForceCase(Given);
        if (!Dir.empty()) {
            FDrive = Dir[0];
            FDirectory = Dir;
            FGivenDirectory = Given;
            // A tree that Loaded built before any drive was known shows nothing useful.
            if (ItemCount() > 0 && !Loading()) BuildTree();
        }
    }
}

void TCDirectoryOutline::Loaded() {
    TCustomOutline::Loaded();
    AssignCaseProc();
    BuildTree();
}

namespace Cdiroutl {
void Register() {
    RegisterBitmapResource("TCDIRECTORYOUTLINE", kTCDIRECTORYOUTLINE_bmp, sizeof kTCDIRECTORYOUTLINE_bmp);
    RegisterComponents(LoadStr(101), {&TCDirectoryOutline::StaticClassInfo()});
}
}  // namespace Cdiroutl
