#include "store/DBTables.h"
#include "store/Database.h"

const TClassInfo& TQuery::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TQuery>("TQuery", &TDBDataSet::StaticClassInfo())
                                       .Creatable()
                                       .Inherit({"Active", "DatabaseName"})
                                       .Lines("SQL", &TQuery::SQL)
                                       .Items("Params", &TQuery::ParamsItems)
                                       .Inherit({"OnCalcFields", "Filtered", "OnFilterRecord"})
                                       .Build();
    return Info;
}

TQuery::TQuery(TComponent* AOwner)
    : TDBDataSet(AOwner), FSQL(std::make_unique<TStringList>()), FParams(std::make_unique<TParams>()) {
    FSQL->OnChange = [this] { SQLChanged(); };
}

TQuery::~TQuery() {
    FSQL->OnChange = nullptr;
}

void TQuery::SQLChanged() {
    if (Active()) Close();
    // A form description lists the parameters itself, after the text.
    if (!Loading()) FParams->ParseSQL(FSQL->Text());
}

void TQuery::Loaded() {
    if (FParams->Count() == 0) FParams->ParseSQL(FSQL->Text());
    TDBDataSet::Loaded();
}

namespace {
void BindParams(TStatement& S, const TParams& Params) {
    for (int I = 1; I <= S.ParamCount(); ++I) {
        AnsiString Name = S.ParamName(I);
        const TParam* P = nullptr;
        if (Name.size() > 1)
            P = Params.FindParam(Name.substr(1));
        else if (I - 1 < Params.Count())
            P = Params.Items(I - 1);
        if (!P || P->IsNull()) continue;  // stays NULL
        bool Integer = P->DataType() == ftInteger || P->DataType() == ftSmallint || P->DataType() == ftWord;
        int Value = 0;
        if (Integer && (Value = StrToIntDef(P->AsString(), 0), IntToStr(Value) == P->AsString()))
            S.BindInt(I, Value);
        else
            S.BindText(I, P->AsString());
    }
}
}  // namespace

std::unique_ptr<TRowSource> TQuery::OpenRows() {
    AnsiString Sql = FSQL->Text();
    if (Trim(Sql).empty()) Error("No SQL statement given");
    auto Stmt = std::make_unique<TStatement>(Database(), Sql);
    BindParams(*Stmt, *FParams);
    return StatementRows(std::move(Stmt), false);
}

void TQuery::ForEachRow(const std::function<void(const TRowView& Row)>& Row) {
    CheckInactive();
    AnsiString Sql = FSQL->Text();
    if (Trim(Sql).empty()) Error("No SQL statement given");
    TStatement S(Database(), Sql);
    BindParams(S, *FParams);
    struct TView : TRowView {
        const TStatement& S;
        explicit TView(const TStatement& Stmt) : S(Stmt) {}
        std::string_view Text(int Column) const override { return S.ColumnView(Column); }
        int64_t Integer(int Column) const override { return S.ColumnInt(Column); }
    } View(S);
    while (S.Step()) Row(View);
}

void TQuery::ExecSQL() {
    CheckInactive();
    AnsiString Sql = FSQL->Text();
    if (Trim(Sql).empty()) Error("No SQL statement given");
    TStatement S(Database(), Sql);
    BindParams(S, *FParams);
    FRowsAffected = 0;
    S.Run();
    FRowsAffected = S.Db().Changes();
}
