#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Strings.h"

struct TClassInfo;

// Declares a class's property table; put it first in the class body, followed by an access label.
#define AGENDIX_CLASS(Cls)                                           \
public:                                                              \
    static const TClassInfo& StaticClassInfo();                      \
    const TClassInfo* ClassInfo() const override { return &StaticClassInfo(); }


class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClassInfo();
    // Every class with published properties overrides this (see AGENDIX_CLASS).
    virtual const TClassInfo* ClassInfo() const;
    AnsiString ClassName() const;
    bool InheritsFrom(const TClassInfo* Class) const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// How text lies in its box; shared by fields, grid columns and labels.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TPersistent : public TObject {
    AGENDIX_CLASS(TPersistent)
    virtual void Assign(const TPersistent& Source);
};

enum TComponentStateBit : uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
};
using TComponentState = uint32_t;

class TComponent : public TPersistent {
    AGENDIX_CLASS(TComponent)
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;  // destroys the owned components, newest first
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const AnsiString& Name() const { return FName; }
    virtual void SetName(const AnsiString& Value);
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const { return FComponents.at(Index); }
    TComponent* FindComponent(const AnsiString& Name) const;  // letter case ignored
    void InsertComponent(TComponent* C);
    void RemoveComponent(TComponent* C);

    TComponentState ComponentState() const { return FComponentState; }
    void SetComponentState(TComponentState S) { FComponentState = S; }
    void Include(TComponentStateBit B) { FComponentState |= B; }
    void Exclude(TComponentStateBit B) { FComponentState &= ~static_cast<uint32_t>(B); }
    bool Loading() const { return FComponentState & csLoading; }
    virtual void Loaded();

    int Tag() const { return FTag; }
    void SetTag(int V) { FTag = V; }

    // Names of the handlers that a form description bound to this component's events, so the
    // writer can store them again.
    std::map<AnsiString, AnsiString> BoundHandlers;
    // Called before a component is destroyed, so holders of plain pointers can let go.
    virtual void Notification(TComponent* AComponent, bool Removing) {}
    // The form reader gives a child its parent (controls override this to set their Parent).
    virtual void SetParentComponent(TComponent* Parent) {}
    // The form writer's walk: the components written as children of this one. By default a
    // root lists everything it owns and other components list nothing.
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);

private:
    TComponent* FOwner = nullptr;
    AnsiString FName;
    std::vector<TComponent*> FComponents;
    TComponentState FComponentState = 0;
    int FTag = 0;
};

class TCollectionItem : public TPersistent {
    AGENDIX_CLASS(TCollectionItem)
    int Index() const { return FIndex; }
    void SetIndexInternal(int I) { FIndex = I; }

private:
    int FIndex = 0;
};

// Items of one class owned by a component: grid columns, query parameters.
class TCollection : public TPersistent {
    AGENDIX_CLASS(TCollection)
    ~TCollection() override;
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Item(int Index) const { return FItems.at(Index); }
    virtual TCollectionItem* Add();
    void Clear();
    std::function<void()> OnChange;

protected:
    virtual TCollectionItem* NewItem() = 0;
    virtual void Changed();
    std::vector<TCollectionItem*> FItems;
};

template <class T>
class TOwnedCollection : public TCollection {
public:
    T* Items(int Index) const { return static_cast<T*>(Item(Index)); }
    T* AddItem() { return static_cast<T*>(Add()); }

protected:
    TCollectionItem* NewItem() override { return new T(); }
};

// Top-level components (forms, data modules) are found by name for references between them.
void RegisterRootComponent(TComponent* Root);
void UnregisterRootComponent(TComponent* Root);
TComponent* FindGlobalComponent(const AnsiString& Name);
