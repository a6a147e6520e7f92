#include "platform/classes/Classes.h"

#include <algorithm>

#include "platform/classes/FormIO.h"
#include "platform/classes/TypInfo.h"

const TClassInfo& TObject::StaticClassInfo() {
    static const TClassInfo Info = [] {
        TClassInfo I;
        I.Name = "TObject";
        return I;
    }();
    return Info;
}

const TClassInfo* TObject::ClassInfo() const { return &StaticClassInfo(); }

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClassInfo()).Build();
    return I;
}

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClassInfo())
                                    .OfferOnly()
                                    .Str("Name", &TComponent::Name, &TComponent::SetName)
                                    .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
                                    .Build();
    return I;
}

const TClassInfo& TCollectionItem::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClassInfo()).Build();
    return I;
}

const TClassInfo& TCollection::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TCollection>("TCollection", &TPersistent::StaticClassInfo()).Build();
    return I;
}

AnsiString TObject::ClassName() const { return ClassInfo()->Name; }

bool TObject::InheritsFrom(const TClassInfo* Class) const { return ClassInfo()->InheritsFrom(Class); }

void TPersistent::Assign(const TPersistent& Source) {
    throw EConvertError("Cannot assign a " + Source.ClassName() + " to a " + ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Include(csDestroying);
    while (!FComponents.empty()) {
        TComponent* C = FComponents.back();
        delete C;  // removes itself from our list
    }
    if (FOwner) FOwner->RemoveComponent(this);
    UnregisterRootComponent(this);
    DropPendingFixups(this);
}

void TComponent::SetName(const AnsiString& Value) {
    if (Value == FName) return;
    if (FOwner && !Value.empty()) {
        TComponent* Other = FOwner->FindComponent(Value);
        if (Other && Other != this) throw EInvalidOperation("A component named " + Value + " already exists");
    }
    FName = Value;
}

TComponent* TComponent::FindComponent(const AnsiString& Name) const {
    if (Name.empty()) return nullptr;
    for (TComponent* C : FComponents)
        if (SameText(C->Name(), Name)) return C;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* C) {
    if (C->FOwner) C->FOwner->RemoveComponent(C);
    FComponents.push_back(C);
    C->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* C) {
    auto It = std::find(FComponents.begin(), FComponents.end(), C);
    if (It == FComponents.end()) return;
    FComponents.erase(It);
    C->FOwner = nullptr;
    // Siblings holding plain pointers to it let go.
    for (TComponent* Other : FComponents) Other->Notification(C, true);
    Notification(C, true);
}

void TComponent::Loaded() { Exclude(csLoading); }

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    if (Root != this) return;
    for (TComponent* C : FComponents) Proc(C);
}

TCollection::~TCollection() {
    for (auto* I : FItems) delete I;
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* I = NewItem();
    I->SetIndexInternal(Count());
    FItems.push_back(I);
    Changed();
    return I;
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    for (auto* I : FItems) delete I;
    FItems.clear();
    Changed();
}

void TCollection::Changed() {
    if (OnChange) OnChange();
}

namespace {
std::vector<TComponent*>& Roots() {
    static std::vector<TComponent*> R;
    return R;
}
}  // namespace

void RegisterRootComponent(TComponent* Root) {
    if (std::find(Roots().begin(), Roots().end(), Root) == Roots().end()) Roots().push_back(Root);
}

void UnregisterRootComponent(TComponent* Root) {
    auto& R = Roots();
    R.erase(std::remove(R.begin(), R.end(), Root), R.end());
}

TComponent* FindGlobalComponent(const AnsiString& Name) {
    for (TComponent* C : Roots())
        if (SameText(C->Name(), Name)) return C;
    return nullptr;
}
