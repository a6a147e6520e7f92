#include "platform/ui/StdCtrls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <climits>

#include "platform/graphics/Windows.h"
#include "platform/ui/qt/QtPeer.h"

const std::vector<AnsiString>& ImeModeNames() {
    static const std::vector<AnsiString> Names = {"imDisable", "imClose",   "imOpen",     "imDontCare",
                                                  "imSAlpha",  "imAlpha",   "imHira",     "imSKata",
                                                  "imKata",    "imChinese", "imSHanguel", "imHanguel"};
    return Names;
}

// ---------------------------------------------------------------------------------------------
// TLabel

const TClassInfo& TLabel::StaticClassInfo() {
    using C = TLabel;
    static const TClassInfo Info =
        TClassBuilder<C>("TLabel", &TGraphicControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Align"})
            .Enum("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify,
                  {"taLeftJustify", "taRightJustify", "taCenter"})
            .Inherit({"Anchors"})
            .Bool("AutoSize", &C::AutoSize, &C::SetAutoSize, true)
            .Inherit(
                {"Caption", "Color", "Constraints", "DragCursor", "DragKind", "DragMode", "Enabled", "Font"})
            .Enum("Layout", &C::Layout, &C::SetLayout, tlTop, {"tlTop", "tlCenter", "tlBottom"})
            .Inherit({"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"})
            .Bool("ShowAccelChar", &C::ShowAccelChar, &C::SetShowAccelChar, true)
            .Inherit({"ShowHint"})
            .Bool("Transparent", &C::Transparent, &C::SetTransparent, false)
            .Inherit({"Visible"})
            .Bool("WordWrap", &C::WordWrap, &C::SetWordWrap, false)
            .Inherit({"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag",
                      "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"})
            .Build();
    return Info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 65, 17);
}

void TLabel::SetAlignment(TAlignment V) {
    if (V == FAlignment) return;
    FAlignment = V;
    Invalidate();
}

void TLabel::SetAutoSize(bool V) {
    if (V == FAutoSize) return;
    FAutoSize = V;
    AdjustBounds();
}

void TLabel::SetLayout(TTextLayout V) {
    if (V == FLayout) return;
    FLayout = V;
    Invalidate();
}

void TLabel::SetTransparent(bool V) {
    if (V == FTransparent) return;
    FTransparent = V;
    Invalidate();
}

void TLabel::SetWordWrap(bool V) {
    if (V == FWordWrap) return;
    FWordWrap = V;
    AdjustBounds();
    Invalidate();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::TextChanged() {
    AdjustBounds();
}

void TLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!FAutoSize || FWordWrap || Loading()) return;
    TCanvas* C = Canvas();
    C->SetFont(*Font());
    AnsiString T = Caption().empty() ? AnsiString(" ") : Caption();
    int W = Caption().empty() ? 0 : C->TextWidth(T);
    int H = C->TextHeight(T);
    int L = Left();
    if (FAlignment == taRightJustify) L += Width() - W;
    SetBounds(L, Top(), W, H);
}

void TLabel::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    if (!FTransparent) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Color());
        C->FillRect(R);
    }
    C->SetFont(*Font());
    if (!Enabled()) C->Font()->SetColor(clGrayText);
    C->Brush()->SetStyle(bsClear);
    const AnsiString& T = Caption();
    int TW = C->TextWidth(T), TH = C->TextHeight(T.empty() ? AnsiString(" ") : T);
    int X = 0, Y = 0;
    if (FAlignment == taRightJustify) X = R.Right - TW;
    if (FAlignment == taCenter) X = (R.Right - TW) / 2;
    if (FLayout == tlCenter) Y = (R.Bottom - TH) / 2;
    if (FLayout == tlBottom) Y = R.Bottom - TH;
    if (!FWordWrap) {
        C->TextRect(R, X, Y, T);
        return;
    }
    // Wrapped at spaces, line by line, within the label.
    AnsiString Line;
    size_t I = 0;
    while (I <= T.size() && Y < R.Bottom) {
        size_t Sp = T.find(' ', I);
        AnsiString Word = T.substr(I, Sp == AnsiString::npos ? AnsiString::npos : Sp - I);
        AnsiString Try = Line.empty() ? Word : Line + " " + Word;
        if (!Line.empty() && C->TextWidth(Try) > R.Right) {
            C->TextRect(R, 0, Y, Line);
            Y += TH;
            Line = Word;
        } else {
            Line = Try;
        }
        if (Sp == AnsiString::npos) break;
        I = Sp + 1;
    }
    if (!Line.empty() && Y < R.Bottom) C->TextRect(R, 0, Y, Line);
}

// ---------------------------------------------------------------------------------------------
// TButton

const TClassInfo& TButton::StaticClassInfo() {
    using C = TButton;
    static const TClassInfo Info = [] {
        RegisterIntegerIdents("TModalResult", {{"mrNone", mrNone},
                                               {"mrOk", mrOk},
                                               {"mrCancel", mrCancel},
                                               {"mrAbort", mrAbort},
                                               {"mrRetry", mrRetry},
                                               {"mrIgnore", mrIgnore},
                                               {"mrYes", mrYes},
                                               {"mrNo", mrNo}});
        return TClassBuilder<C>("TButton", &TWinControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Anchors"})
            .Bool("Cancel", &C::Cancel, &C::SetCancel, false)
            .Inherit({"Caption", "Constraints"})
            .Bool("Default", &C::Default, &C::SetDefault, false)
            .Inherit({"DragCursor", "DragKind", "DragMode", "Enabled", "Font"})
            .Int("ModalResult", &C::ModalResult, &C::SetModalResult, mrNone, "TModalResult")
            .Inherit({"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop",
                      "Visible", "OnClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
                      "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"})
            .Build();
    }();
    return Info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetControlStyle(ControlStyle() & ~static_cast<uint32_t>(csClickEvents));
}

void TButton::Click() {
    TQtPeer::CommitComposition();
    TWinControl::Click();
    // Only a handler that finished closes the form: a failed save keeps the dialog open.
    if (FModalResult != mrNone)
        if (TForm* F = GetParentForm(this)) F->SetModalResult(FModalResult);
}

void TButton::CreateWnd() {
    if (!FPeer) FPeer = TQtPeer::CreateButton(this);
    TWinControl::CreateWnd();
}

void TButton::TextChanged() {
    if (FPeer && FPeer->Widget) static_cast<QPushButton*>(FPeer->Widget.data())->setText(ToQ(Caption()));
}

// ---------------------------------------------------------------------------------------------
// TEdit

const TClassInfo& TEdit::StaticClassInfo() {
    using C = TEdit;
    static const TClassInfo Info =
        TClassBuilder<C>("TEdit", &TWinControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Anchors", "Color", "Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode",
                      "Enabled", "Font"})
            .Enum("ImeMode", &C::ImeMode, &C::SetImeMode, imDontCare, ImeModeNames())
            .Str("ImeName", &C::ImeName, &C::SetImeName)
            .Int("MaxLength", &C::MaxLength, &C::SetMaxLength, 0)
            .Inherit({"ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu"})
            .Bool("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false)
            .Inherit({"ShowHint", "TabOrder", "TabStop", "Text", "Visible"})
            .Event("OnChange", &C::OnChange)
            .Inherit({"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
                      "OnMouseDown", "OnMouseMove", "OnMouseUp"})
            .Build();
    return Info;
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

AnsiString TEdit::Text() const {
    TQtPeer::CommitComposition();
    return TControl::Text();
}

void TEdit::SetMaxLength(int V) {
    if (V == FMaxLength) return;
    FMaxLength = V;
    if (FPeer && FPeer->Widget)
        static_cast<QLineEdit*>(FPeer->Widget.data())->setMaxLength(V > 0 ? V : INT_MAX);
}

void TEdit::SetReadOnly(bool V) {
    if (V == FReadOnly) return;
    FReadOnly = V;
    if (FPeer && FPeer->Widget) static_cast<QLineEdit*>(FPeer->Widget.data())->setReadOnly(V);
}

void TEdit::SetPasswordChar(char V) {
    if (V == FPasswordChar) return;
    FPasswordChar = V;
    if (FPeer && FPeer->Widget)
        static_cast<QLineEdit*>(FPeer->Widget.data())->setEchoMode(V ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::CreateWnd() {
    if (!FPeer) FPeer = TQtPeer::CreateEdit(this);
    TWinControl::CreateWnd();
}

void TEdit::TextChanged() {
    if (!FSyncing && FPeer && FPeer->Widget) {
        FSyncing = true;
        static_cast<QLineEdit*>(FPeer->Widget.data())->setText(ToQ(TControl::Text()));
        FSyncing = false;
    }
    if (OnChange && !FSyncing) OnChange(this);
}

void TEdit::WidgetTextChanged(const AnsiString& T) {
    if (FSyncing) return;
    FSyncing = true;
    try {
        TControl::SetText(T);
    } catch (...) {
        FSyncing = false;
        throw;
    }
    FSyncing = false;
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TComboBox

const TClassInfo& TComboBox::StaticClassInfo() {
    using C = TComboBox;
    static const TClassInfo Info =
        TClassBuilder<C>("TComboBox", &TWinControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Enum("Style", &C::Style, &C::SetStyle, csDropDown,
                  {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"})
            .Inherit({"Anchors", "Color", "Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode"})
            .Int("DropDownCount", &C::DropDownCount, &C::SetDropDownCount, 8)
            .Inherit({"Enabled", "Font"})
            .Enum("ImeMode", &C::ImeMode, &C::SetImeMode, imDontCare, ImeModeNames())
            .Str("ImeName", &C::ImeName, &C::SetImeName)
            .Int("ItemHeight", &C::ItemHeight, &C::SetItemHeight, 13)
            .Int("MaxLength", &C::MaxLength, &C::SetMaxLength, 0)
            .Inherit({"ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"})
            .Bool("Sorted", &C::Sorted, &C::SetSorted, false)
            .Inherit({"TabOrder", "TabStop", "Text", "Visible"})
            .Event("OnChange", &C::OnChange)
            .Inherit({"OnClick", "OnDblClick"})
            .Event("OnDropDown", &C::OnDropDown)
            .Inherit({"OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
            .Lines("Items", &C::Items)
            .Int("ItemIndex", &C::ItemIndex, &C::SetItemIndex, -1)
            .Build();
    return Info;
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
    SetTabStop(true);
    FItems->OnChange = [this] {
        if (FItemIndex >= FItems->Count()) FItemIndex = -1;
        SyncWidgetItems();
    };
}

TComboBox::~TComboBox() {
    FItems->OnChange = nullptr;
}

void TComboBox::SetItemIndex(int V) {
    if (V < 0 || V >= FItems->Count()) V = -1;
    AnsiString T = V >= 0 ? (*FItems)[V] : AnsiString();
    if (V == FItemIndex && TControl::Text() == T) return;
    FItemIndex = V;
    FSyncing = true;
    TControl::SetText(T);
    FSyncing = false;
    SyncWidgetSelection();
}

void TComboBox::SetStyle(TComboBoxStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    if (FPeer && FPeer->Widget) {
        auto* W = static_cast<QComboBox*>(FPeer->Widget.data());
        W->setEditable(V == csDropDown || V == csSimple);
        SyncWidgetSelection();
    }
}

AnsiString TComboBox::Text() const {
    TQtPeer::CommitComposition();
    return TControl::Text();
}

void TComboBox::SetText(const AnsiString& V) {
    if (FItemIndex >= 0 && (*FItems)[FItemIndex] != V) FItemIndex = -1;
    TControl::SetText(V);
    SyncWidgetSelection();
}

void TComboBox::Clear() {
    FItems->Clear();
    SetItemIndex(-1);
}

void TComboBox::CreateWnd() {
    if (!FPeer) {
        FPeer = TQtPeer::CreateComboBox(this);
        SyncWidgetItems();
    }
    TWinControl::CreateWnd();
}

void TComboBox::SyncWidgetItems() {
    if (!FPeer || !FPeer->Widget) return;
    auto* W = static_cast<QComboBox*>(FPeer->Widget.data());
    FSyncing = true;
    {
        QSignalBlocker Block(W);
        W->clear();
        for (const AnsiString& S : FItems->Items()) W->addItem(ToQ(S));
    }
    FSyncing = false;
    SyncWidgetSelection();
}

void TComboBox::SyncWidgetSelection() {
    if (!FPeer || !FPeer->Widget) return;
    auto* W = static_cast<QComboBox*>(FPeer->Widget.data());
    QSignalBlocker Block(W);
    W->setCurrentIndex(FItemIndex);
    if (W->isEditable()) W->setEditText(ToQ(TControl::Text()));
}

void TComboBox::WidgetSelected(int Index) {
    if (FSyncing) return;
    FItemIndex = Index >= 0 && Index < FItems->Count() ? Index : -1;
    FSyncing = true;
    TControl::SetText(FItemIndex >= 0 ? (*FItems)[FItemIndex] : AnsiString());
    FSyncing = false;
    Click();
    if (OnChange) OnChange(this);
}

void TComboBox::WidgetEditChanged(const AnsiString& T) {
    if (FSyncing || T == TControl::Text()) return;
    if (FItemIndex >= 0 && (*FItems)[FItemIndex] != T) FItemIndex = -1;
    FSyncing = true;
    TControl::SetText(T);
    FSyncing = false;
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TMemo

const TClassInfo& TMemo::StaticClassInfo() {
    using C = TMemo;
    static const TClassInfo Info =
        TClassBuilder<C>("TMemo", &TWinControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Align"})
            .Inherit({"Anchors", "Color", "Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode",
                      "Enabled", "Font"})
            .Enum("ImeMode", &C::ImeMode, &C::SetImeMode, imDontCare, ImeModeNames())
            .Str("ImeName", &C::ImeName, &C::SetImeName)
            .Lines("Lines", &C::Lines)
            .Int("MaxLength", &C::MaxLength, &C::SetMaxLength, 0)
            .Inherit({"ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu"})
            .Bool("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false)
            .Enum("ScrollBars", &C::ScrollBars, &C::SetScrollBars, ssNone,
                  {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
            .Inherit({"ShowHint", "TabOrder", "TabStop", "Visible"})
            .Bool("WantReturns", &C::WantReturns, &C::SetWantReturns, true)
            .Bool("WantTabs", &C::WantTabs, &C::SetWantTabs, false)
            .Bool("WordWrap", &C::WordWrap, &C::SetWordWrap, true)
            .Event("OnChange", &C::OnChange)
            .Inherit({"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
                      "OnMouseDown", "OnMouseMove", "OnMouseUp"})
            .Build();
    return Info;
}

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner), FLines(std::make_unique<TStringList>()) {
    SetBounds(0, 0, 185, 89);
    SetColor(clWindow);
    SetTabStop(true);
    FLines->OnChange = [this] {
        if (FSyncing) return;
        SyncWidgetText();
        if (OnChange) OnChange(this);
    };
}

TMemo::~TMemo() {
    FLines->OnChange = nullptr;
}

TStrings* TMemo::Lines() const {
    TQtPeer::CommitComposition();
    return FLines.get();
}

AnsiString TMemo::Text() const {
    return Lines()->Text();
}

void TMemo::SetText(const AnsiString& V) {
    FLines->SetText(V);
}

void TMemo::SetReadOnly(bool V) {
    if (V == FReadOnly) return;
    FReadOnly = V;
    if (FPeer && FPeer->Widget) static_cast<QPlainTextEdit*>(FPeer->Widget.data())->setReadOnly(V);
}

void TMemo::SetWantTabs(bool V) {
    if (V == FWantTabs) return;
    FWantTabs = V;
    if (FPeer && FPeer->Widget) static_cast<QPlainTextEdit*>(FPeer->Widget.data())->setTabChangesFocus(!V);
}

void TMemo::SetWordWrap(bool V) {
    if (V == FWordWrap) return;
    FWordWrap = V;
    if (FPeer && FPeer->Widget)
        static_cast<QPlainTextEdit*>(FPeer->Widget.data())
            ->setLineWrapMode(V ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::CreateWnd() {
    if (!FPeer) {
        FPeer = TQtPeer::CreateMemo(this);
        SyncWidgetText();
    }
    TWinControl::CreateWnd();
}

void TMemo::SyncWidgetText() {
    if (!FPeer || !FPeer->Widget) return;
    QString T;
    for (int I = 0; I < FLines->Count(); ++I) {
        if (I > 0) T += '\n';
        T += ToQ((*FLines)[I]);
    }
    FSyncing = true;
    {
        QSignalBlocker Block(FPeer->Widget.data());
        static_cast<QPlainTextEdit*>(FPeer->Widget.data())->setPlainText(T);
    }
    FSyncing = false;
}

void TMemo::WidgetTextChanged() {
    if (FSyncing || !FPeer || !FPeer->Widget) return;
    QString T = static_cast<QPlainTextEdit*>(FPeer->Widget.data())->toPlainText();
    FSyncing = true;
    try {
        FLines->Clear();
        if (!T.isEmpty())
            for (const QString& L : T.split('\n')) FLines->Add(FromQ(L));
    } catch (...) {
        FSyncing = false;
        throw;
    }
    FSyncing = false;
    if (OnChange) OnChange(this);
}
