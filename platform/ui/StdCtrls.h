#pragma once
#include <cstdint>
#include <memory>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TImeMode : uint8_t {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
const std::vector<AnsiString>& ImeModeNames();

// A caption painted on its own surface; without AutoSize and WordWrap a long caption is cut at
// the right edge.
class TLabel : public TGraphicControl {
    AGENDIX_CLASS(TLabel)
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool V);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout V);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool V);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool V);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool V) { FShowAccelChar = V; }
    void Loaded() override;

  protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void AdjustBounds();

  private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FAutoSize = true, FTransparent = false, FWordWrap = false, FShowAccelChar = true;
};

// A push button. With ModalResult set, a click closes its form with that result once OnClick has
// returned without an exception; an exception keeps the form open.
class TButton : public TWinControl {
    AGENDIX_CLASS(TButton)
    explicit TButton(TComponent* AOwner);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult V) { FModalResult = V; }
    bool Default() const { return FDefault; }
    void SetDefault(bool V) { FDefault = V; }
    bool Cancel() const { return FCancel; }
    void SetCancel(bool V) { FCancel = V; }
    void Click() override;

  protected:
    void CreateWnd() override;
    void TextChanged() override;

  private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false, FCancel = false;
};

// A one-line edit. Reading Text first commits what an input method is still composing.
class TEdit : public TWinControl {
    AGENDIX_CLASS(TEdit)
    explicit TEdit(TComponent* AOwner);
    AnsiString Text() const override;
    void Clear() { SetText(""); }
    int MaxLength() const { return FMaxLength; }  // 0: no limit
    void SetMaxLength(int V);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool V);
    // Not '\0': what is typed is shown as that mark (passwords).
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char V);
    const AnsiString& ImeName() const { return FImeName; }
    void SetImeName(const AnsiString& V) { FImeName = V; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode V) { FImeMode = V; }
    TNotifyEvent OnChange;

  protected:
    void CreateWnd() override;
    void TextChanged() override;
    friend struct TQtPeer;
    void WidgetTextChanged(const AnsiString& T);

  private:
    int FMaxLength = 0;
    bool FReadOnly = false, FSyncing = false;
    char FPasswordChar = '\0';
    AnsiString FImeName;
    TImeMode FImeMode = imDontCare;
};

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A combo box over Items. ItemIndex -1, or any index outside the items, means nothing is chosen:
// it reads back -1 and the box is empty.
class TComboBox : public TWinControl {
    AGENDIX_CLASS(TComboBox)
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    TStrings* Items() const { return FItems.get(); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int V);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int V) { FItemHeight = V; }
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle V);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int V) { FDropDownCount = V; }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int V) { FMaxLength = V; }
    bool Sorted() const { return FSorted; }
    void SetSorted(bool V) { FSorted = V; }
    const AnsiString& ImeName() const { return FImeName; }
    void SetImeName(const AnsiString& V) { FImeName = V; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode V) { FImeMode = V; }
    AnsiString Text() const override;
    void SetText(const AnsiString& V) override;
    void Clear();
    TNotifyEvent OnChange, OnDropDown;

  protected:
    void CreateWnd() override;
    friend struct TQtPeer;
    void SyncWidgetItems();
    void SyncWidgetSelection();
    void WidgetSelected(int Index);
    void WidgetEditChanged(const AnsiString& T);

  private:
    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1, FItemHeight = 13, FDropDownCount = 8, FMaxLength = 0;
    TComboBoxStyle FStyle = csDropDown;
    bool FSorted = false, FSyncing = false;
    AnsiString FImeName;
    TImeMode FImeMode = imDontCare;
};

// A multi-line edit over Lines. Reading Lines or Text first commits what an input method is
// still composing.
class TMemo : public TWinControl {
    AGENDIX_CLASS(TMemo)
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    TStrings* Lines() const;
    void SetLines(const TStrings& V) { FLines->Assign(V); }
    void Clear() { FLines->Clear(); }
    AnsiString Text() const override;
    void SetText(const AnsiString& V) override;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool V);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool V);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int V) { FMaxLength = V; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle V) { FScrollBars = V; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool V) { FWantReturns = V; }
    bool WantTabs() const { return FWantTabs; }
    // Without it, Tab and Shift+Tab move the focus on instead of typing a tab.
    void SetWantTabs(bool V);
    const AnsiString& ImeName() const { return FImeName; }
    void SetImeName(const AnsiString& V) { FImeName = V; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode V) { FImeMode = V; }
    TNotifyEvent OnChange;

  protected:
    void CreateWnd() override;
    friend struct TQtPeer;
    void SyncWidgetText();
    void WidgetTextChanged();

  private:
    std::unique_ptr<TStringList> FLines;
    bool FReadOnly = false, FWordWrap = true, FWantReturns = true, FWantTabs = false, FSyncing = false;
    int FMaxLength = 0;
    TScrollStyle FScrollBars = ssNone;
    AnsiString FImeName;
    TImeMode FImeMode = imDontCare;
};
