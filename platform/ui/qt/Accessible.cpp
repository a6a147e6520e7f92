// Qt's accessibility for the controls that paint themselves: each one's widget answers with the
// role, name, value and state that DescribeAccessible gives, and the parts it draws (calendar
// days, summary rows, colour squares) are children of their own.
#include "platform/ui/qt/Accessible.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QWidget>

#include "platform/ui/Accessibility.h"
#include "platform/ui/qt/QtPeer.h"

namespace {

QAccessible::Role RoleOf(TAccRole R) {
    switch (R) {
        case TAccRole::Window:
            return QAccessible::Window;
        case TAccRole::Pane:
            return QAccessible::Pane;
        case TAccRole::Label:
            return QAccessible::StaticText;
        case TAccRole::Separator:
            return QAccessible::Separator;
        case TAccRole::Button:
            return QAccessible::Button;
        case TAccRole::SpinButton:
            return QAccessible::SpinBox;
        case TAccRole::List:
            return QAccessible::List;
        case TAccRole::ListItem:
            return QAccessible::ListItem;
        case TAccRole::Table:
            return QAccessible::Table;
        case TAccRole::Cell:
            return QAccessible::Cell;
        case TAccRole::ProgressBar:
            return QAccessible::ProgressBar;
        case TAccRole::Chart:
            return QAccessible::Chart;
        case TAccRole::Tree:
            return QAccessible::Tree;
        case TAccRole::TreeItem:
            return QAccessible::TreeItem;
        case TAccRole::Graphic:
            return QAccessible::Graphic;
    }
    return QAccessible::Client;
}

void ApplyState(const TAccItem& I, QAccessible::State& S) {
    S.selectable = I.Selectable;
    S.selected = I.Selected;
    if (I.Focused) S.focused = true;
    S.expandable = I.Expandable;
    S.expanded = I.Expandable && I.Expanded;
    S.collapsed = I.Expandable && !I.Expanded;
}

class TPartAccessible;

class TControlAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit TControlAccessible(QWidget* W) : QAccessibleWidget(W, QAccessible::Client) {}
    ~TControlAccessible() override;

    TControl* Control() const {
        TQtPeer* P = TQtPeer::Of(object());
        return P ? P->Control : nullptr;
    }
    TAccDescription Describe() const {
        TControl* C = Control();
        return C ? DescribeAccessible(C) : TAccDescription{};
    }
    int PartCount() const {
        TControl* C = Control();
        return C ? static_cast<int>(Describe().Parts.size()) : 0;
    }
    TAccItem Part(int I) const {
        TAccDescription D = Describe();
        return I >= 0 && I < static_cast<int>(D.Parts.size()) ? D.Parts[I] : TAccItem{};
    }
    QRect PartRect(const TAccItem& I) const {
        TControl* C = Control();
        if (!C) return {};
        int N = C->NonClientWidth();
        QRect Local(I.Bounds.Left + N, I.Bounds.Top + N, I.Bounds.Right - I.Bounds.Left,
                    I.Bounds.Bottom - I.Bounds.Top);
        return QRect(widget()->mapToGlobal(Local.topLeft()), Local.size());
    }

    bool isValid() const override { return QAccessibleWidget::isValid() && Control(); }
    QAccessible::Role role() const override { return RoleOf(Describe().Self.Role); }
    QString text(QAccessible::Text T) const override {
        TAccDescription D = Describe();
        switch (T) {
            case QAccessible::Name:
                return ToQ(D.Self.Name);
            case QAccessible::Value:
                return ToQ(D.Self.Value);
            case QAccessible::Description:
                // Screen readers on Linux read no value text; what the control holds goes here.
                return ToQ(D.Self.Description.empty() ? D.Self.Value : D.Self.Description);
            default:
                return QAccessibleWidget::text(T);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State S = QAccessibleWidget::state();
        ApplyState(Describe().Self, S);
        return S;
    }
    int childCount() const override { return QAccessibleWidget::childCount() + PartCount(); }
    QAccessibleInterface* child(int I) const override {
        int Widgets = QAccessibleWidget::childCount();
        if (I < Widgets) return QAccessibleWidget::child(I);
        if (I - Widgets >= PartCount()) return nullptr;
        return PartInterface(I - Widgets);
    }
    int indexOfChild(const QAccessibleInterface* C) const override;
    QAccessibleInterface* focusChild() const override {
        TAccDescription D = Describe();
        for (size_t I = 0; I < D.Parts.size(); ++I)
            if (D.Parts[I].Focused) return PartInterface(static_cast<int>(I));
        return QAccessibleWidget::focusChild();
    }
    QAccessibleInterface* childAt(int X, int Y) const override {
        TAccDescription D = Describe();
        for (size_t I = 0; I < D.Parts.size(); ++I)
            if (PartRect(D.Parts[I]).contains(X, Y)) return PartInterface(static_cast<int>(I));
        return QAccessibleWidget::childAt(X, Y);
    }
    void* interface_cast(QAccessible::InterfaceType T) override {
        if (T == QAccessible::ValueInterface && Describe().Self.HasRange)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(T);
    }

    // A number shown, not one to be set from outside.
    QVariant currentValue() const override { return Describe().Self.Current; }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return Describe().Self.Maximum; }
    QVariant minimumValue() const override { return Describe().Self.Minimum; }
    QVariant minimumStepSize() const override { return 1; }

    QAccessibleInterface* PartInterface(int I) const;

  private:
    mutable std::vector<QAccessible::Id> FParts;
};

// One part a control draws. It lives as long as the control's interface and answers from a fresh
// description each time, so it is never stale; a part beyond the present count is invalid.
class TPartAccessible : public QAccessibleInterface {
  public:
    TPartAccessible(TControlAccessible* Owner, int Index) : FOwner(Owner), FIndex(Index) {}
    bool isValid() const override { return FOwner->isValid() && FIndex < FOwner->PartCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return FOwner->window(); }
    QAccessibleInterface* parent() const override { return FOwner; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text T) const override {
        TAccItem I = FOwner->Part(FIndex);
        if (T == QAccessible::Name) return ToQ(I.Name);
        if (T == QAccessible::Value) return ToQ(I.Value);
        if (T == QAccessible::Description) return ToQ(I.Description.empty() ? I.Value : I.Description);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return FOwner->PartRect(FOwner->Part(FIndex)); }
    QAccessible::Role role() const override { return RoleOf(FOwner->Part(FIndex).Role); }
    QAccessible::State state() const override {
        QAccessible::State S;
        if (!isValid()) {
            S.invalid = true;
            return S;
        }
        ApplyState(FOwner->Part(FIndex), S);
        return S;
    }
    int Index() const { return FIndex; }
    const TControlAccessible* Owner() const { return FOwner; }

  private:
    TControlAccessible* FOwner;
    int FIndex;
};

TControlAccessible::~TControlAccessible() {
    for (QAccessible::Id Id : FParts) QAccessible::deleteAccessibleInterface(Id);
}

QAccessibleInterface* TControlAccessible::PartInterface(int I) const {
    while (static_cast<int>(FParts.size()) <= I) {
        auto* Part =
            new TPartAccessible(const_cast<TControlAccessible*>(this), static_cast<int>(FParts.size()));
        FParts.push_back(QAccessible::registerAccessibleInterface(Part));
    }
    return QAccessible::accessibleInterface(FParts[I]);
}

int TControlAccessible::indexOfChild(const QAccessibleInterface* C) const {
    if (auto* P = dynamic_cast<const TPartAccessible*>(C); P && P->Owner() == this)
        return QAccessibleWidget::childCount() + P->Index();
    return QAccessibleWidget::indexOfChild(C);
}

QAccessibleInterface* Factory(const QString&, QObject* O) {
    TQtPeer* P = TQtPeer::Of(O);
    // Native widgets (edits, lists, buttons) keep Qt's own answers.
    if (!P || P->NativeText || P->NativeClicks || !O->isWidgetType()) return nullptr;
    if (P->Widget != O) return nullptr;
    return new TControlAccessible(static_cast<QWidget*>(O));
}

}  // namespace

void InstallAccessibility() {
    QAccessible::installFactory(Factory);
}

void AccessibleFocusMoved(TControl* Container, TControl* Item) {
    if (!QAccessible::isActive() || !Item->Peer() || !Item->Peer()->Widget) return;
    QAccessibleEvent Focus(Item->Peer()->Widget.data(), QAccessible::Focus);
    QAccessible::updateAccessibility(&Focus);
}

void AccessibleTextChanged(TControl* C) {
    if (!QAccessible::isActive() || !C->Peer() || !C->Peer()->Widget) return;
    QWidget* W = C->Peer()->Widget;
    for (QAccessible::Event Kind : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
        QAccessibleEvent E(W, Kind);
        QAccessible::updateAccessibility(&E);
    }
}
