#include "controls/Cdiroutl.h"

#include <cctype>
#include <vector>

#include "TCDIRECTORYOUTLINE.bmp.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"

namespace {
// One directory search: started by construction, ended by destruction.
class FileFind {
  public:
    FileFind(const AnsiString& Pattern, int Attr) { FValid = FindFirst(Pattern, Attr, FRec) == 0; }
    ~FileFind() {
        if (FRec.FindHandle) FindClose(FRec);
    }
    FileFind(const FileFind&) = delete;
    FileFind& operator=(const FileFind&) = delete;
    bool Valid() const { return FValid; }
    const TSearchRec& Result() const { return FRec; }
    void Next() { FValid = FindNext(FRec) == 0; }

  private:
    TSearchRec FRec;
    bool FValid = false;
};

char UpCase(char C) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
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
    WalkTree(FDirectory);
    Change();
}

void TCDirectoryOutline::BuildOneLevel(int RootItem) {
    TOutlineNode* Root = Items(RootItem);
    AnsiString Pattern = Root->FullPath();
    if (!IsPathDelimiter(Pattern, static_cast<int>(Pattern.size()))) Pattern += "\\";
    Pattern += "*.*";
    FileFind Find(Pattern, faDirectory);
    for (; Find.Valid(); Find.Next()) {
        const TSearchRec& Rec = Find.Result();
        if (!(Rec.Attr & faDirectory) || Rec.Name.empty() || Rec.Name[0] == '.') continue;
        AnsiString Name = ForceCase(Rec.Name);
        if (!Root->HasItems()) {
            AddChild(RootItem, Name);
            continue;
        }
        int Child = Root->GetFirstChild();
        while (Child != -1 && AnsiCompareText(Items(Child)->Text(), Name) < 0)
            Child = Root->GetNextChild(Child);
        if (Child != -1)
            Insert(Child, Name);
        else
            Add(Root->GetLastChild(), Name);
    }
    Root->SetData(APointer);
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

void TCDirectoryOutline::WalkTree(const AnsiString& Dest) {
    if (ItemCount() < 1) return;
    AnsiString Path = ForceCase(Dest);
    int Item = 1;
    AnsiString Rest = Path;
    size_t Colon = Path.find(':');
    if (Colon != AnsiString::npos) {
        Rest = Path.substr(Colon + 1);
        if (!Rest.empty() && Rest[0] == '\\') Rest.erase(0, 1);
    }
    while (!Rest.empty()) {
        // UTF-8 never holds '\' inside a multi-byte character, so a byte search is safe.
        size_t Slash = Rest.find('\\');
        AnsiString Name = Rest.substr(0, Slash);
        Rest = Slash == AnsiString::npos ? AnsiString() : Rest.substr(Slash + 1);
        int Child = GetChildNamed(Name, Item);
        // No such item: the walk stops at the deepest directory that was found.
        if (Child == -1) break;
        Item = Child;
    }
    SetSelectedItem(Item);
}

int TCDirectoryOutline::GetChildNamed(const AnsiString& Name, int Item) {
    TOutlineNode* Node = Items(Item);
    Node->SetExpanded(true);
    AnsiString Wanted = AnsiUpperCase(Name);
    for (int Child = Node->GetFirstChild(); Child != -1; Child = Node->GetNextChild(Child))
        if (AnsiUpperCase(Items(Child)->Text()) == Wanted) return Child;
    return -1;
}

void TCDirectoryOutline::Change() {
    if (OnChange) OnChange(this);
}

void TCDirectoryOutline::Click() {
    TCustomOutline::Click();
    SetDirectory(Items(SelectedItem())->FullPath());
}

void TCDirectoryOutline::SetDirectory(const AnsiString& NewDirectory) {
    if (NewDirectory.empty()) return;
    AnsiString Temp = ForceCase(ExpandFileName(NewDirectory));
    if (Temp.size() > 3 && IsPathDelimiter(Temp, static_cast<int>(Temp.size()))) Temp.pop_back();
    if (Temp == FDirectory) return;
    FDirectory = Temp;
    SetCurrentDir(FDirectory);
    if (UpCase(FDirectory[0]) == UpCase(FDrive)) {
        WalkTree(FDirectory);
        Change();
    } else {
        SetDrive(FDirectory[0]);
    }
}

void TCDirectoryOutline::SetDrive(char NewDrive) {
    char Letter = UpCase(NewDrive);
    if (Letter < 'A' || Letter > 'Z' || Letter == UpCase(FDrive)) return;
    FDrive = Letter;
    // ChDrive counts from 1 for A, DriveToInt from 0.
    ChDrive(DriveToInt(FDrive) + 1);
    FDirectory = ForceCase(CurDir());
    if (!Loading()) BuildTree();
}

void TCDirectoryOutline::SetTextCase(TTextCase NewTextCase) {
    if (NewTextCase == FTextCase) return;
    FTextCase = NewTextCase;
    AssignCaseProc();
    if (NewTextCase == tcAsIs) {
        FDirectory = CurDir();
        FDrive = FDirectory.empty() ? 0 : FDirectory[0];
    }
    if (!Loading()) BuildTree();
}

void TCDirectoryOutline::CreateWnd() {
    TCustomOutline::CreateWnd();
    if (FDrive == 0) {
        AnsiString Dir = ForceCase(CurDir());
        if (!Dir.empty()) {
            FDrive = Dir[0];
            FDirectory = Dir;
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
