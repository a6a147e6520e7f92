#include "platform/ui/Accessibility.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Outline.h"
#include "platform/ui/StdCtrls.h"

namespace {
struct TEntry {
    std::function<bool(TControl*)> Matches;
    TAccDescriber Describe;
};

bool Blank(const AnsiString& S) {
    return S.find_first_not_of(' ') == AnsiString::npos;
}

// A key row of a panel is named by its heading and its text, or the panel's blank name.
void DescribeLabel(TLabel* L, TAccDescription& D) {
    D.Self.Role = TAccRole::Label;
    D.Self.Name = L->Caption();
    auto* P = dynamic_cast<TPanel*>(L->Parent());
    if (!P) return;
    const auto& Rows = P->KeyRows();
    for (size_t K = 0; K < Rows.size(); ++K) {
        if (Rows[K] != L) continue;
        D.Self.Role = TAccRole::ListItem;
        AnsiString Text = Blank(L->Caption()) ? P->KeyRowBlankName() : L->Caption();
        TControl* Heading = K < P->KeyRowHeadings().size() ? P->KeyRowHeadings()[K] : nullptr;
        D.Self.Name = Heading ? Heading->Caption() + " " + Text : Text;
        D.Self.Selectable = true;
        D.Self.Selected = D.Self.Focused = P->Focused() && P->KeyRow() == static_cast<int>(K);
    }
}

void DescribePanel(TPanel* P, TAccDescription& D) {
    D.Self.Role = !P->KeyRows().empty()  ? TAccRole::List
                  : P->Caption().empty() ? TAccRole::Pane
                                         : TAccRole::Label;
    D.Self.Name = P->Caption();
}

void DescribeGrid(TDBGrid* G, TAccDescription& D) {
    D.Self.Role = TAccRole::List;
    TDataSource* Src = G->DataSource();
    TDataSet* Ds = Src ? Src->DataSet() : nullptr;
    if (!Ds || !Ds->Active()) return;
    for (int R = 0; R < Ds->RecordCount(); ++R) {
        TAccItem Row;
        Row.Role = TAccRole::ListItem;
        for (int C = 0; C < G->ShownColumnCount(); ++C)
            if (TField* F = G->ShownColumn(C)->Field()) {
                AnsiString T = Ds->RecordText(R, F);
                if (!T.empty()) Row.Name += (Row.Name.empty() ? "" : " ") + T;
            }
        int GridRow = G->RecordRow(R);
        TRect First = G->CellRect(0, GridRow), Last = G->CellRect(G->ColCount() - 1, GridRow);
        Row.Bounds = {First.Left, First.Top, Last.Right, Last.Bottom};
        Row.Selectable = true;
        Row.Selected = Ds->RecNo() == R + 1;
        D.Parts.push_back(Row);
    }
}

void DescribeOutline(TCustomOutline* O, TAccDescription& D) {
    D.Self.Role = TAccRole::Tree;
    int Row = 0;
    for (int I = 1; I <= O->ItemCount(); ++I) {
        TOutlineNode* N = O->Items(I);
        if (!N->IsVisible()) continue;
        TAccItem Item;
        Item.Role = TAccRole::TreeItem;
        Item.Name = N->Text();
        Item.Value = N->FullPath();
        Item.Selectable = true;
        Item.Selected = O->SelectedItem() == I;
        Item.Expandable = N->HasItems();
        Item.Expanded = N->Expanded();
        int Top = (Row++ - O->TopRow()) * O->ItemHeight();
        Item.Bounds = {0, Top, O->ClientWidth(), Top + O->ItemHeight()};
        D.Parts.push_back(Item);
    }
    if (TOutlineNode* S = O->SelectedItem() > 0 ? O->Items(O->SelectedItem()) : nullptr)
        D.Self.Value = S->FullPath();
}

std::vector<TEntry>& Registry() {
    static std::vector<TEntry> R = [] {
        std::vector<TEntry> L;
        auto Add = [&L]<class T>(void (*F)(T*, TAccDescription&)) {
            L.push_back({[](TControl* C) { return dynamic_cast<T*>(C) != nullptr; },
                         [F](TControl* C, TAccDescription& D) { F(static_cast<T*>(C), D); }});
        };
        Add(+[](TForm* F, TAccDescription& D) {
            D.Self.Role = TAccRole::Window;
            D.Self.Name = F->Caption();
        });
        Add(DescribeLabel);
        Add(DescribePanel);
        Add(+[](TBevel*, TAccDescription& D) { D.Self.Role = TAccRole::Separator; });
        // What a spinner steps is its owner's to say (its value); its position counts steps.
        Add(+[](TUpDown*, TAccDescription& D) { D.Self.Role = TAccRole::SpinButton; });
        Add(DescribeGrid);
        Add(DescribeOutline);
        return L;
    }();
    return R;
}
}  // namespace

void RegisterAccessible(std::function<bool(TControl*)> Matches, TAccDescriber Describe) {
    Registry().push_back({std::move(Matches), std::move(Describe)});
}

TAccDescription DescribeAccessible(TControl* C) {
    TAccDescription D;
    D.Self.Name = C->Caption();
    auto& R = Registry();
    for (auto It = R.rbegin(); It != R.rend(); ++It)
        if (It->Matches(C)) {
            It->Describe(C, D);
            break;
        }
    // A name or value given to the control itself wins over what its class tells.
    if (!C->AccessibleName().empty()) D.Self.Name = C->AccessibleName();
    if (!C->AccessibleValue().empty()) D.Self.Value = C->AccessibleValue();
    return D;
}
