#include "platform/classes/FormIO.h"

#include <cctype>
#include <set>

namespace {
constexpr int MaxDepth = 64;

struct TToken {
    enum TKind { tkEnd, tkIdent, tkInt, tkString, tkSymbol } Kind = tkEnd;
    AnsiString Text;
    int64_t Int = 0;
    int Line = 1;
};

[[noreturn]] void Fail(int Line, const AnsiString& Msg) { throw EReadError(Format("line %d: ", Line) + Msg); }

void AppendUtf8(AnsiString& S, uint32_t Cp) {
    if (Cp < 0x80) {
        S += static_cast<char>(Cp);
    } else if (Cp < 0x800) {
        S += static_cast<char>(0xC0 | (Cp >> 6));
        S += static_cast<char>(0x80 | (Cp & 0x3F));
    } else if (Cp < 0x10000) {
        S += static_cast<char>(0xE0 | (Cp >> 12));
        S += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (Cp & 0x3F));
    } else {
        S += static_cast<char>(0xF0 | (Cp >> 18));
        S += static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
        S += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (Cp & 0x3F));
    }
}

class TLexer {
public:
    explicit TLexer(std::string_view T) : Text(T) { Advance(); }
    const TToken& Peek() const { return Cur; }
    TToken Take() {
        TToken T = Cur;
        Advance();
        return T;
    }
    bool IsSymbol(char C) const { return Cur.Kind == TToken::tkSymbol && Cur.Text[0] == C; }
    bool IsKeyword(const char* K) const { return Cur.Kind == TToken::tkIdent && SameText(Cur.Text, K); }
    void Expect(char C) {
        if (!IsSymbol(C)) Fail(Cur.Line, AnsiString("'") + C + "' expected" + Found());
        Advance();
    }
    AnsiString Found() const {
        switch (Cur.Kind) {
            case TToken::tkEnd:
                return " but the text ends";
            case TToken::tkString:
                return " but a string was found";
            case TToken::tkInt:
                return " but " + IntToStr(Cur.Int) + " was found";
            default:
                return " but '" + Cur.Text + "' was found";
        }
    }

private:
    void Advance() {
        SkipBlanks();
        Cur = TToken();
        Cur.Line = Line;
        if (Pos >= Text.size()) return;
        char C = Text[Pos];
        if (std::isalpha(static_cast<unsigned char>(C)) || C == '_') {
            size_t B = Pos;
            while (Pos < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[Pos])) || Text[Pos] == '_' ||
                                         (Text[Pos] == '.' && Pos + 1 < Text.size() &&
                                          (std::isalpha(static_cast<unsigned char>(Text[Pos + 1])) || Text[Pos + 1] == '_'))))
                ++Pos;
            Cur.Kind = TToken::tkIdent;
            Cur.Text = AnsiString(Text.substr(B, Pos - B));
        } else if (std::isdigit(static_cast<unsigned char>(C)) || (C == '-' && Pos + 1 < Text.size() &&
                                                                     std::isdigit(static_cast<unsigned char>(Text[Pos + 1])))) {
            bool Neg = C == '-';
            if (Neg) ++Pos;
            int64_t V = 0;
            while (Pos < Text.size() && std::isdigit(static_cast<unsigned char>(Text[Pos]))) {
                if (V > (int64_t{1} << 40)) Fail(Line, "number too large");
                V = V * 10 + (Text[Pos++] - '0');
            }
            Cur.Kind = TToken::tkInt;
            Cur.Int = Neg ? -V : V;
        } else if (C == '\'' || C == '#') {
            Cur.Kind = TToken::tkString;
            ReadString(Cur.Text);
        } else {
            Cur.Kind = TToken::tkSymbol;
            Cur.Text = AnsiString(1, C);
            ++Pos;
        }
    }
    // 'text' pieces and #code characters, joined when they touch or are added with '+'.
    void ReadString(AnsiString& Out) {
        for (;;) {
            if (Pos < Text.size() && Text[Pos] == '\'') {
                ++Pos;
                for (;;) {
                    if (Pos >= Text.size() || Text[Pos] == '\n') Fail(Line, "unterminated string");
                    if (Text[Pos] == '\'') {
                        if (Pos + 1 < Text.size() && Text[Pos + 1] == '\'') {
                            Out += '\'';
                            Pos += 2;
                            continue;
                        }
                        ++Pos;
                        break;
                    }
                    Out += Text[Pos++];
                }
            } else if (Pos < Text.size() && Text[Pos] == '#') {
                ++Pos;
                uint32_t Cp = 0;
                size_t B = Pos;
                while (Pos < Text.size() && std::isdigit(static_cast<unsigned char>(Text[Pos])) && Pos - B < 8)
                    Cp = Cp * 10 + static_cast<uint32_t>(Text[Pos++] - '0');
                if (Pos == B || Cp > 0x10FFFF) Fail(Line, "bad character code");
                AppendUtf8(Out, Cp);
            } else {
                break;
            }
            // A '+' continues the string, also on the next line.
            size_t Save = Pos;
            int SaveLine = Line;
            SkipBlanks();
            if (Pos < Text.size() && Text[Pos] == '+') {
                ++Pos;
                SkipBlanks();
                if (Pos >= Text.size() || (Text[Pos] != '\'' && Text[Pos] != '#')) Fail(Line, "string expected after '+'");
            } else {
                Pos = Save;
                Line = SaveLine;
                if (Pos >= Text.size() || (Text[Pos] != '\'' && Text[Pos] != '#')) break;
            }
        }
    }
    void SkipBlanks() {
        while (Pos < Text.size()) {
            char C = Text[Pos];
            if (C == '\n') {
                ++Line;
                ++Pos;
            } else if (C == ' ' || C == '\t' || C == '\r') {
                ++Pos;
            } else if (C == '/' && Pos + 1 < Text.size() && Text[Pos + 1] == '/') {
                while (Pos < Text.size() && Text[Pos] != '\n') ++Pos;
            } else {
                break;
            }
        }
    }
    std::string_view Text;
    size_t Pos = 0;
    int Line = 1;
    TToken Cur;
};

TFormValue ParseValue(TLexer& L, int Depth);

std::vector<TFormValue::TAssignment> ParseAssignments(TLexer& L, int Depth, bool InItem) {
    std::vector<TFormValue::TAssignment> Out;
    while (L.Peek().Kind == TToken::tkIdent && !L.IsKeyword("end") && !L.IsKeyword("object") &&
           !L.IsKeyword("inherited") && !(InItem && L.IsKeyword("item"))) {
        TToken Name = L.Take();
        L.Expect('=');
        TFormValue::TAssignment A;
        A.Name = Name.Text;
        A.Line = Name.Line;
        A.Value = ParseValue(L, Depth);
        Out.push_back(std::move(A));
    }
    return Out;
}

TFormValue ParseValue(TLexer& L, int Depth) {
    if (Depth > MaxDepth) Fail(L.Peek().Line, "values nested too deeply");
    TFormValue V;
    V.Line = L.Peek().Line;
    const TToken& T = L.Peek();
    if (T.Kind == TToken::tkInt) {
        V.Kind = TFormValue::vaInt;
        V.Int = L.Take().Int;
    } else if (T.Kind == TToken::tkString) {
        V.Kind = TFormValue::vaString;
        V.Str = L.Take().Text;
    } else if (T.Kind == TToken::tkIdent) {
        V.Kind = TFormValue::vaIdent;
        V.Str = L.Take().Text;
    } else if (L.IsSymbol('[')) {
        L.Take();
        V.Kind = TFormValue::vaSet;
        while (!L.IsSymbol(']')) {
            if (L.Peek().Kind != TToken::tkIdent) Fail(L.Peek().Line, "set element expected" + L.Found());
            V.Items.push_back(L.Take().Text);
            if (L.IsSymbol(',')) L.Take();
            else if (!L.IsSymbol(']')) Fail(L.Peek().Line, "',' or ']' expected" + L.Found());
        }
        L.Take();
    } else if (L.IsSymbol('(')) {
        L.Take();
        V.Kind = TFormValue::vaList;
        while (!L.IsSymbol(')')) {
            const TToken& I = L.Peek();
            if (I.Kind == TToken::tkString || I.Kind == TToken::tkIdent) V.Items.push_back(L.Take().Text);
            else if (I.Kind == TToken::tkInt) V.Items.push_back(IntToStr(L.Take().Int));
            else Fail(I.Line, "list item expected" + L.Found());
        }
        L.Take();
    } else if (L.IsSymbol('<')) {
        L.Take();
        V.Kind = TFormValue::vaCollection;
        while (!L.IsSymbol('>')) {
            if (!L.IsKeyword("item")) Fail(L.Peek().Line, "'item' expected" + L.Found());
            L.Take();
            V.Collection.push_back({ParseAssignments(L, Depth + 1, true)});
            if (!L.IsKeyword("end")) Fail(L.Peek().Line, "'end' expected" + L.Found());
            L.Take();
        }
        L.Take();
    } else {
        Fail(T.Line, "value expected" + L.Found());
    }
    return V;
}

TFormNode ParseObject(TLexer& L, int Depth) {
    if (Depth > MaxDepth) Fail(L.Peek().Line, "objects nested too deeply");
    if (!L.IsKeyword("object") && !L.IsKeyword("inherited")) Fail(L.Peek().Line, "'object' expected" + L.Found());
    TFormNode N;
    N.Line = L.Take().Line;
    if (L.Peek().Kind != TToken::tkIdent) Fail(L.Peek().Line, "component name expected" + L.Found());
    N.Name = L.Take().Text;
    if (L.IsSymbol(':')) {
        L.Take();
        if (L.Peek().Kind != TToken::tkIdent) Fail(L.Peek().Line, "class name expected" + L.Found());
        N.ClassName = L.Take().Text;
    } else {
        // "object TForm1" with no name: the word was the class.
        N.ClassName = N.Name;
        N.Name.clear();
    }
    N.Props = ParseAssignments(L, Depth, false);
    while (L.IsKeyword("object") || L.IsKeyword("inherited")) N.Children.push_back(ParseObject(L, Depth + 1));
    if (!L.IsKeyword("end")) Fail(L.Peek().Line, "'end' expected" + L.Found());
    L.Take();
    return N;
}

struct TFixup {
    TComponent* Holder;  // the component whose property waits, so a destroyed holder drops it
    AnsiString Target;
    std::function<void(TComponent*)> Apply;
    TFormValue Value;
};

// References to roots that do not exist yet wait here until such a root is loaded.
std::vector<TFixup>& PendingFixups() {
    static std::vector<TFixup> P;
    return P;
}

TComponent* ResolveReference(const AnsiString& Target, TComponent* Root) {
    size_t Dot = Target.find('.');
    if (Dot == AnsiString::npos) {
        if (Root && SameText(Root->Name(), Target)) return Root;
        if (TComponent* C = Root ? Root->FindComponent(Target) : nullptr) return C;
        return FindGlobalComponent(Target);
    }
    TComponent* Other = FindGlobalComponent(Target.substr(0, Dot));
    if (!Other) return nullptr;
    return Other->FindComponent(Target.substr(Dot + 1));
}
}  // namespace

class TReadContext {
public:
    TComponent* Root = nullptr;
    TComponent* Current = nullptr;
    std::vector<TFixup> Fixups;
    std::vector<TComponent*> Read;
};

TObject* ReadContextRoot(TReadContext& Ctx) { return Ctx.Root; }

const TMethodInfo* FindHandler(TReadContext& Ctx, const TFormValue& V) {
    if (V.Kind != TFormValue::vaIdent) FormError(V, "a handler name was expected");
    const TMethodInfo* M = Ctx.Root->ClassInfo()->FindMethod(V.Str);
    if (!M) FormError(V, Ctx.Root->ClassName() + " has no handler " + V.Str);
    return M;
}

void AddReferenceFixup(TReadContext& Ctx, const TFormValue& V, std::function<void(TComponent*)> Apply) {
    if (V.Kind != TFormValue::vaIdent) FormError(V, "a component name was expected");
    Ctx.Fixups.push_back({Ctx.Current, V.Str, std::move(Apply), V});
}

AnsiString ReferenceName(const TComponent* Ref, const TPersistent* From) {
    const TComponent* FromComp = dynamic_cast<const TComponent*>(From);
    const TComponent* FromRoot = FromComp ? (FromComp->Owner() ? FromComp->Owner() : FromComp) : nullptr;
    const TComponent* RefRoot = Ref->Owner();
    if (!RefRoot || RefRoot == FromRoot || !FindGlobalComponent(RefRoot->Name())) return Ref->Name();
    return RefRoot->Name() + "." + Ref->Name();
}

namespace {
void ApplyAssignment(TPersistent* Obj, const TFormValue::TAssignment& A, TReadContext& Ctx, int Depth);

void ApplyAll(TPersistent* Obj, const std::vector<TFormValue::TAssignment>& As, TReadContext& Ctx, int Depth) {
    for (auto& A : As) ApplyAssignment(Obj, A, Ctx, Depth);
}

void ApplyAssignment(TPersistent* Obj, const TFormValue::TAssignment& A, TReadContext& Ctx, int Depth) {
    if (Depth > MaxDepth) Fail(A.Line, "properties nested too deeply");
    TPersistent* Target = Obj;
    AnsiString Rest = A.Name;
    for (size_t Dot; (Dot = Rest.find('.')) != AnsiString::npos;) {
        AnsiString Part = Rest.substr(0, Dot);
        const TPropInfo* P = Target->ClassInfo()->FindProp(Part);
        if (!P || P->Kind != TPropKind::Object) Fail(A.Line, Target->ClassName() + " has no object property " + Part);
        Target = P->Object(Target);
        if (!Target) Fail(A.Line, "property " + Part + " holds no object");
        Rest = Rest.substr(Dot + 1);
    }
    const TPropInfo* P = Target->ClassInfo()->FindProp(Rest);
    if (!P) Fail(A.Line, Target->ClassName() + " has no property " + Rest);
    if (P->Kind == TPropKind::Collection) {
        if (A.Value.Kind != TFormValue::vaCollection) Fail(A.Line, "a collection < ... > was expected for " + Rest);
        auto* Coll = dynamic_cast<TCollection*>(P->Object(Target));
        if (!Coll) Fail(A.Line, "property " + Rest + " holds no collection");
        Coll->Clear();
        for (auto& Item : A.Value.Collection) ApplyAll(Coll->Add(), Item.Props, Ctx, Depth + 1);
        return;
    }
    if (P->Kind == TPropKind::Object) Fail(A.Line, "property " + Rest + " is an object; set its properties");
    TFormValue V = A.Value;
    V.Line = A.Line;
    P->Set(Target, V, Ctx);
}

void ReadChildren(TComponent* Parent, const TFormNode& N, TReadContext& Ctx, int Depth) {
    for (auto& C : N.Children) {
        const TClassInfo* Cls = FindClass(C.ClassName);
        if (!Cls || !Cls->Create) Fail(C.Line, "class " + C.ClassName + " not found");
        TComponent* Comp = Cls->Create(Ctx.Root);
        Comp->Include(csLoading);
        Comp->Include(csReading);
        Ctx.Read.push_back(Comp);
        try {
            Comp->SetName(C.Name);
        } catch (const Exception& E) {
            Fail(C.Line, E.Message());
        }
        if (const TFieldInfo* F = Ctx.Root->ClassInfo()->FindField(C.Name))
            if (!F->Assign(Ctx.Root, Comp)) Fail(C.Line, C.Name + " is not a " + F->Class->Name);
        Comp->SetParentComponent(Parent);
        Ctx.Current = Comp;
        ApplyAll(Comp, C.Props, Ctx, Depth);
        ReadChildren(Comp, C, Ctx, Depth + 1);
    }
}

void RunFixups(std::vector<TFixup>& List, TComponent* Root, bool KeepUnresolved) {
    std::vector<TFixup> Left;
    for (auto& F : List) {
        if (TComponent* Found = ResolveReference(F.Target, Root)) F.Apply(Found);
        else if (KeepUnresolved && F.Target.find('.') != AnsiString::npos) Left.push_back(std::move(F));
        else FormError(F.Value, "component " + F.Target + " not found");
    }
    List = std::move(Left);
}
}  // namespace

TFormNode ParseFormText(std::string_view Text) {
    TLexer L(Text);
    TFormNode N = ParseObject(L, 0);
    if (L.Peek().Kind != TToken::tkEnd) Fail(L.Peek().Line, "text after the final 'end'");
    return N;
}

void ReadComponentRes(TComponent* Root, std::string_view Text) {
    TFormNode N = ParseFormText(Text);
    if (!SameText(N.ClassName, Root->ClassName()))
        Fail(N.Line, "the description is of " + N.ClassName + ", not " + Root->ClassName());
    TReadContext Ctx;
    Ctx.Root = Root;
    Ctx.Current = Root;
    Root->Include(csLoading);
    Root->Include(csReading);
    Ctx.Read.push_back(Root);
    auto Finish = [&] {
        for (TComponent* C : Ctx.Read) C->Exclude(csReading);
    };
    try {
        if (!N.Name.empty()) Root->SetName(N.Name);
        RegisterRootComponent(Root);
        ApplyAll(Root, N.Props, Ctx, 0);
        ReadChildren(Root, N, Ctx, 1);
        RunFixups(Ctx.Fixups, Root, true);
        for (auto& F : Ctx.Fixups) PendingFixups().push_back(std::move(F));
        // A new root may be what earlier descriptions were waiting for.
        auto& Pending = PendingFixups();
        std::vector<TFixup> StillWaiting;
        for (auto& F : Pending) {
            if (TComponent* Found = ResolveReference(F.Target, nullptr)) F.Apply(Found);
            else StillWaiting.push_back(std::move(F));
        }
        Pending = std::move(StillWaiting);
    } catch (...) {
        Finish();
        for (TComponent* C : Ctx.Read) C->Exclude(csLoading);
        throw;
    }
    Finish();
    for (TComponent* C : Ctx.Read) {
        C->Loaded();
        C->Exclude(csLoading);
    }
}

void DropPendingFixups(TComponent* Holder) {
    auto& P = PendingFixups();
    std::erase_if(P, [Holder](const TFixup& F) { return F.Holder == Holder; });
}

namespace {
AnsiString Quote(const AnsiString& S) {
    AnsiString Out;
    bool InQuote = false;
    for (unsigned char C : S) {
        if (C < 32) {
            if (InQuote) Out += '\'';
            InQuote = false;
            Out += "#" + IntToStr(C);
        } else {
            if (!InQuote) Out += '\'';
            InQuote = true;
            if (C == '\'') Out += '\'';
            Out += static_cast<char>(C);
        }
    }
    if (InQuote) Out += '\'';
    return Out.empty() ? "''" : Out;
}

AnsiString FormatValue(const TPropInfo& P, const TFormValue& V, int Indent) {
    switch (V.Kind) {
        case TFormValue::vaInt: {
            AnsiString Ident;
            if (!P.IdentMap.empty() && IntToIdent(P.IdentMap, V.Int, Ident)) return Ident;
            return IntToStr(V.Int);
        }
        case TFormValue::vaString:
            return Quote(V.Str);
        case TFormValue::vaIdent:
            return V.Str;
        case TFormValue::vaSet: {
            AnsiString S = "[";
            for (size_t I = 0; I < V.Items.size(); ++I) S += (I ? ", " : "") + V.Items[I];
            return S + "]";
        }
        case TFormValue::vaList: {
            AnsiString S = "(";
            for (auto& I : V.Items) S += "\n" + AnsiString(static_cast<size_t>(Indent + 2), ' ') + Quote(I);
            return S + ")";
        }
        default:
            return "''";
    }
}

void WriteProps(TPersistent* Obj, const AnsiString& Prefix, int Indent, AnsiString& Out) {
    AnsiString Pad(static_cast<size_t>(Indent), ' ');
    for (auto& P : Obj->ClassInfo()->Props) {
        if (!P.Stored || !P.Stored(Obj)) continue;
        if (P.Kind == TPropKind::Object) {
            if (TPersistent* Nested = P.Object(Obj)) WriteProps(Nested, Prefix + P.Name + ".", Indent, Out);
            continue;
        }
        if (P.Kind == TPropKind::Collection) {
            auto* Coll = dynamic_cast<TCollection*>(P.Object(Obj));
            if (!Coll) continue;
            Out += Pad + Prefix + P.Name + " = <";
            for (int I = 0; I < Coll->Count(); ++I) {
                Out += "\n" + Pad + "  item\n";
                WriteProps(Coll->Item(I), "", Indent + 4, Out);
                Out += Pad + "  end";
            }
            Out += ">\n";
            continue;
        }
        TFormValue V = P.Get(Obj);
        if (V.Kind == TFormValue::vaNull) continue;
        Out += Pad + Prefix + P.Name + " = " + FormatValue(P, V, Indent) + "\n";
    }
}

// Written under the component that lists it as a child (a field under its data set), so the
// root skips what one of its components claims.
void WriteObject(TComponent* C, TComponent* Root, int Indent, AnsiString& Out, const std::set<TComponent*>& Claimed) {
    AnsiString Pad(static_cast<size_t>(Indent), ' ');
    Out += Pad + "object " + (C->Name().empty() ? "" : C->Name() + ": ") + C->ClassName() + "\n";
    WriteProps(C, "", Indent + 2, Out);
    C->GetChildren(
        [&](TComponent* Child) {
            if (C == Root && Claimed.count(Child)) return;
            WriteObject(Child, Root, Indent + 2, Out, Claimed);
        },
        Root);
    Out += Pad + "end\n";
}
}  // namespace

AnsiString WriteComponentRes(TComponent* Root) {
    AnsiString Out;
    Root->Include(csWriting);
    std::set<TComponent*> Claimed;
    for (int I = 0; I < Root->ComponentCount(); ++I)
        Root->Components(I)->GetChildren([&](TComponent* N) { Claimed.insert(N); }, Root);
    try {
        WriteObject(Root, Root, 0, Out, Claimed);
    } catch (...) {
        Root->Exclude(csWriting);
        throw;
    }
    Root->Exclude(csWriting);
    return Out;
}

AnsiString WriteProperties(TPersistent* Obj, int Indent) {
    AnsiString Out;
    WriteProps(Obj, "", Indent, Out);
    return Out;
}
