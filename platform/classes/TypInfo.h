#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <type_traits>
#include <vector>

#include "platform/classes/Classes.h"

// A value as a form description writes it.
struct TFormValue {
    enum TKind { vaNull, vaInt, vaString, vaIdent, vaSet, vaList, vaCollection };
    struct TAssignment;
    struct TItem;

    TKind Kind = vaNull;
    int64_t Int = 0;
    AnsiString Str;                  // vaString text, vaIdent name
    std::vector<AnsiString> Items;   // vaSet element names, vaList strings
    std::vector<TItem> Collection;   // vaCollection items
    int Line = 0;

    static TFormValue Integer(int64_t V);
    static TFormValue String(AnsiString S);
    static TFormValue Ident(AnsiString S);
    static TFormValue Boolean(bool B);
};
struct TFormValue::TAssignment {
    AnsiString Name;  // may be dotted: "Font.Height", "Title.Caption"
    TFormValue Value;
    int Line = 0;
};
struct TFormValue::TItem {
    std::vector<TAssignment> Props;
};

class TReadContext;

enum class TPropKind { Integer, Bool, String, Enum, Set, Event, Component, Object, Strings, Collection };

struct TPropInfo {
    AnsiString Name;
    TPropKind Kind = TPropKind::Integer;
    std::vector<AnsiString> ElementNames;  // Enum ordinals, Set bits (bit i is name i)
    AnsiString IdentMap;                   // Integer idents such as colour names ("TColor")
    std::function<TFormValue(const TPersistent*)> Get;
    std::function<void(TPersistent*, const TFormValue&, TReadContext&)> Set;
    std::function<bool(const TPersistent*)> Stored;  // differs from its default and may be stored
    std::function<TPersistent*(TPersistent*)> Object;  // Object and Collection kinds
    bool AlwaysPublished = false;  // every descendant publishes it too (Left, Top, Tag, ...)
};

struct TMethodInfo {
    AnsiString Name;
    std::any Binder;  // std::function<Event(TObject* Self)>
};

struct TFieldInfo {
    AnsiString Name;
    const TClassInfo* Class = nullptr;
    std::function<bool(TObject* Self, TComponent* Value)> Assign;  // false when the class does not fit
};

struct TClassInfo {
    AnsiString Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent* Owner)> Create;  // empty for abstract classes
    std::vector<TPropInfo> Props;                           // published, in declaration order
    std::map<AnsiString, TPropInfo> Catalogue;              // everything descendants may publish
    std::vector<TMethodInfo> Methods;
    std::vector<TFieldInfo> Fields;
    bool InheritsFrom(const TClassInfo* Other) const;
    const TPropInfo* FindProp(const AnsiString& Name) const;  // letter case ignored
    const TMethodInfo* FindMethod(const AnsiString& Name) const;
    const TFieldInfo* FindField(const AnsiString& Name) const;
};

// Named integers for Integer properties: colours, cursors.
void RegisterIntegerIdents(const AnsiString& Map, const std::vector<std::pair<AnsiString, int64_t>>& Idents);
bool IdentToInt(const AnsiString& Map, const AnsiString& Ident, int64_t& Value);
bool IntToIdent(const AnsiString& Map, int64_t Value, AnsiString& Ident);

// Helpers the builder's generated setters use; they raise EReadError with the value's line.
int64_t FormInt(const TFormValue& V, const AnsiString& IdentMap = "");
bool FormBool(const TFormValue& V);
AnsiString FormString(const TFormValue& V);
int FormEnum(const TFormValue& V, const std::vector<AnsiString>& Names);
uint32_t FormSet(const TFormValue& V, const std::vector<AnsiString>& Names);
[[noreturn]] void FormError(const TFormValue& V, const AnsiString& Msg);

class TCollection;

namespace detail {
template <class C, class M>
decltype(auto) Read(const C* Obj, M Member) {
    if constexpr (std::is_member_function_pointer_v<M>)
        return (Obj->*Member)();
    else
        return (Obj->*Member);
}
template <class C, class M, class V>
void Write(C* Obj, M Member, V&& Value) {
    if constexpr (std::is_member_function_pointer_v<M>)
        (Obj->*Member)(std::forward<V>(Value));
    else
        Obj->*Member = std::forward<V>(Value);
}
template <class T>
struct MemberSig;
template <class C, class R, class... A>
struct MemberSig<R (C::*)(A...)> {
    using Event = std::function<R(A...)>;
    using Class = C;
};
}  // namespace detail

// Binds a handler name to an event member; defined in FormIO.cpp.
const TMethodInfo* FindHandler(TReadContext& Ctx, const TFormValue& V);
void AddReferenceFixup(TReadContext& Ctx, const TFormValue& V, std::function<void(TComponent*)> Apply);
AnsiString ReferenceName(const TComponent* Ref, const TPersistent* From);

template <class C>
class TClassBuilder {
public:
    TClassBuilder(const char* Name, const TClassInfo* Parent) {
        Info.Name = Name;
        Info.Parent = Parent;
        if (Parent) {
            Info.Catalogue = Parent->Catalogue;
            for (auto& P : Parent->Props)
                if (P.AlwaysPublished) Info.Props.push_back(P);
        }
    }
    TClassBuilder& Creatable() {
        Info.Create = [](TComponent* Owner) -> TComponent* { return new C(Owner); };
        return *this;
    }
    // Publishes every property the parent publishes, in its order.
    TClassBuilder& InheritAll() {
        for (auto& P : Info.Parent->Props) Publish(P);
        return *this;
    }
    // Publishes properties that an ancestor offers, in the order given.
    TClassBuilder& Inherit(std::initializer_list<const char*> Names) {
        for (const char* N : Names) {
            auto It = Info.Catalogue.find(N);
            if (It == Info.Catalogue.end()) throw EClassNotFound(AnsiString("no property ") + N + " to publish in " + Info.Name);
            Publish(It->second);
        }
        return *this;
    }
    // Further properties are only offered to descendants, not published here.
    TClassBuilder& OfferOnly() {
        FOfferOnly = true;
        FAlways = false;
        return *this;
    }
    TClassBuilder& Published() {
        FOfferOnly = false;
        FAlways = false;
        return *this;
    }
    // Further properties are published here and by every descendant.
    TClassBuilder& AlwaysPublished() {
        FOfferOnly = false;
        FAlways = true;
        return *this;
    }

    template <class G, class S>
    TClassBuilder& Int(const char* Name, G Get, S Set, int64_t Default, const char* IdentMap = "",
                       bool (C::*StoredFn)() const = nullptr) {
        TPropInfo P = Base(Name, TPropKind::Integer);
        P.IdentMap = IdentMap;
        P.Get = [Get](const TPersistent* O) {
            return TFormValue::Integer(static_cast<int64_t>(detail::Read(static_cast<const C*>(O), Get)));
        };
        P.Set = [Set, Map = P.IdentMap](TPersistent* O, const TFormValue& V, TReadContext&) {
            using T = std::decay_t<decltype(detail::Read(static_cast<const C*>(O), std::declval<G>()))>;
            detail::Write(static_cast<C*>(O), Set, static_cast<T>(FormInt(V, Map)));
        };
        P.Stored = [Get, Default, StoredFn](const TPersistent* O) {
            auto* Obj = static_cast<const C*>(O);
            if (StoredFn) return (Obj->*StoredFn)();
            return static_cast<int64_t>(detail::Read(Obj, Get)) != Default;
        };
        return Add(std::move(P));
    }
    // An integer property that a form description never stores.
    template <class G, class S>
    TClassBuilder& IntNotStored(const char* Name, G Get, S Set) {
        Int(Name, Get, Set, 0);
        Last().Stored = [](const TPersistent*) { return false; };
        return *this;
    }
    template <class G, class S>
    TClassBuilder& Bool(const char* Name, G Get, S Set, bool Default, bool (C::*StoredFn)() const = nullptr) {
        TPropInfo P = Base(Name, TPropKind::Bool);
        P.Get = [Get](const TPersistent* O) {
            return TFormValue::Boolean(detail::Read(static_cast<const C*>(O), Get));
        };
        P.Set = [Set](TPersistent* O, const TFormValue& V, TReadContext&) {
            detail::Write(static_cast<C*>(O), Set, FormBool(V));
        };
        P.Stored = [Get, Default, StoredFn](const TPersistent* O) {
            auto* Obj = static_cast<const C*>(O);
            if (StoredFn) return (Obj->*StoredFn)();
            return static_cast<bool>(detail::Read(Obj, Get)) != Default;
        };
        return Add(std::move(P));
    }
    template <class G, class S>
    TClassBuilder& Str(const char* Name, G Get, S Set, const char* Default = "",
                       bool (C::*StoredFn)() const = nullptr) {
        TPropInfo P = Base(Name, TPropKind::String);
        P.Get = [Get](const TPersistent* O) {
            return TFormValue::String(AnsiString(detail::Read(static_cast<const C*>(O), Get)));
        };
        P.Set = [Set](TPersistent* O, const TFormValue& V, TReadContext&) {
            detail::Write(static_cast<C*>(O), Set, FormString(V));
        };
        P.Stored = [Get, Def = AnsiString(Default), StoredFn](const TPersistent* O) {
            auto* Obj = static_cast<const C*>(O);
            if (StoredFn) return (Obj->*StoredFn)();
            return AnsiString(detail::Read(Obj, Get)) != Def;
        };
        return Add(std::move(P));
    }
    template <class G, class S>
    TClassBuilder& Enum(const char* Name, G Get, S Set, int Default, std::vector<AnsiString> Names,
                        bool (C::*StoredFn)() const = nullptr) {
        TPropInfo P = Base(Name, TPropKind::Enum);
        P.ElementNames = Names;
        P.Get = [Get, Names](const TPersistent* O) {
            int V = static_cast<int>(detail::Read(static_cast<const C*>(O), Get));
            return V >= 0 && V < static_cast<int>(Names.size()) ? TFormValue::Ident(Names[V]) : TFormValue::Integer(V);
        };
        P.Set = [Set, Names](TPersistent* O, const TFormValue& V, TReadContext&) {
            using T = std::decay_t<decltype(detail::Read(static_cast<const C*>(O), std::declval<G>()))>;
            detail::Write(static_cast<C*>(O), Set, static_cast<T>(FormEnum(V, Names)));
        };
        P.Stored = [Get, Default, StoredFn](const TPersistent* O) {
            auto* Obj = static_cast<const C*>(O);
            if (StoredFn) return (Obj->*StoredFn)();
            return static_cast<int>(detail::Read(Obj, Get)) != Default;
        };
        return Add(std::move(P));
    }
    // A set held as a bit mask; bit i is element Names[i].
    template <class G, class S>
    TClassBuilder& Set(const char* Name, G Get, S Setter, uint32_t Default, std::vector<AnsiString> Names) {
        TPropInfo P = Base(Name, TPropKind::Set);
        P.ElementNames = Names;
        P.Get = [Get, Names](const TPersistent* O) {
            TFormValue V;
            V.Kind = TFormValue::vaSet;
            uint32_t Bits = static_cast<uint32_t>(detail::Read(static_cast<const C*>(O), Get));
            for (size_t I = 0; I < Names.size(); ++I)
                if (Bits & (1u << I)) V.Items.push_back(Names[I]);
            return V;
        };
        P.Set = [Setter, Names](TPersistent* O, const TFormValue& V, TReadContext&) {
            using T = std::decay_t<decltype(detail::Read(static_cast<const C*>(O), std::declval<G>()))>;
            detail::Write(static_cast<C*>(O), Setter, static_cast<T>(FormSet(V, Names)));
        };
        P.Stored = [Get, Default](const TPersistent* O) {
            return static_cast<uint32_t>(detail::Read(static_cast<const C*>(O), Get)) != Default;
        };
        return Add(std::move(P));
    }
    // An event member bound by handler name to a published method of the form being read.
    template <class E>
    TClassBuilder& Event(const char* Name, E C::*Member) {
        TPropInfo P = Base(Name, TPropKind::Event);
        AnsiString PropName = Name;
        P.Get = [PropName](const TPersistent* O) {
            auto* Comp = dynamic_cast<const TComponent*>(O);
            auto It = Comp ? Comp->BoundHandlers.find(PropName) : decltype(Comp->BoundHandlers.end()){};
            return Comp && It != Comp->BoundHandlers.end() ? TFormValue::Ident(It->second) : TFormValue{};
        };
        P.Set = [Member, PropName](TPersistent* O, const TFormValue& V, TReadContext& Ctx) {
            const TMethodInfo* M = FindHandler(Ctx, V);
            auto* Binder = std::any_cast<std::function<E(TObject*)>>(&M->Binder);
            if (!Binder) FormError(V, "handler " + V.Str + " does not fit event " + PropName);
            static_cast<C*>(O)->*Member = (*Binder)(HandlerSelf(Ctx));
            if (auto* Comp = dynamic_cast<TComponent*>(O)) Comp->BoundHandlers[PropName] = V.Str;
        };
        P.Stored = [PropName](const TPersistent* O) {
            auto* Comp = dynamic_cast<const TComponent*>(O);
            return Comp && Comp->BoundHandlers.count(PropName) > 0;
        };
        return Add(std::move(P));
    }
    // A reference to another component, by name or as Root.Name.
    template <class T, class G, class S>
    TClassBuilder& Ref(const char* Name, G Get, S Set) {
        TPropInfo P = Base(Name, TPropKind::Component);
        P.Get = [Get](const TPersistent* O) {
            const TComponent* R = detail::Read(static_cast<const C*>(O), Get);
            return R ? TFormValue::Ident(ReferenceName(R, O)) : TFormValue{};
        };
        P.Set = [Set, PName = AnsiString(Name)](TPersistent* O, const TFormValue& V, TReadContext& Ctx) {
            AddReferenceFixup(Ctx, V, [O, Set, V, PName](TComponent* Found) {
                T* Typed = dynamic_cast<T*>(Found);
                if (!Typed) FormError(V, V.Str + " cannot be assigned to " + PName);
                detail::Write(static_cast<C*>(O), Set, Typed);
            });
        };
        P.Stored = [Get](const TPersistent* O) { return detail::Read(static_cast<const C*>(O), Get) != nullptr; };
        return Add(std::move(P));
    }
    // A nested persistent object (Font, Title) whose own properties are written as "Font.Height".
    template <class T>
    TClassBuilder& Object(const char* Name, T* (C::*Get)() const, bool (C::*StoredFn)() const = nullptr) {
        TPropInfo P = Base(Name, TPropKind::Object);
        P.Object = [Get](TPersistent* O) -> TPersistent* { return (static_cast<C*>(O)->*Get)(); };
        P.Stored = [StoredFn](const TPersistent* O) {
            return StoredFn ? (static_cast<const C*>(O)->*StoredFn)() : true;
        };
        return Add(std::move(P));
    }
    // A string list (combo box items, memo lines, query text), written as ( 'a' 'b' ).
    TClassBuilder& Lines(const char* Name, TStrings* (C::*Get)() const) {
        TPropInfo P = Base(Name, TPropKind::Strings);
        P.Get = [Get](const TPersistent* O) {
            TFormValue V;
            V.Kind = TFormValue::vaList;
            V.Items = (static_cast<const C*>(O)->*Get)()->Items();
            return V;
        };
        P.Set = [Get](TPersistent* O, const TFormValue& V, TReadContext&) {
            if (V.Kind != TFormValue::vaList) FormError(V, "a list of strings was expected");
            TStrings* L = (static_cast<C*>(O)->*Get)();
            L->Clear();
            for (auto& S : V.Items) L->Add(S);
        };
        P.Stored = [Get](const TPersistent* O) { return (static_cast<const C*>(O)->*Get)()->Count() > 0; };
        return Add(std::move(P));
    }
    // A collection of items (grid columns, query parameters), written as < item ... end >.
    TClassBuilder& Items(const char* Name, TCollection* (C::*Get)() const);

    // A component field of a form, set when the reader creates the component of that name.
    template <class T>
    TClassBuilder& Field(const char* Name, T* C::*Member);
    // A published handler that form descriptions bind to events by name.
    template <class M>
    TClassBuilder& Method(const char* Name, M Member) {
        using Sig = detail::MemberSig<M>;
        using E = typename Sig::Event;
        std::function<E(TObject*)> Binder = [Member](TObject* Self) -> E {
            auto* Obj = dynamic_cast<typename Sig::Class*>(Self);
            return [Obj, Member](auto&&... A) { return (Obj->*Member)(std::forward<decltype(A)>(A)...); };
        };
        Info.Methods.push_back({Name, std::any(Binder)});
        return *this;
    }
    // Adjusts the last property added (for example to make it never stored).
    TPropInfo& Last() { return FOfferOnly ? Info.Catalogue[FLastName] : Info.Props.back(); }
    TClassInfo Build() { return std::move(Info); }

private:
    static TObject* HandlerSelf(TReadContext& Ctx);
    TPropInfo Base(const char* Name, TPropKind Kind) {
        TPropInfo P;
        P.Name = Name;
        P.Kind = Kind;
        return P;
    }
    TClassBuilder& Add(TPropInfo P) {
        P.AlwaysPublished = FAlways;
        FLastName = P.Name;
        Info.Catalogue[P.Name] = P;
        if (!FOfferOnly) Publish(P);
        return *this;
    }
    void Publish(const TPropInfo& P) {
        for (auto& Existing : Info.Props)
            if (Existing.Name == P.Name) {
                Existing = P;
                return;
            }
        Info.Props.push_back(P);
    }
    TClassInfo Info;
    bool FOfferOnly = false;
    bool FAlways = false;
    AnsiString FLastName;
};

void RegisterClass(const TClassInfo& Info);
const TClassInfo* FindClass(const AnsiString& Name);  // nullptr when unknown

template <class C>
TClassBuilder<C>& TClassBuilder<C>::Items(const char* Name, TCollection* (C::*Get)() const) {
    TPropInfo P = Base(Name, TPropKind::Collection);
    P.Object = [Get](TPersistent* O) -> TPersistent* { return (static_cast<C*>(O)->*Get)(); };
    P.Stored = [Get](const TPersistent* O) { return (static_cast<const C*>(O)->*Get)()->Count() > 0; };
    return Add(std::move(P));
}

template <class C>
template <class T>
TClassBuilder<C>& TClassBuilder<C>::Field(const char* Name, T* C::*Member) {
    TFieldInfo F;
    F.Name = Name;
    F.Class = &T::StaticClassInfo();
    F.Assign = [Member](TObject* Self, TComponent* Value) {
        auto* Obj = dynamic_cast<C*>(Self);
        auto* Typed = dynamic_cast<T*>(Value);
        if (!Obj || !Typed) return false;
        Obj->*Member = Typed;
        return true;
    };
    RegisterClass(*F.Class);
    Info.Fields.push_back(std::move(F));
    return *this;
}

TObject* ReadContextRoot(TReadContext& Ctx);
template <class C>
TObject* TClassBuilder<C>::HandlerSelf(TReadContext& Ctx) {
    return ReadContextRoot(Ctx);
}
